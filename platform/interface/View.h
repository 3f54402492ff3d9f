// BView: a rectangle of a window that draws itself and takes the pointer and keys.
// Frame in the parent's coordinates, bounds in its own (moved by scrolling); children
// follow their resizing mode when it is resized.
// Threading: once attached, call it from the window's thread or with the window
// locked; drawing calls need the lock (asserted in debug builds).
#ifndef _VIEW_H
#define _VIEW_H

#include <Font.h>
#include <GraphicsDefs.h>
#include <Handler.h>
#include <InterfaceDefs.h>
#include <Rect.h>
#include <Region.h>

#include <string>
#include <vector>

class BScrollBar;
class BTextView;
class BWindow;
class TextLayout;

namespace BPrivate {
class Accessible;
class AccessibleLinks;
}

// Options of SetMouseEventMask.
enum {
	B_POINTER_EVENTS = 0x00000001,
	B_KEYBOARD_EVENTS = 0x00000002,
};

enum {
	B_LOCK_WINDOW_FOCUS = 0x00000001,
	B_SUSPEND_VIEW_FOCUS = 0x00000002,
	B_NO_POINTER_HISTORY = 0x00000004,
};

class BView : public BHandler {
public:
	BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
	// Deletes the children still attached.
	virtual ~BView();

	// Hooks.
	virtual void AttachedToWindow();
	virtual void AllAttached();
	virtual void DetachedFromWindow();
	virtual void AllDetached();
	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void MouseUp(BPoint where);
	virtual void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage);
	// Tab and Shift-Tab move the focus among navigable views; other keys are ignored.
	virtual void KeyDown(const char* bytes, int32 numBytes);
	virtual void KeyUp(const char* bytes, int32 numBytes);
	virtual void MakeFocus(bool focus = true);
	virtual void FrameMoved(BPoint newPosition);
	virtual void FrameResized(float newWidth, float newHeight);
	virtual void WindowActivated(bool active);
	virtual void Pulse();
	// The wheel turns this view's scroll bars, or goes on to the parent.
	virtual void MessageReceived(BMessage* message);
	// Every scroll passes through here (ScrollBy and scroll bars included).
	virtual void ScrollTo(BPoint where);
	virtual void SetFlags(uint32 flags);
	virtual void SetResizingMode(uint32 mode);
	virtual void SetViewColor(rgb_color color);
	virtual void SetHighColor(rgb_color color);
	virtual void SetLowColor(rgb_color color);
	virtual void SetFont(const BFont* font, uint32 mask = B_FONT_ALL);
	virtual void Show();
	virtual void Hide();

	// Hierarchy.
	void AddChild(BView* child, BView* before = nullptr);
	bool RemoveChild(BView* child);
	bool RemoveSelf();
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* NextSibling() const;
	BView* PreviousSibling() const;
	BView* Parent() const { return fParent; }
	BWindow* Window() const { return fWindow; }
	BView* FindView(const char* name) const;

	// Geometry.
	BRect Frame() const;
	BRect Bounds() const;
	BPoint LeftTop() const { return fOrigin; }
	uint32 ResizingMode() const { return fResizingMode; }
	uint32 Flags() const { return fFlags; }
	bool IsHidden() const;
	void MoveBy(float dx, float dy);
	void MoveTo(BPoint where);
	void MoveTo(float x, float y) { MoveTo(BPoint(x, y)); }
	void ResizeBy(float dx, float dy);
	void ResizeTo(float width, float height);
	void ScrollTo(float x, float y) { ScrollTo(BPoint(x, y)); }
	void ScrollBy(float dx, float dy);
	// The sibling scroll bar that scrolls this view, or null.
	BScrollBar* ScrollBar(orientation direction) const;

	void ConvertToParent(BPoint* point) const;
	BPoint ConvertToParent(BPoint point) const;
	void ConvertToParent(BRect* rect) const;
	BRect ConvertToParent(BRect rect) const;
	void ConvertFromParent(BPoint* point) const;
	BPoint ConvertFromParent(BPoint point) const;
	void ConvertFromParent(BRect* rect) const;
	BRect ConvertFromParent(BRect rect) const;
	void ConvertToScreen(BPoint* point) const;
	BPoint ConvertToScreen(BPoint point) const;
	void ConvertToScreen(BRect* rect) const;
	BRect ConvertToScreen(BRect rect) const;
	void ConvertFromScreen(BPoint* point) const;
	BPoint ConvertFromScreen(BPoint point) const;
	void ConvertFromScreen(BRect* rect) const;
	BRect ConvertFromScreen(BRect rect) const;

	// Colours and font.
	void SetViewColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	void SetHighColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	void SetLowColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	rgb_color ViewColor() const { return fViewColor; }
	rgb_color HighColor() const { return fHighColor; }
	rgb_color LowColor() const { return fLowColor; }
	void GetFont(BFont* font) const;
	void SetFontSize(float size);
	void GetFontHeight(font_height* height) const;
	float StringWidth(const char* string) const;
	float StringWidth(const char* string, int32 length) const;

	// Drawing, in this view's coordinates, clipped to its visible part (and to the
	// area being updated while Draw runs).
	void MovePenTo(BPoint where);
	void MovePenTo(float x, float y) { MovePenTo(BPoint(x, y)); }
	void MovePenBy(float dx, float dy);
	BPoint PenLocation() const;
	void StrokeLine(BPoint to, ::pattern pattern = B_SOLID_HIGH);
	void StrokeLine(BPoint from, BPoint to, ::pattern pattern = B_SOLID_HIGH);
	// A one-pixel frame; a pattern of both colours (B_MIXED_COLORS) dots it.
	void StrokeRect(BRect rect, ::pattern pattern = B_SOLID_HIGH);
	void FillRect(BRect rect, ::pattern pattern = B_SOLID_HIGH);
	void FillRegion(BRegion* region, ::pattern pattern = B_SOLID_HIGH);
	void InvertRect(BRect rect);
	// Draws at the baseline point and moves the pen to the end of the text.
	void DrawString(const char* string, BPoint where);
	void DrawString(const char* string, int32 length, BPoint where);
	void DrawString(const char* string);
	void DrawString(const char* string, int32 length);
	void Invalidate(BRect rect);
	void Invalidate();
	// Drawing reaches the screen after each message; Flush and Sync send it now.
	void Flush() const;
	void Sync() const;

	// Input.
	// With checkMessageQueue, a queued mouse-moved or mouse-up message is taken
	// out of the window's queue and reported, so a tracking loop sees every move
	// and the release.
	void GetMouse(BPoint* location, uint32* buttons, bool checkMessageQueue = true);
	// Pointer events go to this view until the buttons are released.
	status_t SetMouseEventMask(uint32 mask, uint32 options = 0);
	bool IsFocus() const;

private:
	friend class BTextView;
	friend class BWindow;
	friend class BPrivate::AccessibleLinks;
	BView(const BView&) = delete;
	BView& operator=(const BView&) = delete;

	// Draws a line of laid-out text in the high colour, the layout's left edge at
	// where.x and the line's baseline at where.y; only the clusters wholly within
	// [visibleLeft, visibleRight] (this view's x) are drawn.
	void _DrawLayout(const TextLayout& layout, int32 line, BPoint where, float visibleLeft,
		float visibleRight);
	// Tells the input method where the caret of this view's text is.
	void _SetTextInputRect(BRect rect);
	// Moves the pen past text drawn out of sight.
	void _SettlePen() const;

	void _Attach(BWindow* window);
	void _Detach();
	void _ParentResized(float dx, float dy);
	void _Resized(float dx, float dy);
	BPoint _OffsetInWindow() const;  // adds to a view point to give a window point
	BRect _VisibleInWindow() const;
	void _InvalidateInParent();
	// Tells a reader that this view's children changed.
	void _NoteChildren();

	BRect fFrame;                // in the parent's coordinates
	BPoint fOrigin;              // bounds' left top: the scroll position
	uint32 fResizingMode;
	uint32 fFlags;
	BView* fParent = nullptr;
	BWindow* fWindow = nullptr;
	std::vector<BView*> fChildren;
	int32 fHideCount = 0;
	rgb_color fViewColor;
	rgb_color fHighColor;
	rgb_color fLowColor;
	BFont fFont;
	mutable BPoint fPenLocation;
	// Text drawn where none of it could show: not laid out until the pen's place
	// after it is wanted, which it seldom is (a list's columns out of sight).
	mutable std::string fUnmeasured;
	mutable BFont fUnmeasuredFont;
	uint32 fEventMask = 0;
	// A screen reader's object for this view, while one exists; window locked.
	BPrivate::Accessible* fAccessible = nullptr;
};

#endif
