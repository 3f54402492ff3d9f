#include "EdgeView.h"

#include "MyButton.h"

#include <Application.h>
#include <Cursor.h>
#include <OS.h>

namespace {

const rgb_color kEdgeTint = {225, 200, 225, 255};
const bigtime_t kDragPollInterval = 30000;

}  // namespace

EdgeView::EdgeView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
	: BView(frame, name, resizingMode, flags)
{
}

EdgeView::~EdgeView() = default;

void EdgeView::Draw(BRect updateRect)
{
	SetLowColor(kEdgeTint);
	FillRect(updateRect, B_SOLID_LOW);
	const BRect bounds = Bounds();
	StrokeLine(BPoint(bounds.right, bounds.top), BPoint(bounds.right, bounds.bottom));
	StrokeLine(BPoint(bounds.left, bounds.bottom), BPoint(bounds.right, bounds.bottom));
}

void EdgeView::MouseDown(BPoint where)
{
	MyButton* button = dynamic_cast<MyButton*>(Parent());
	if (button == nullptr)
		return;
	uint32 buttons = 0;
	do {
		snooze(kDragPollInterval);
		GetMouse(&where, &buttons, true);
		const BPoint point = ConvertToScreen(where);
		const BPoint dragPoint = button->DragPoint();
		if (point.x != dragPoint.x && button->ColumnWidth() != 0) {
			// Moving right narrows the column, moving left widens it.
			button->SetColumnWidth(
				static_cast<int32>(dragPoint.x + button->ColumnWidth() - point.x));
			button->SetDragPoint(point);
		}
	} while (buttons != 0);
}

void EdgeView::MouseMoved(BPoint where, uint32 transit, const BMessage*)
{
	switch (transit) {
		case B_ENTERED_VIEW:
			be_app->SetCursor(B_I_BEAM_CURSOR);
			if (MyButton* button = dynamic_cast<MyButton*>(Parent()))
				button->SetDragPoint(ConvertToScreen(where));
			break;
		case B_INSIDE_VIEW:
			be_app->SetCursor(B_I_BEAM_CURSOR);
			break;
		case B_EXITED_VIEW:
			be_app->SetCursor(B_HAND_CURSOR);
			break;
		default:
			break;
	}
}
