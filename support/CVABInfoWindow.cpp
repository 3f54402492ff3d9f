#include "CVABInfoWindow.h"

#include "LayoutFunctions.h"
#include "MyEntryTextView.h"
#include "RecordActions.h"

#include <Button.h>

namespace {

constexpr uint32 kWebPageCommand = 'awwb';
constexpr uint32 kCancelCommand = 'acnc';

}  // namespace

CVABInfoWindow::CVABInfoWindow(const char* text, float textBottomInset, const char* url)
	: CVABDialogWindow(CenterOnScreen(BRect(120, 120, 400, 325)),
		"About Corvane Address Book LITE", B_MODAL_WINDOW, B_NOT_RESIZABLE | B_NOT_ZOOMABLE,
		kCancelCommand)
{
	const float w = Bounds().Width();
	const float h = Bounds().Height();

	// A plain background: never a Tab stop.
	fBackground = new BView(Bounds(), "FindDialogView", B_FOLLOW_ALL, B_WILL_DRAW);
	fBackground->SetViewColor(216, 216, 216);
	AddChild(fBackground);

	fCancelButton = new BButton(BRect(w / 2 + 19, h - 32, w / 2 + 82, h - 16), "Cancel_Button",
		"Cancel", new BMessage(kCancelCommand), B_FOLLOW_LEFT | B_FOLLOW_TOP,
		B_WILL_DRAW | B_NAVIGABLE);
	fBackground->AddChild(fCancelButton);

	const BRect textFrame(10, 10, w - 10, h - textBottomInset);
	auto* textView = new MyEntryTextView(textFrame, "AboutTextView", textFrame, B_FOLLOW_ALL,
		B_WILL_DRAW | B_FRAME_EVENTS);
	textView->MakeSelectable(false);
	textView->SetText(text);
	fBackground->AddChild(textView);

	auto* webMessage = new BMessage(kWebPageCommand);
	webMessage->AddString("URL", url);
	fWebButton = new BButton(BRect(w / 2 - 81, h - 32, w / 2 - 18, h - 16), "Web_Button",
		"Web Page", webMessage, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
	fBackground->AddChild(fWebButton);
	SetDefaultButton(fWebButton);
}

CVABInfoWindow::~CVABInfoWindow() = default;

void CVABInfoWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kWebPageCommand:
			LaunchBrowserFromMessage(message);
			PostMessage(B_QUIT_REQUESTED);
			break;
		case kCancelCommand:
			PostMessage(B_QUIT_REQUESTED);
			break;
		case B_KEY_DOWN:
			// Keys that no view takes are dropped here.
			break;
		default:
			CVABDialogWindow::MessageReceived(message);
			break;
	}
}

bool CVABInfoWindow::QuitRequested()
{
	return true;
}
