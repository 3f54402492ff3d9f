#include <ScrollView.h>

namespace {

const rgb_color kPlainFrame = {120, 120, 120, 255};
const rgb_color kFancyShadow = {152, 152, 152, 255};
const rgb_color kFancyLight = {255, 255, 255, 255};
// The bars' range until the target sets its own.
const float kDefaultRange = 1000;

}  // namespace

float BScrollView::_BorderWidth(border_style border)
{
	return border == B_FANCY_BORDER ? 2 : border == B_PLAIN_BORDER ? 1 : 0;
}

BRect BScrollView::_FrameAround(BView* target, bool horizontal, bool vertical,
	border_style border)
{
	BRect frame = target != nullptr ? target->Frame() : BRect(0, 0, 15, 15);
	const float width = _BorderWidth(border);
	frame.InsetBy(-width, -width);
	if (vertical)
		frame.right += B_V_SCROLL_BAR_WIDTH;
	if (horizontal)
		frame.bottom += B_H_SCROLL_BAR_HEIGHT;
	return frame;
}

BScrollView::BScrollView(const char* name, BView* target, uint32 resizingMode, uint32 flags,
	bool horizontal, bool vertical, border_style border)
	: BView(_FrameAround(target, horizontal, vertical, border), name, resizingMode,
		flags | B_WILL_DRAW | B_FRAME_EVENTS),
	  fTarget(target),
	  fBorder(border)
{
	const float width = _BorderWidth(border);
	const BRect bounds = Bounds();
	if (target != nullptr) {
		target->MoveTo(width, width);
		AddChild(target);
	}
	// The bars lie inside the border, each stopping short of the other's corner.
	const float right = bounds.right - width;
	const float bottom = bounds.bottom - width;
	if (vertical) {
		const BRect barFrame(right - B_V_SCROLL_BAR_WIDTH + 1, width, right,
			horizontal ? bottom - B_H_SCROLL_BAR_HEIGHT : bottom);
		fVertical = new BScrollBar(barFrame, "_VSB_", target, 0, kDefaultRange, B_VERTICAL);
		AddChild(fVertical);
	}
	if (horizontal) {
		const BRect barFrame(width, bottom - B_H_SCROLL_BAR_HEIGHT + 1,
			vertical ? right - B_V_SCROLL_BAR_WIDTH : right, bottom);
		fHorizontal = new BScrollBar(barFrame, "_HSB_", target, 0, kDefaultRange,
			B_HORIZONTAL);
		AddChild(fHorizontal);
	}
}

BScrollView::~BScrollView() = default;

BScrollBar* BScrollView::ScrollBar(orientation direction) const
{
	return direction == B_VERTICAL ? fVertical : fHorizontal;
}

void BScrollView::Draw(BRect)
{
	const BRect bounds = Bounds();
	if (fVertical != nullptr && fHorizontal != nullptr) {
		// The square where the two bars meet.
		SetHighColor(ui_color(B_PANEL_BACKGROUND_COLOR));
		FillRect(BRect(fVertical->Frame().left, fHorizontal->Frame().top,
			fVertical->Frame().right, fHorizontal->Frame().bottom));
	}
	if (fBorder == B_PLAIN_BORDER) {
		SetHighColor(kPlainFrame);
		StrokeRect(bounds);
	} else if (fBorder == B_FANCY_BORDER) {
		// Sunken: shadow on the top and left, light on the bottom and right.
		SetHighColor(kFancyShadow);
		StrokeLine(bounds.LeftBottom(), bounds.LeftTop());
		StrokeLine(bounds.RightTop());
		SetHighColor(kFancyLight);
		StrokeLine(bounds.RightBottom());
		StrokeLine(bounds.LeftBottom());
		SetHighColor(kPlainFrame);
		StrokeRect(bounds.InsetByCopy(1, 1));
	}
}
