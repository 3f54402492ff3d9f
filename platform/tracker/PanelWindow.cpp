// Sections: construction and layout; the panel's calls; messages and keys; the
// folder shown; confirming (open, save and the replace question); sending.
#include "PanelWindow.h"

#include "PanelField.h"

#include <Alert.h>
#include <Button.h>
#include <Directory.h>
#include <Entry.h>
#include <FindDirectory.h>
#include <Invoker.h>
#include <ListView.h>
#include <Node.h>
#include <Path.h>
#include <ScrollView.h>
#include <StringItem.h>
#include <StringView.h>

#include <algorithm>
#include <cstring>

namespace BPrivate {

namespace {

enum {
	kGoUp = 'fpUp',
	kPathEntered = 'fpPa',
	kSelectionChanged = 'fpSl',
	kInvoked = 'fpIv',
	kDefaultPressed = 'fpOk',
	kCancelPressed = 'fpCn',
	kReplaceAnswered = 'fpRp',
};

const float kMargin = 8;
const float kFieldHeight = 20;
const float kButtonWidth = 80;
const char kTypeAttribute[] = "BEOS:TYPE";
const int32 kReplaceIndex = 1;  // the replace question's buttons: Cancel, Replace

BRect InitialFrame()
{
	return BRect(120, 90, 120 + 519, 90 + 379);
}

// A field inside a fancy border, which a scroll view without bars draws.
BScrollView* Bordered(PanelField* field, uint32 resizingMode)
{
	const std::string name = std::string(field->Name()) + " border";
	return new BScrollView(name.c_str(), field, resizingMode, 0, false, false, B_FANCY_BORDER);
}

std::string ParentOf(const std::string& path)
{
	const size_t slash = path.find_last_of('/');
	return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

std::string Child(const std::string& folder, const std::string& name)
{
	return folder == "/" ? "/" + name : folder + "/" + name;
}

// A typed path: absolute, from the home folder ("~"), or from the folder shown.
std::string Resolve(const std::string& typed, const std::string& folder)
{
	if (typed.empty() || typed[0] == '/')
		return typed;
	if (typed[0] == '~' && (typed.size() == 1 || typed[1] == '/')) {
		BPath home;
		if (find_directory(B_USER_DIRECTORY, &home) != B_OK)
			return std::string();
		return home.Path() + typed.substr(1);
	}
	return Child(folder, typed);
}

}  // namespace

// #pragma mark - construction and layout

PanelWindow::PanelWindow(BFilePanel* panel, const PanelSettings& settings)
	: BWindow(InitialFrame(), settings.mode == B_SAVE_PANEL ? "Save" : "Open",
		settings.modal ? B_MODAL_WINDOW : B_TITLED_WINDOW, 0),
	  fPanel(panel),
	  fMode(settings.mode),
	  fTarget(settings.target),
	  fFlavors(settings.flavors),
	  fMultiple(settings.multipleSelection),
	  fFilter(settings.filter),
	  fHideWhenDone(settings.hideWhenDone)
{
	SetMessage(settings.message);
	SetSizeLimits(360, 4000, 240, 4000);
	_Build();
	if (SetFolder(settings.folder.c_str()) != B_OK)
		SetFolder("/");
}

PanelWindow::~PanelWindow()
{
	_ClearList();
}

void PanelWindow::_Build()
{
	BView* background = new BView(Bounds(), "background", B_FOLLOW_ALL, B_WILL_DRAW);
	background->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	AddChild(background);
	const float top = _BuildTopRow(background);
	// The buttons' place comes first, but the views go in before them, so Tab
	// reads the panel from the top down.
	const float bottom = _BuildButtons(background);
	const float nameRow = fMode == B_SAVE_PANEL ? kFieldHeight + 4 + kMargin : 0;
	_BuildList(background, top, bottom - nameRow);
	if (fMode == B_SAVE_PANEL)
		_BuildNameRow(background, bottom);
	fDefaultButton->MakeDefault(true);
	if (fNameField != nullptr)
		fNameField->MakeFocus(true);
	else
		fList->MakeFocus(true);
}

// The parent-folder button and the path field; returns the row's bottom.
float PanelWindow::_BuildTopRow(BView* parent)
{
	const float right = parent->Bounds().right - kMargin;
	fUpButton = new BButton(BRect(kMargin, kMargin, kMargin + 59, kMargin), "parent", "Up",
		new BMessage(kGoUp));
	parent->AddChild(fUpButton);
	const float rowHeight = std::max(fUpButton->Frame().Height(), kFieldHeight + 4);
	const float fieldTop = kMargin + (rowHeight - kFieldHeight) / 2;
	fPathField = new PanelField(BRect(fUpButton->Frame().right + 10, fieldTop, right - 2,
		fieldTop + kFieldHeight), "path", B_FOLLOW_ALL, B_PATH_NAME_LENGTH - 1);
	fPathField->SetEnterMessage(new BMessage(kPathEntered));
	parent->AddChild(Bordered(fPathField, B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP));
	return kMargin + rowHeight;
}

// Cancel and the default button at the bottom right; returns the space left above.
float PanelWindow::_BuildButtons(BView* parent)
{
	const BRect bounds = parent->Bounds();
	const uint32 corner = B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM;
	fDefaultButton = new BButton(BRect(bounds.right - kMargin - kButtonWidth, 0,
		bounds.right - kMargin, 0), "default", fMode == B_SAVE_PANEL ? "Save" : "Open",
		new BMessage(kDefaultPressed), corner);
	const float height = fDefaultButton->Frame().Height();
	const float top = bounds.bottom - kMargin - height;
	fDefaultButton->MoveTo(fDefaultButton->Frame().left, top);
	const float cancelRight = fDefaultButton->Frame().left - 10;
	fCancelButton = new BButton(BRect(cancelRight - kButtonWidth, top, cancelRight, top),
		"cancel", "Cancel", new BMessage(kCancelPressed), corner);
	parent->AddChild(fCancelButton);
	parent->AddChild(fDefaultButton);
	return top - kMargin;
}

void PanelWindow::_BuildNameRow(BView* parent, float bottom)
{
	const float right = parent->Bounds().right - kMargin;
	const float top = bottom - kFieldHeight - 2;
	const uint32 follow = B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM;
	parent->AddChild(new BStringView(BRect(kMargin, top + 2, kMargin + 45, top + 18),
		"name label", "Name:", B_FOLLOW_LEFT | B_FOLLOW_BOTTOM), fCancelButton);
	fNameField = new PanelField(BRect(kMargin + 52, top, right - 2, top + kFieldHeight),
		"name", B_FOLLOW_ALL, B_FILE_NAME_LENGTH - 1);
	parent->AddChild(Bordered(fNameField, follow), fCancelButton);
}

void PanelWindow::_BuildList(BView* parent, float top, float bottom)
{
	BRect frame(kMargin, top + kMargin, parent->Bounds().right - kMargin, bottom);
	frame.right -= B_V_SCROLL_BAR_WIDTH;
	frame.InsetBy(2, 2);  // inside the fancy border
	fList = new BListView(frame, "list",
		fMultiple ? B_MULTIPLE_SELECTION_LIST : B_SINGLE_SELECTION_LIST, B_FOLLOW_ALL);
	fList->SetSelectionMessage(new BMessage(kSelectionChanged));
	fList->SetInvocationMessage(new BMessage(kInvoked));
	parent->AddChild(new BScrollView("list scroll", fList, B_FOLLOW_ALL, 0, false, true,
		B_FANCY_BORDER), fCancelButton);
}

// #pragma mark - the panel's calls

void PanelWindow::ShowPanel()
{
	if (IsHidden())
		Show();
	Activate();
}

// Every way the panel goes away ends here, so the target always hears of it.
void PanelWindow::HidePanel()
{
	if (IsHidden())
		return;
	Hide();
	// A save waiting for the replace question is abandoned with the panel.
	fPendingFolder.clear();
	fPendingName.clear();
	BMessage cancel(B_CANCEL);
	cancel.AddInt32("old_what", (int32)_MessageWhat());
	cancel.AddPointer("source", fPanel);
	fPanel->SendMessage(&fTarget, &cancel);
	fPanel->WasHidden();
}

void PanelWindow::SetMessage(const BMessage* message)
{
	fMessage.reset(message != nullptr ? new BMessage(*message) : nullptr);
}

void PanelWindow::SetFilter(BRefFilter* filter)
{
	fFilter = filter;
	Refresh();
}

void PanelWindow::SetSaveText(const char* text)
{
	if (fNameField != nullptr)
		fNameField->SetTextAtEnd(text != nullptr ? text : "");
}

void PanelWindow::SetButtonLabel(file_panel_button button, const char* label)
{
	BButton* which = button == B_CANCEL_BUTTON ? fCancelButton : fDefaultButton;
	which->SetLabel(label != nullptr ? label : "");
}

status_t PanelWindow::NextSelectedRef(entry_ref* ref)
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	const FolderEntry* entry = _Selected(fNextSelected);
	if (entry == nullptr)
		return B_ENTRY_NOT_FOUND;
	fNextSelected++;
	*ref = entry->ref;
	return B_OK;
}

// #pragma mark - messages and keys

void PanelWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (handler == this) {
		// The close box hides the panel; only the panel's end quits the window.
		if (message->what == B_QUIT_REQUESTED) {
			HidePanel();
			return;
		}
		if (message->what == B_KEY_DOWN && _HandleKey(message))
			return;
	}
	BWindow::DispatchMessage(message, handler);
}

// Escape cancels; Enter belongs to the path field and the list while they have the
// focus, and to the default button otherwise.
bool PanelWindow::_HandleKey(BMessage* message)
{
	const char* bytes = message->GetString("bytes", "");
	if (strcmp(bytes, "\x1b") == 0) {
		HidePanel();
		return true;
	}
	if (strcmp(bytes, "\n") != 0)
		return false;
	if (CurrentFocus() == fPathField) {
		fPathField->KeyDown(bytes, 1);
		return true;
	}
	if (CurrentFocus() == fList) {
		if (fList->CurrentSelection() >= 0)
			_Invoked();
		return true;
	}
	return false;
}

void PanelWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kGoUp:
			_GoUp();
			break;
		case kPathEntered:
			_PathEntered();
			break;
		case kSelectionChanged:
			_SelectionChanged();
			break;
		case kInvoked:
			_Invoked();
			break;
		case kDefaultPressed:
			_DefaultPressed();
			break;
		case kCancelPressed:
			HidePanel();
			break;
		case kReplaceAnswered:
			_ReplaceAnswered(message);
			break;
		default:
			BWindow::MessageReceived(message);
	}
}

// #pragma mark - the folder shown

status_t PanelWindow::SetFolder(const char* path)
{
	if (path == nullptr || path[0] == '\0')
		return B_BAD_VALUE;
	BPath normalized(path, nullptr, true);
	status_t status = normalized.InitCheck();
	if (status != B_OK)
		return status;
	FolderListing listing;
	status = listing.Read(normalized.Path(), fFlavors,
		[this](const entry_ref& ref, bool) { return _Accepts(ref); });
	if (status != B_OK)
		return status;
	fListing = std::move(listing);
	_ShowListing();
	return B_OK;
}

void PanelWindow::Refresh()
{
	std::vector<std::string> selected;
	for (int32 i = 0; _Selected(i) != nullptr; i++)
		selected.push_back(_Selected(i)->name);
	if (SetFolder(Folder().c_str()) != B_OK)
		SetFolder(ParentOf(Folder()).c_str());
	for (const std::string& name : selected) {
		const int32 index = fListing.IndexOf(name.c_str());
		if (index >= 0)
			fList->Select(index, true);
	}
}

void PanelWindow::_ShowListing()
{
	_ClearList();
	for (const FolderEntry& entry : fListing.Entries()) {
		const std::string label = entry.isDirectory ? entry.name + "/" : entry.name;
		fList->AddItem(new BStringItem(label.c_str()));
	}
	fList->ScrollTo(0, 0);
	fPathField->SetTextAtEnd(Folder().c_str());
	fUpButton->SetEnabled(Folder() != "/");
	fNextSelected = 0;
	_UpdateButtons();
}

void PanelWindow::_ClearList()
{
	if (fList == nullptr)
		return;
	fList->DeselectAll();
	while (!fList->IsEmpty())
		delete fList->RemoveItem(fList->CountItems() - 1);
}

void PanelWindow::_GoUp()
{
	if (Folder() != "/")
		SetFolder(ParentOf(Folder()).c_str());
}

// A path that names no readable folder leaves the panel where it was.
void PanelWindow::_PathEntered()
{
	const std::string path = Resolve(fPathField->Text(), Folder());
	if (path.empty() || SetFolder(path.c_str()) != B_OK)
		fPathField->SetTextAtEnd(Folder().c_str());
}

bool PanelWindow::_Accepts(const entry_ref& ref) const
{
	if (fFilter == nullptr)
		return true;
	BNode node(&ref);
	struct stat st = {};
	if (node.GetStat(&st) != B_OK)
		BEntry(&ref).GetStat(&st);
	char type[B_MIME_TYPE_LENGTH] = "";
	const ssize_t length = node.InitCheck() == B_OK
		? node.ReadAttr(kTypeAttribute, B_MIME_STRING_TYPE, 0, type, sizeof type - 1) : 0;
	type[length > 0 ? length : 0] = '\0';
	return fFilter->Filter(&ref, &node, &st, type);
}

const FolderEntry* PanelWindow::_Selected(int32 i) const
{
	const int32 index = fList->CurrentSelection(i);
	if (index < 0 || index >= (int32)fListing.Entries().size())
		return nullptr;
	return &fListing.Entries()[index];
}

void PanelWindow::_SelectionChanged()
{
	const FolderEntry* first = _Selected(0);
	if (fNameField != nullptr && first != nullptr && !first->isDirectory
		&& _Selected(1) == nullptr)
		fNameField->SetTextAtEnd(first->name.c_str());
	fNextSelected = 0;
	_UpdateButtons();
	fPanel->SelectionChanged();
}

// The open button has nothing to do without a selection.
void PanelWindow::_UpdateButtons()
{
	if (fMode == B_OPEN_PANEL)
		fDefaultButton->SetEnabled(_Selected(0) != nullptr);
}

// #pragma mark - confirming

// A double-click or Enter in the list: a folder opens, a file confirms.
void PanelWindow::_Invoked()
{
	const FolderEntry* first = _Selected(0);
	if (first == nullptr)
		return;
	if (first->isDirectory && _Selected(1) == nullptr) {
		SetFolder(Child(Folder(), first->name).c_str());
		return;
	}
	if (fMode == B_OPEN_PANEL)
		_Open(false);
	else if (!first->isDirectory)
		_Save(first->name);
}

void PanelWindow::_DefaultPressed()
{
	if (fMode == B_SAVE_PANEL)
		_Save(fNameField->Text());
	else
		_Open((fFlavors & B_DIRECTORY_NODE) != 0);
}

// Sends the selected refs, folders among them only when sendFolders; a selection
// with nothing to send opens its first folder.
void PanelWindow::_Open(bool sendFolders)
{
	BMessage message = _PanelMessage();
	const FolderEntry* firstFolder = nullptr;
	for (int32 i = 0; _Selected(i) != nullptr; i++) {
		const FolderEntry* entry = _Selected(i);
		if (entry->isDirectory && !sendFolders) {
			if (firstFolder == nullptr)
				firstFolder = entry;
			continue;
		}
		message.AddRef("refs", &entry->ref);
	}
	if (!message.HasRef("refs")) {
		if (firstFolder != nullptr)
			SetFolder(Child(Folder(), firstFolder->name).c_str());
		return;
	}
	fPanel->SendMessage(&fTarget, &message);
	_Done();
}

// An empty name or one with a slash sends nothing; a folder's name opens it; an
// existing entry is replaced only when the user agrees.
void PanelWindow::_Save(const std::string& name)
{
	if (name.empty() || name.find('/') != std::string::npos)
		return;
	const std::string path = Child(Folder(), name);
	if (BEntry(path.c_str(), true).IsDirectory()) {
		if (SetFolder(path.c_str()) == B_OK)
			fNameField->SetText("");
		return;
	}
	if (BEntry(path.c_str()).Exists()) {
		_AskReplace(name);
		return;
	}
	_SendSave(Folder(), name);
}

// The window goes on while the question is up: the answer arrives as a message.
void PanelWindow::_AskReplace(const std::string& name)
{
	fPendingFolder = Folder();
	fPendingName = name;
	const std::string text = "\"" + name + "\" already exists. Do you want to replace it?";
	BAlert* alert = new BAlert("Replace?", text.c_str(), "Cancel", "Replace", nullptr,
		B_WIDTH_AS_USUAL, B_WARNING_ALERT);
	alert->SetShortcut(0, B_ESCAPE);
	alert->Go(new BInvoker(new BMessage(kReplaceAnswered), this));
}

void PanelWindow::_ReplaceAnswered(BMessage* answer)
{
	const std::string folder = std::move(fPendingFolder);
	const std::string name = std::move(fPendingName);
	if (answer->GetInt32("which", -1) == kReplaceIndex && !name.empty())
		_SendSave(folder, name);
}

void PanelWindow::_SendSave(const std::string& folder, const std::string& name)
{
	entry_ref directory;
	if (BEntry(folder.c_str()).GetRef(&directory) != B_OK)
		return;
	BMessage message = _PanelMessage();
	message.AddRef("directory", &directory);
	message.AddString("name", name.c_str());
	fPanel->SendMessage(&fTarget, &message);
	_Done();
}

// #pragma mark - sending

// After a confirm: the panel goes away when it hides when done, telling the target.
void PanelWindow::_Done()
{
	if (fHideWhenDone)
		HidePanel();
}

uint32 PanelWindow::_MessageWhat() const
{
	if (fMessage != nullptr)
		return fMessage->what;
	return fMode == B_SAVE_PANEL ? (uint32)B_SAVE_REQUESTED : (uint32)B_REFS_RECEIVED;
}

BMessage PanelWindow::_PanelMessage() const
{
	return fMessage != nullptr ? BMessage(*fMessage) : BMessage(_MessageWhat());
}

}  // namespace BPrivate
