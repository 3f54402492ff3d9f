// BStringView: one line of text, drawn in the high colour on the view colour. It
// takes its parent's view colour when attached.
// Threading: its window's thread, or with the window locked.
#ifndef _STRING_VIEW_H
#define _STRING_VIEW_H

#include <View.h>

#include <string>

enum alignment {
	B_ALIGN_LEFT,
	B_ALIGN_RIGHT,
	B_ALIGN_CENTER,
};

class BStringView : public BView {
public:
	BStringView(BRect frame, const char* name, const char* text,
		uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP, uint32 flags = B_WILL_DRAW);
	virtual ~BStringView();

	void AttachedToWindow() override;
	void Draw(BRect updateRect) override;

	void SetText(const char* text);
	const char* Text() const;
	void SetAlignment(alignment flag);
	alignment Alignment() const { return fAlignment; }

private:
	std::string fText;
	bool fHasText;
	alignment fAlignment = B_ALIGN_LEFT;
};

#endif
