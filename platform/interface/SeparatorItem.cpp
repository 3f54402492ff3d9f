#include <SeparatorItem.h>

#include "MenuLook.h"

BSeparatorItem::BSeparatorItem()
	: BMenuItem("", nullptr)
{
	BMenuItem::SetEnabled(false);
}

BSeparatorItem::~BSeparatorItem() = default;

void BSeparatorItem::SetEnabled(bool)
{
}

void BSeparatorItem::GetContentSize(float* width, float* height)
{
	*width = 0;
	*height = BPrivate::MenuLook::kSeparatorHeight;
}
