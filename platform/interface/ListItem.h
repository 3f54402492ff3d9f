// BListItem: one row of a BListView: its height and width, selection and enabled
// state, outline level, and the drawing hook. BStringItem, the row of one text,
// comes with this header too.
// Threading: used under the lock of the window of the list that holds it.
#ifndef _LIST_ITEM_H
#define _LIST_ITEM_H

#include <Rect.h>
#include <SupportDefs.h>

class BFont;
class BView;

namespace BPrivate {
class ListModel;
}

class BListItem {
public:
	explicit BListItem(uint32 outlineLevel = 0, bool expanded = true);
	virtual ~BListItem();

	float Height() const { return fHeight; }
	float Width() const { return fWidth; }
	void SetHeight(float height) { fHeight = height; }
	void SetWidth(float width) { fWidth = width; }

	bool IsSelected() const { return fSelected; }
	void Select() { fSelected = true; }
	void Deselect() { fSelected = false; }

	virtual void SetEnabled(bool enabled) { fEnabled = enabled; }
	bool IsEnabled() const { return fEnabled; }

	bool IsExpanded() const { return fExpanded; }
	void SetExpanded(bool expanded) { fExpanded = expanded; }
	uint32 OutlineLevel() const { return fOutlineLevel; }

	// frame is the row in the owner's coordinates; complete asks for the background
	// too, not only what changes with the selection.
	virtual void DrawItem(BView* owner, BRect frame, bool complete = false) = 0;
	// Called when the item joins a list and when the list's font changes: the
	// height follows the font, the width is the owner's.
	virtual void Update(BView* owner, const BFont* font);

private:
	friend class BPrivate::ListModel;
	BListItem(const BListItem&) = delete;
	BListItem& operator=(const BListItem&) = delete;

	float fHeight = 0;
	float fWidth = 0;
	uint32 fOutlineLevel;
	bool fExpanded;
	bool fSelected = false;
	bool fEnabled = true;
	// Where the item sits in its list, kept by the list so IndexOf is constant time.
	const void* fOwnerList = nullptr;
	int32 fIndex = -1;
};

#endif

#include <StringItem.h>
