// BButton: the bevelled push button. Value() is 1 while the pointer holds it down
// inside; it invokes once on a release inside. Space invokes it when focused, and
// Enter anywhere in the window when it is the default button.
// Threading: its window's thread, or with the window locked.
#ifndef _BUTTON_H
#define _BUTTON_H

#include <Control.h>

class BButton : public BControl {
public:
	// A frame shorter than the preferred height grows to it; ResizeTo later sets
	// any size.
	BButton(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BButton();

	void Draw(BRect updateRect) override;
	void MouseDown(BPoint where) override;
	void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
	void MouseUp(BPoint where) override;
	void KeyDown(const char* bytes, int32 numBytes) override;
	void DetachedFromWindow() override;

	// Makes this the window's default button (or stops it being it).
	virtual void MakeDefault(bool isDefault);
	bool IsDefault() const;

	virtual void GetPreferredSize(float* width, float* height);
	virtual void ResizeToPreferred();

private:
	void _DrawFrame(BRect* frame, bool pressed);
};

#endif
