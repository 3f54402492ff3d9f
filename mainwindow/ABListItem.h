// One row of the record list: the record's shown fields side by side, a column
// apart (BookColumns), on alternating tints.
// Threading: drawn in its window's thread, like every list item.
#ifndef _AB_LIST_ITEM_H
#define _AB_LIST_ITEM_H

#include <ListItem.h>

class ABookRecord;
class CVABWindow;

class ABListItem : public BListItem {
public:
	// Neither pointer is owned; the record belongs to the window's document and
	// outlives the row.
	ABListItem(ABookRecord* record, CVABWindow* window);

	void DrawItem(BView* owner, BRect frame, bool complete = false) override;

	ABookRecord* Record() const { return fRecord; }

private:
	CVABWindow* const fOwnerWindow;
	ABookRecord* const fRecord;
};

#endif
