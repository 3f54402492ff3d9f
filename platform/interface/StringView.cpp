#include <StringView.h>

#include "AccessibleLinks.h"

#include <cmath>

BStringView::BStringView(BRect frame, const char* name, const char* text, uint32 resizingMode,
	uint32 flags)
	: BView(frame, name, resizingMode, flags),
	  fText(text != nullptr ? text : ""),
	  fHasText(text != nullptr)
{
}

BStringView::~BStringView() = default;

void BStringView::AttachedToWindow()
{
	if (Parent() != nullptr) {
		SetViewColor(Parent()->ViewColor());
		SetLowColor(Parent()->ViewColor());
	}
	BView::AttachedToWindow();
}

void BStringView::Draw(BRect)
{
	if (fText.empty())
		return;
	const BRect bounds = Bounds();
	font_height height;
	GetFontHeight(&height);
	float x = bounds.left;
	const float width = StringWidth(fText.c_str());
	if (fAlignment == B_ALIGN_RIGHT)
		x = bounds.right - width;
	else if (fAlignment == B_ALIGN_CENTER)
		x = bounds.left + (bounds.Width() - width) / 2;
	// The line sits in the middle of the frame, its baseline on a whole pixel.
	const float y = std::ceil(bounds.top
		+ (bounds.Height() + 1 - (height.ascent + height.descent)) / 2 + height.ascent) - 1;
	DrawString(fText.c_str(), BPoint(std::floor(x), y));
}

void BStringView::SetText(const char* text)
{
	const std::string next = text != nullptr ? text : "";
	if (next == fText && fHasText == (text != nullptr))
		return;
	fText = next;
	fHasText = text != nullptr;
	BPrivate::AccessibleLinks::Note(this, BPrivate::kAccessibleName);
	Invalidate();
}

const char* BStringView::Text() const
{
	return fHasText ? fText.c_str() : nullptr;
}

void BStringView::SetAlignment(alignment flag)
{
	if (flag == fAlignment)
		return;
	fAlignment = flag;
	Invalidate();
}
