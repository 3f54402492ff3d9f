#include <StringItem.h>

#include <Font.h>
#include <View.h>

#include <cmath>

namespace {

const rgb_color kSelectedBackground = {176, 176, 176, 255};
const rgb_color kText = {0, 0, 0, 255};
const rgb_color kDisabledText = {152, 152, 152, 255};
// Room left of the text, and the indent of each outline level.
const float kTextInset = 4;
const float kLevelIndent = 10;

}  // namespace

BStringItem::BStringItem(const char* text, uint32 outlineLevel, bool expanded)
	: BListItem(outlineLevel, expanded), fText(text != nullptr ? text : "")
{
}

BStringItem::~BStringItem() = default;

void BStringItem::SetText(const char* text)
{
	fText = text != nullptr ? text : "";
}

void BStringItem::Update(BView* owner, const BFont* font)
{
	BListItem::Update(owner, font);
	font_height height;
	font->GetHeight(&height);
	// One pixel above the ascent, as the row height leaves one below the descent.
	fBaselineOffset = 1 + std::ceil(height.ascent);
	SetWidth(font->StringWidth(fText.c_str()) + kTextInset + kLevelIndent * OutlineLevel());
}

void BStringItem::DrawItem(BView* owner, BRect frame, bool complete)
{
	const rgb_color high = owner->HighColor();
	const rgb_color low = owner->LowColor();
	if (IsSelected() || complete) {
		owner->SetLowColor(IsSelected() ? kSelectedBackground : owner->ViewColor());
		owner->FillRect(frame, B_SOLID_LOW);
	}
	owner->SetHighColor(IsEnabled() ? kText : kDisabledText);
	const float x = frame.left + kTextInset + kLevelIndent * OutlineLevel();
	owner->DrawString(fText.c_str(), BPoint(x, frame.top + fBaselineOffset));
	owner->SetHighColor(high);
	owner->SetLowColor(low);
}
