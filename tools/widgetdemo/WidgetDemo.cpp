// A window holding one of each widget of the interface kit, wired together so that
// what one does shows in the others: a list in a scroll view, buttons (one of them
// the default, one disabled) and a status line.
//
// Sections: commands; the window's views; the window's commands.
//
// Run it with `build/tools/widgetdemo/widgetdemo`; `--quit-after MS` closes it by
// itself (the smoke test runs it that way on the headless screen).
#include "DemoApp.h"

#include <Application.h>
#include <Button.h>
#include <ListView.h>
#include <ScrollView.h>
#include <StringView.h>
#include <View.h>
#include <Window.h>

#include <Message.h>

#include <cstdio>
#include <string>

namespace {

// --- commands

enum : uint32 {
	kAddRow = 'addr',
	kRemoveRows = 'remr',
	kRowsSelected = 'rsel',
	kRowInvoked = 'rinv',
	kCloseWindow = 'clos',
};

const rgb_color kPanelGrey = {216, 216, 216, 255};

// --- the window's views

class WidgetWindow : public BWindow {
public:
	WidgetWindow()
		: BWindow(BRect(100, 80, 659, 499), "Widget demo", B_TITLED_WINDOW, 0)
	{
		SetSizeLimits(420, 2000, 300, 2000);
		BView* background = new BView(Bounds(), "background", B_FOLLOW_ALL, B_WILL_DRAW);
		background->SetViewColor(kPanelGrey);
		AddChild(background);
		const BRect bounds = background->Bounds();

		_BuildList(background, BRect(10, 10, bounds.right - 170, bounds.bottom - 60));
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

	void _BuildButtons(BView* parent, float left)
	{
		const float right = left + 139;
		parent->AddChild(new BButton(BRect(left, 10, right, 34), "add", "Add a row",
			new BMessage(kAddRow), B_FOLLOW_RIGHT | B_FOLLOW_TOP));
		fRemove = new BButton(BRect(left, 44, right, 68), "remove", "Remove selected",
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
	void _RemoveSelected();

	BListView* fList = nullptr;
	BButton* fRemove = nullptr;
	BStringView* fStatus = nullptr;
	int32 fRowsMade = 0;
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
			_RemoveSelected();
			break;
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
	char text[96];
	if (count == 0)
		snprintf(text, sizeof text, "No row selected; %d rows.", (int)fList->CountItems());
	else
		snprintf(text, sizeof text, "%d selected, the first is row %d of %d.", (int)count,
			(int)fList->CurrentSelection(0) + 1, (int)fList->CountItems());
	fStatus->SetText(text);
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

}  // namespace

int main(int argc, char** argv)
{
	return demo::RunDemo(argc, argv, "application/x-vnd.corvane-widgetdemo",
		[] { return new WidgetWindow(); });
}
