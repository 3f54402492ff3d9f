// BScrollView: a frame around a target view with scroll bars beside it. It takes
// the target as its child and grows around it by its border and the bars' width;
// the bars scroll the target and start with the range 0 to 1000.
// Threading: its window's thread, or with the window locked.
#ifndef _SCROLL_VIEW_H
#define _SCROLL_VIEW_H

#include <ScrollBar.h>
#include <View.h>

class BScrollView : public BView {
public:
	BScrollView(const char* name, BView* target,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP, uint32 flags = 0,
		bool horizontal = false, bool vertical = false, border_style border = B_FANCY_BORDER);
	virtual ~BScrollView();

	void Draw(BRect updateRect) override;

	BScrollBar* ScrollBar(orientation direction) const;
	BView* Target() const { return fTarget; }
	border_style Border() const { return fBorder; }

private:
	static BRect _FrameAround(BView* target, bool horizontal, bool vertical, border_style border);
	static float _BorderWidth(border_style border);
	static uint32 _FlagsFor(uint32 flags, border_style border);

	BView* fTarget;
	BScrollBar* fHorizontal = nullptr;
	BScrollBar* fVertical = nullptr;
	border_style fBorder;
};

#endif
