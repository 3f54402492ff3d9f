#include "MyButton.h"

#include "EdgeView.h"

namespace {

const rgb_color kCellTint = {225, 200, 225, 255};

}  // namespace

MyButton::MyButton(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags)
	: BButton(frame, name, label, message, resizingMode, flags),
	  fColumnWidth((int32)(frame.right - frame.left) + 1)
{
	// BButton grows a short frame to its preferred height; headers keep theirs.
	ResizeTo(frame.right - frame.left, frame.bottom - frame.top);
	const BRect bounds = Bounds();
	// The edge is no keyboard stop: Tab would land on a view with nothing to do.
	fEdge = new EdgeView(BRect(bounds.right, bounds.top, bounds.right, bounds.bottom), name,
		resizingMode, flags & ~B_NAVIGABLE);
	AddChild(fEdge);
}

MyButton::~MyButton() = default;

void MyButton::Draw(BRect updateRect)
{
	const BRect bounds = Bounds();
	SetLowColor(kCellTint);
	// Held down, the cell takes the high colour and the label vanishes into it.
	FillRect(updateRect, Value() != 0 ? B_SOLID_HIGH : B_SOLID_LOW);
	DrawString(Label() != nullptr ? Label() : "", BPoint(bounds.left + 6, bounds.bottom - 4));
	StrokeLine(BPoint(bounds.right, bounds.top), BPoint(bounds.right, bounds.bottom));
	StrokeLine(BPoint(bounds.left, bounds.bottom), BPoint(bounds.right, bounds.bottom));
	if (IsFocus())
		StrokeRect(bounds.InsetByCopy(1, 1), B_MIXED_COLORS);
}
