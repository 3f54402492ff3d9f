// Input routing of the display server on the headless backend: the window under
// the pointer, capture while a button is held, activation, modality, size limits.
#include <DisplayServer.h>
#include <InterfaceDefs.h>
#include <OS.h>

#include <gtest/gtest.h>

#include <mutex>
#include <stdlib.h>

namespace {

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
		std::vector<BackendEvent> events;
		events.swap(fEvents);
		return events;
	}
	std::vector<BackendEvent::Kind> Kinds()
	{
		std::vector<BackendEvent::Kind> kinds;
		for (const BackendEvent& event : Take())
			kinds.push_back(event.kind);
		return kinds;
	}

private:
	std::mutex fMutex;
	std::vector<BackendEvent> fEvents;
};

class DisplayServerTest : public testing::Test {
protected:
	void SetUp() override
	{
		setenv("CVAB_BACKEND", "headless", 1);
		server = &DisplayServer::Get();
	}

	int32 Open(Recorder& client, PixelRect frame, WindowKind kind = WindowKind::kTitled)
	{
		WindowRequest request;
		request.frame = frame;
		request.kind = kind;
		const int32 id = server->CreateWindow(request, &client);
		server->ShowWindow(id, true);
		return id;
	}

	void Settle()
	{
		for (int32 i = 0; i < 1000 && !server->IsIdle(); i++)
			snooze(1000);
	}

	void Mouse(BackendEvent::Kind kind, int32 x, int32 y, uint32 buttons)
	{
		BackendEvent event;
		event.kind = kind;
		event.x = x;
		event.y = y;
		event.buttons = buttons;
		server->Inject(event);
		Settle();
	}

	DisplayServer* server = nullptr;
};

TEST_F(DisplayServerTest, HeadlessScreenIsTheDefaultSize)
{
	EXPECT_STREQ(server->BackendName(), "headless");
	EXPECT_EQ(server->ScreenFrame(), (PixelRect{0, 0, 1023, 767}));
}

TEST_F(DisplayServerTest, MouseGoesToTheTopmostWindowInItsCoordinates)
{
	Recorder back;
	Recorder front;
	const int32 backId = Open(back, {100, 100, 299, 299});
	const int32 frontId = Open(front, {150, 150, 349, 349});
	back.Take();
	front.Take();
	Mouse(BackendEvent::kMouseMoved, 160, 170, 0);
	std::vector<BackendEvent> got = front.Take();
	ASSERT_EQ(got.size(), 1u);
	EXPECT_EQ(got[0].x, 10);
	EXPECT_EQ(got[0].y, 20);
	EXPECT_EQ(got[0].window, frontId);
	EXPECT_TRUE(back.Take().empty());
	// Moving into the part of the back window that is not covered.
	Mouse(BackendEvent::kMouseMoved, 110, 120, 0);
	EXPECT_EQ(front.Kinds(), std::vector<BackendEvent::Kind>{BackendEvent::kMouseExited});
	got = back.Take();
	ASSERT_EQ(got.size(), 1u);
	EXPECT_EQ(got[0].x, 10);
	EXPECT_EQ(server->WindowAt(110, 120), backId);
}

TEST_F(DisplayServerTest, ButtonHeldCapturesThePointerUntilReleased)
{
	Recorder a;
	Recorder b;
	Open(a, {0, 0, 99, 99});
	Open(b, {200, 0, 299, 99});
	Mouse(BackendEvent::kMouseMoved, 50, 50, 0);
	Mouse(BackendEvent::kMouseDown, 50, 50, B_PRIMARY_MOUSE_BUTTON);
	a.Take();
	b.Take();
	Mouse(BackendEvent::kMouseMoved, 250, 50, B_PRIMARY_MOUSE_BUTTON);
	Mouse(BackendEvent::kMouseUp, 250, 50, 0);
	std::vector<BackendEvent> got = a.Take();
	ASSERT_EQ(got.size(), 2u);
	EXPECT_EQ(got[0].x, 250);  // outside its bounds, still its coordinates
	EXPECT_EQ(got[1].kind, BackendEvent::kMouseUp);
	EXPECT_TRUE(b.Take().empty());
	// Released: the next move goes where the pointer is.
	Mouse(BackendEvent::kMouseMoved, 251, 50, 0);
	EXPECT_FALSE(b.Take().empty());
	int32 x;
	int32 y;
	uint32 buttons;
	server->GetMouse(&x, &y, &buttons);
	EXPECT_EQ(x, 251);
	EXPECT_EQ(buttons, 0u);
}

TEST_F(DisplayServerTest, ShowingAndClickingActivateAndKeysFollowTheActiveWindow)
{
	Recorder a;
	Recorder b;
	const int32 aId = Open(a, {0, 0, 99, 99});
	EXPECT_EQ(server->ActiveWindow(), aId);
	const int32 bId = Open(b, {200, 0, 299, 99});
	Settle();
	EXPECT_EQ(server->ActiveWindow(), bId);
	EXPECT_EQ(a.Kinds().back(), BackendEvent::kWindowDeactivated);
	EXPECT_EQ(b.Kinds().back(), BackendEvent::kWindowActivated);

	Mouse(BackendEvent::kMouseDown, 10, 10, B_PRIMARY_MOUSE_BUTTON);
	Mouse(BackendEvent::kMouseUp, 10, 10, 0);
	EXPECT_EQ(server->ActiveWindow(), aId);
	std::vector<BackendEvent::Kind> kinds = a.Kinds();
	EXPECT_EQ(kinds.front(), BackendEvent::kWindowActivated);

	BackendEvent key;
	key.kind = BackendEvent::kKeyDown;
	key.bytes = "x";
	server->Inject(key);
	Settle();
	EXPECT_EQ(a.Kinds(), std::vector<BackendEvent::Kind>{BackendEvent::kKeyDown});
	EXPECT_TRUE(b.Take().size() <= 1);  // only its deactivation

	// Hiding the active window hands activation to the next one.
	server->ShowWindow(aId, false);
	Settle();
	EXPECT_EQ(server->ActiveWindow(), bId);
}

TEST_F(DisplayServerTest, ModalWindowBlocksOthersAndStaysInFront)
{
	Recorder plain;
	Recorder modal;
	Open(plain, {0, 0, 199, 199});
	const int32 modalId = Open(modal, {50, 50, 149, 149}, WindowKind::kModal);
	const int32 plainId = server->WindowAt(10, 10);
	server->ActivateWindow(plainId);
	Settle();
	EXPECT_EQ(server->WindowAt(60, 60), modalId);
	plain.Take();
	Mouse(BackendEvent::kMouseDown, 10, 10, B_PRIMARY_MOUSE_BUTTON);
	Mouse(BackendEvent::kMouseUp, 10, 10, 0);
	BackendEvent key;
	key.kind = BackendEvent::kKeyDown;
	key.bytes = "a";
	key.window = plainId;
	server->Inject(key);
	Settle();
	for (BackendEvent::Kind kind : plain.Kinds()) {
		EXPECT_NE(kind, BackendEvent::kMouseDown);
		EXPECT_NE(kind, BackendEvent::kKeyDown);
	}
}

TEST_F(DisplayServerTest, UserResizeIsClampedToTheSizeLimits)
{
	Recorder client;
	const int32 id = Open(client, {10, 10, 209, 109});
	server->SetSizeLimits(id, 150, 300, 50, 120);
	client.Take();
	BackendEvent resize;
	resize.kind = BackendEvent::kWindowResized;
	resize.window = id;
	resize.width = 1000;
	resize.height = 10;
	server->Inject(resize);
	Settle();
	std::vector<BackendEvent> got = client.Take();
	ASSERT_EQ(got.size(), 1u);
	EXPECT_EQ(got[0].width, 300);
	EXPECT_EQ(got[0].height, 50);
	EXPECT_EQ(server->WindowFrame(id), (PixelRect{10, 10, 309, 59}));
}

TEST_F(DisplayServerTest, ScreenSnapshotStacksPresentedFrames)
{
	Recorder a;
	Recorder b;
	const int32 aId = Open(a, {0, 0, 9, 9});
	const int32 bId = Open(b, {5, 5, 14, 14});
	server->Present(aId, Framebuffer(10, 10, PackColor(255, 0, 0)), {{0, 0, 9, 9}});
	server->Present(bId, Framebuffer(10, 10, PackColor(0, 0, 255)), {{0, 0, 4, 4}});
	Framebuffer screen;
	ASSERT_TRUE(server->SnapshotScreen(screen));
	EXPECT_EQ(screen.PixelAt(2, 2), PackColor(255, 0, 0));
	EXPECT_EQ(screen.PixelAt(6, 6), PackColor(0, 0, 255));
	// Only the presented part of b changed; the rest is its initial white.
	EXPECT_EQ(screen.PixelAt(12, 12), PackColor(255, 255, 255));
	EXPECT_NE(screen.PixelAt(20, 20), PackColor(255, 255, 255));
	server->DestroyWindow(bId);
	ASSERT_TRUE(server->SnapshotScreen(screen));
	EXPECT_EQ(screen.PixelAt(6, 6), PackColor(255, 0, 0));
}

}  // namespace
