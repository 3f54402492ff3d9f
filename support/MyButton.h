// MyButton: the flat column-header button above the record list. It keeps the
// exact frame it is given, draws a tinted cell with its label and two border
// lines, and carries an EdgeView at its right border whose drag adjusts
// ColumnWidth (which no layout reads yet; it starts at the button's width).
// Clicking, or Space while it has the keyboard (a dotted frame shows that),
// sends its message as any BButton does.
// Threading: its window's thread, or with the window locked.
#ifndef _MY_BUTTON_H
#define _MY_BUTTON_H

#include <Button.h>

class EdgeView;

class MyButton : public BButton {
public:
	MyButton(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode, uint32 flags);
	virtual ~MyButton();

	void Draw(BRect updateRect) override;

	int32 ColumnWidth() const { return fColumnWidth; }
	void SetColumnWidth(int32 width) { fColumnWidth = width; }
	// The last pointer position the edge recorded, in screen coordinates.
	BPoint DragPoint() const { return fDragPoint; }
	void SetDragPoint(BPoint point) { fDragPoint = point; }

private:
	EdgeView* fEdge;  // a child view, deleted with the button
	int32 fColumnWidth;
	BPoint fDragPoint;
};

#endif
