// BWindow: a top-level window with its own thread (a looper), holding a tree of
// views that it draws into its own framebuffer and presents through the display.
// Threading: its hooks run in the window's thread; from other threads, Lock it
// first. Created hidden and locked by its creator; the first Show starts it.
#ifndef _WINDOW_H
#define _WINDOW_H

#include <InterfaceDefs.h>
#include <Looper.h>
#include <Rect.h>
#include <Region.h>

#include <memory>
#include <string>
#include <vector>

class BButton;
class BMenuBar;
class BView;

enum window_type {
	B_UNTYPED_WINDOW = 0,
	B_TITLED_WINDOW = 1,
	B_MODAL_WINDOW = 3,
	B_DOCUMENT_WINDOW = 11,
	B_BORDERED_WINDOW = 20,
	B_FLOATING_WINDOW = 21,
};

enum window_look {
	B_BORDERED_WINDOW_LOOK = 20,
	B_NO_BORDER_WINDOW_LOOK = 19,
	B_TITLED_WINDOW_LOOK = 1,
	B_DOCUMENT_WINDOW_LOOK = 11,
	B_MODAL_WINDOW_LOOK = 3,
	B_FLOATING_WINDOW_LOOK = 7,
};

// A window with B_NO_BORDER_WINDOW_LOOK and B_FLOATING_ALL_WINDOW_FEEL is a popup
// (a menu): no frame, above every other window, never given the keyboard.
enum window_feel {
	B_NORMAL_WINDOW_FEEL = 0,
	B_MODAL_SUBSET_WINDOW_FEEL = 2,
	B_MODAL_APP_WINDOW_FEEL = 1,
	B_MODAL_ALL_WINDOW_FEEL = 3,
	B_FLOATING_SUBSET_WINDOW_FEEL = 4,
	B_FLOATING_APP_WINDOW_FEEL = 5,
	B_FLOATING_ALL_WINDOW_FEEL = 6,
};

enum {
	B_NOT_MOVABLE = 0x00000001,
	B_NOT_CLOSABLE = 0x00000020,
	B_NOT_ZOOMABLE = 0x00000040,
	B_NOT_MINIMIZABLE = 0x00004000,
	B_NOT_RESIZABLE = 0x00000002,
	B_NOT_H_RESIZABLE = 0x00000004,
	B_NOT_V_RESIZABLE = 0x00000008,
	B_AVOID_FRONT = 0x00000080,
	B_AVOID_FOCUS = 0x00002000,
	B_WILL_ACCEPT_FIRST_CLICK = 0x00000010,
	B_OUTLINE_RESIZE = 0x00001000,
	B_NO_WORKSPACE_ACTIVATION = 0x00000100,
	B_NOT_ANCHORED_ON_ACTIVATE = 0x00020000,
	B_ASYNCHRONOUS_CONTROLS = 0x00080000,
	B_QUIT_ON_WINDOW_CLOSE = 0x00100000,
};

namespace BPrivate {
class Accessible;
class AccessibleLinks;
class WindowServerLink;
class HeadlessScreen;
}

class BWindow : public BLooper {
public:
	BWindow(BRect frame, const char* title, window_type type, uint32 flags,
		uint32 workspace = B_CURRENT_WORKSPACE);
	BWindow(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
		uint32 workspace = B_CURRENT_WORKSPACE);
	// Only Quit deletes a window that has been shown.
	virtual ~BWindow();

	// Hooks.
	virtual void FrameMoved(BPoint newPosition);
	virtual void FrameResized(float newWidth, float newHeight);
	virtual void WindowActivated(bool active);
	virtual bool QuitRequested();
	virtual void MessageReceived(BMessage* message);
	virtual void DispatchMessage(BMessage* message, BHandler* handler);

	// Closes the window and deletes it (with its views) when its thread ends.
	virtual void Quit();
	virtual void Show();
	virtual void Hide();
	bool IsHidden() const;

	void SetTitle(const char* title);
	const char* Title() const;
	window_type Type() const { return fType; }
	window_look Look() const { return fLook; }
	window_feel Feel() const { return fFeel; }
	uint32 Flags() const { return fFlags; }
	uint32 Workspaces() const { return fWorkspaces; }

	// The content area in screen coordinates, and in its own.
	BRect Frame() const;
	BRect Bounds() const;
	void MoveBy(float dx, float dy);
	void MoveTo(BPoint where);
	void MoveTo(float x, float y) { MoveTo(BPoint(x, y)); }
	void ResizeBy(float dx, float dy);
	void ResizeTo(float width, float height);
	// Widths and heights as Bounds() gives them; held for the user's resizing too.
	void SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight);
	void GetSizeLimits(float* minWidth, float* maxWidth, float* minHeight,
		float* maxHeight) const;

	void AddChild(BView* child, BView* before = nullptr);
	bool RemoveChild(BView* child);
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* FindView(const char* name) const;
	BView* FindView(BPoint point) const;  // the deepest view there, in window coordinates
	BView* CurrentFocus() const { return fFocus; }

	void Activate(bool active = true);
	bool IsActive() const { return fActive; }

	// Command+key (Command is Ctrl) sends message to target (the window by default).
	// The window takes the message. A target in this window handles it at once, so
	// commands and keys are handled in the order they were typed. An enabled item
	// of the key menu bar with the same shortcut comes first; a disabled one leaves
	// the key to these shortcuts.
	void AddShortcut(uint32 key, uint32 modifiers, BMessage* message);
	void AddShortcut(uint32 key, uint32 modifiers, BMessage* message, BHandler* target);
	void RemoveShortcut(uint32 key, uint32 modifiers);
	bool HasShortcut(uint32 key, uint32 modifiers) const;

	// The menu bar whose items' shortcuts the window honours; the first bar added.
	void SetKeyMenuBar(BMenuBar* bar) { fKeyMenuBar = bar; }
	BMenuBar* KeyMenuBar() const { return fKeyMenuBar; }

	// Enter goes to this button wherever the focus is.
	void SetDefaultButton(BButton* button);
	BButton* DefaultButton() const { return fDefaultButton; }

	void SetPulseRate(bigtime_t rate);
	bigtime_t PulseRate() const { return fPulseRate; }

	void ConvertToScreen(BPoint* point) const;
	BPoint ConvertToScreen(BPoint point) const;
	void ConvertFromScreen(BPoint* point) const;
	BPoint ConvertFromScreen(BPoint point) const;
	void ConvertToScreen(BRect* rect) const;
	BRect ConvertToScreen(BRect rect) const;
	void ConvertFromScreen(BRect* rect) const;
	BRect ConvertFromScreen(BRect rect) const;

	// Draws what is invalid now instead of at the next turn of the loop.
	void UpdateIfNeeded();

private:
	friend class BView;
	friend class BPrivate::WindowServerLink;
	friend class BPrivate::HeadlessScreen;
	friend class BPrivate::AccessibleLinks;
	struct Shortcut;
	class PulseTicker;

	void _Init(BRect frame, const char* title, uint32 flags, uint32 workspace);
	void _CloseServerWindow();
	bool _HandleDisplayMessage(BMessage* message);
	void _HandleMouse(BMessage* message);
	void _HandleKey(BMessage* message);
	bool _HandleShortcut(BMessage* message, const char* bytes, uint32 modifiers);
	void _HandleResized(float width, float height);
	void _ApplySize(float width, float height);
	void _Navigate(bool backward);
	void _SetFocus(BView* view);
	void _ViewRemoved(BView* view);
	void _Invalidate(BRect windowRect);
	void _Update();
	void _Present();
	void _NoteDrawn(const BRect& windowRect);
	void _SetTextInputRect(BRect windowRect);
	class Painter* _PainterFor(const BView* view);
	void _StartPulse();
	void _Pulse(BView* view);
	void _AssertLocked() const;
	BView* _MouseTarget(BPoint where) const;

	window_type fType = B_TITLED_WINDOW;
	window_look fLook = B_TITLED_WINDOW_LOOK;
	window_feel fFeel = B_NORMAL_WINDOW_FEEL;
	uint32 fFlags = 0;
	uint32 fWorkspaces = 0;
	std::string fTitle;
	BRect fFrame;
	float fMinWidth = 0;
	float fMaxWidth = 32768;
	float fMinHeight = 0;
	float fMaxHeight = 32768;
	int32 fShowLevel = 1;
	bool fRunning = false;
	bool fActive = false;
	bool fUpdatePending = false;
	bool fInUpdate = false;
	BView* fTopView = nullptr;
	BView* fFocus = nullptr;
	BView* fMouseView = nullptr;      // the view the pointer was last in
	BView* fCaptureView = nullptr;    // gets pointer events while buttons are held
	uint32 fMouseButtons = 0;
	BButton* fDefaultButton = nullptr;
	BMenuBar* fKeyMenuBar = nullptr;
	std::vector<std::unique_ptr<Shortcut>> fShortcuts;
	bigtime_t fPulseRate = 500000;
	std::unique_ptr<PulseTicker> fPulse;
	BRegion fInvalid;             // window coordinates
	BRegion fDrawn;               // drawn but not yet presented
	BRegion fUpdateRegion;        // what the running update may touch
	std::unique_ptr<BPrivate::WindowServerLink> fLink;
	// A screen reader's object for this window, while one exists; window locked.
	BPrivate::Accessible* fAccessible = nullptr;
};

#endif
