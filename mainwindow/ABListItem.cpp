#include "ABListItem.h"

#include "ABookRecord.h"
#include "BookColumns.h"
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

	const BookColumns& columns = fOwnerWindow->Columns();
	const float left = std::floor(frame.left + 2);
	for (int32 column = 0; column < columns.Count(); column++) {
		const char* text = fRecord->Field(columns.FieldAt(column));
		if (*text != '\0')
			owner->DrawString(text, BPoint(left + BookColumns::Left(column), frame.bottom - 2));
	}

	if (IsSelected())
		owner->InvertRect(frame);
}
