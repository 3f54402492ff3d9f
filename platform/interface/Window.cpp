// BWindow. Sections: construction and deletion; showing, hiding and quitting;
// frame and size limits; views and focus; messages from the display; mouse; keys
// and shortcuts; invalidation, drawing and presenting; pulse; conversion.
#include <Window.h>

#include <AppDefs.h>
#include <Button.h>
#include <MenuBar.h>
#include <OS.h>
#include <Message.h>
#include <View.h>

#include "AccessibilityHooks.h"
#include "WindowServerLink.h"

#include <assert.h>
#include <algorithm>
#include <condition_variable>
#include <ctype.h>
#include <math.h>
#include <mutex>
#include <string.h>
#include <thread>
#include <typeinfo>

using BPrivate::WindowServerLink;

namespace {

// Posted to itself when something became invalid; drawn at the next turn.
constexpr uint32 kUpdateMessage = '_UPD';
// Posted when drawing happened outside a turn of the loop, to present it.
constexpr uint32 kFlushMessage = '_FLS';

// A whole pixel within [low, high]; a value that is not finite counts as 0. A damaged
// frame (from a file, say) must give a window, never a failed allocation.
float PixelWithin(float value, float low, float high)
{
	if (!std::isfinite(value))
		value = 0;
	return floorf(std::clamp(value, low, high) + 0.5f);
}

float Finite(float value)
{
	return std::isfinite(value) ? value : 0;
}

// The server's limits are in device pixels.
float LegalPosition(float value)
{
	const float limit = DisplayServer::kMaxCoordinate / DisplayServer::Get().Scale();
	return PixelWithin(value, -limit, limit);
}

// Width or height as BRect has them: one less than the pixels.
float LegalExtent(float value)
{
	return PixelWithin(value, 0, DisplayServer::kMaxWindowSize / DisplayServer::Get().Scale() - 1);
}

BRect LegalFrame(BRect frame)
{
	const float left = LegalPosition(frame.left);
	const float top = LegalPosition(frame.top);
	const float width = LegalExtent(Finite(frame.right) - Finite(frame.left));
	const float height = LegalExtent(Finite(frame.bottom) - Finite(frame.top));
	return BRect(left, top, left + width, top + height);
}

WindowKind KindFor(window_look look, window_feel feel)
{
	if (feel == B_MODAL_APP_WINDOW_FEEL || feel == B_MODAL_SUBSET_WINDOW_FEEL
		|| feel == B_MODAL_ALL_WINDOW_FEEL)
		return WindowKind::kModal;
	if (look == B_NO_BORDER_WINDOW_LOOK && feel == B_FLOATING_ALL_WINDOW_FEEL)
		return WindowKind::kPopup;
	if (look == B_NO_BORDER_WINDOW_LOOK || look == B_BORDERED_WINDOW_LOOK)
		return WindowKind::kBordered;
	if (look == B_FLOATING_WINDOW_LOOK)
		return WindowKind::kFloating;
	if (look == B_DOCUMENT_WINDOW_LOOK)
		return WindowKind::kDocument;
	return WindowKind::kTitled;
}

void LookAndFeelFor(window_type type, window_look* look, window_feel* feel)
{
	*feel = B_NORMAL_WINDOW_FEEL;
	switch (type) {
		case B_MODAL_WINDOW:
			*look = B_MODAL_WINDOW_LOOK;
			*feel = B_MODAL_APP_WINDOW_FEEL;
			break;
		case B_DOCUMENT_WINDOW:
			*look = B_DOCUMENT_WINDOW_LOOK;
			break;
		case B_BORDERED_WINDOW:
			*look = B_BORDERED_WINDOW_LOOK;
			break;
		case B_FLOATING_WINDOW:
			*look = B_FLOATING_WINDOW_LOOK;
			*feel = B_FLOATING_APP_WINDOW_FEEL;
			break;
		default:
			*look = B_TITLED_WINDOW_LOOK;
			break;
	}
}

// The root of every window's views; it covers the window and follows its size.
class TopView : public BView {
public:
	explicit TopView(BRect frame)
		: BView(frame, "_top_", B_FOLLOW_ALL_SIDES, B_WILL_DRAW)
	{
		SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	}
};

// A Tab stop asks for the focus with B_NAVIGABLE (B_NAVIGABLE_JUMP alone marks a
// group, not a stop) and is a view that takes keys: controls, text and list views
// and the application's own views. A plain BView (a background, a group box) has
// no keyboard behaviour, so it is never one, whatever its flags.
bool IsTabStop(const BView* view)
{
	return (view->Flags() & B_NAVIGABLE) != 0 && typeid(*view) != typeid(BView);
}

bool IsWithin(const BView* view, const BView* ancestor)
{
	for (; view != nullptr; view = view->Parent()) {
		if (view == ancestor)
			return true;
	}
	return false;
}

}  // namespace

struct BWindow::Shortcut {
	uint32 key;
	uint32 modifiers;
	std::unique_ptr<BMessage> message;
	BHandler* target;
};

// Posts B_PULSE at the window's rate, one at a time, until stopped.
class BWindow::PulseTicker {
public:
	PulseTicker(BWindow* window, bigtime_t rate)
		: fWindow(window), fRate(rate), fThread([this] { Run(); })
	{
	}
	~PulseTicker()
	{
		{
			std::lock_guard<std::mutex> lock(fLock);
			fStop = true;
		}
		fWake.notify_all();
		fThread.join();
	}
	void SetRate(bigtime_t rate)
	{
		std::lock_guard<std::mutex> lock(fLock);
		fRate = rate;
		fWake.notify_all();
	}
	void Delivered() { fPending = false; }

private:
	void Run()
	{
		std::unique_lock<std::mutex> lock(fLock);
		while (!fStop) {
			fWake.wait_for(lock, std::chrono::microseconds(fRate));
			if (fStop)
				break;
			if (fRate > 0 && !fPending.exchange(true))
				fWindow->PostMessage(B_PULSE);
		}
	}

	BWindow* fWindow;
	bigtime_t fRate;
	std::mutex fLock;
	std::condition_variable fWake;
	bool fStop = false;
	std::atomic<bool> fPending{false};
	std::thread fThread;
};

// --- construction and deletion

BWindow::BWindow(BRect frame, const char* title, window_type type, uint32 flags,
	uint32 workspace)
	: BLooper(title),
	  fType(type)
{
	LookAndFeelFor(type, &fLook, &fFeel);
	_Init(frame, title, flags, workspace);
}

BWindow::BWindow(BRect frame, const char* title, window_look look, window_feel feel,
	uint32 flags, uint32 workspace)
	: BLooper(title),
	  fType(B_UNTYPED_WINDOW),
	  fLook(look),
	  fFeel(feel)
{
	_Init(frame, title, flags, workspace);
}

void BWindow::_Init(BRect frame, const char* title, uint32 flags, uint32 workspace)
{
	fFlags = flags;
	fWorkspaces = workspace == B_CURRENT_WORKSPACE ? 1 : workspace;
	fTitle = title != nullptr ? title : "";
	fFrame = LegalFrame(frame);
	WindowRequest request;
	request.frame = {(int32)fFrame.left, (int32)fFrame.top, (int32)fFrame.right,
		(int32)fFrame.bottom};
	request.title = fTitle;
	request.kind = KindFor(fLook, fFeel);
	request.resizable = !(flags & B_NOT_RESIZABLE)
		&& (flags & (B_NOT_H_RESIZABLE | B_NOT_V_RESIZABLE))
			!= (B_NOT_H_RESIZABLE | B_NOT_V_RESIZABLE);
	request.closable = !(flags & B_NOT_CLOSABLE);
	fLink = std::make_unique<WindowServerLink>(this, request);
	fTopView = new TopView(Bounds());
	fTopView->_Attach(this);
	fInvalid.Set(Bounds());
}

BWindow::~BWindow()
{
	_CloseServerWindow();
	fTopView->_Detach();
	delete fTopView;
	fTopView = nullptr;
	fLink.reset();
}

// --- showing, hiding and quitting

void BWindow::Show()
{
	if (--fShowLevel != 0)
		return;
	if (fLink->IsClosed())
		return;
	_Invalidate(Bounds());
	_Update();
	DisplayServer::Get().ShowWindow(fLink->Id(), true);
	if (auto* observer = BPrivate::accessibility_observer())
		observer->WindowShown(this);
	_StartPulse();
	if (!fRunning) {
		fRunning = true;
		Run();
	}
	// A popup gets no activation message that would present its first frame.
	if (fDrawn.CountRects() > 0)
		PostMessage(kFlushMessage, this);
}

void BWindow::Hide()
{
	if (fShowLevel++ == 0 && !fLink->IsClosed()) {
		DisplayServer::Get().ShowWindow(fLink->Id(), false);
		BPrivate::note_accessible_change(fAccessible, BPrivate::kAccessibleStates);
	}
}

bool BWindow::IsHidden() const
{
	return fShowLevel > 0;
}

bool BWindow::QuitRequested()
{
	return true;
}

void BWindow::Quit()
{
	if (!IsLocked())
		Lock();
	_CloseServerWindow();
	BLooper::Quit();
}

void BWindow::_CloseServerWindow()
{
	// Closed, the window leaves what a reader is shown at once, before it is deleted.
	BPrivate::drop_accessible_link(&fAccessible);
	fPulse.reset();
	if (fLink)
		fLink->Close();
	fActive = false;
}

// --- frame and size limits

BRect BWindow::Frame() const
{
	return fFrame;
}

BRect BWindow::Bounds() const
{
	return BRect(0, 0, fFrame.Width(), fFrame.Height());
}

void BWindow::SetTitle(const char* title)
{
	fTitle = title != nullptr ? title : "";
	SetName(fTitle.c_str());
	if (!fLink->IsClosed())
		DisplayServer::Get().SetTitle(fLink->Id(), fTitle);
	BPrivate::note_accessible_change(fAccessible, BPrivate::kAccessibleName);
}

const char* BWindow::Title() const
{
	return fTitle.c_str();
}

void BWindow::MoveBy(float dx, float dy)
{
	MoveTo(BPoint(fFrame.left + dx, fFrame.top + dy));
}

void BWindow::MoveTo(BPoint where)
{
	where = BPoint(LegalPosition(where.x), LegalPosition(where.y));
	if (where == fFrame.LeftTop())
		return;
	fFrame.OffsetTo(where);
	if (!fLink->IsClosed())
		fLink->Move((int32)where.x, (int32)where.y);
	// The hook runs from the loop, as it does for the user's moves.
	BMessage moved(B_WINDOW_MOVED);
	moved.AddPoint("where", where);
	PostMessage(&moved, this);
}

void BWindow::ResizeBy(float dx, float dy)
{
	ResizeTo(fFrame.Width() + dx, fFrame.Height() + dy);
}

void BWindow::ResizeTo(float width, float height)
{
	width = LegalExtent(std::clamp(LegalExtent(width), fMinWidth, fMaxWidth));
	height = LegalExtent(std::clamp(LegalExtent(height), fMinHeight, fMaxHeight));
	if (width == fFrame.Width() && height == fFrame.Height())
		return;
	_ApplySize(width, height);
	if (!fLink->IsClosed())
		fLink->Resize((int32)width + 1, (int32)height + 1);
	BMessage resized(B_WINDOW_RESIZED);
	resized.AddFloat("width", width);
	resized.AddFloat("height", height);
	PostMessage(&resized, this);
}

void BWindow::SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight)
{
	fMinWidth = std::max(0.0f, minWidth);
	fMaxWidth = std::max(fMinWidth, maxWidth);
	fMinHeight = std::max(0.0f, minHeight);
	fMaxHeight = std::max(fMinHeight, maxHeight);
	if (!fLink->IsClosed()) {
		// In pixels, as far as a window can go.
		fLink->SetSizeLimits(int32(LegalExtent(fMinWidth)) + 1, int32(LegalExtent(fMaxWidth)) + 1,
			int32(LegalExtent(fMinHeight)) + 1, int32(LegalExtent(fMaxHeight)) + 1);
	}
	const float width = std::clamp(fFrame.Width(), fMinWidth, fMaxWidth);
	const float height = std::clamp(fFrame.Height(), fMinHeight, fMaxHeight);
	if (width != fFrame.Width() || height != fFrame.Height())
		ResizeTo(width, height);
}

void BWindow::GetSizeLimits(float* minWidth, float* maxWidth, float* minHeight,
	float* maxHeight) const
{
	if (minWidth != nullptr)
		*minWidth = fMinWidth;
	if (maxWidth != nullptr)
		*maxWidth = fMaxWidth;
	if (minHeight != nullptr)
		*minHeight = fMinHeight;
	if (maxHeight != nullptr)
		*maxHeight = fMaxHeight;
}

void BWindow::_ApplySize(float width, float height)
{
	fFrame.right = fFrame.left + width;
	fFrame.bottom = fFrame.top + height;
	fLink->ResizeBuffer((int32)width + 1, (int32)height + 1);
	fTopView->ResizeTo(width, height);
	fInvalid.MakeEmpty();
	_Invalidate(Bounds());
}

void BWindow::_HandleResized(float width, float height)
{
	if (width != fFrame.Width() || height != fFrame.Height())
		_ApplySize(width, height);
	FrameResized(width, height);
}

// --- views and focus

void BWindow::AddChild(BView* child, BView* before)
{
	fTopView->AddChild(child, before);
}

bool BWindow::RemoveChild(BView* child)
{
	return fTopView->RemoveChild(child);
}

int32 BWindow::CountChildren() const
{
	return fTopView->CountChildren();
}

BView* BWindow::ChildAt(int32 index) const
{
	return fTopView->ChildAt(index);
}

BView* BWindow::FindView(const char* name) const
{
	return fTopView->FindView(name);
}

BView* BWindow::FindView(BPoint point) const
{
	BView* view = _MouseTarget(point);
	return view != fTopView ? view : nullptr;
}

BView* BWindow::_MouseTarget(BPoint where) const
{
	// The deepest shown view under the point; later children lie above earlier ones.
	BView* found = fTopView;
	bool descended = true;
	while (descended) {
		descended = false;
		const BPoint local = where - found->_OffsetInWindow();
		for (auto it = found->fChildren.rbegin(); it != found->fChildren.rend(); ++it) {
			BView* child = *it;
			if (child->fHideCount == 0 && child->fFrame.Contains(local)) {
				found = child;
				descended = true;
				break;
			}
		}
	}
	return found;
}

void BWindow::_ViewRemoved(BView* view)
{
	if (IsWithin(fFocus, view)) {
		fFocus = nullptr;
		BPrivate::note_accessible_change(fAccessible, BPrivate::kAccessibleFocus);
	}
	if (IsWithin(fCaptureView, view))
		fCaptureView = nullptr;
	if (IsWithin(fMouseView, view))
		fMouseView = nullptr;
	if (IsWithin(fDefaultButton, view))
		fDefaultButton = nullptr;
}

void BWindow::_Navigate(bool backward)
{
	std::vector<BView*> order;
	std::vector<BView*> pending{fTopView};
	while (!pending.empty()) {
		BView* view = pending.back();
		pending.pop_back();
		if (view->fHideCount > 0)
			continue;
		if (view != fTopView && IsTabStop(view))
			order.push_back(view);
		for (auto it = view->fChildren.rbegin(); it != view->fChildren.rend(); ++it)
			pending.push_back(*it);
	}
	if (order.empty())
		return;
	auto current = std::find(order.begin(), order.end(), fFocus);
	size_t next;
	if (current == order.end())
		next = backward ? order.size() - 1 : 0;
	else if (backward)
		next = current == order.begin() ? order.size() - 1 : (current - order.begin()) - 1;
	else
		next = (size_t)(current - order.begin() + 1) % order.size();
	order[next]->MakeFocus(true);
}

void BWindow::SetDefaultButton(BButton* button)
{
	if (button == fDefaultButton)
		return;
	BButton* previous = fDefaultButton;
	fDefaultButton = button;
	for (BView* changed : {static_cast<BView*>(previous), static_cast<BView*>(button)}) {
		if (changed != nullptr)
			BPrivate::note_accessible_change(changed->fAccessible, BPrivate::kAccessibleStates);
	}
}

void BWindow::Activate(bool active)
{
	if (fLink->IsClosed())
		return;
	if (active)
		DisplayServer::Get().ActivateWindow(fLink->Id());
}

// --- messages from the display

void BWindow::FrameMoved(BPoint) {}
void BWindow::FrameResized(float, float) {}
void BWindow::WindowActivated(bool) {}

void BWindow::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}

void BWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (handler != this || !_HandleDisplayMessage(message))
		BLooper::DispatchMessage(message, handler);
	if (fDrawn.CountRects() > 0)
		_Present();
}

bool BWindow::_HandleDisplayMessage(BMessage* message)
{
	switch (message->what) {
		case kUpdateMessage:
			_Update();
			return true;
		case kFlushMessage:
			return true;  // presented after every message
		case B_MOUSE_DOWN:
		case B_MOUSE_UP:
		case B_MOUSE_MOVED:
		case B_MOUSE_ENTER_EXIT:
			_HandleMouse(message);
			return true;
		case B_KEY_DOWN:
		case B_KEY_UP:
			_HandleKey(message);
			return true;
		case B_INPUT_METHOD_EVENT:
			// A composition belongs to the text that has the keyboard.
			if (fFocus != nullptr)
				fFocus->MessageReceived(message);
			return true;
		case B_MOUSE_WHEEL_CHANGED:
			// The view under the pointer scrolls, or passes the wheel to its parent.
			_MouseTarget(message->GetPoint("where", BPoint()))->MessageReceived(message);
			return true;
		case B_WINDOW_MOVED: {
			const BPoint where = message->GetPoint("where", fFrame.LeftTop());
			fFrame.OffsetTo(where);
			FrameMoved(where);
			return true;
		}
		case B_WINDOW_RESIZED:
			_HandleResized(message->GetFloat("width", fFrame.Width()),
				message->GetFloat("height", fFrame.Height()));
			return true;
		case B_WINDOW_ACTIVATED: {
			const bool active = message->GetBool("active", false);
			if (active == fActive)
				return true;
			fActive = active;
			BPrivate::note_accessible_change(fAccessible,
				BPrivate::kAccessibleStates | BPrivate::kAccessibleFocus);
			WindowActivated(active);
			std::vector<BView*> pending{fTopView};
			while (!pending.empty()) {
				BView* view = pending.back();
				pending.pop_back();
				view->WindowActivated(active);
				pending.insert(pending.end(), view->fChildren.begin(), view->fChildren.end());
			}
			return true;
		}
		case B_PULSE:
			if (fPulse)
				fPulse->Delivered();
			_Pulse(fTopView);
			return true;
		default:
			return false;
	}
}

// --- mouse

void BWindow::_HandleMouse(BMessage* message)
{
	const BPoint where = message->GetPoint("where", BPoint());
	const uint32 buttons = (uint32)message->GetInt32("buttons", 0);
	auto local = [&](BView* view) { return where - view->_OffsetInWindow(); };
	auto deliver = [&](BView* view, uint32 what, uint32 transit) {
		// Hooks read the current message; give it the view's own point too.
		const BPoint point = local(view);
		message->RemoveName("be:view_where");
		message->AddPoint("be:view_where", point);
		if (what == B_MOUSE_DOWN)
			view->MouseDown(point);
		else if (what == B_MOUSE_UP)
			view->MouseUp(point);
		else
			view->MouseMoved(point, transit, nullptr);
	};

	switch (message->what) {
		case B_MOUSE_DOWN: {
			BView* target = fCaptureView != nullptr ? fCaptureView : _MouseTarget(where);
			// While a menu is open a click anywhere in the window belongs to its bar,
			// which closes the menu when the click is not on a menu.
			if (fCaptureView == nullptr && fKeyMenuBar != nullptr
				&& fKeyMenuBar->_IsMenuOpen())
				target = fKeyMenuBar;
			fMouseButtons = buttons;
			fCaptureView = target;
			if (target != fMouseView) {
				if (fMouseView != nullptr)
					deliver(fMouseView, B_MOUSE_MOVED, B_EXITED_VIEW);
				fMouseView = target;
			}
			deliver(target, B_MOUSE_DOWN, 0);
			break;
		}
		case B_MOUSE_UP: {
			BView* target = fCaptureView != nullptr ? fCaptureView : _MouseTarget(where);
			fMouseButtons = buttons;
			if (buttons == 0) {
				fCaptureView = nullptr;
				if (target != nullptr)
					target->fEventMask = 0;
			}
			if (target != nullptr)
				deliver(target, B_MOUSE_UP, 0);
			break;
		}
		case B_MOUSE_MOVED: {
			if (fCaptureView != nullptr) {
				BView* capture = fCaptureView;
				const bool inside = capture->_VisibleInWindow().Contains(where);
				const bool wasInside = fMouseView == capture;
				fMouseView = inside ? capture : nullptr;
				deliver(capture, B_MOUSE_MOVED, inside ? (wasInside ? B_INSIDE_VIEW
					: B_ENTERED_VIEW) : (wasInside ? B_EXITED_VIEW : B_OUTSIDE_VIEW));
				break;
			}
			BView* target = _MouseTarget(where);
			if (target != fMouseView) {
				if (fMouseView != nullptr)
					deliver(fMouseView, B_MOUSE_MOVED, B_EXITED_VIEW);
				fMouseView = target;
				deliver(target, B_MOUSE_MOVED, B_ENTERED_VIEW);
			} else {
				deliver(target, B_MOUSE_MOVED, B_INSIDE_VIEW);
			}
			break;
		}
		case B_MOUSE_ENTER_EXIT:
			if (fMouseView != nullptr && fCaptureView == nullptr) {
				BView* left = fMouseView;
				fMouseView = nullptr;
				deliver(left, B_MOUSE_MOVED, B_EXITED_VIEW);
			}
			break;
	}
}

// --- keys and shortcuts

void BWindow::AddShortcut(uint32 key, uint32 modifiers, BMessage* message)
{
	AddShortcut(key, modifiers, message, this);
}

void BWindow::AddShortcut(uint32 key, uint32 modifiers, BMessage* message, BHandler* target)
{
	RemoveShortcut(key, modifiers);
	auto shortcut = std::make_unique<Shortcut>();
	shortcut->key = (uint32)tolower((int)key);
	shortcut->modifiers = modifiers & (B_SHIFT_KEY | B_OPTION_KEY);
	shortcut->message.reset(message);
	shortcut->target = target != nullptr ? target : this;
	fShortcuts.push_back(std::move(shortcut));
}

void BWindow::RemoveShortcut(uint32 key, uint32 modifiers)
{
	key = (uint32)tolower((int)key);
	modifiers &= B_SHIFT_KEY | B_OPTION_KEY;
	fShortcuts.erase(std::remove_if(fShortcuts.begin(), fShortcuts.end(),
		[&](const auto& s) { return s->key == key && s->modifiers == modifiers; }),
		fShortcuts.end());
}

bool BWindow::HasShortcut(uint32 key, uint32 modifiers) const
{
	key = (uint32)tolower((int)key);
	modifiers &= B_SHIFT_KEY | B_OPTION_KEY;
	return std::any_of(fShortcuts.begin(), fShortcuts.end(),
		[&](const auto& s) { return s->key == key && s->modifiers == modifiers; });
}

bool BWindow::_HandleShortcut(BMessage*, const char* bytes, uint32 modifiers)
{
	if (!(modifiers & B_COMMAND_KEY) || bytes[0] == '\0')
		return false;
	const uint32 key = (uint32)tolower((uint8)bytes[0]);
	if (fKeyMenuBar != nullptr && fKeyMenuBar->_InvokeShortcut(key, modifiers))
		return true;
	const uint32 extra = modifiers & (B_SHIFT_KEY | B_OPTION_KEY);
	for (const auto& shortcut : fShortcuts) {
		if (shortcut->key == key && shortcut->modifiers == extra) {
			BMessage copy(*shortcut->message);
			copy.AddInt64("when", system_time());
			// Posting would put the command behind keys already queued.
			if (shortcut->target->Looper() == this)
				DispatchMessage(&copy, shortcut->target);
			else
				PostMessage(&copy, shortcut->target);
			return true;
		}
	}
	return false;
}

void BWindow::_HandleKey(BMessage* message)
{
	const char* bytes = "";
	message->FindString("bytes", &bytes);
	const int32 length = (int32)strlen(bytes);
	const uint32 modifiers = (uint32)message->GetInt32("modifiers", 0);
	if (auto* observer = BPrivate::accessibility_observer())
		observer->KeyPressed(this, message);
	if (message->what == B_KEY_UP) {
		if (fFocus != nullptr)
			fFocus->KeyUp(bytes, length);
		return;
	}
	if (fKeyMenuBar != nullptr && fKeyMenuBar->_KeyWhileOpen(bytes))
		return;
	// F10 opens the menus from the keyboard, as desktops do.
	if (length == 1 && bytes[0] == B_FUNCTION_KEY
		&& message->GetInt32("key", 0) == B_F10_KEY && fKeyMenuBar != nullptr
		&& fKeyMenuBar->_OpenFromKeyboard())
		return;
	if (_HandleShortcut(message, bytes, modifiers))
		return;
	if (length == 1 && bytes[0] == B_ENTER && fDefaultButton != nullptr
		&& !fDefaultButton->IsHidden()) {
		fDefaultButton->KeyDown(bytes, length);
		return;
	}
	if (fFocus != nullptr)
		fFocus->KeyDown(bytes, length);
	else if (length == 1 && bytes[0] == B_TAB)
		_Navigate((modifiers & B_SHIFT_KEY) != 0);
	else
		MessageReceived(message);
}

// --- invalidation, drawing and presenting

void BWindow::_AssertLocked() const
{
	assert(!fRunning || IsLocked());
}

void BWindow::_Invalidate(BRect windowRect)
{
	if (!windowRect.IsValid())
		return;
	fInvalid.Include(windowRect & Bounds());
	if (!fUpdatePending && fRunning) {
		fUpdatePending = true;
		PostMessage(kUpdateMessage, this);
	}
}

void BWindow::UpdateIfNeeded()
{
	_Update();
	_Present();
}

void BWindow::_Update()
{
	fUpdatePending = false;
	if (fInvalid.CountRects() == 0 || (IsHidden() && fRunning))
		return;
	fUpdateRegion = fInvalid;
	fInvalid.MakeEmpty();
	fInUpdate = true;
	// Parents first, each view filled with its view colour and then drawn.
	std::vector<BView*> pending{fTopView};
	while (!pending.empty()) {
		BView* view = pending.back();
		pending.pop_back();
		if (view->fHideCount > 0)
			continue;
		const BRect visible = view->_VisibleInWindow();
		if (!fUpdateRegion.Intersects(visible))
			continue;
		BRect area = fUpdateRegion.Frame() & visible;
		if (view->ViewColor() != B_TRANSPARENT_COLOR) {
			const rgb_color high = view->HighColor();
			view->SetHighColor(view->ViewColor());
			view->FillRect(area.OffsetByCopy(-view->_OffsetInWindow().x,
				-view->_OffsetInWindow().y));
			view->SetHighColor(high);
		}
		if (view->Flags() & B_WILL_DRAW)
			view->Draw(area.OffsetByCopy(-view->_OffsetInWindow().x, -view->_OffsetInWindow().y));
		for (auto it = view->fChildren.rbegin(); it != view->fChildren.rend(); ++it)
			pending.push_back(*it);
	}
	fInUpdate = false;
	fDrawn.Include(&fUpdateRegion);
	fUpdateRegion.MakeEmpty();
}

Painter* BWindow::_PainterFor(const BView* view)
{
	_AssertLocked();
	// The view's visible part, less its children unless it draws on them, and
	// during an update only what is being updated.
	BRegion clip(view->_VisibleInWindow());
	if (!(view->Flags() & B_DRAW_ON_CHILDREN)) {
		for (const BView* child : view->fChildren) {
			if (child->fHideCount == 0)
				clip.Exclude(child->_VisibleInWindow());
		}
	}
	if (fInUpdate)
		clip.IntersectWith(&fUpdateRegion);
	std::vector<PixelRect> rects;
	rects.reserve(clip.CountRects());
	for (int32 i = 0; i < clip.CountRects(); i++) {
		const BRect r = clip.RectAt(i);
		rects.push_back({(int32)r.left, (int32)r.top, (int32)r.right, (int32)r.bottom});
	}
	Painter& painter = fLink->GetPainter();
	painter.SetClip(rects);
	return &painter;
}

void BWindow::_SetTextInputRect(BRect windowRect)
{
	if (!fLink->IsClosed())
		fLink->SetTextInputRect({(int32)windowRect.left, (int32)windowRect.top,
			(int32)windowRect.right, (int32)windowRect.bottom});
}

void BWindow::_NoteDrawn(const BRect& windowRect)
{
	if (fInUpdate)
		return;
	// Drawn by another thread holding the lock, or before the loop turns again:
	// make sure a turn comes that presents it.
	if (fDrawn.CountRects() == 0 && fRunning && find_thread(nullptr) != Thread())
		PostMessage(kFlushMessage, this);
	fDrawn.Include(windowRect & Bounds());
}

void BWindow::_Present()
{
	if (fDrawn.CountRects() == 0 || fLink->IsClosed())
		return;
	std::vector<PixelRect> rects;
	for (int32 i = 0; i < fDrawn.CountRects(); i++) {
		const BRect r = fDrawn.RectAt(i);
		rects.push_back({(int32)r.left, (int32)r.top, (int32)r.right, (int32)r.bottom});
	}
	fDrawn.MakeEmpty();
	fLink->Present(rects);
}

// --- pulse

void BWindow::SetPulseRate(bigtime_t rate)
{
	fPulseRate = rate;
	if (fPulse)
		fPulse->SetRate(rate);
}

namespace {

bool NeedsPulse(const BView* view)
{
	if (view->Flags() & B_PULSE_NEEDED)
		return true;
	for (int32 i = 0; i < view->CountChildren(); i++) {
		if (NeedsPulse(view->ChildAt(i)))
			return true;
	}
	return false;
}

}  // namespace

// Only windows with a view that asks for pulses get the ticker.
void BWindow::_StartPulse()
{
	if (!fPulse && !fLink->IsClosed() && !IsHidden() && NeedsPulse(fTopView))
		fPulse = std::make_unique<PulseTicker>(this, fPulseRate);
}

void BWindow::_Pulse(BView* view)
{
	if (view->fHideCount > 0)
		return;
	if (view->Flags() & B_PULSE_NEEDED)
		view->Pulse();
	for (size_t i = 0; i < view->fChildren.size(); i++)
		_Pulse(view->fChildren[i]);
}

// --- conversion

void BWindow::ConvertToScreen(BPoint* point) const
{
	*point += fFrame.LeftTop();
}

BPoint BWindow::ConvertToScreen(BPoint point) const
{
	return point + fFrame.LeftTop();
}

void BWindow::ConvertFromScreen(BPoint* point) const
{
	*point -= fFrame.LeftTop();
}

BPoint BWindow::ConvertFromScreen(BPoint point) const
{
	return point - fFrame.LeftTop();
}

void BWindow::ConvertToScreen(BRect* rect) const
{
	rect->OffsetBy(fFrame.left, fFrame.top);
}

BRect BWindow::ConvertToScreen(BRect rect) const
{
	return rect.OffsetByCopy(fFrame.left, fFrame.top);
}

void BWindow::ConvertFromScreen(BRect* rect) const
{
	rect->OffsetBy(-fFrame.left, -fFrame.top);
}

BRect BWindow::ConvertFromScreen(BRect rect) const
{
	return rect.OffsetByCopy(-fFrame.left, -fFrame.top);
}
