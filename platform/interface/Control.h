// BControl: a view the user operates to set a value and send its message: label,
// value, enabled state. Its default target is its window; attached, it takes its
// parent's view colour.
// Threading: its window's thread, or with the window locked.
#ifndef _CONTROL_H
#define _CONTROL_H

#include <Invoker.h>
#include <View.h>

#include <string>

enum {
	B_CONTROL_OFF = 0,
	B_CONTROL_ON = 1,
};

class BControl : public BView, public BInvoker {
public:
	// The control owns message.
	BControl(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode, uint32 flags);
	virtual ~BControl();

	void AttachedToWindow() override;
	void MakeFocus(bool focus = true) override;
	// Space and Enter set the value on and invoke; other keys as for any view.
	void KeyDown(const char* bytes, int32 numBytes) override;

	virtual void SetLabel(const char* label);
	const char* Label() const;
	// Redraws when the value changes.
	virtual void SetValue(int32 value);
	int32 Value() const { return fValue; }
	void SetValueNoUpdate(int32 value) { fValue = value; }
	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const { return fEnabled; }

	// Sends a copy of the message stamped with "when", "source" (this control) and
	// "be:value". Nothing is sent while disabled.
	status_t Invoke(BMessage* message = nullptr) override;

protected:
	bool IsTracking() const { return fTracking; }
	void SetTracking(bool tracking) { fTracking = tracking; }
	bool IsFocusChanging() const { return fFocusChanging; }
	// The colour labels are drawn in: the high colour, or grey when disabled.
	rgb_color LabelColor() const;

private:
	std::string fLabel;
	bool fHasLabel;
	int32 fValue = 0;
	bool fEnabled = true;
	bool fNavigableWhenEnabled = false;  // B_NAVIGABLE, taken away while disabled
	bool fTracking = false;
	bool fFocusChanging = false;
};

#endif
