// What a screen reader is told of the kit's windows, without a bus: the objects
// ATK sees (roles, names, states, relations, interfaces) for a window of each
// kind of view, and the events it hears as the user works in it, read on the
// accessibility thread as the bridge reads them.
#include "WindowTestSupport.h"

#include "AccessibilityService.h"
#include "AccessibleApplication.h"

#include <Alert.h>
#include <Button.h>
#include <ListView.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <ScrollView.h>
#include <StringItem.h>
#include <StringView.h>
#include <TextView.h>

#include <atk/atk.h>

#include <chrono>
#include <map>

using BPrivate::AccessibilityService;

namespace {

// What f returns, run on the accessibility thread.
template <class F>
auto Ask(F f)
{
	decltype(f()) result{};
	AccessibilityService::Get().RunAndWait([&] { result = f(); });
	return result;
}

// The events heard, as "signal:detail role 'name'" with the state's value or
// the index where there is one.
std::vector<std::string> sHeard;

gboolean Hear(GSignalInvocationHint* hint, guint count, const GValue* values, gpointer)
{
	AtkObject* source = ATK_OBJECT(g_value_get_object(&values[0]));
	std::string line = g_signal_name(hint->signal_id);
	if (hint->detail != 0)
		line += std::string(":") + g_quark_to_string(hint->detail);
	line += std::string(" ") + atk_role_get_name(atk_object_get_role(source)) + " '"
		+ (atk_object_get_name(source) != nullptr ? atk_object_get_name(source) : "") + "'";
	if (count > 2 && G_VALUE_HOLDS_BOOLEAN(&values[2]))
		line += g_value_get_boolean(&values[2]) ? " on" : " off";
	sHeard.push_back(line);
	return TRUE;
}

void Listen()
{
	static bool listening = false;
	if (listening)
		return;
	listening = true;
	// The interfaces' types are made with an object that has them all.
	GObject* anything = G_OBJECT(g_object_new(G_TYPE_OBJECT, nullptr));
	g_object_unref(atk_no_op_object_new(anything));
	g_object_unref(anything);
	for (const char* event : {"ATK:AtkObject:state-change", "ATK:AtkObject:children-changed",
			 "ATK:AtkObject:visible-data-changed", "ATK:AtkObject:active-descendant-changed",
			 "ATK:AtkTable:model-changed", "ATK:AtkSelection:selection-changed",
			 "ATK:AtkText:text-insert", "ATK:AtkText:text-remove", "ATK:AtkWindow:activate",
			 "ATK:AtkWindow:create"})
		atk_add_global_event_listener(Hear, event);
}

std::string Describe(AtkObject* object)
{
	static const AtkStateType kShown[] = {ATK_STATE_ENABLED, ATK_STATE_FOCUSABLE,
		ATK_STATE_DEFAULT, ATK_STATE_CHECKED, ATK_STATE_EDITABLE, ATK_STATE_SINGLE_LINE,
		ATK_STATE_MANAGES_DESCENDANTS, ATK_STATE_MULTISELECTABLE, ATK_STATE_SELECTED,
		ATK_STATE_VERTICAL};
	std::string text = std::string(atk_role_get_name(atk_object_get_role(object))) + " '"
		+ (atk_object_get_name(object) != nullptr ? atk_object_get_name(object) : "") + "'";
	AtkStateSet* states = atk_object_ref_state_set(object);
	for (AtkStateType state : kShown) {
		if (atk_state_set_contains_state(states, state))
			text += std::string(" ") + atk_state_type_get_name(state);
	}
	g_object_unref(states);
	return text;
}

// The first object of the role (and name) under object, depth first; not
// looking into what manages its descendants. A new reference, or null.
AtkObject* Find(AtkObject* object, AtkRole role, const char* name = nullptr)
{
	const char* own = atk_object_get_name(object);
	if (atk_object_get_role(object) == role
		&& (name == nullptr || (own != nullptr && strcmp(own, name) == 0)))
		return ATK_OBJECT(g_object_ref(object));
	AtkStateSet* states = atk_object_ref_state_set(object);
	const bool managed = atk_state_set_contains_state(states, ATK_STATE_MANAGES_DESCENDANTS);
	g_object_unref(states);
	for (int32 i = 0; !managed && i < atk_object_get_n_accessible_children(object); i++) {
		AtkObject* child = atk_object_ref_accessible_child(object, i);
		AtkObject* found = child != nullptr ? Find(child, role, name) : nullptr;
		if (child != nullptr)
			g_object_unref(child);
		if (found != nullptr)
			return found;
	}
	return nullptr;
}

// Describes the first object of the role and name in the window of that title.
std::string DescribeIn(const char* title, AtkRole role, const char* name = nullptr)
{
	return Ask([&] {
		AtkObject* window = Find(atk_get_root(), ATK_ROLE_INVALID, title);
		for (AtkRole kind : {ATK_ROLE_FRAME, ATK_ROLE_DIALOG, ATK_ROLE_ALERT}) {
			if (window == nullptr)
				window = Find(atk_get_root(), kind, title);
		}
		AtkObject* found = window != nullptr ? Find(window, role, name) : nullptr;
		const std::string text = found != nullptr ? Describe(found) : "<none>";
		if (found != nullptr)
			g_object_unref(found);
		if (window != nullptr)
			g_object_unref(window);
		return text;
	});
}

// A list with two columns, headed by two buttons: "Name" and "Town".
class TownList : public BListView {
public:
	TownList(BRect frame, BView* headers) : BListView(frame, "towns"), fHeaders(headers) {}
	// A list does not own its items.
	~TownList() override
	{
		while (CountItems() > 0)
			delete RemoveItem(CountItems() - 1);
	}
	int32 CountColumns() const override { return 2; }
	BView* ColumnHeader(int32 column) const override { return fHeaders->ChildAt(column); }
	std::string CellText(int32 row, int32 column) const override
	{
		const std::string text = static_cast<BStringItem*>(ItemAt(row))->Text();
		const size_t comma = text.find(',');
		return column == 0 ? text.substr(0, comma) : text.substr(comma + 1);
	}

private:
	BView* fHeaders;
};

}  // namespace

class AccessibleTreeTest : public WindowTest {
protected:
	void SetUp() override
	{
		WindowTest::SetUp();
		AccessibilityService::Get().StartLocal();
		Ask([] {
			Listen();
			return 0;
		});
	}

	// "Sheet": a menu bar, a labelled field, two buttons (OK the default), a list
	// of towns in a scroll view under its headers.
	BWindow* OpenSheet()
	{
		auto* window = new BWindow(BRect(100, 100, 459, 339), "Sheet", B_TITLED_WINDOW, 0);
		auto* bar = new BMenuBar(BRect(0, 0, 359, 19), "bar");
		auto* file = new BMenu("File");
		file->AddItem(new BMenuItem("Open", new BMessage('open'), 'O'));
		file->AddSeparatorItem();
		auto* quit = new BMenuItem("Quit", new BMessage('quit'));
		quit->SetEnabled(false);
		file->AddItem(quit);
		auto* view = new BMenu("View");
		auto* lines = new BMenuItem("Lines", new BMessage('line'));
		lines->SetMarked(true);
		view->AddItem(lines);
		view->AddItem(new BMenuItem("Plain", new BMessage('plan')));
		bar->AddItem(file);
		bar->AddItem(view);
		window->AddChild(bar);
		auto* panel = new BView(BRect(0, 20, 359, 239), "panel", B_FOLLOW_ALL, B_WILL_DRAW);
		window->AddChild(panel);
		panel->AddChild(new BStringView(BRect(10, 10, 60, 25), "label", "Name"));
		auto* field = new BTextView(BRect(65, 8, 200, 28), "field", BRect(2, 2, 130, 18),
			B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
		field->SetWordWrap(false);
		panel->AddChild(field);
		panel->AddChild(new BButton(BRect(210, 8, 270, 28), "cancel", "Cancel", new BMessage('cncl')));
		auto* ok = new BButton(BRect(280, 8, 340, 28), "ok", "OK", new BMessage('okay'));
		panel->AddChild(ok);
		auto* headers = new BView(BRect(10, 40, 300, 55), "headers", B_FOLLOW_NONE, B_WILL_DRAW);
		headers->AddChild(new BButton(BRect(0, 0, 99, 15), "Name", "Name", new BMessage('sort')));
		headers->AddChild(new BButton(BRect(100, 0, 199, 15), "Town", "Town", new BMessage('sort')));
		panel->AddChild(headers);
		auto* list = new TownList(BRect(10, 60, 280, 200), headers);
		for (const char* town : {"Ann,Bergen", "Bob,Oslo", "Cat,Turku"})
			list->AddItem(new BStringItem(town));
		panel->AddChild(new BScrollView("scroll", list, B_FOLLOW_NONE, 0, false, true));
		Locked(window, [&] {
			ok->MakeDefault(true);
			field->MakeFocus(true);
			return 0;
		});
		return Open(window->Frame(), window);
	}

	std::vector<std::string> HeardSince(size_t start)
	{
		return Ask([start] {
			return std::vector<std::string>(sHeard.begin() + std::min(start, sHeard.size()),
				sHeard.end());
		});
	}
	size_t HeardCount() { return Ask([] { return sHeard.size(); }); }
	// Lets the thread tell what the windows noted.
	void Told()
	{
		Settle();
		Ask([] { return 0; });
		std::this_thread::sleep_for(std::chrono::milliseconds(60));
		Ask([] { return 0; });
	}
};

TEST_F(AccessibleTreeTest, EachViewReportsItsRoleNameAndStates)
{
	OpenSheet();
	Told();
	const struct {
		AtkRole role;
		const char* name;
		const char* described;
	} objects[] = {
		{ATK_ROLE_FRAME, "Sheet", "frame 'Sheet' enabled"},
		{ATK_ROLE_MENU_BAR, nullptr, "menu bar '' enabled"},
		{ATK_ROLE_MENU, "File", "menu 'File' enabled"},
		{ATK_ROLE_MENU_ITEM, "Open", "menu item 'Open' enabled focusable"},
		{ATK_ROLE_MENU_ITEM, "Quit", "menu item 'Quit'"},
		{ATK_ROLE_SEPARATOR, nullptr, "separator ''"},
		{ATK_ROLE_CHECK_MENU_ITEM, "Lines", "check menu item 'Lines' enabled focusable checked"},
		{ATK_ROLE_MENU_ITEM, "Plain", "menu item 'Plain' enabled focusable"},
		{ATK_ROLE_LABEL, "Name", "label 'Name' enabled"},
		{ATK_ROLE_ENTRY, nullptr, "entry 'Name' enabled focusable editable single-line"},
		{ATK_ROLE_PUSH_BUTTON, "OK", "push button 'OK' enabled focusable default"},
		{ATK_ROLE_PUSH_BUTTON, "Cancel", "push button 'Cancel' enabled focusable"},
		{ATK_ROLE_TABLE, nullptr,
			"table '' enabled focusable manages-descendants"},
		{ATK_ROLE_SCROLL_BAR, nullptr, "scroll bar '' vertical"},
	};
	for (const auto& object : objects)
		EXPECT_EQ(DescribeIn("Sheet", object.role, object.name), object.described);

	Ask([] {
		AtkObject* window = Find(atk_get_root(), ATK_ROLE_FRAME, "Sheet");
		AtkObject* open = Find(window, ATK_ROLE_MENU_ITEM, "Open");
		EXPECT_STREQ(atk_action_get_keybinding(ATK_ACTION(open), 0), ";;<Control>o");
		AtkObject* field = Find(window, ATK_ROLE_ENTRY);
		AtkRelationSet* relations = atk_object_ref_relation_set(field);
		AtkRelation* labelled = atk_relation_set_get_relation_by_type(relations,
			ATK_RELATION_LABELLED_BY);
		EXPECT_NE(labelled, nullptr);
		if (labelled != nullptr) {
			AtkObject* label = ATK_OBJECT(g_ptr_array_index(atk_relation_get_target(labelled), 0));
			EXPECT_EQ(Describe(label), "label 'Name' enabled");
		}
		AtkObject* table = Find(window, ATK_ROLE_TABLE);
		EXPECT_EQ(atk_table_get_n_rows(ATK_TABLE(table)), 3);
		EXPECT_EQ(atk_table_get_n_columns(ATK_TABLE(table)), 2);
		EXPECT_STREQ(atk_object_get_name(atk_table_get_column_header(ATK_TABLE(table), 1)), "Town");
		AtkObject* cell = atk_table_ref_at(ATK_TABLE(table), 1, 1);
		EXPECT_EQ(Describe(cell), "table cell 'Oslo' enabled");
		g_object_unref(relations);
		for (AtkObject* each : {cell, table, field, open, window})
			g_object_unref(each);
		return 0;
	});
}

TEST_F(AccessibleTreeTest, TypingAndTabbingAreHeardAsEditsAndFocusMoves)
{
	BWindow* window = OpenSheet();
	Told();
	const size_t start = HeardCount();
	Type("a\xc3\xa9");
	Key("\x08");
	Key("\t");
	Key("\t");
	Told();
	const std::vector<std::string> heard = HeardSince(start);
	auto has = [&](const std::string& line) {
		return std::find(heard.begin(), heard.end(), line) != heard.end();
	};
	EXPECT_TRUE(has("text-insert entry 'Name'"));
	EXPECT_TRUE(has("text-remove entry 'Name'"));
	EXPECT_TRUE(has("state-change:focused push button 'Cancel' on"));
	EXPECT_TRUE(has("state-change:focused push button 'OK' on"));
	EXPECT_TRUE(has("state-change:focused push button 'Cancel' off"));

	// The text as the reader reads it, in characters, and edited through ATK.
	Ask([] {
		AtkObject* sheet = Find(atk_get_root(), ATK_ROLE_FRAME, "Sheet");
		AtkObject* field = Find(sheet, ATK_ROLE_ENTRY);
		AtkText* text = ATK_TEXT(field);
		EXPECT_EQ(atk_text_get_character_count(text), 1);
		gint position = 1;
		atk_editable_text_insert_text(ATK_EDITABLE_TEXT(field), "\xc3\xa9t\xc3\xa9", -1, &position);
		EXPECT_EQ(position, 4);
		gchar* all = atk_text_get_text(text, 0, -1);
		EXPECT_STREQ(all, "a\xc3\xa9t\xc3\xa9");
		g_free(all);
		EXPECT_TRUE(atk_text_set_selection(text, 0, 1, 3));
		gint from = 0;
		gint to = 0;
		gchar* selected = atk_text_get_selection(text, 0, &from, &to);
		EXPECT_STREQ(selected, "\xc3\xa9t");
		EXPECT_EQ(from, 1);
		EXPECT_EQ(to, 3);
		g_free(selected);
		g_object_unref(field);
		g_object_unref(sheet);
		return 0;
	});
	const std::string viewText = Locked(window, [window] {
		return std::string(static_cast<BTextView*>(window->FindView("field"))->Text());
	});
	EXPECT_EQ(viewText, "a\xc3\xa9t\xc3\xa9");
}

TEST_F(AccessibleTreeTest, RowsAreMadeWhenAskedAndAReloadIsOneChange)
{
	BWindow* window = OpenSheet();
	Told();
	auto* list = Locked(window, [window] { return static_cast<BListView*>(window->FindView("towns")); });
	// A row lives while the reader holds it, and reads the list as it is.
	Ask([] {
		AtkObject* sheet = Find(atk_get_root(), ATK_ROLE_FRAME, "Sheet");
		AtkObject* table = Find(sheet, ATK_ROLE_TABLE);
		AtkObject* row = atk_object_ref_accessible_child(table, 2);
		EXPECT_EQ(Describe(row), "table row 'Cat Turku' enabled focusable");
		gpointer held = row;
		g_object_add_weak_pointer(G_OBJECT(row), &held);
		g_object_unref(row);
		EXPECT_EQ(held, nullptr);
		EXPECT_TRUE(atk_selection_add_selection(ATK_SELECTION(table), 1));
		g_object_unref(table);
		g_object_unref(sheet);
		return 0;
	});
	EXPECT_EQ(Locked(window, [list] { return list->CurrentSelection(0); }), 1);

	const size_t start = HeardCount();
	Locked(window, [list] {
		for (int32 count = list->CountItems(); count > 0; count--)
			delete list->RemoveItem(count - 1);
		for (const char* town : {"Dan,Malmo", "Eve,Lund"})
			list->AddItem(new BStringItem(town));
		return 0;
	});
	Told();
	std::map<std::string, int> counts;
	for (const std::string& line : HeardSince(start))
		counts[line]++;
	EXPECT_EQ(counts["children-changed:add table ''"], 1);
	EXPECT_EQ(counts["model-changed table ''"], 1);
	EXPECT_EQ(counts["visible-data-changed table ''"], 1);
	EXPECT_EQ(counts["selection-changed table ''"], 1);
	Ask([] {
		AtkObject* sheet = Find(atk_get_root(), ATK_ROLE_FRAME, "Sheet");
		AtkObject* table = Find(sheet, ATK_ROLE_TABLE);
		EXPECT_EQ(atk_table_get_n_rows(ATK_TABLE(table)), 2);
		AtkObject* cell = atk_table_ref_at(ATK_TABLE(table), 1, 1);
		EXPECT_EQ(Describe(cell), "table cell 'Lund' enabled");
		for (AtkObject* each : {cell, table, sheet})
			g_object_unref(each);
		return 0;
	});
}

TEST_F(AccessibleTreeTest, TheFocusedListTellsTheRowTheKeyboardIsOn)
{
	BWindow* window = OpenSheet();
	Locked(window, [window] {
		window->FindView("towns")->MakeFocus(true);
		return 0;
	});
	Told();
	const size_t start = HeardCount();
	// The first arrow selects the row the keyboard is on, the second moves on.
	Key("\x1f");
	Key("\x1f");
	Told();
	const std::vector<std::string> heard = HeardSince(start);
	EXPECT_NE(std::find(heard.begin(), heard.end(), "active-descendant-changed table ''"),
		heard.end());
	EXPECT_NE(std::find(heard.begin(), heard.end(),
		"state-change:focused table row 'Bob Oslo' on"), heard.end());
}

TEST_F(AccessibleTreeTest, ABusyWindowIsAnsweredWithItsLastValues)
{
	BWindow* window = OpenSheet();
	Told();
	EXPECT_EQ(DescribeIn("Sheet", ATK_ROLE_LABEL), "label 'Name' enabled");
	ASSERT_TRUE(window->Lock());
	static_cast<BStringView*>(window->FindView("label"))->SetText("Surname");
	const auto asked = std::chrono::steady_clock::now();
	const std::string whileBusy = DescribeIn("Sheet", ATK_ROLE_LABEL);
	const auto waited = std::chrono::steady_clock::now() - asked;
	window->Unlock();
	EXPECT_EQ(whileBusy, "label 'Name' enabled");
	EXPECT_LT(waited, std::chrono::milliseconds(500));
	// Busy a moment ago, the window is not waited for again at once; later it is.
	std::this_thread::sleep_for(std::chrono::milliseconds(300));
	EXPECT_EQ(DescribeIn("Sheet", ATK_ROLE_LABEL), "label 'Surname' enabled");
}

// A window hidden between a count and the walk up to it (as windows go while
// the bridge walks them to say goodbye) is still an object there, never null.
TEST_F(AccessibleTreeTest, AWindowHiddenAfterTheCountIsStillAChild)
{
	BWindow* window = OpenSheet();
	Told();
	const int32 walked = Ask([window] {
		AtkObject* root = atk_get_root();
		const int32 count = atk_object_get_n_accessible_children(root);
		if (!window->Lock())
			return -1;
		window->Hide();
		window->Unlock();
		int32 objects = 0;
		for (int32 i = 0; i < count; i++) {
			if (AtkObject* child = atk_object_ref_accessible_child(root, i)) {
				objects++;
				g_object_unref(child);
			}
		}
		return count > 0 && objects == count ? 1 : 0;
	});
	EXPECT_EQ(walked, 1);
	Told();
	EXPECT_EQ(Ask([] { return atk_object_get_n_accessible_children(atk_get_root()); }), 0);
}

TEST_F(AccessibleTreeTest, MenusTellTheirHighlightAndItemsAreChosenByTheirAction)
{
	auto* recorder = new MessageRecorder();
	recorder->Run();
	BWindow* window = OpenSheet();
	Locked(window, [window, recorder] {
		window->KeyMenuBar()->ItemAt(1)->Submenu()->SetTargetForItems(recorder);
		return 0;
	});
	Told();
	const size_t start = HeardCount();
	Screen::TypeFunctionKey(B_F10_KEY);
	Told();
	const std::vector<std::string> heard = HeardSince(start);
	EXPECT_NE(std::find(heard.begin(), heard.end(), "state-change:focused menu item 'Open' on"),
		heard.end());
	EXPECT_EQ(DescribeIn("Sheet", ATK_ROLE_MENU, "File"), "menu 'File' enabled selected");
	Key("\x1b");
	Ask([] {
		AtkObject* sheet = Find(atk_get_root(), ATK_ROLE_FRAME, "Sheet");
		AtkObject* plain = Find(sheet, ATK_ROLE_MENU_ITEM, "Plain");
		EXPECT_TRUE(atk_action_do_action(ATK_ACTION(plain), 0));
		AtkObject* quit = Find(sheet, ATK_ROLE_MENU_ITEM, "Quit");
		EXPECT_FALSE(atk_action_do_action(ATK_ACTION(quit), 0));
		for (AtkObject* each : {quit, plain, sheet})
			g_object_unref(each);
		return 0;
	});
	Settle();
	const std::vector<BMessage> messages = recorder->Messages();
	ASSERT_EQ(messages.size(), 1u);
	EXPECT_EQ(messages[0].what, uint32('plan'));
	if (recorder->Lock())
		recorder->Quit();
}

TEST_F(AccessibleTreeTest, AnAlertIsToldWithItsText)
{
	Told();
	const size_t start = HeardCount();
	(new BAlert("Trouble", "The disk is full.", "OK"))->Go(nullptr);
	Told();
	const std::vector<std::string> heard = HeardSince(start);
	EXPECT_NE(std::find(heard.begin(), heard.end(), "create alert 'Trouble'"), heard.end());
	EXPECT_EQ(DescribeIn("Trouble", ATK_ROLE_LABEL), "label 'The disk is full.' enabled");
	EXPECT_EQ(DescribeIn("Trouble", ATK_ROLE_PUSH_BUTTON, "OK"),
		"push button 'OK' enabled focusable default");
	AnswerAlert(0);
}
