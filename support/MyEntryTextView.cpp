#include "MyEntryTextView.h"

#include "ABookRecord.h"

#include <cstring>

namespace {

// Ordinary keys are taken while the text is at most this long.
constexpr int32 kFilterLength = 40;

const rgb_color kOuterShadow = {191, 191, 191, 255};
const rgb_color kOuterLight = {235, 235, 235, 255};
const rgb_color kInnerShadow = {141, 141, 141, 255};
const rgb_color kInnerLight = {216, 216, 216, 255};
const rgb_color kFocusRing = {0, 0, 255, 255};

}  // namespace

MyEntryTextView::MyEntryTextView(BRect frame, const char* name, BRect textRect,
	uint32 resizingMode, uint32 flags)
	: BTextView(frame, name, textRect, resizingMode, flags)
{
}

MyEntryTextView::~MyEntryTextView() = default;

void MyEntryTextView::Draw(BRect updateRect)
{
	const rgb_color saved = HighColor();
	BRect r = Bounds();
	auto shadowEdges = [this](const BRect& rect, rgb_color color) {
		SetHighColor(color);
		StrokeLine(rect.LeftTop(), rect.LeftBottom());
		StrokeLine(rect.RightTop(), rect.LeftTop());
	};
	auto lightEdges = [this](const BRect& rect, rgb_color color) {
		SetHighColor(color);
		StrokeLine(rect.LeftBottom(), rect.RightBottom());
		StrokeLine(rect.RightBottom(), rect.RightTop());
	};
	shadowEdges(r, kOuterShadow);
	lightEdges(r, kOuterLight);
	r.InsetBy(1, 1);
	shadowEdges(r, kInnerShadow);
	lightEdges(r, kInnerLight);
	updateRect.InsetBy(1, 1);
	if (IsFocus()) {
		r.InsetBy(1, 1);
		SetHighColor(kFocusRing);
		StrokeLine(r.LeftTop(), r.LeftBottom());
		StrokeLine(r.RightTop(), r.LeftTop());
		StrokeLine(r.LeftBottom(), r.RightBottom());
		StrokeLine(r.RightBottom(), r.RightTop());
	}
	SetHighColor(saved);
	BTextView::Draw(updateRect);
}

void MyEntryTextView::KeyDown(const char* bytes, int32 numBytes)
{
	const char c = numBytes > 0 ? bytes[0] : 0;
	switch (c) {
		case B_TAB:
			BView::KeyDown(bytes, numBytes);
			break;
		case B_BACKSPACE:
		case B_LEFT_ARROW:
		case B_RIGHT_ARROW:
		case B_DELETE:
			BTextView::KeyDown(bytes, numBytes);
			break;
		default:
			if (TextLength() <= kFilterLength)
				BTextView::KeyDown(bytes, numBytes);
			break;
	}
}

void MyEntryTextView::MakeFocus(bool focused)
{
	BTextView::MakeFocus(focused);
	Invalidate();
}

std::string MyEntryTextView::FieldText() const
{
	const char* text = Text();
	const size_t length = strcspn(text, "\t\n");
	return std::string(text, UTF8CutLength(text, length, kFieldTextLength));
}
