// Names in every script, as a list, text views, a menu and buttons draw them:
// each reaches the screen, and no glyph drawn is the empty box where an
// installed font covers the text. (The text engine reports each line it draws.)
#include "WindowTestSupport.h"

#include "ScriptSamples.h"

#include <Button.h>
#include <ListView.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <ScrollView.h>
#include <StringItem.h>
#include <TextView.h>


namespace {

class ScriptsDrawnTest : public WindowTest {
protected:
	BWindow* Show(BView* content)
	{
		auto* window = new BWindow(BRect(50, 50, 649, 549), "scripts", B_TITLED_WINDOW, 0);
		window->AddChild(content);
		return Open(BRect(), window);
	}
};

TEST_F(ScriptsDrawnTest, ListsTextViewsMenusAndButtonsDrawEveryScriptWithItsGlyphs)
{
	DrawnTexts drawn;
	auto* list = new BListView(BRect(0, 0, 599, 499), "list");
	for (const ScriptSample& sample : kScriptSamples)
		list->AddItem(new BStringItem(sample.text));
	BWindow* listWindow = Show(list);
	drawn.ExpectEverySampleDrawn("a list");
	Locked(listWindow, [&] {
		while (!list->IsEmpty())
			delete list->RemoveItem((int32)0);
	});

	drawn.Clear();
	auto* views = new BView(BRect(0, 0, 599, 499), "views", B_FOLLOW_ALL, B_WILL_DRAW);
	float y = 0;
	for (const ScriptSample& sample : kScriptSamples) {
		auto* text = new BTextView(BRect(0, y, 299, y + 19), sample.name, BRect(2, 2, 290, 16),
			B_FOLLOW_NONE, B_WILL_DRAW);
		text->SetText(sample.text);
		views->AddChild(text);
		views->AddChild(new BButton(BRect(300, y, 499, y + 19), sample.name, sample.text,
			nullptr));
		y += 30;
	}
	Show(views);
	drawn.ExpectEverySampleDrawn("text views and buttons");

	drawn.Clear();
	auto* bar = new BMenuBar(BRect(0, 0, 599, 20), "bar");
	auto* menu = new BMenu("Names");
	for (const ScriptSample& sample : kScriptSamples)
		menu->AddItem(new BMenuItem(sample.text, new BMessage('name')));
	bar->AddItem(menu);
	BWindow* window = Show(bar);
	ClickAt(Locked(window, [&] {
		return bar->ConvertToScreen(BPoint(bar->ItemAt(0)->Frame().left + 6, 10));
	}));
	drawn.ExpectEverySampleDrawn("a menu");
	Key("\x1b");
}

}  // namespace
