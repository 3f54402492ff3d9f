#include <Button.h>

#include <Window.h>

#include <cmath>

namespace {

const rgb_color kFace = {232, 232, 232, 255};
const rgb_color kPressedFace = {176, 176, 176, 255};
const rgb_color kLight = {255, 255, 255, 255};
const rgb_color kShadow = {152, 152, 152, 255};
const rgb_color kBorder = {96, 96, 96, 255};
const rgb_color kDefaultRing = {0, 0, 0, 255};

}  // namespace

BButton::BButton(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags)
	: BControl(frame, name, label, message, resizingMode, flags)
{
	float width, height;
	GetPreferredSize(&width, &height);
	if (frame.Height() < height)
		ResizeTo(frame.Width(), height);
}

BButton::~BButton() = default;

void BButton::GetPreferredSize(float* width, float* height)
{
	font_height fontHeight;
	GetFontHeight(&fontHeight);
	const float textHeight = std::ceil(fontHeight.ascent + fontHeight.descent);
	const char* label = Label() != nullptr ? Label() : "";
	if (width != nullptr)
		*width = std::max(std::ceil(StringWidth(label)) + 20, 60.0f);
	if (height != nullptr)
		*height = textHeight + 12;
}

void BButton::ResizeToPreferred()
{
	float width, height;
	GetPreferredSize(&width, &height);
	ResizeTo(width, height);
}

bool BButton::IsDefault() const
{
	return Window() != nullptr && Window()->DefaultButton() == this;
}

void BButton::MakeDefault(bool isDefault)
{
	BWindow* window = Window();
	if (window == nullptr || isDefault == IsDefault())
		return;
	BButton* previous = window->DefaultButton();
	window->SetDefaultButton(isDefault ? this : nullptr);
	if (previous != nullptr && previous != this)
		previous->Invalidate();
	Invalidate();
}

void BButton::DetachedFromWindow()
{
	if (IsDefault())
		Window()->SetDefaultButton(nullptr);
	BControl::DetachedFromWindow();
}

void BButton::_DrawFrame(BRect* frame, bool pressed)
{
	if (IsDefault()) {
		SetHighColor(kDefaultRing);
		StrokeRect(*frame);
		frame->InsetBy(1, 1);
		StrokeRect(*frame);
		frame->InsetBy(1, 1);
	}
	SetHighColor(IsEnabled() ? kBorder : kShadow);
	StrokeRect(*frame);
	frame->InsetBy(1, 1);
	// Light from the top left; pressed, the bevel turns in.
	const rgb_color topLeft = pressed ? kShadow : kLight;
	const rgb_color bottomRight = pressed ? kLight : kShadow;
	SetHighColor(topLeft);
	StrokeLine(frame->LeftBottom(), frame->LeftTop());
	StrokeLine(frame->LeftTop(), frame->RightTop());
	SetHighColor(bottomRight);
	StrokeLine(frame->RightTop(), frame->RightBottom());
	StrokeLine(frame->RightBottom(), frame->LeftBottom());
	frame->InsetBy(1, 1);
}

void BButton::Draw(BRect)
{
	const rgb_color high = HighColor();
	const rgb_color low = LowColor();
	// Taken before the frame and face change the high colour it derives from.
	const rgb_color labelColor = LabelColor();
	const bool pressed = Value() != 0;
	BRect frame = Bounds();
	_DrawFrame(&frame, pressed);
	SetHighColor(pressed ? kPressedFace : kFace);
	FillRect(frame);

	const char* label = Label();
	if (label != nullptr) {
		font_height fontHeight;
		GetFontHeight(&fontHeight);
		const BRect bounds = Bounds();
		const float x = std::floor(bounds.left + (bounds.Width() + 1 - StringWidth(label)) / 2);
		const float y = std::floor(bounds.top
			+ (bounds.Height() + 1 + fontHeight.ascent - fontHeight.descent) / 2);
		SetHighColor(labelColor);
		SetLowColor(pressed ? kPressedFace : kFace);
		DrawString(label, BPoint(x, y));
	}
	if (IsFocus() && !IsDefault() && IsEnabled()) {
		// A thin underline under the label shows the keyboard focus.
		SetHighColor(0, 0, 229);
		const BRect bounds = Bounds();
		StrokeLine(BPoint(bounds.left + 5, bounds.bottom - 5),
			BPoint(bounds.right - 5, bounds.bottom - 5));
	}
	SetHighColor(high);
	SetLowColor(low);
}

void BButton::MouseDown(BPoint)
{
	if (!IsEnabled())
		return;
	SetMouseEventMask(B_POINTER_EVENTS);
	SetTracking(true);
	SetValue(B_CONTROL_ON);
}

void BButton::MouseMoved(BPoint where, uint32, const BMessage*)
{
	if (!IsTracking())
		return;
	SetValue(Bounds().Contains(where) ? B_CONTROL_ON : B_CONTROL_OFF);
}

void BButton::MouseUp(BPoint where)
{
	if (!IsTracking())
		return;
	SetTracking(false);
	const bool inside = Bounds().Contains(where);
	SetValue(B_CONTROL_OFF);
	if (inside)
		Invoke();
}

void BButton::KeyDown(const char* bytes, int32 numBytes)
{
	if (numBytes == 1 && (bytes[0] == B_SPACE || bytes[0] == B_ENTER)) {
		if (IsEnabled())
			Invoke();
		return;
	}
	BControl::KeyDown(bytes, numBytes);
}
