// Geometry of views: resizing modes as the parent grows and shrinks, frame hooks,
// the hierarchy and its attach hooks. (Coordinate conversion through parents and
// their scrolling is what every click test relies on.)
#include "WindowTestSupport.h"

#include <string.h>

namespace {

using LayoutTest = WindowTest;

struct ModeCase {
	uint32 mode;
	BRect grown;   // after the window grows by 40 x 20
	BRect shrunk;  // after it then shrinks by 60 x 30
};

TEST_F(LayoutTest, ChildrenAndGrandchildrenFollowTheirResizingModesAndFrameHooksRunWhenAsked)
{
	// Child starts at (10, 10, 29, 29) in a 100 x 100 window.
	const std::vector<ModeCase> cases = {
		{B_FOLLOW_LEFT | B_FOLLOW_TOP, {10, 10, 29, 29}, {10, 10, 29, 29}},
		{B_FOLLOW_NONE, {10, 10, 29, 29}, {10, 10, 29, 29}},
		{B_FOLLOW_RIGHT | B_FOLLOW_TOP, {50, 10, 69, 29}, {-10, 10, 9, 29}},
		{B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, {10, 10, 69, 29}, {10, 10, 9, 29}},
		{B_FOLLOW_H_CENTER | B_FOLLOW_TOP, {30, 10, 49, 29}, {0, 10, 19, 29}},
		{B_FOLLOW_LEFT | B_FOLLOW_BOTTOM, {10, 30, 29, 49}, {10, 0, 29, 19}},
		{B_FOLLOW_LEFT | B_FOLLOW_TOP_BOTTOM, {10, 10, 29, 49}, {10, 10, 29, 19}},
		{B_FOLLOW_LEFT | B_FOLLOW_V_CENTER, {10, 20, 29, 39}, {10, 5, 29, 24}},
		{B_FOLLOW_ALL_SIDES, {10, 10, 69, 49}, {10, 10, 9, 19}},
		// Top, left and right combined bit by bit: no edge has a single rule
		// horizontally, so the view keeps its place and size like B_FOLLOW_LEFT.
		{B_FOLLOW_TOP | B_FOLLOW_LEFT | B_FOLLOW_RIGHT, {10, 10, 29, 29}, {10, 10, 29, 29}},
	};
	BWindow* window = new BWindow(BRect(0, 0, 99, 99), "modes", B_TITLED_WINDOW, 0);
	std::vector<BView*> views;
	for (const ModeCase& c : cases) {
		views.push_back(new BView(BRect(10, 10, 29, 29), "child", c.mode, 0));
		window->AddChild(views.back());
	}
	// A grandchild follows its parent as that parent follows the window.
	BView* parent = new BView(BRect(0, 0, 99, 99), "parent", B_FOLLOW_ALL, 0);
	BView* corner = new BView(BRect(80, 80, 89, 89), "corner", B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM, 0);
	parent->AddChild(corner);
	window->AddChild(parent);
	// Frame hooks run only for views that ask for frame events.
	auto* listening = new RecordingView(BRect(0, 0, 49, 49), "on", B_FRAME_EVENTS);
	auto* deaf = new RecordingView(BRect(50, 0, 99, 49), "off", 0);
	for (BView* view : {(BView*)listening, (BView*)deaf}) {
		view->SetResizingMode(B_FOLLOW_ALL);
		window->AddChild(view);
	}
	Open(BRect(), window);
	Locked(window, [&] {
		window->ResizeBy(40, 20);
		for (size_t i = 0; i < cases.size(); i++)
			EXPECT_EQ(views[i]->Frame(), cases[i].grown) << "mode 0x" << std::hex << cases[i].mode;
		EXPECT_EQ(window->Bounds(), BRect(0, 0, 139, 119));
		EXPECT_EQ(parent->Frame(), BRect(0, 0, 139, 119));
		EXPECT_EQ(corner->Frame(), BRect(120, 100, 129, 109));
		ASSERT_EQ(listening->sizes.size(), 1u);
		EXPECT_EQ(listening->sizes[0], BPoint(89, 69));
		window->ResizeBy(-60, -30);
		for (size_t i = 0; i < cases.size(); i++)
			EXPECT_EQ(views[i]->Frame(), cases[i].shrunk) << "mode 0x" << std::hex << cases[i].mode;
		listening->MoveTo(3, 4);
		listening->MoveTo(3, 4);  // no move, no hook
		ASSERT_EQ(listening->moves.size(), 1u);
		EXPECT_EQ(listening->moves[0], BPoint(3, 4));
		listening->ResizeTo(20, 20);
		EXPECT_EQ(listening->sizes.back(), BPoint(20, 20));
		deaf->MoveBy(1, 1);
		deaf->ResizeBy(1, 1);
		EXPECT_TRUE(deaf->sizes.empty());
		EXPECT_TRUE(deaf->moves.empty());
	});
}

class HookOrderView : public BView {
public:
	HookOrderView(const char* name, std::vector<std::string>* log)
		: BView(BRect(0, 0, 9, 9), name, B_FOLLOW_NONE, 0), fLog(log)
	{
	}
	void AttachedToWindow() override { fLog->push_back(std::string("attached ") + Name()); }
	void AllAttached() override { fLog->push_back(std::string("all attached ") + Name()); }
	void DetachedFromWindow() override { fLog->push_back(std::string("detached ") + Name()); }
	void AllDetached() override { fLog->push_back(std::string("all detached ") + Name()); }

private:
	std::vector<std::string>* fLog;
};

TEST_F(LayoutTest, HierarchyAndAttachHooksInOrder)
{
	std::vector<std::string> log;
	BWindow* window = new BWindow(BRect(0, 0, 99, 99), "tree", B_TITLED_WINDOW, 0);
	auto* parent = new HookOrderView("parent", &log);
	auto* child = new HookOrderView("child", &log);
	parent->AddChild(child);
	EXPECT_TRUE(log.empty());  // not in a window yet
	EXPECT_EQ(child->Window(), nullptr);
	window->AddChild(parent);
	EXPECT_EQ(log, (std::vector<std::string>{"attached parent", "attached child",
		"all attached child", "all attached parent"}));
	EXPECT_EQ(child->Looper(), window);
	EXPECT_EQ(window->FindView("child"), child);

	log.clear();
	EXPECT_TRUE(window->RemoveChild(parent));
	EXPECT_EQ(log, (std::vector<std::string>{"detached parent", "detached child",
		"all detached child", "all detached parent"}));
	EXPECT_EQ(child->Window(), nullptr);
	EXPECT_EQ(window->FindView("child"), nullptr);
	EXPECT_FALSE(window->RemoveChild(parent));

	// Before inserts ahead of a sibling.
	auto* a = new BView(BRect(0, 0, 1, 1), "a", B_FOLLOW_NONE, 0);
	parent->AddChild(a, child);
	EXPECT_EQ(parent->ChildAt(0), a);
	EXPECT_EQ(a->NextSibling(), child);
	delete parent;  // deletes its children
	window->Quit();
	fWindows.clear();
}

}  // namespace
