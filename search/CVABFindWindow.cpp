#include "CVABFindWindow.h"

#include "CVABook.h"
#include "LockedBookWindow.h"
#include "MyEntryTextView.h"

#include <Button.h>
#include <StringView.h>

#include <cassert>

namespace {

constexpr uint32 kSearchCommand = 'fsch';
constexpr uint32 kFindAllCommand = 'fall';
constexpr uint32 kCancelCommand = 'fcnc';

BButton* AddButton(BView* parent, BRect frame, const char* name, const char* label,
	uint32 command)
{
	auto* button = new BButton(frame, name, label, new BMessage(command),
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
	parent->AddChild(button);
	return button;
}

}  // namespace

CVABFindWindow::CVABFindWindow(const BMessenger& bookWindow)
	: CVABDialogWindow(BRect(120, 120, 470, 230), "Find", B_DOCUMENT_WINDOW,
		B_NOT_RESIZABLE | B_NOT_ZOOMABLE, kCancelCommand),
	  fBookWindow(bookWindow)
{
	_BuildViews();
	AddShortcut('G', 0, new BMessage(kFindAgainCommand));
}

CVABFindWindow::~CVABFindWindow() = default;

// The background is no Tab stop and the search field is one, so Tab cycles
// through the field and the enabled buttons.
void CVABFindWindow::_BuildViews()
{
	auto* background = new BView(Bounds(), "FindDialogView", B_FOLLOW_ALL,
		B_WILL_DRAW | B_NAVIGABLE_JUMP);
	background->SetViewColor(216, 216, 216);
	AddChild(background);

	background->AddChild(new BStringView(BRect(38, 28, 90, 43), "fstr", "Search For",
		B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW));

	// No byte limit: the key filter alone stops typing, at 41 bytes.
	fSearchField = new MyEntryTextView(BRect(95, 24, 210, 48), "", BRect(5, 5, 106, 22),
		B_FOLLOW_ALL, B_WILL_DRAW | B_PULSE_NEEDED | B_NAVIGABLE);
	fSearchField->SetWordWrap(false);
	background->AddChild(fSearchField);

	fSearchButton = AddButton(background, BRect(25, 70, 70, 90), "Search_Button", "Search",
		kSearchCommand);
	fSearchAgainButton = AddButton(background, BRect(95, 70, 170, 90), "SearchAgain_Button",
		"Search Again", kFindAgainCommand);
	fSearchAgainButton->SetEnabled(false);
	fFindAllButton = AddButton(background, BRect(195, 70, 250, 90), "FindAll_Button",
		"Find All", kFindAllCommand);
	fFindAllButton->SetEnabled(false);
	fCancelButton = AddButton(background, BRect(275, 70, 325, 90), "Cancel_Button", "Cancel",
		kCancelCommand);

	SetDefaultButton(fSearchButton);
	fSearchField->MakeFocus(true);
}

void CVABFindWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kSearchCommand:
			_Search(false);
			break;
		case kFindAgainCommand:
			_Search(true);
			break;
		case kFindAllCommand:
			break;
		case kCancelCommand:
			PostMessage(B_QUIT_REQUESTED);
			break;
		default:
			CVABDialogWindow::MessageReceived(message);
			break;
	}
}

bool CVABFindWindow::QuitRequested()
{
	return true;
}

void CVABFindWindow::_Search(bool again)
{
	assert(IsLocked());
	const LockedBookWindow bookWindow(fBookWindow);
	if (!bookWindow)
		return;
	const CVABook* book = bookWindow->Book();
	const ABookRecord* found = nullptr;
	if (book != nullptr)
		found = again ? fSearch.Continue(*book) : fSearch.Start(*book, fSearchField->FieldText());
	_ShowResult(bookWindow.Window(), found);
}

// With the book window locked: select the match, and let Search Again and Find
// Next say whether there is more to continue.
void CVABFindWindow::_ShowResult(BookWindowAccess* bookWindow, const ABookRecord* found)
{
	const bool more = found != nullptr;
	fSearchAgainButton->SetEnabled(more);
	bookWindow->SetFindNextEnabled(more);
	if (found != nullptr)
		bookWindow->SelectRecord(found);
}
