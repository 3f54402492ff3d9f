#include "AccessibleLabel.h"

#include "AccessibleWindow.h"

#include <ScrollView.h>
#include <StringView.h>
#include <TextView.h>

namespace BPrivate {

namespace {

// A field alone in a border (a scroll view around it) stands in the border's place.
BView* Wrapped(BView* view)
{
	while (auto* border = dynamic_cast<BScrollView*>(view)) {
		if (border->CountChildren() != 1)
			break;
		view = border->ChildAt(0);
	}
	return view;
}

BView* Wrapper(BView* field)
{
	BView* outer = field;
	while (dynamic_cast<BScrollView*>(outer->Parent()) != nullptr
		&& outer->Parent()->CountChildren() == 1)
		outer = outer->Parent();
	return outer;
}

}  // namespace

AccessibleLabel::AccessibleLabel(BStringView* label, Accessible* parent)
	: AccessibleView(label, parent, ATK_ROLE_LABEL)
{
}

BStringView* AccessibleLabel::LabelOf(BView* field)
{
	BView* outer = Wrapper(field);
	auto* label = dynamic_cast<BStringView*>(outer->PreviousSibling());
	if (label == nullptr)
		return nullptr;
	const BRect before = label->Frame();
	const BRect frame = outer->Frame();
	const bool onItsLine = before.top <= frame.bottom && before.bottom >= frame.top;
	return onItsLine && before.right <= frame.left ? label : nullptr;
}

BTextView* AccessibleLabel::FieldOf(BStringView* label)
{
	BView* next = label->NextSibling();
	auto* field = next != nullptr ? dynamic_cast<BTextView*>(Wrapped(next)) : nullptr;
	return field != nullptr && LabelOf(field) == label ? field : nullptr;
}

bool AccessibleLabel::Refresh()
{
	if (!AccessibleView::Refresh())
		return false;
	fName = static_cast<BStringView*>(View())->Text();
	return true;
}

void AccessibleLabel::AddRelations(AtkRelationSet* relations)
{
	WithWindow([&] {
		auto* label = static_cast<BStringView*>(View());
		BTextView* field = label != nullptr ? FieldOf(label) : nullptr;
		if (Accessible* target = AccessibleView::Find(field, Window()))
			atk_relation_set_add_relation_by_type(relations, ATK_RELATION_LABEL_FOR, target->Atk());
	});
}

}  // namespace BPrivate
