#include "ABListItem.h"

#include "ABookRecord.h"
#include "BookListArea.h"
#include "BookMenus.h"
#include "CVABWindow.h"

#include <ListView.h>

#include <cmath>

namespace {

const rgb_color kOddRowColor = {220, 255, 220, 255};

}  // namespace

ABListItem::ABListItem(ABookRecord* record, CVABWindow* window)
	: BListItem(0, true),
	  fOwnerWindow(window),
	  fRecord(record)
{
}

void ABListItem::DrawItem(BView* owner, BRect frame, bool)
{
	const int32 index = static_cast<BListView*>(owner)->IndexOf(this);
	const rgb_color savedLow = owner->LowColor();
	if (index % 2 == 1)
		owner->SetLowColor(kOddRowColor);
	owner->FillRect(frame, B_SOLID_LOW);
	owner->SetLowColor(savedLow);

	float x = std::floor(frame.left + 2);
	for (int32 field = 0; field < kBookFieldCount; field++) {
		if (!fOwnerWindow->Menus()->IsFieldShown(field))
			continue;
		const char* text = fRecord->Field(field);
		if (*text != '\0')
			owner->DrawString(text, BPoint(x, frame.bottom - 2));
		x += kColumnWidth;
	}

	if (IsSelected())
		owner->InvertRect(frame);
}
