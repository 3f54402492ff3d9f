#include "CVABFindWindow.h"

#include "ABListView.h"
#include "BookMenus.h"
#include "CVABWindow.h"
#include "CommandCodes.h"
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

CVABFindWindow::CVABFindWindow(CVABWindow* owner)
	: BWindow(BRect(120, 120, 470, 230), "Find", B_DOCUMENT_WINDOW,
		B_NOT_RESIZABLE | B_NOT_ZOOMABLE),
	  fOwner(owner)
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
			_Search();
			break;
		case kFindAgainCommand:
			_SearchAgain();
			break;
		case kFindAllCommand:
			break;
		case kCancelCommand:
			PostMessage(B_QUIT_REQUESTED);
			break;
		default:
			BWindow::MessageReceived(message);
			break;
	}
}

bool CVABFindWindow::QuitRequested()
{
	return true;
}

// The book window locked, or null when it has gone.
CVABWindow* CVABFindWindow::_LockOwner() const
{
	if (!fOwner.LockTarget())
		return nullptr;
	BLooper* looper = nullptr;
	fOwner.Target(&looper);
	return static_cast<CVABWindow*>(looper);
}

void CVABFindWindow::_Search()
{
	assert(IsLocked());
	CVABWindow* owner = _LockOwner();
	if (owner == nullptr)
		return;
	const CVABook* book = owner->Book();
	_ShowResult(owner, book != nullptr ? fSearch.Start(*book, fSearchField->FieldText()) : nullptr);
	owner->Unlock();
}

void CVABFindWindow::_SearchAgain()
{
	assert(IsLocked());
	CVABWindow* owner = _LockOwner();
	if (owner == nullptr)
		return;
	const CVABook* book = owner->Book();
	_ShowResult(owner, book != nullptr ? fSearch.Continue(*book) : nullptr);
	owner->Unlock();
}

// With the owner locked: select the match, and let Search Again and Find Next
// say whether there is more to continue.
void CVABFindWindow::_ShowResult(CVABWindow* owner, const ABookRecord* found)
{
	const bool more = found != nullptr;
	fSearchAgainButton->SetEnabled(more);
	if (owner->Menus() != nullptr)
		owner->Menus()->SetFindNextEnabled(more);
	if (found != nullptr && owner->ListView() != nullptr)
		owner->ListView()->SelectRecord(found);
}
