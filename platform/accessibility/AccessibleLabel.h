// AccessibleLabel: a string view as a screen reader sees it: a label named by its
// text. A label that stands in front of a text field (just before it, on its line,
// to its left) labels that field: the field takes the label's text as its name.
// Threading: the accessibility thread; made and read with the window locked.
#ifndef _CVAB_ACCESSIBLE_LABEL_H
#define _CVAB_ACCESSIBLE_LABEL_H

#include "AccessibleView.h"

class BStringView;
class BTextView;

namespace BPrivate {

class AccessibleLabel : public AccessibleView {
public:
	AccessibleLabel(BStringView* label, Accessible* parent);

	// The label of a field, and the field of a label; null for none. Window locked.
	static BStringView* LabelOf(BView* field);
	static BTextView* FieldOf(BStringView* label);

	void AddRelations(AtkRelationSet* relations) override;

protected:
	bool Refresh() override;
};

}  // namespace BPrivate

#endif
