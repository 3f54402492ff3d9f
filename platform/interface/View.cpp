// BView. Sections: construction; hooks; hierarchy; geometry and resizing modes;
// coordinate conversion; colours and font; drawing; input and focus.
#include <View.h>

#include <ScrollBar.h>
#include <Window.h>

#include <AppDefs.h>
#include <MessageQueue.h>

#include "AccessibilityHooks.h"
#include "DisplayServer.h"
#include "Painter.h"
#include "TextLayout.h"
#include "WindowServerLink.h"

#include <algorithm>
#include <math.h>
#include <string.h>

namespace {

int32 ToPixel(float value)
{
	return (int32)floorf(value + 0.5f);
}

uint32 Pack(rgb_color color)
{
	return PackColor(color.red, color.green, color.blue);
}

// New position of one edge under its rule, when the parent's size changes by delta.
float FollowEdge(float edge, uint32 rule, float delta, uint32 farRule)
{
	if (rule == farRule)
		return edge + delta;
	if (rule == _VIEW_CENTER_)
		return edge + delta / 2;
	return edge;  // near edge, none, or no single rule (such as 0x1616's 6)
}

}  // namespace

// --- construction

BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
	: BHandler(name),
	  fFrame(ToPixel(frame.left), ToPixel(frame.top), ToPixel(frame.right),
		  ToPixel(frame.bottom)),
	  fResizingMode(resizingMode),
	  fFlags(flags),
	  fViewColor(make_color(255, 255, 255)),
	  fHighColor(make_color(0, 0, 0)),
	  fLowColor(make_color(255, 255, 255)),
	  fFont(be_plain_font)
{
}

BView::~BView()
{
	BPrivate::drop_accessible_link(&fAccessible);
	if (fParent != nullptr)
		RemoveSelf();
	while (!fChildren.empty()) {
		BView* child = fChildren.back();
		RemoveChild(child);
		delete child;
	}
}

// --- hooks

void BView::AttachedToWindow() {}
void BView::AllAttached() {}
void BView::DetachedFromWindow() {}
void BView::AllDetached() {}
void BView::Draw(BRect) {}
void BView::MouseDown(BPoint) {}
void BView::MouseUp(BPoint) {}
void BView::MouseMoved(BPoint, uint32, const BMessage*) {}
void BView::KeyUp(const char*, int32) {}
void BView::FrameMoved(BPoint) {}
void BView::FrameResized(float, float) {}
void BView::WindowActivated(bool) {}
void BView::Pulse() {}

void BView::MessageReceived(BMessage* message)
{
	if (message->what != B_MOUSE_WHEEL_CHANGED) {
		BHandler::MessageReceived(message);
		return;
	}
	BScrollBar* vertical = ScrollBar(B_VERTICAL);
	BScrollBar* horizontal = ScrollBar(B_HORIZONTAL);
	if (vertical == nullptr && horizontal == nullptr) {
		if (fParent != nullptr)
			fParent->MessageReceived(message);
		return;
	}
	const float dx = message->GetFloat("be:wheel_delta_x", 0);
	const float dy = message->GetFloat("be:wheel_delta_y", 0);
	if (vertical != nullptr)
		vertical->_Wheel(dy);
	if (horizontal != nullptr)
		horizontal->_Wheel(vertical != nullptr ? dx : (dx != 0 ? dx : dy));
}

void BView::KeyDown(const char* bytes, int32 numBytes)
{
	if (fWindow == nullptr || numBytes <= 0 || bytes[0] != B_TAB)
		return;
	const BMessage* message = fWindow->CurrentMessage();
	const uint32 held = message != nullptr && message->what == B_KEY_DOWN
		? (uint32)message->GetInt32("modifiers", 0) : modifiers();
	fWindow->_Navigate((held & B_SHIFT_KEY) != 0);
}

// --- hierarchy

void BView::AddChild(BView* child, BView* before)
{
	if (child == nullptr || child->fParent != nullptr || child == this)
		return;
	if (fWindow != nullptr)
		fWindow->_AssertLocked();
	auto position = std::find(fChildren.begin(), fChildren.end(), before);
	fChildren.insert(position, child);
	child->fParent = this;
	if (fWindow != nullptr) {
		child->_Attach(fWindow);
		child->_InvalidateInParent();
	}
	_NoteChildren();
}

bool BView::RemoveChild(BView* child)
{
	auto found = std::find(fChildren.begin(), fChildren.end(), child);
	if (child == nullptr || found == fChildren.end())
		return false;
	if (fWindow != nullptr) {
		fWindow->_AssertLocked();
		child->_InvalidateInParent();
		child->_Detach();
	}
	fChildren.erase(std::find(fChildren.begin(), fChildren.end(), child));
	child->fParent = nullptr;
	_NoteChildren();
	return true;
}

// The window's own root stands for the window itself.
void BView::_NoteChildren()
{
	BPrivate::Accessible* link = fAccessible;
	if (link == nullptr && fParent == nullptr && fWindow != nullptr
		&& fWindow->fTopView == this)
		link = fWindow->fAccessible;
	BPrivate::note_accessible_change(link, BPrivate::kAccessibleChildren);
}

bool BView::RemoveSelf()
{
	return fParent != nullptr && fParent->RemoveChild(this);
}

int32 BView::CountChildren() const
{
	return (int32)fChildren.size();
}

BView* BView::ChildAt(int32 index) const
{
	return index >= 0 && index < CountChildren() ? fChildren[index] : nullptr;
}

BView* BView::NextSibling() const
{
	if (fParent == nullptr)
		return nullptr;
	const auto& siblings = fParent->fChildren;
	auto me = std::find(siblings.begin(), siblings.end(), this);
	return me + 1 < siblings.end() ? *(me + 1) : nullptr;
}

BView* BView::PreviousSibling() const
{
	if (fParent == nullptr)
		return nullptr;
	const auto& siblings = fParent->fChildren;
	auto me = std::find(siblings.begin(), siblings.end(), this);
	return me != siblings.begin() ? *(me - 1) : nullptr;
}

BView* BView::FindView(const char* name) const
{
	if (name == nullptr)
		return nullptr;
	for (BView* child : fChildren) {
		if (child->Name() != nullptr && strcmp(child->Name(), name) == 0)
			return child;
	}
	for (BView* child : fChildren) {
		if (BView* found = child->FindView(name))
			return found;
	}
	return nullptr;
}

void BView::_Attach(BWindow* window)
{
	// The view and its children join the window first, then the hooks run:
	// AttachedToWindow from the top down, AllAttached from the bottom up.
	fWindow = window;
	window->AddHandler(this);
	if (fFlags & B_PULSE_NEEDED)
		window->_StartPulse();
	AttachedToWindow();
	for (size_t i = 0; i < fChildren.size(); i++)
		fChildren[i]->_Attach(window);
	AllAttached();
}

void BView::_Detach()
{
	DetachedFromWindow();
	for (size_t i = 0; i < fChildren.size(); i++)
		fChildren[i]->_Detach();
	AllDetached();
	// Out of the window, the view is out of what a reader is shown.
	BPrivate::drop_accessible_link(&fAccessible);
	if (fWindow != nullptr) {
		fWindow->_ViewRemoved(this);
		fWindow->RemoveHandler(this);
	}
	fWindow = nullptr;
}

// --- geometry and resizing modes

BRect BView::Frame() const
{
	return fFrame;
}

BRect BView::Bounds() const
{
	return BRect(fOrigin.x, fOrigin.y, fOrigin.x + fFrame.Width(), fOrigin.y + fFrame.Height());
}

bool BView::IsHidden() const
{
	for (const BView* view = this; view != nullptr; view = view->fParent) {
		if (view->fHideCount > 0)
			return true;
	}
	return fWindow != nullptr && fWindow->IsHidden();
}

void BView::Show()
{
	if (fHideCount == 0)
		return;
	if (--fHideCount == 0) {
		_InvalidateInParent();
		if (fParent != nullptr)
			fParent->_NoteChildren();
	}
}

void BView::Hide()
{
	if (fHideCount++ == 0) {
		_InvalidateInParent();
		if (fWindow != nullptr)
			fWindow->_ViewRemoved(this);
		if (fParent != nullptr)
			fParent->_NoteChildren();
	}
}

void BView::MoveBy(float dx, float dy)
{
	MoveTo(BPoint(fFrame.left + dx, fFrame.top + dy));
}

void BView::MoveTo(BPoint where)
{
	where = BPoint(ToPixel(where.x), ToPixel(where.y));
	if (where == fFrame.LeftTop())
		return;
	_InvalidateInParent();
	fFrame.OffsetTo(where);
	_InvalidateInParent();
	if (fFlags & B_FRAME_EVENTS)
		FrameMoved(where);
}

void BView::ResizeBy(float dx, float dy)
{
	ResizeTo(fFrame.Width() + dx, fFrame.Height() + dy);
}

void BView::ResizeTo(float width, float height)
{
	width = ToPixel(width);
	height = ToPixel(height);
	const float dx = width - fFrame.Width();
	const float dy = height - fFrame.Height();
	if (dx == 0 && dy == 0)
		return;
	_InvalidateInParent();
	fFrame.right = fFrame.left + width;
	fFrame.bottom = fFrame.top + height;
	_Resized(dx, dy);
	_InvalidateInParent();
}

void BView::_Resized(float dx, float dy)
{
	for (size_t i = 0; i < fChildren.size(); i++)
		fChildren[i]->_ParentResized(dx, dy);
	if (fFlags & B_FRAME_EVENTS)
		FrameResized(fFrame.Width(), fFrame.Height());
}

void BView::_ParentResized(float dx, float dy)
{
	const uint32 mode = fResizingMode;
	BRect frame = fFrame;
	frame.left = FollowEdge(fFrame.left, (mode >> 8) & 0xf, dx, _VIEW_RIGHT_);
	frame.right = FollowEdge(fFrame.right, mode & 0xf, dx, _VIEW_RIGHT_);
	frame.top = FollowEdge(fFrame.top, (mode >> 12) & 0xf, dy, _VIEW_BOTTOM_);
	frame.bottom = FollowEdge(fFrame.bottom, (mode >> 4) & 0xf, dy, _VIEW_BOTTOM_);
	const bool moved = frame.LeftTop() != fFrame.LeftTop();
	const float dw = frame.Width() - fFrame.Width();
	const float dh = frame.Height() - fFrame.Height();
	fFrame = frame;
	if (dw != 0 || dh != 0)
		_Resized(dw, dh);
	if (moved && (fFlags & B_FRAME_EVENTS))
		FrameMoved(fFrame.LeftTop());
}

void BView::ScrollTo(BPoint where)
{
	if (where == fOrigin)
		return;
	fOrigin = where;
	Invalidate();
	// The bars follow without scrolling this view a second time.
	if (BScrollBar* bar = ScrollBar(B_VERTICAL))
		bar->_TargetScrolled(where.y);
	if (BScrollBar* bar = ScrollBar(B_HORIZONTAL))
		bar->_TargetScrolled(where.x);
}

BScrollBar* BView::ScrollBar(orientation direction) const
{
	if (fParent == nullptr)
		return nullptr;
	for (BView* sibling : fParent->fChildren) {
		auto* bar = dynamic_cast<BScrollBar*>(sibling);
		if (bar != nullptr && bar->Target() == this && bar->Orientation() == direction)
			return bar;
	}
	return nullptr;
}

void BView::ScrollBy(float dx, float dy)
{
	ScrollTo(BPoint(fOrigin.x + dx, fOrigin.y + dy));
}

void BView::SetFlags(uint32 flags)
{
	fFlags = flags;
	if ((flags & B_PULSE_NEEDED) && fWindow != nullptr)
		fWindow->_StartPulse();
}

void BView::SetResizingMode(uint32 mode)
{
	fResizingMode = mode;
}

// --- coordinate conversion

void BView::ConvertToParent(BPoint* point) const
{
	point->x += fFrame.left - fOrigin.x;
	point->y += fFrame.top - fOrigin.y;
}

BPoint BView::ConvertToParent(BPoint point) const
{
	ConvertToParent(&point);
	return point;
}

void BView::ConvertToParent(BRect* rect) const
{
	rect->OffsetBy(fFrame.left - fOrigin.x, fFrame.top - fOrigin.y);
}

BRect BView::ConvertToParent(BRect rect) const
{
	ConvertToParent(&rect);
	return rect;
}

void BView::ConvertFromParent(BPoint* point) const
{
	point->x -= fFrame.left - fOrigin.x;
	point->y -= fFrame.top - fOrigin.y;
}

BPoint BView::ConvertFromParent(BPoint point) const
{
	ConvertFromParent(&point);
	return point;
}

void BView::ConvertFromParent(BRect* rect) const
{
	rect->OffsetBy(fOrigin.x - fFrame.left, fOrigin.y - fFrame.top);
}

BRect BView::ConvertFromParent(BRect rect) const
{
	ConvertFromParent(&rect);
	return rect;
}

BPoint BView::_OffsetInWindow() const
{
	BPoint offset;
	for (const BView* view = this; view != nullptr; view = view->fParent)
		offset += view->fFrame.LeftTop() - view->fOrigin;
	return offset;
}

void BView::ConvertToScreen(BPoint* point) const
{
	*point += _OffsetInWindow();
	if (fWindow != nullptr)
		fWindow->ConvertToScreen(point);
}

BPoint BView::ConvertToScreen(BPoint point) const
{
	ConvertToScreen(&point);
	return point;
}

void BView::ConvertToScreen(BRect* rect) const
{
	BPoint leftTop = rect->LeftTop();
	ConvertToScreen(&leftTop);
	rect->OffsetTo(leftTop);
}

BRect BView::ConvertToScreen(BRect rect) const
{
	ConvertToScreen(&rect);
	return rect;
}

void BView::ConvertFromScreen(BPoint* point) const
{
	if (fWindow != nullptr)
		fWindow->ConvertFromScreen(point);
	*point -= _OffsetInWindow();
}

BPoint BView::ConvertFromScreen(BPoint point) const
{
	ConvertFromScreen(&point);
	return point;
}

void BView::ConvertFromScreen(BRect* rect) const
{
	BPoint leftTop = rect->LeftTop();
	ConvertFromScreen(&leftTop);
	rect->OffsetTo(leftTop);
}

BRect BView::ConvertFromScreen(BRect rect) const
{
	ConvertFromScreen(&rect);
	return rect;
}

BRect BView::_VisibleInWindow() const
{
	if (fWindow == nullptr || IsHidden())
		return BRect();
	BRect visible = Bounds();
	visible.OffsetBy(_OffsetInWindow());
	for (const BView* view = fParent; view != nullptr; view = view->fParent) {
		BRect bounds = view->Bounds();
		bounds.OffsetBy(view->_OffsetInWindow());
		visible = visible & bounds;
	}
	return visible;
}

// --- colours and font

void BView::SetViewColor(rgb_color color)
{
	if (color == fViewColor)
		return;
	fViewColor = color;
	if (fWindow != nullptr)
		Invalidate();
}

void BView::SetViewColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	SetViewColor(make_color(red, green, blue, alpha));
}

void BView::SetHighColor(rgb_color color)
{
	fHighColor = color;
}

void BView::SetHighColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	SetHighColor(make_color(red, green, blue, alpha));
}

void BView::SetLowColor(rgb_color color)
{
	fLowColor = color;
}

void BView::SetLowColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	SetLowColor(make_color(red, green, blue, alpha));
}

void BView::SetFont(const BFont* font, uint32 mask)
{
	if (font == nullptr)
		return;
	if ((mask & B_FONT_ALL) == B_FONT_ALL) {
		fFont = *font;
		return;
	}
	if (mask & B_FONT_FAMILY_AND_STYLE) {
		font_family family;
		font_style style;
		font->GetFamilyAndStyle(&family, &style);
		fFont.SetFamilyAndStyle(family, style);
	}
	if (mask & B_FONT_SIZE)
		fFont.SetSize(font->Size());
}

void BView::GetFont(BFont* font) const
{
	*font = fFont;
}

void BView::SetFontSize(float size)
{
	fFont.SetSize(size);
}

void BView::GetFontHeight(font_height* height) const
{
	fFont.GetHeight(height);
}

float BView::StringWidth(const char* string) const
{
	return fFont.StringWidth(string);
}

float BView::StringWidth(const char* string, int32 length) const
{
	return fFont.StringWidth(string, length);
}

// --- drawing

void BView::MovePenTo(BPoint where)
{
	fUnmeasured.clear();
	fPenLocation = where;
}

void BView::MovePenBy(float dx, float dy)
{
	_SettlePen();
	fPenLocation += BPoint(dx, dy);
}

BPoint BView::PenLocation() const
{
	_SettlePen();
	return fPenLocation;
}

void BView::_SettlePen() const
{
	if (fUnmeasured.empty())
		return;
	fPenLocation.x += fUnmeasuredFont.StringWidth(fUnmeasured.data(), (int32)fUnmeasured.size());
	fUnmeasured.clear();
}

namespace {

bool IsSolid(const pattern& p, uint8 value)
{
	for (uint8 row : p.data) {
		if (row != value)
			return false;
	}
	return true;
}

}  // namespace

void BView::StrokeLine(BPoint to, ::pattern pattern)
{
	StrokeLine(PenLocation(), to, pattern);
}

void BView::StrokeLine(BPoint from, BPoint to, ::pattern pattern)
{
	MovePenTo(to);
	Painter* painter = fWindow != nullptr ? fWindow->_PainterFor(this) : nullptr;
	if (painter == nullptr)
		return;
	const BPoint offset = _OffsetInWindow();
	const int32 x0 = ToPixel(from.x + offset.x);
	const int32 y0 = ToPixel(from.y + offset.y);
	const int32 x1 = ToPixel(to.x + offset.x);
	const int32 y1 = ToPixel(to.y + offset.y);
	const uint32 color = Pack(IsSolid(pattern, 0) ? fLowColor : fHighColor);
	painter->StrokeLine(x0, y0, x1, y1, color);
	fWindow->_NoteDrawn(BRect(std::min(x0, x1), std::min(y0, y1), std::max(x0, x1),
		std::max(y0, y1)));
}

void BView::StrokeRect(BRect rect, ::pattern pattern)
{
	// A pattern of both colours runs along each edge, as FillRect lays it.
	if (!IsSolid(pattern, 0) && !IsSolid(pattern, 0xff)) {
		FillRect(BRect(rect.left, rect.top, rect.right, rect.top), pattern);
		FillRect(BRect(rect.left, rect.bottom, rect.right, rect.bottom), pattern);
		FillRect(BRect(rect.left, rect.top, rect.left, rect.bottom), pattern);
		FillRect(BRect(rect.right, rect.top, rect.right, rect.bottom), pattern);
		return;
	}
	Painter* painter = fWindow != nullptr ? fWindow->_PainterFor(this) : nullptr;
	if (painter == nullptr || !rect.IsValid())
		return;
	rect.OffsetBy(_OffsetInWindow());
	const PixelRect pixels{ToPixel(rect.left), ToPixel(rect.top), ToPixel(rect.right),
		ToPixel(rect.bottom)};
	painter->StrokeRect(pixels, Pack(IsSolid(pattern, 0) ? fLowColor : fHighColor));
	fWindow->_NoteDrawn(rect);
}

void BView::FillRect(BRect rect, ::pattern pattern)
{
	Painter* painter = fWindow != nullptr ? fWindow->_PainterFor(this) : nullptr;
	if (painter == nullptr || !rect.IsValid())
		return;
	rect.OffsetBy(_OffsetInWindow());
	const PixelRect pixels{ToPixel(rect.left), ToPixel(rect.top), ToPixel(rect.right),
		ToPixel(rect.bottom)};
	painter->FillRect(pixels, pattern.data, Pack(fHighColor), Pack(fLowColor));
	fWindow->_NoteDrawn(rect);
}

void BView::FillRegion(BRegion* region, ::pattern pattern)
{
	if (region == nullptr)
		return;
	for (int32 i = 0; i < region->CountRects(); i++)
		FillRect(region->RectAt(i), pattern);
}

void BView::InvertRect(BRect rect)
{
	Painter* painter = fWindow != nullptr ? fWindow->_PainterFor(this) : nullptr;
	if (painter == nullptr || !rect.IsValid())
		return;
	rect.OffsetBy(_OffsetInWindow());
	painter->InvertRect({ToPixel(rect.left), ToPixel(rect.top), ToPixel(rect.right),
		ToPixel(rect.bottom)});
	fWindow->_NoteDrawn(rect);
}

void BView::DrawString(const char* string, BPoint where)
{
	if (string != nullptr)
		DrawString(string, (int32)strlen(string), where);
}

void BView::DrawString(const char* string, int32 length, BPoint where)
{
	MovePenTo(where);
	DrawString(string, length);
}

void BView::DrawString(const char* string)
{
	if (string != nullptr)
		DrawString(string, (int32)strlen(string));
}

void BView::DrawString(const char* string, int32 length)
{
	if (string == nullptr || length <= 0)
		return;
	_SettlePen();
	const std::string_view text(string, strnlen(string, (size_t)length));
	Painter* painter = fWindow != nullptr ? fWindow->_PainterFor(this) : nullptr;
	const BPoint where = fPenLocation + _OffsetInWindow();
	if (painter == nullptr
		|| !painter->MayShowText(ToPixel(where.x), ToPixel(where.y), fFont.Size())) {
		fUnmeasured.assign(text);
		fUnmeasuredFont = fFont;
		return;
	}
	const std::shared_ptr<const TextLayout> line = TextEngine::Default().Line(fFont.EngineFont(),
		text);
	_DrawLayout(*line, 0, fPenLocation, -1e9f, 1e9f);
	fPenLocation.x += line->Width();
}


void BView::_DrawLayout(const TextLayout& layout, int32 line, BPoint where, float visibleLeft,
	float visibleRight)
{
	Painter* painter = fWindow != nullptr ? fWindow->_PainterFor(this) : nullptr;
	if (painter == nullptr)
		return;
	const BPoint offset = _OffsetInWindow();
	const int32 x = ToPixel(where.x + offset.x);
	const int32 y = ToPixel(where.y + offset.y);
	painter->DrawText(layout, line, x, y, Pack(fHighColor), visibleLeft + offset.x,
		visibleRight + offset.x);
	// Marks above and below, and taller fallback fonts, reach past the font's
	// own heights.
	const float size = layout.FontSize();
	fWindow->_NoteDrawn(BRect(x + layout.LineLeft(line) - size, y - 2 * size,
		x + layout.LineLeft(line) + layout.LineWidth(line) + size, y + size));
}

void BView::_SetTextInputRect(BRect rect)
{
	if (fWindow != nullptr)
		fWindow->_SetTextInputRect(rect.OffsetByCopy(_OffsetInWindow().x, _OffsetInWindow().y));
}

void BView::Invalidate(BRect rect)
{
	if (fWindow == nullptr || !rect.IsValid())
		return;
	rect.OffsetBy(_OffsetInWindow());
	fWindow->_Invalidate(rect & _VisibleInWindow());
}

void BView::Invalidate()
{
	Invalidate(Bounds());
}

void BView::_InvalidateInParent()
{
	if (fWindow == nullptr)
		return;
	if (fParent == nullptr) {
		Invalidate();
		return;
	}
	fParent->Invalidate(fFrame);
}

void BView::Flush() const
{
	if (fWindow != nullptr)
		fWindow->_Present();
}

void BView::Sync() const
{
	Flush();
}

// --- input and focus

bool BView::IsFocus() const
{
	return fWindow != nullptr && fWindow->CurrentFocus() == this;
}

void BView::MakeFocus(bool focus)
{
	if (fWindow == nullptr)
		return;
	if (focus) {
		BView* previous = fWindow->fFocus;
		if (previous == this)
			return;
		fWindow->fFocus = this;
		if (previous != nullptr)
			previous->MakeFocus(false);
		BPrivate::note_accessible_change(fWindow->fAccessible, BPrivate::kAccessibleFocus);
	} else if (fWindow->fFocus == this) {
		fWindow->fFocus = nullptr;
		BPrivate::note_accessible_change(fWindow->fAccessible, BPrivate::kAccessibleFocus);
	}
}

status_t BView::SetMouseEventMask(uint32 mask, uint32)
{
	if (fWindow == nullptr)
		return B_ERROR;
	if (mask & B_POINTER_EVENTS)
		fWindow->fCaptureView = this;
	fEventMask = mask;
	return B_OK;
}

void BView::GetMouse(BPoint* location, uint32* buttons, bool checkMessageQueue)
{
	if (fWindow == nullptr) {
		if (location != nullptr)
			*location = BPoint();
		if (buttons != nullptr)
			*buttons = 0;
		return;
	}
	fWindow->_AssertLocked();
	if (checkMessageQueue) {
		// The oldest queued move or release comes first, so the caller misses neither.
		BMessageQueue* queue = fWindow->MessageQueue();
		queue->Lock();
		BMessage* found = nullptr;
		for (int32 i = 0; BMessage* message = queue->FindMessage(i); i++) {
			if (message->what == B_MOUSE_MOVED || message->what == B_MOUSE_UP) {
				found = message;
				break;
			}
		}
		if (found != nullptr)
			queue->RemoveMessage(found);
		queue->Unlock();
		if (found != nullptr) {
			BPoint where = found->GetPoint("where", BPoint());
			uint32 pressed = (uint32)found->GetInt32("buttons", 0);
			if (found->what == B_MOUSE_UP) {
				pressed = 0;
				fWindow->fCaptureView = nullptr;
				fWindow->fMouseButtons = 0;
			}
			delete found;
			if (location != nullptr)
				*location = where - _OffsetInWindow();
			if (buttons != nullptr)
				*buttons = pressed;
			return;
		}
	}
	int32 x;
	int32 y;
	uint32 pressed;
	DisplayServer::Get().GetMouse(&x, &y, &pressed);
	if (location != nullptr)
		*location = ConvertFromScreen(BPrivate::WindowServerLink::FromDevice(x, y));
	if (buttons != nullptr)
		*buttons = pressed;
}
