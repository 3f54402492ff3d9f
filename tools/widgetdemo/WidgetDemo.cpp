// A window holding one of each widget of the interface kit, wired together so that
// what one does shows in the others: a menu bar with shortcuts, a check mark, a
// submenu and a disabled menu; a text field; a list in a scroll view; buttons (one
// of them the default, one disabled until rows are selected); alerts (a blocking
// one from Help, an answered-later one before removing rows); open and save panels
// that load rows from a text file and save them to one; and a status line.
//
// Sections: commands; the window's views; the window's commands.
//
// Run it with `build/tools/widgetdemo/widgetdemo`; `--quit-after MS` closes it by
// itself (the smoke test runs it that way on the headless screen).
#include "DemoApp.h"

#include <Alert.h>
#include <Application.h>
#include <Button.h>
#include <FilePanel.h>
#include <Invoker.h>
#include <ListView.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Path.h>
#include <ScrollView.h>
#include <StringView.h>
#include <TextView.h>
#include <View.h>
#include <Window.h>

#include <Message.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// --- commands

enum : uint32 {
	kAddRow = 'addr',
	kRemoveRows = 'remr',
	kRowsSelected = 'rsel',
	kRowInvoked = 'rinv',
	kCloseWindow = 'clos',
	kRenameRow = 'renr',
	kToggleStripes = 'strp',
	kSortRows = 'sort',
	kRemoveAnswered = 'rema',
	kAbout = 'abou',
	kLoadRows = 'load',
	kSaveRows = 'save',
};

const float kMenuBarHeight = 20;
const size_t kMostRowsLoaded = 100000;


// --- the window's views

class WidgetWindow : public BWindow {
public:
	WidgetWindow()
		: BWindow(BRect(100, 80, 659, 499), "Widget demo", B_TITLED_WINDOW, 0)
	{
		SetSizeLimits(420, 2000, 300, 2000);
		_BuildMenus();
		BMessenger self(this);
		fOpenPanel = std::make_unique<BFilePanel>(B_OPEN_PANEL, &self, nullptr, 0, false);
		fSavePanel = std::make_unique<BFilePanel>(B_SAVE_PANEL, &self);
		BView* background = demo::AddBackground(this, kMenuBarHeight);
		const BRect bounds = background->Bounds();

		background->AddChild(new BStringView(BRect(10, 12, 50, 28), "name label", "Name:"));
		fName = new BTextView(BRect(55, 8, bounds.right - 170, 30), "name",
			BRect(4, 4, 2000, 18), B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
			B_WILL_DRAW | B_PULSE_NEEDED | B_NAVIGABLE);
		fName->SetWordWrap(false);
		fName->SetMaxBytes(40);
		background->AddChild(fName);
		_BuildList(background, BRect(10, 40, bounds.right - 170, bounds.bottom - 60));
		_BuildButtons(background, bounds.right - 150);
		fStatus = new BStringView(BRect(10, bounds.bottom - 44, bounds.right - 170,
			bounds.bottom - 28), "status", "Click, Shift-click or Ctrl-click rows; "
			"double-click or Enter opens one.", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM);
		background->AddChild(fStatus);
	}

	~WidgetWindow() override
	{
		while (!fList->IsEmpty())
			delete fList->RemoveItem(fList->CountItems() - 1);
	}

	bool QuitRequested() override
	{
		be_app->PostMessage(B_QUIT_REQUESTED);
		return true;
	}

	void MessageReceived(BMessage* message) override;

private:
	void _BuildList(BView* parent, BRect frame)
	{
		frame.right -= B_V_SCROLL_BAR_WIDTH;
		frame.bottom -= B_H_SCROLL_BAR_HEIGHT;
		frame.InsetBy(2, 2);  // inside the fancy border
		fList = new BListView(frame, "rows", B_MULTIPLE_SELECTION_LIST, B_FOLLOW_ALL);
		fList->SetSelectionMessage(new BMessage(kRowsSelected));
		fList->SetInvocationMessage(new BMessage(kRowInvoked));
		for (int32 i = 0; i < 1000; i++)
			_AppendRow();
		parent->AddChild(new BScrollView("rows scroll", fList, B_FOLLOW_ALL, 0, true, true,
			B_FANCY_BORDER));
	}

	void _BuildMenus()
	{
		BMenuBar* bar = new BMenuBar(BRect(0, 0, Bounds().right, kMenuBarHeight - 1), "menu bar");
		BMenu* rows = new BMenu("Rows");
		rows->AddItem(new BMenuItem("Add a row", new BMessage(kAddRow), 'N'));
		fRemoveItem = new BMenuItem("Remove selected", new BMessage(kRemoveRows), 'D');
		fRemoveItem->SetEnabled(false);
		rows->AddItem(fRemoveItem);
		rows->AddItem(new BMenuItem("Rename selected", new BMessage(kRenameRow), 'R'));
		BMenu* sort = new BMenu("Sort");
		BMessage* up = new BMessage(kSortRows);
		up->AddBool("descending", false);
		sort->AddItem(new BMenuItem("A to Z", up));
		BMessage* down = new BMessage(kSortRows);
		down->AddBool("descending", true);
		sort->AddItem(new BMenuItem("Z to A", down));
		rows->AddItem(sort);
		rows->AddSeparatorItem();
		rows->AddItem(new BMenuItem("Load rows...", new BMessage(kLoadRows), 'O'));
		rows->AddItem(new BMenuItem("Save rows as...", new BMessage(kSaveRows), 'S'));
		rows->AddSeparatorItem();
		rows->AddItem(new BMenuItem("Close", new BMessage(kCloseWindow), 'W'));
		bar->AddItem(rows);
		BMenu* view = new BMenu("View");
		fStripesItem = new BMenuItem("Mark rows", new BMessage(kToggleStripes));
		view->AddItem(fStripesItem);
		bar->AddItem(view);
		BMenu* later = new BMenu("Disabled");
		later->AddItem(new BMenuItem("Never chosen", new BMessage(kAddRow), 'L'));
		bar->AddItem(later);
		later->SetEnabled(false);
		BMenu* help = new BMenu("Help");
		help->AddItem(new BMenuItem("About...", new BMessage(kAbout)));
		bar->AddItem(help);
		AddChild(bar);
	}

	void _BuildButtons(BView* parent, float left)
	{
		const float right = left + 139;
		parent->AddChild(new BButton(BRect(left, 40, right, 64), "add", "Add a row",
			new BMessage(kAddRow), B_FOLLOW_RIGHT | B_FOLLOW_TOP));
		parent->AddChild(new BButton(BRect(left, 74, right, 98), "rename", "Rename selected",
			new BMessage(kRenameRow), B_FOLLOW_RIGHT | B_FOLLOW_TOP));
		fRemove = new BButton(BRect(left, 108, right, 132), "remove", "Remove selected",
			new BMessage(kRemoveRows), B_FOLLOW_RIGHT | B_FOLLOW_TOP);
		fRemove->SetEnabled(false);
		parent->AddChild(fRemove);
		const BRect bounds = parent->Bounds();
		BButton* close = new BButton(BRect(left, bounds.bottom - 34, right, bounds.bottom - 10),
			"close", "Close", new BMessage(kCloseWindow), B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM);
		parent->AddChild(close);
		close->MakeDefault(true);
	}

	void _AppendRow()
	{
		char label[32];
		snprintf(label, sizeof label, "Row %d", (int)++fRowsMade);
		fList->AddItem(new BStringItem(label));
	}

	void _ShowSelection();
	void _ShowPanel(BFilePanel* panel);
	void _LoadRows(BMessage* message);
	void _SaveRows(BMessage* message);
	void _AskToRemove();
	void _RemoveSelected();
	void _RenameSelected();
	void _SortRows(bool descending);

	BListView* fList = nullptr;
	BTextView* fName = nullptr;
	BButton* fRemove = nullptr;
	BMenuItem* fRemoveItem = nullptr;
	BMenuItem* fStripesItem = nullptr;
	BStringView* fStatus = nullptr;
	int32 fRowsMade = 0;
	std::unique_ptr<BFilePanel> fOpenPanel;
	std::unique_ptr<BFilePanel> fSavePanel;
	bool fPanelConfirmed = false;  // a panel hides (and cancels) after a confirm too
};

// --- the window's commands

void WidgetWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kAddRow:
			_AppendRow();
			fList->Select(fList->CountItems() - 1);
			fList->ScrollToSelection();
			break;
		case kRemoveRows:
			_AskToRemove();
			break;
		case kRemoveAnswered:
			if (message->GetInt32("which", 0) == 1)
				_RemoveSelected();
			else
				fStatus->SetText("Nothing removed.");
			break;
		case kLoadRows:
			_ShowPanel(fOpenPanel.get());
			break;
		case kSaveRows:
			_ShowPanel(fSavePanel.get());
			break;
		case B_REFS_RECEIVED:
			_LoadRows(message);
			break;
		case B_SAVE_REQUESTED:
			_SaveRows(message);
			break;
		case B_CANCEL:
			if (!fPanelConfirmed)
				fStatus->SetText("Nothing loaded or saved.");
			break;
		case kAbout: {
			// Go() blocks this window until the alert is answered.
			auto* about = new BAlert("About", "The widget demo shows every widget of the "
				"interface kit at work.", "Thanks", "Tell me more", nullptr, B_WIDTH_AS_USUAL,
				B_IDEA_ALERT);
			const int32 which = about->Go();
			fStatus->SetText(which == 1 ? "Try the menus, the list and the buttons."
				: "About closed.");
			break;
		}
		case kRowsSelected:
			_ShowSelection();
			break;
		case kRowInvoked: {
			const int32 index = message->GetInt32("index", -1);
			auto* item = dynamic_cast<BStringItem*>(fList->ItemAt(index));
			if (item != nullptr)
				fStatus->SetText((std::string("Opened ") + item->Text()).c_str());
			break;
		}
		case kCloseWindow:
			PostMessage(B_QUIT_REQUESTED);
			break;
		case kRenameRow:
			_RenameSelected();
			break;
		case kSortRows:
			_SortRows(message->GetBool("descending", false));
			break;
		case kToggleStripes:
			// Only the check mark changes: it shows SetMarked at work.
			fStripesItem->SetMarked(!fStripesItem->IsMarked());
			fStatus->SetText(fStripesItem->IsMarked() ? "Rows marked." : "Rows unmarked.");
			break;
		default:
			BWindow::MessageReceived(message);
	}
}

void WidgetWindow::_ShowSelection()
{
	int32 count = 0;
	while (fList->CurrentSelection(count) >= 0)
		count++;
	fRemove->SetEnabled(count > 0);
	fRemoveItem->SetEnabled(count > 0);
	char text[96];
	if (count == 0)
		snprintf(text, sizeof text, "No row selected; %d rows.", (int)fList->CountItems());
	else
		snprintf(text, sizeof text, "%d selected, the first is row %d of %d.", (int)count,
			(int)fList->CurrentSelection(0) + 1, (int)fList->CountItems());
	fStatus->SetText(text);
}

void WidgetWindow::_ShowPanel(BFilePanel* panel)
{
	fPanelConfirmed = false;
	panel->Show();
}

// Each line of the chosen file becomes a row.
void WidgetWindow::_LoadRows(BMessage* message)
{
	fPanelConfirmed = true;
	entry_ref ref;
	if (message->FindRef("refs", &ref) != B_OK)
		return;
	const BPath path(&ref);
	std::ifstream in(path.Path());
	if (!in) {
		fStatus->SetText((std::string("Cannot read ") + ref.name).c_str());
		return;
	}
	std::vector<std::string> lines;
	for (std::string line; std::getline(in, line) && lines.size() < kMostRowsLoaded;) {
		if (!line.empty())
			lines.push_back(line);
	}
	while (!fList->IsEmpty())
		delete fList->RemoveItem(fList->CountItems() - 1);
	for (const std::string& line : lines)
		fList->AddItem(new BStringItem(line.c_str()));
	_ShowSelection();
	fStatus->SetText((std::to_string(lines.size()) + " rows loaded from " + ref.name).c_str());
}

// One row a line; written to a new file first, so a failed save leaves the old one.
void WidgetWindow::_SaveRows(BMessage* message)
{
	fPanelConfirmed = true;
	entry_ref folder;
	const char* name = nullptr;
	if (message->FindRef("directory", &folder) != B_OK
		|| message->FindString("name", &name) != B_OK)
		return;
	const BPath path(BPath(&folder).Path(), name);
	const std::string temporary = std::string(path.Path()) + ".partial";
	std::ofstream out(temporary, std::ios::trunc);
	for (int32 i = 0; out && i < fList->CountItems(); i++)
		out << static_cast<BStringItem*>(fList->ItemAt(i))->Text() << '\n';
	out.close();
	if (!out || rename(temporary.c_str(), path.Path()) != 0) {
		remove(temporary.c_str());
		fStatus->SetText((std::string("Could not save ") + name).c_str());
		return;
	}
	fStatus->SetText((std::to_string(fList->CountItems()) + " rows saved to " + name).c_str());
}

// The question does not block: the answer comes back as kRemoveAnswered.
void WidgetWindow::_AskToRemove()
{
	int32 count = 0;
	while (fList->CurrentSelection(count) >= 0)
		count++;
	if (count == 0)
		return;
	char text[96];
	snprintf(text, sizeof text, "Remove %d selected row%s?", (int)count, count == 1 ? "" : "s");
	auto* alert = new BAlert("Remove rows", text, "Cancel", "Remove", nullptr,
		B_WIDTH_AS_USUAL, B_WARNING_ALERT);
	alert->SetShortcut(0, B_ESCAPE);
	alert->Go(new BInvoker(new BMessage(kRemoveAnswered), this));
}

void WidgetWindow::_RemoveSelected()
{
	// From the end, so the indexes still to come stay valid.
	for (int32 i = fList->CountItems() - 1; i >= 0; i--) {
		if (fList->IsItemSelected(i))
			delete fList->RemoveItem(i);
	}
	_ShowSelection();
}

void WidgetWindow::_RenameSelected()
{
	const int32 index = fList->CurrentSelection(0);
	auto* item = dynamic_cast<BStringItem*>(fList->ItemAt(index));
	if (item == nullptr || fName->TextLength() == 0) {
		fStatus->SetText("Select a row and type a name first.");
		return;
	}
	item->SetText(fName->Text());
	fList->InvalidateItem(index);
	fStatus->SetText((std::string("Renamed to ") + fName->Text()).c_str());
}

void WidgetWindow::_SortRows(bool descending)
{
	std::vector<BStringItem*> items;
	while (!fList->IsEmpty())
		items.push_back(static_cast<BStringItem*>(fList->RemoveItem(fList->CountItems() - 1)));
	std::stable_sort(items.begin(), items.end(), [descending](BStringItem* a, BStringItem* b) {
		const int order = strcmp(a->Text(), b->Text());
		return descending ? order > 0 : order < 0;
	});
	for (BStringItem* item : items)
		fList->AddItem(item);
	_ShowSelection();
}

}  // namespace

int main(int argc, char** argv)
{
	return demo::RunDemo(argc, argv, "application/x-vnd.corvane-widgetdemo",
		[] { return new WidgetWindow(); });
}

