// Sections: the background and its icons; building and layout; choosing; Go.
#include "Alert.h"

#include <Button.h>
#include <Invoker.h>
#include <Message.h>
#include <OS.h>
#include <Screen.h>
#include <TextView.h>

#include "LooperAccess.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace {

constexpr uint32 kButtonMessage = '_ALB';

constexpr float kWidth = 310;           // the window's usual width
constexpr float kStripeWidth = 30;      // the darker band the icon overlaps
constexpr BPoint kIconOrigin(18, 6);
constexpr float kIconSize = 32;
constexpr float kTextLeftWithIcon = 55;
constexpr float kMargin = 10;
constexpr float kTextTop = 6;
constexpr float kButtonSpacing = 10;
constexpr float kOffsetSpacing = 26;    // extra gap after an offset leftmost button
constexpr float kUsualButtonWidth = 75;

const rgb_color kStripe = {184, 184, 184, 255};
const rgb_color kBlack = {0, 0, 0, 255};
const rgb_color kWhite = {255, 255, 255, 255};

// A filled disc, one horizontal line per row.
void FillDisc(BView* view, BPoint centre, float radius)
{
	for (float dy = -radius; dy <= radius; dy++) {
		const float half = std::floor(std::sqrt(radius * radius - dy * dy));
		view->StrokeLine(BPoint(centre.x - half, centre.y + dy),
			BPoint(centre.x + half, centre.y + dy));
	}
}

// An exclamation mark (or, upside down, an "i") two pixels wide at x.
void DrawMark(BView* view, float x, float top, float bottom, bool dotOnTop)
{
	const float dotTop = dotOnTop ? top : bottom - 2;
	const float barTop = dotOnTop ? top + 5 : top;
	const float barBottom = dotOnTop ? bottom : bottom - 5;
	view->FillRect(BRect(x, dotTop, x + 2, dotTop + 2));
	view->FillRect(BRect(x, barTop, x + 2, barBottom));
}

void DrawInfoIcon(BView* view, BPoint o)
{
	view->SetHighColor(0, 84, 190);
	FillDisc(view, BPoint(o.x + 15, o.y + 15), 15);
	view->SetHighColor(kWhite);
	DrawMark(view, o.x + 14, o.y + 6, o.y + 24, true);
}

void DrawIdeaIcon(BView* view, BPoint o)
{
	view->SetHighColor(255, 214, 0);
	FillDisc(view, BPoint(o.x + 15, o.y + 12), 12);
	view->SetHighColor(120, 120, 120);
	view->FillRect(BRect(o.x + 10, o.y + 25, o.x + 20, o.y + 30));
	view->SetHighColor(kBlack);
	DrawMark(view, o.x + 14, o.y + 4, o.y + 19, false);
}

void DrawWarningIcon(BView* view, BPoint o)
{
	// A triangle standing on its base, outlined in black.
	for (float row = 0; row < kIconSize - 2; row++) {
		const float half = std::floor(row / 2);
		const BPoint left(o.x + 15 - half, o.y + 1 + row);
		const BPoint right(o.x + 15 + half, o.y + 1 + row);
		view->SetHighColor(255, 203, 0);
		view->StrokeLine(left, right);
		view->SetHighColor(kBlack);
		view->StrokeLine(left, left);
		view->StrokeLine(right, right);
	}
	view->StrokeLine(BPoint(o.x + 1, o.y + 30), BPoint(o.x + 29, o.y + 30));
	DrawMark(view, o.x + 14, o.y + 10, o.y + 27, false);
}

void DrawStopIcon(BView* view, BPoint o)
{
	view->SetHighColor(204, 0, 0);
	// An octagon: a square with its corners cut.
	for (float row = 0; row < kIconSize - 1; row++) {
		const float fromEdge = std::min(row, kIconSize - 2 - row);
		const float inset = std::max(0.0f, 9 - fromEdge);
		view->StrokeLine(BPoint(o.x + inset, o.y + row), BPoint(o.x + 30 - inset, o.y + row));
	}
	view->SetHighColor(kWhite);
	DrawMark(view, o.x + 14, o.y + 6, o.y + 25, false);
}

}  // namespace

// --- the background and its icons

// Paints the panel, the darker band at the left and the icon of the alert's kind.
class BAlert::AlertView : public BView {
public:
	AlertView(BRect frame, alert_type type)
		: BView(frame, "alert background", B_FOLLOW_ALL_SIDES, B_WILL_DRAW), fType(type)
	{
		SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	}

	void Draw(BRect) override
	{
		if (fType == B_EMPTY_ALERT)
			return;
		SetHighColor(kStripe);
		FillRect(BRect(0, 0, kStripeWidth - 1, Bounds().bottom));
		switch (fType) {
			case B_INFO_ALERT:
				DrawInfoIcon(this, kIconOrigin);
				break;
			case B_IDEA_ALERT:
				DrawIdeaIcon(this, kIconOrigin);
				break;
			case B_WARNING_ALERT:
				DrawWarningIcon(this, kIconOrigin);
				break;
			case B_STOP_ALERT:
				DrawStopIcon(this, kIconOrigin);
				break;
			case B_EMPTY_ALERT:
				break;
		}
	}

private:
	const alert_type fType;
};

// Where a blocked Go waits; lives on Go's stack until the alert is gone.
struct BAlert::Waiter {
	sem_id done = -1;
	int32 which = -1;
	std::shared_ptr<BPrivate::MessagePort> callerPort;  // parked while waiting
	std::mutex lock;        // orders parking against the alert going away
	bool finished = false;
};

// --- building and layout

BAlert::BAlert(const char* title, const char* text, const char* button1,
	const char* button2, const char* button3, button_width width, alert_type type)
	: BAlert(title, text, button1, button2, button3, width, B_EVEN_SPACING, type)
{
}

BAlert::BAlert(const char* title, const char* text, const char* button1,
	const char* button2, const char* button3, button_width width, button_spacing spacing,
	alert_type type)
	: BWindow(BRect(0, 0, kWidth - 1, 99), title, B_MODAL_WINDOW,
		B_NOT_RESIZABLE | B_NOT_CLOSABLE | B_NOT_ZOOMABLE | B_NOT_MINIMIZABLE),
	  fType(type)
{
	const char* const labels[3] = {button1, button2, button3};
	_Build(text, labels, width, spacing);
}

BAlert::~BAlert()
{
	delete fInvoker;
	if (fWaiter != nullptr) {
		// Unparked before the release, so nobody sees the caller idle while it wakes.
		{
			std::lock_guard<std::mutex> lock(fWaiter->lock);
			fWaiter->finished = true;
			if (fWaiter->callerPort != nullptr)
				fWaiter->callerPort->SetParked(false);
		}
		release_sem(fWaiter->done);
	}
}

void BAlert::_Build(const char* text, const char* const labels[3], button_width width,
	button_spacing spacing)
{
	auto* background = new AlertView(Bounds(), fType);
	AddChild(background);

	const float textLeft = fType == B_EMPTY_ALERT ? kMargin : kTextLeftWithIcon;
	const BRect textFrame(textLeft, kTextTop, kWidth - 1 - kMargin, kTextTop + 15);
	fTextView = new BTextView(textFrame, "_tv_",
		BRect(0, 0, textFrame.Width(), textFrame.Height()), B_FOLLOW_LEFT | B_FOLLOW_TOP,
		B_WILL_DRAW);
	fTextView->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	fTextView->SetLowColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	fTextView->MakeEditable(false);
	fTextView->MakeSelectable(false);
	fTextView->SetWordWrap(true);
	background->AddChild(fTextView);
	fTextView->SetText(text != nullptr ? text : "");
	const float textHeight = std::max(1, fTextView->CountLines()) * fTextView->LineHeight();
	fTextView->ResizeTo(textFrame.Width(), textHeight - 1);
	fTextView->SetTextRect(BRect(0, 0, textFrame.Width(), textHeight - 1));

	for (int32 i = 0; i < 3 && labels[i] != nullptr; i++) {
		const char* label = labels[i];
		auto* message = new BMessage(kButtonMessage);
		message->AddInt32("which", fButtonCount);
		fButtons[fButtonCount] = new BButton(BRect(0, 0, kUsualButtonWidth - 1, 0), label,
			label, message, B_FOLLOW_LEFT | B_FOLLOW_TOP);
		background->AddChild(fButtons[fButtonCount]);
		fButtonCount++;
	}

	float contentBottom = kTextTop + textHeight;
	if (fType != B_EMPTY_ALERT)
		contentBottom = std::max(contentBottom, kIconOrigin.y + kIconSize);
	_LayOutButtons(width, spacing, contentBottom + kMargin);

	// The rightmost button is the default: Enter chooses it.
	if (fButtonCount > 0)
		fButtons[fButtonCount - 1]->MakeDefault(true);

	const BRect screen = BScreen(this).Frame();
	const BRect frame = Frame();
	MoveTo(std::floor(screen.left + (screen.Width() - frame.Width()) / 2),
		std::floor(screen.top + (screen.Height() - frame.Height()) / 3));
}

// Buttons sit along the bottom, right-aligned; the window's height follows them.
// Only the background follows the window, so resizing it moves nothing else.
void BAlert::_LayOutButtons(button_width width, button_spacing spacing, float top)
{
	float widest = 0;
	float height = 0;
	for (int32 i = 0; i < fButtonCount; i++) {
		float preferredWidth = 0;
		float preferredHeight = 0;
		fButtons[i]->GetPreferredSize(&preferredWidth, &preferredHeight);
		widest = std::max(widest, preferredWidth);
		height = std::max(height, preferredHeight);
	}
	float right = kWidth - 1 - kMargin;
	for (int32 i = fButtonCount - 1; i >= 0; i--) {
		float buttonWidth = 0;
		fButtons[i]->GetPreferredSize(&buttonWidth, nullptr);
		if (width == B_WIDTH_AS_USUAL)
			buttonWidth = std::max(buttonWidth, kUsualButtonWidth);
		else if (width == B_WIDTH_FROM_WIDEST)
			buttonWidth = widest;
		fButtons[i]->ResizeTo(buttonWidth - 1, height - 1);
		fButtons[i]->MoveTo(right - (buttonWidth - 1), top);
		right -= buttonWidth + kButtonSpacing;
		if (i == 1 && spacing == B_OFFSET_SPACING)
			right -= kOffsetSpacing;
	}
	ResizeTo(kWidth - 1, top + height + kMargin - 1);
}

void BAlert::SetShortcut(int32 index, char key)
{
	if (index >= 0 && index < fButtonCount)
		fShortcuts[index] = key;
}

char BAlert::Shortcut(int32 index) const
{
	return index >= 0 && index < fButtonCount ? fShortcuts[index] : 0;
}

BButton* BAlert::ButtonAt(int32 index) const
{
	return index >= 0 && index < fButtonCount ? fButtons[index] : nullptr;
}

// --- choosing

void BAlert::MessageReceived(BMessage* message)
{
	int32 which = -1;
	if (message->what == kButtonMessage && message->FindInt32("which", &which) == B_OK) {
		_Choose(which);
		return;
	}
	BWindow::MessageReceived(message);
}

// A shortcut key chooses its button; Ctrl combinations stay the window's.
void BAlert::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (message->what == B_KEY_DOWN) {
		const char* bytes = nullptr;
		int32 modifiers = 0;
		message->FindInt32("modifiers", &modifiers);
		if (message->FindString("bytes", &bytes) == B_OK && bytes[0] != '\0'
			&& bytes[1] == '\0' && (modifiers & B_COMMAND_KEY) == 0) {
			for (int32 i = 0; i < fButtonCount; i++) {
				if (fShortcuts[i] != 0 && fShortcuts[i] == bytes[0]) {
					_Choose(i);
					return;
				}
			}
		}
	}
	BWindow::DispatchMessage(message, handler);
}

void BAlert::_Choose(int32 index)
{
	if (fChosen)
		return;
	fChosen = true;
	if (fWaiter != nullptr)
		fWaiter->which = index;
	if (fInvoker != nullptr && fInvoker->Message() != nullptr) {
		BMessage report(*fInvoker->Message());
		report.AddInt32("which", index);
		fInvoker->Invoke(&report);
	}
	Quit();
}

// --- Go

int32 BAlert::Go()
{
	Waiter waiter;
	waiter.done = create_sem(0, "alert choice");
	if (waiter.done < 0) {
		Quit();
		return -1;
	}
	if (BLooper* caller = BLooper::LooperForThread(find_thread(nullptr)))
		waiter.callerPort = BPrivate::LooperAccess::Port(caller);
	fWaiter = &waiter;
	Show();
	// A looper waiting here handles nothing until the choice, so the headless
	// screen's idle point must not wait for it. Parked only once the alert is
	// running, so nobody finds everything idle before the alert is on screen.
	{
		std::lock_guard<std::mutex> lock(waiter.lock);
		if (waiter.callerPort != nullptr && !waiter.finished)
			waiter.callerPort->SetParked(true);
	}
	while (acquire_sem(waiter.done) == B_INTERRUPTED) {
	}
	if (waiter.callerPort != nullptr)
		waiter.callerPort->SetParked(false);
	delete_sem(waiter.done);
	return waiter.which;
}

status_t BAlert::Go(BInvoker* invoker)
{
	fInvoker = invoker;
	Show();
	return B_OK;
}
