// BAlert: a modal window with a message, an icon for its kind and up to three
// buttons, the rightmost being the default. Go() shows it and blocks until a button
// is chosen; Go(invoker) returns at once and reports the choice through the invoker.
// Either way the alert deletes itself once a button is chosen.
// Threading: built by any thread, which then calls Go once; afterwards it lives in
// its own window thread. Go must not be called from that thread.
#ifndef _ALERT_H
#define _ALERT_H

#include <Window.h>

class BButton;
class BInvoker;
class BTextView;

enum alert_type {
	B_EMPTY_ALERT = 0,
	B_INFO_ALERT,
	B_IDEA_ALERT,
	B_WARNING_ALERT,
	B_STOP_ALERT,
};

enum button_width {
	B_WIDTH_AS_USUAL,    // at least the usual width, wider for a long label
	B_WIDTH_FROM_WIDEST, // every button as wide as the widest label needs
	B_WIDTH_FROM_LABEL,  // each button as wide as its own label needs
};

enum button_spacing {
	B_EVEN_SPACING = 0,
	B_OFFSET_SPACING,  // the leftmost button stands apart from the others
};

class BAlert : public BWindow {
public:
	BAlert(const char* title, const char* text, const char* button1,
		const char* button2 = nullptr, const char* button3 = nullptr,
		button_width width = B_WIDTH_AS_USUAL, alert_type type = B_INFO_ALERT);
	BAlert(const char* title, const char* text, const char* button1, const char* button2,
		const char* button3, button_width width, button_spacing spacing,
		alert_type type = B_INFO_ALERT);
	virtual ~BAlert();

	// A key (without Ctrl) that chooses the button, e.g. B_ESCAPE for Cancel.
	void SetShortcut(int32 index, char key);
	char Shortcut(int32 index) const;

	// Shows the alert and waits: the chosen button's index, or -1 when the alert
	// went away without a choice. A looper that calls Go counts as idle while it
	// waits, and handles no messages until it returns.
	int32 Go();
	// Shows the alert and returns B_OK at once. The choice arrives later as a copy of
	// the invoker's message with "which" (int32) added. The alert owns the invoker;
	// a null invoker just shows the alert.
	status_t Go(BInvoker* invoker);

	BButton* ButtonAt(int32 index) const;
	BTextView* TextView() const { return fTextView; }
	alert_type Type() const { return fType; }

	void MessageReceived(BMessage* message) override;
	void DispatchMessage(BMessage* message, BHandler* handler) override;

private:
	class AlertView;
	struct Waiter;

	void _Build(const char* text, const char* const labels[3], button_width width,
		button_spacing spacing);
	void _LayOutButtons(button_width width, button_spacing spacing, float bottom);
	void _Choose(int32 index);

	alert_type fType;
	int32 fButtonCount = 0;
	BButton* fButtons[3] = {};
	char fShortcuts[3] = {};
	BTextView* fTextView = nullptr;
	BInvoker* fInvoker = nullptr;
	Waiter* fWaiter = nullptr;
	bool fChosen = false;
};

#endif
