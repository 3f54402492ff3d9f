// AccessibleScrollBar: a scroll bar as a screen reader sees it, with ATK's Value
// interface: its value within its range, in steps of its small step, horizontal
// or vertical. Setting the value scrolls as dragging the knob does.
// Threading: the accessibility thread; made and read with the window locked.
#ifndef _CVAB_ACCESSIBLE_SCROLL_BAR_H
#define _CVAB_ACCESSIBLE_SCROLL_BAR_H

#include "AccessibleView.h"

class BScrollBar;

namespace BPrivate {

class AccessibleScrollBar : public AccessibleView {
public:
	AccessibleScrollBar(BScrollBar* bar, Accessible* parent);

	// Fills in the ATK interface (a GInterfaceInitFunc).
	static void InitInterface(gpointer iface, gpointer data);

	void Announce(uint32 changes) override;

	// The value, its range and step as last read.
	void GetValue(double* value, double* minimum, double* maximum, double* step);
	bool SetValue(double value);

protected:
	bool Refresh() override;

private:
	double fValue = 0;
	double fMinimum = 0;
	double fMaximum = 0;
	double fStep = 1;
	double fToldValue = -1;
};

}  // namespace BPrivate

#endif
