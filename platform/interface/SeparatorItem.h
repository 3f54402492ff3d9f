// BSeparatorItem: a line between groups of items; it can never be chosen.
// Threading: as BMenuItem.
#ifndef _SEPARATOR_ITEM_H
#define _SEPARATOR_ITEM_H

#include <MenuItem.h>

class BSeparatorItem : public BMenuItem {
public:
	BSeparatorItem();
	virtual ~BSeparatorItem();

	// A separator stays disabled.
	void SetEnabled(bool enabled) override;

protected:
	void GetContentSize(float* width, float* height) override;
};

#endif
