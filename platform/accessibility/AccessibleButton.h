// AccessibleButton: a push button (column headers included) as a screen reader
// sees it: named by its label, enabled or not, marked when it is its window's
// default button, and clicked through the Action interface as a click does.
// Threading: the accessibility thread; made and read with the window locked.
#ifndef _CVAB_ACCESSIBLE_BUTTON_H
#define _CVAB_ACCESSIBLE_BUTTON_H

#include "AccessibleActions.h"
#include "AccessibleView.h"

class BButton;

namespace BPrivate {

class AccessibleButton : public AccessibleView, public AccessibleActions {
public:
	AccessibleButton(BButton* button, Accessible* parent);

	const char* ActionName(int32 index) override;
	bool DoAction(int32 index) override;

protected:
	bool Refresh() override;
};

}  // namespace BPrivate

#endif
