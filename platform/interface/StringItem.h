// BStringItem: a list row showing one line of text, drawn in the owner's font;
// a selected row is drawn on a grey band, a disabled one in grey.
// Threading: used under the lock of the window of the list that holds it.
#ifndef _STRING_ITEM_H
#define _STRING_ITEM_H

#include <ListItem.h>

#include <string>

class BStringItem : public BListItem {
public:
	explicit BStringItem(const char* text, uint32 outlineLevel = 0, bool expanded = true);
	virtual ~BStringItem();

	void DrawItem(BView* owner, BRect frame, bool complete = false) override;
	// The height follows the font; the width is the text's.
	void Update(BView* owner, const BFont* font) override;

	virtual void SetText(const char* text);
	const char* Text() const { return fText.c_str(); }

private:
	std::string fText;
	float fBaselineOffset = 0;  // from the row's top
};

#endif
