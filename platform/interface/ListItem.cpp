#include <ListItem.h>

#include <Font.h>
#include <View.h>

#include <cmath>

BListItem::BListItem(uint32 outlineLevel, bool expanded)
	: fOutlineLevel(outlineLevel), fExpanded(expanded)
{
}

BListItem::~BListItem() = default;

void BListItem::Update(BView* owner, const BFont* font)
{
	if (owner != nullptr)
		SetWidth(owner->Bounds().Width());
	font_height height;
	font->GetHeight(&height);
	// Two pixels below the descent keep the baseline clear of the next row.
	SetHeight(std::ceil(height.ascent + height.descent + height.leading) + 2);
}
