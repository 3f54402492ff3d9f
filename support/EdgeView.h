// EdgeView: the one-pixel drag edge at the right border of a column-header
// button (MyButton). Dragging it sideways changes the button's column width;
// hovering it shows the I-beam cursor.
// Threading: its window's thread; a drag blocks that thread until the release.
#ifndef _EDGE_VIEW_H
#define _EDGE_VIEW_H

#include <View.h>

class EdgeView : public BView {
public:
	EdgeView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
	virtual ~EdgeView();

	void Draw(BRect updateRect) override;
	// Polls the mouse every 30 ms until every button is up.
	void MouseDown(BPoint where) override;
	void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
};

#endif
