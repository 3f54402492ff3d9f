// Input routing of the display server on the headless backend: the window under
// the pointer, capture while a button is held, keys and activation, and the screen
// the presented frames make.
#include <DisplayServer.h>
#include <InterfaceDefs.h>
#include <OS.h>

#include <gtest/gtest.h>

#include <mutex>
#include <utility>
#include <stdlib.h>

namespace {

using Kinds = std::vector<BackendEvent::Kind>;

class Recorder : public WindowClient {
public:
	void HandleDisplayEvent(const BackendEvent& event) override
	{
		std::lock_guard<std::mutex> lock(fMutex);
		fEvents.push_back(event);
	}
	std::vector<BackendEvent> Take()
	{
		std::lock_guard<std::mutex> lock(fMutex);
		return std::exchange(fEvents, {});
	}
	Kinds TakeKinds()
	{
		Kinds kinds;
		for (const BackendEvent& event : Take())
			kinds.push_back(event.kind);
		return kinds;
	}

private:
	std::mutex fMutex;
	std::vector<BackendEvent> fEvents;
};

// The server lives for the whole program, so each test destroys the windows it
// opened before their recorders go.
class DisplayServerTest : public testing::Test {
protected:
	void SetUp() override
	{
		setenv("CVAB_BACKEND", "headless", 1);
		server = &DisplayServer::Get();
	}
	void TearDown() override
	{
		for (const int32 id : fOpened)
			server->DestroyWindow(id);
	}

	int32 Open(Recorder& client, PixelRect frame)
	{
		WindowRequest request;
		request.frame = frame;
		const int32 id = server->CreateWindow(request, &client);
		fOpened.push_back(id);
		server->ShowWindow(id, true);
		Settle();
		return id;
	}
	void Forget()
	{
		fA.Take();
		fB.Take();
	}
	void Settle()
	{
		for (int32 i = 0; i < 1000 && !server->IsIdle(); i++)
			snooze(1000);
	}
	// Input as from the devices; keys carry their bytes.
	void Send(BackendEvent::Kind kind, int32 x, int32 y, uint32 buttons = 0,
		const char* keyBytes = "")
	{
		BackendEvent event;
		event.kind = kind;
		event.x = x;
		event.y = y;
		event.buttons = buttons;
		event.bytes = keyBytes;
		server->Inject(event);
		Settle();
	}

	DisplayServer* server = nullptr;
	Recorder fA, fB;
	std::vector<int32> fOpened;
};

// Two overlapping windows: the pointer goes to the one on top, in its coordinates,
// and stays with the one pressed until the button is let go.
TEST_F(DisplayServerTest, MouseGoesToTheTopmostWindowAndStaysWithThePressedOne)
{
	EXPECT_STREQ(server->BackendName(), "headless");
	EXPECT_EQ(server->ScreenFrame(), (PixelRect{0, 0, 1023, 767}));
	const int32 backId = Open(fA, {100, 100, 299, 299});
	const int32 frontId = Open(fB, {150, 150, 349, 349});
	Forget();
	Send(BackendEvent::kMouseMoved, 160, 170);
	std::vector<BackendEvent> got = fB.Take();
	ASSERT_EQ(got.size(), 1u);
	EXPECT_EQ(got[0].window, frontId);
	EXPECT_EQ(got[0].x, 10);
	EXPECT_EQ(got[0].y, 20);
	EXPECT_TRUE(fA.Take().empty());
	// Into the part of the back window that is not covered.
	Send(BackendEvent::kMouseMoved, 110, 120);
	EXPECT_EQ(fB.TakeKinds(), Kinds{BackendEvent::kMouseExited});
	got = fA.Take();
	ASSERT_EQ(got.size(), 1u);
	EXPECT_EQ(got[0].x, 10);
	EXPECT_EQ(server->WindowAt(110, 120), backId);

	// Pressed in the back window (which comes forward), dragged out of it over the
	// other one and let go there.
	Send(BackendEvent::kMouseDown, 110, 120, B_PRIMARY_MOUSE_BUTTON);
	Forget();
	Send(BackendEvent::kMouseMoved, 320, 320, B_PRIMARY_MOUSE_BUTTON);
	Send(BackendEvent::kMouseUp, 320, 320);
	got = fA.Take();
	ASSERT_EQ(got.size(), 2u);
	EXPECT_EQ(got[0].x, 220);  // outside its bounds, still its coordinates
	EXPECT_EQ(got[1].kind, BackendEvent::kMouseUp);
	EXPECT_TRUE(fB.Take().empty());
	// Let go: the next move goes where the pointer is.
	Send(BackendEvent::kMouseMoved, 321, 320);
	EXPECT_FALSE(fB.Take().empty());
	int32 x, y;
	uint32 buttons;
	server->GetMouse(&x, &y, &buttons);
	EXPECT_EQ(x, 321);
	EXPECT_EQ(buttons, 0u);
}

// Activation, modality and size limits are checked through real windows with the
// window tests; here only what they do not reach.
TEST_F(DisplayServerTest, KeysGoToTheActiveWindowHidingItActivatesTheNextAndTheScreenStacks)
{
	const int32 aId = Open(fA, {0, 0, 9, 9});
	const int32 bId = Open(fB, {5, 5, 14, 14});
	server->Present(aId, Framebuffer(10, 10, PackColor(255, 0, 0)), {{0, 0, 9, 9}});
	server->Present(bId, Framebuffer(10, 10, PackColor(0, 0, 255)), {{0, 0, 4, 4}});
	Framebuffer screen;
	ASSERT_TRUE(server->SnapshotScreen(screen));
	EXPECT_EQ(screen.PixelAt(2, 2), PackColor(255, 0, 0));
	EXPECT_EQ(screen.PixelAt(6, 6), PackColor(0, 0, 255));
	// Only the presented part of b changed; the rest is its initial white.
	EXPECT_EQ(screen.PixelAt(12, 12), PackColor(255, 255, 255));
	EXPECT_NE(screen.PixelAt(20, 20), PackColor(255, 255, 255));

	Send(BackendEvent::kMouseDown, 2, 2, B_PRIMARY_MOUSE_BUTTON);
	Send(BackendEvent::kMouseUp, 2, 2);
	EXPECT_EQ(server->ActiveWindow(), aId);
	Forget();
	Send(BackendEvent::kKeyDown, 0, 0, 0, "x");
	EXPECT_EQ(fA.TakeKinds(), Kinds{BackendEvent::kKeyDown});
	EXPECT_TRUE(fB.Take().empty());

	server->ShowWindow(aId, false);
	Settle();
	EXPECT_EQ(server->ActiveWindow(), bId);
	EXPECT_EQ(fB.TakeKinds(), Kinds{BackendEvent::kWindowActivated});
	ASSERT_TRUE(server->SnapshotScreen(screen));
	EXPECT_NE(screen.PixelAt(2, 2), PackColor(255, 0, 0));
}

}  // namespace
