// BScrollBar. Sections: construction; value, range and steps; geometry; mouse and
// wheel; drawing. All lengths along the bar are in pixels from its near end.
#include <ScrollBar.h>

#include <AppDefs.h>
#include <Message.h>

#include "AccessibleLinks.h"

using BPrivate::AccessibleLinks;

#include <algorithm>
#include <cmath>

namespace {

const rgb_color kTrack = {200, 200, 200, 255};
const rgb_color kFace = {232, 232, 232, 255};
const rgb_color kPressedFace = {176, 176, 176, 255};
const rgb_color kLight = {255, 255, 255, 255};
const rgb_color kShadow = {152, 152, 152, 255};
const rgb_color kFrame = {120, 120, 120, 255};
const rgb_color kArrow = {0, 0, 0, 255};

// A knob never gets shorter than this, however long the content.
const float kMinKnobLength = 12;
// How far one notch of the wheel moves, in small steps.
const float kWheelSteps = 3;

// The arrow boxes are squares at both ends, unless the bar is too short for that.
float ArrowLength(float length, float thickness)
{
	return std::floor(std::min(thickness, length / 2));
}

uint32 ResizingModeFor(orientation direction)
{
	return direction == B_VERTICAL ? B_FOLLOW_TOP_BOTTOM | B_FOLLOW_RIGHT
		: B_FOLLOW_LEFT_RIGHT | B_FOLLOW_BOTTOM;
}

}  // namespace

// --- construction

BScrollBar::BScrollBar(BRect frame, const char* name, BView* target, float min, float max,
	orientation direction)
	: BView(frame, name, ResizingModeFor(direction), B_WILL_DRAW | B_FRAME_EVENTS),
	  fTarget(target),
	  fOrientation(direction),
	  fMin(min),
	  fMax(std::max(min, max))
{
	fValue = _Clamped(0);
	SetViewColor(kTrack);
	fDrawnKnob = _KnobRect();
	fDrawnEnabled = _IsEnabled();
}

BScrollBar::~BScrollBar() = default;

void BScrollBar::SetTarget(BView* target)
{
	fTarget = target;
}

// --- value, range and steps

float BScrollBar::_Clamped(float value) const
{
	return std::clamp(value, fMin, fMax);
}

void BScrollBar::SetValue(float value)
{
	value = _Clamped(std::round(value));
	if (value == fValue)
		return;
	fValue = value;
	_KnobMoved();
	AccessibleLinks::Note(this, BPrivate::kAccessibleValue);
	ValueChanged(value);
}

void BScrollBar::ValueChanged(float newValue)
{
	if (fTarget == nullptr)
		return;
	const BRect bounds = fTarget->Bounds();
	fTarget->ScrollTo(fOrientation == B_VERTICAL ? BPoint(bounds.left, newValue)
		: BPoint(newValue, bounds.top));
}

void BScrollBar::_TargetScrolled(float coordinate)
{
	const float value = _Clamped(coordinate);
	if (value == fValue)
		return;
	fValue = value;
	_KnobMoved();
	AccessibleLinks::Note(this, BPrivate::kAccessibleValue);
}

void BScrollBar::SetRange(float min, float max)
{
	max = std::max(min, max);
	if (min == fMin && max == fMax)
		return;
	fMin = min;
	fMax = max;
	if (fValue != _Clamped(fValue))
		SetValue(_Clamped(fValue));
	_KnobMoved();
	AccessibleLinks::Note(this, BPrivate::kAccessibleValue);
}

void BScrollBar::GetRange(float* min, float* max) const
{
	if (min != nullptr)
		*min = fMin;
	if (max != nullptr)
		*max = fMax;
}

void BScrollBar::SetSteps(float smallStep, float largeStep)
{
	fSmallStep = smallStep;
	fLargeStep = largeStep;
}

void BScrollBar::GetSteps(float* smallStep, float* largeStep) const
{
	if (smallStep != nullptr)
		*smallStep = fSmallStep;
	if (largeStep != nullptr)
		*largeStep = fLargeStep;
}

void BScrollBar::SetProportion(float proportion)
{
	proportion = std::clamp(proportion, 0.0f, 1.0f);
	if (proportion == fProportion)
		return;
	fProportion = proportion;
	_KnobMoved();
}

// --- geometry

float BScrollBar::_Length() const
{
	const BRect bounds = Bounds();
	return (fOrientation == B_VERTICAL ? bounds.Height() : bounds.Width()) + 1;
}

float BScrollBar::_Thickness() const
{
	const BRect bounds = Bounds();
	return (fOrientation == B_VERTICAL ? bounds.Width() : bounds.Height()) + 1;
}

float BScrollBar::_KnobLength() const
{
	const float arrow = ArrowLength(_Length(), _Thickness());
	const float track = _Length() - 2 * arrow;
	if (!_IsEnabled() || track < kMinKnobLength)
		return 0;
	const float wanted = fProportion > 0 ? std::round(track * fProportion) : kMinKnobLength;
	return std::clamp(wanted, kMinKnobLength, track);
}

float BScrollBar::_KnobStart(float value) const
{
	const float arrow = ArrowLength(_Length(), _Thickness());
	const float travel = _Length() - 2 * arrow - _KnobLength();
	if (travel <= 0 || !_IsEnabled())
		return arrow;
	return arrow + std::round((value - fMin) / (fMax - fMin) * travel);
}

float BScrollBar::_ValueAt(float knobStart) const
{
	const float arrow = ArrowLength(_Length(), _Thickness());
	const float travel = _Length() - 2 * arrow - _KnobLength();
	if (travel <= 0)
		return fMin;
	return fMin + (knobStart - arrow) / travel * (fMax - fMin);
}

BRect BScrollBar::_AlongBar(float start, float end) const
{
	const float across = _Thickness() - 1;
	return fOrientation == B_VERTICAL ? BRect(0, start, across, end)
		: BRect(start, 0, end, across);
}

BRect BScrollBar::_KnobRect() const
{
	const float length = _KnobLength();
	if (length <= 0)
		return BRect();
	const float start = _KnobStart(fValue);
	return _AlongBar(start, start + length - 1);
}

float BScrollBar::_Along(BPoint where) const
{
	return fOrientation == B_VERTICAL ? where.y : where.x;
}

BScrollBar::Part BScrollBar::_PartAt(BPoint where) const
{
	const float along = _Along(where);
	const float length = _Length();
	const float arrow = ArrowLength(length, _Thickness());
	if (along < 0 || along >= length)
		return Part::kNone;
	if (along < arrow)
		return Part::kDecrement;
	if (along >= length - arrow)
		return Part::kIncrement;
	const float knobLength = _KnobLength();
	if (knobLength <= 0)
		return Part::kNone;
	const float knobStart = _KnobStart(fValue);
	if (along < knobStart)
		return Part::kTrackBefore;
	if (along >= knobStart + knobLength)
		return Part::kTrackAfter;
	return Part::kKnob;
}

void BScrollBar::_KnobMoved()
{
	const BRect knob = _KnobRect();
	const bool enabled = _IsEnabled();
	if (enabled != fDrawnEnabled) {
		Invalidate();  // the arrows change colour too
	} else if (knob != fDrawnKnob) {
		const float arrow = ArrowLength(_Length(), _Thickness());
		Invalidate(_AlongBar(arrow, _Length() - arrow - 1));
	}
	fDrawnKnob = knob;
	fDrawnEnabled = enabled;
}

void BScrollBar::FrameResized(float, float)
{
	fDrawnKnob = _KnobRect();
	Invalidate();
}

// --- mouse and wheel

void BScrollBar::MouseDown(BPoint where)
{
	const Part part = _PartAt(where);
	if (part == Part::kNone || !_IsEnabled())
		return;
	SetMouseEventMask(B_POINTER_EVENTS);
	fPressed = part;
	const float arrow = ArrowLength(_Length(), _Thickness());
	switch (part) {
		case Part::kDecrement:
			Invalidate(_AlongBar(0, arrow - 1));
			SetValue(fValue - fSmallStep);
			break;
		case Part::kIncrement:
			Invalidate(_AlongBar(_Length() - arrow, _Length() - 1));
			SetValue(fValue + fSmallStep);
			break;
		case Part::kTrackBefore:
			SetValue(fValue - fLargeStep);
			break;
		case Part::kTrackAfter:
			SetValue(fValue + fLargeStep);
			break;
		case Part::kKnob:
			fGrabOffset = _Along(where) - _KnobStart(fValue);
			break;
		case Part::kNone:
			break;
	}
}

void BScrollBar::MouseMoved(BPoint where, uint32, const BMessage*)
{
	if (fPressed == Part::kKnob)
		SetValue(_ValueAt(_Along(where) - fGrabOffset));
}

void BScrollBar::MouseUp(BPoint)
{
	if (fPressed == Part::kDecrement || fPressed == Part::kIncrement)
		Invalidate();
	fPressed = Part::kNone;
}

void BScrollBar::MessageReceived(BMessage* message)
{
	if (message->what != B_MOUSE_WHEEL_CHANGED) {
		BView::MessageReceived(message);
		return;
	}
	const float dx = message->GetFloat("be:wheel_delta_x", 0);
	const float dy = message->GetFloat("be:wheel_delta_y", 0);
	// Over a horizontal bar an ordinary wheel turns it too.
	const float notches = fOrientation == B_VERTICAL ? dy : (dx != 0 ? dx : dy);
	_Wheel(notches);
}

void BScrollBar::_Wheel(float notches)
{
	if (notches != 0)
		SetValue(fValue + notches * kWheelSteps * fSmallStep);
}

// --- drawing

void BScrollBar::_DrawBevel(BRect box, bool pressed)
{
	SetHighColor(kFrame);
	StrokeRect(box);
	box.InsetBy(1, 1);
	if (!box.IsValid())
		return;
	SetHighColor(pressed ? kShadow : kLight);
	StrokeLine(box.LeftBottom(), box.LeftTop());
	StrokeLine(box.LeftTop(), box.RightTop());
	SetHighColor(pressed ? kLight : kShadow);
	StrokeLine(box.RightTop(), box.RightBottom());
	StrokeLine(box.RightBottom(), box.LeftBottom());
	box.InsetBy(1, 1);
	SetHighColor(pressed ? kPressedFace : kFace);
	FillRect(box);
}

void BScrollBar::_DrawArrow(BRect box, bool decrement, bool pressed)
{
	_DrawBevel(box, pressed);
	SetHighColor(_IsEnabled() ? kArrow : kShadow);
	const float cx = std::floor((box.left + box.right) / 2);
	const float cy = std::floor((box.top + box.bottom) / 2);
	// A triangle four rows deep, its point towards the end the arrow moves to.
	for (int32 row = 0; row < 4; row++) {
		const float depth = decrement ? -2 + row : 1 - row;
		if (fOrientation == B_VERTICAL)
			StrokeLine(BPoint(cx - row, cy + depth), BPoint(cx + row, cy + depth));
		else
			StrokeLine(BPoint(cx + depth, cy - row), BPoint(cx + depth, cy + row));
	}
}

void BScrollBar::Draw(BRect)
{
	const rgb_color high = HighColor();
	const BRect bounds = Bounds();
	SetHighColor(kFrame);
	StrokeRect(bounds);
	const float length = _Length();
	const float arrow = ArrowLength(length, _Thickness());
	if (arrow > 0) {
		_DrawArrow(_AlongBar(0, arrow - 1), true, fPressed == Part::kDecrement);
		_DrawArrow(_AlongBar(length - arrow, length - 1), false,
			fPressed == Part::kIncrement);
	}
	const BRect knob = _KnobRect();
	if (knob.IsValid()) {
		_DrawBevel(knob, false);
		// Three grip lines across the middle of a knob long enough for them.
		const float knobLength = _KnobLength();
		if (knobLength >= 16) {
			SetHighColor(kShadow);
			const float middle = std::floor(_KnobStart(fValue) + knobLength / 2);
			for (float offset = -3; offset <= 3; offset += 3) {
				const BRect line = _AlongBar(middle + offset, middle + offset);
				if (fOrientation == B_VERTICAL)
					StrokeLine(BPoint(line.left + 4, line.top), BPoint(line.right - 4, line.top));
				else
					StrokeLine(BPoint(line.left, line.top + 4), BPoint(line.left, line.bottom - 4));
			}
		}
	}
	fDrawnKnob = knob;
	fDrawnEnabled = _IsEnabled();
	SetHighColor(high);
}
