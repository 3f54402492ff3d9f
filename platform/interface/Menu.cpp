#include <Menu.h>

#include <Errors.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Message.h>
#include <SeparatorItem.h>
#include <Window.h>

#include "AccessibleLinks.h"
#include "MenuLook.h"
#include "MenuTracker.h"

#include <algorithm>
#include <cmath>

using BPrivate::MenuEntry;
using BPrivate::MenuLook;

namespace {

constexpr float kSubmenuArrowSpace = 14;
constexpr float kMinimumColumnWidth = 50;

bool IsSeparator(const BMenuItem* item)
{
	return dynamic_cast<const BSeparatorItem*>(item) != nullptr;
}

}  // namespace

BMenu::BMenu(const char* name, menu_layout layout)
	: BView(BRect(0, 0, 10, 10), name, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW),
	  fLayout(layout)
{
	SetViewColor(MenuLook::Background());
	SetLowColor(MenuLook::Background());
}

BMenu::BMenu(BRect frame, const char* name, uint32 resizingMode, uint32 flags,
	menu_layout layout)
	: BView(frame, name, resizingMode, flags),
	  fLayout(layout)
{
	SetViewColor(MenuLook::Background());
	SetLowColor(MenuLook::Background());
}

BMenu::~BMenu()
{
	for (BMenuItem* item : fItems) {
		item->fSuper = nullptr;
		delete item;
	}
}

bool BMenu::AddItem(BMenuItem* item)
{
	return AddItem(item, CountItems());
}

bool BMenu::AddItem(BMenuItem* item, int32 index)
{
	if (item == nullptr || item->fSuper != nullptr || index < 0 || index > CountItems())
		return false;
	fItems.insert(fItems.begin() + index, item);
	item->fSuper = this;
	if (BMenuBar* bar = _TopBar(); bar != nullptr && bar->Window() != nullptr) {
		item->_EnsureTarget(bar->Window());
		if (item->fSubmenu != nullptr)
			item->fSubmenu->_TargetItemsAt(bar->Window());
	}
	ItemsChanged();
	return true;
}

bool BMenu::AddItem(BMenu* submenu)
{
	if (submenu == nullptr || submenu->fSuperitem != nullptr)
		return false;
	auto* item = new BMenuItem(submenu);
	if (AddItem(item))
		return true;
	item->fSubmenu = nullptr;
	submenu->fSuperitem = nullptr;
	delete item;
	return false;
}

bool BMenu::AddSeparatorItem()
{
	return AddItem(new BSeparatorItem());
}

bool BMenu::RemoveItem(BMenuItem* item)
{
	const int32 index = IndexOf(item);
	return index >= 0 && RemoveItem(index) != nullptr;
}

BMenuItem* BMenu::RemoveItem(int32 index)
{
	if (index < 0 || index >= CountItems())
		return nullptr;
	// An open menu might show the item; close it before the item leaves.
	if (BMenuBar* bar = _TopBar(); bar != nullptr)
		bar->_CloseMenus();
	BMenuItem* item = fItems[index];
	fItems.erase(fItems.begin() + index);
	item->fSuper = nullptr;
	ItemsChanged();
	return item;
}

BMenuItem* BMenu::ItemAt(int32 index) const
{
	return index >= 0 && index < CountItems() ? fItems[index] : nullptr;
}

int32 BMenu::IndexOf(const BMenuItem* item) const
{
	const auto found = std::find(fItems.begin(), fItems.end(), item);
	return found == fItems.end() ? -1 : (int32)(found - fItems.begin());
}

bool BMenu::_AllItems(const std::function<bool(BMenuItem*)>& visit) const
{
	for (BMenuItem* item : fItems) {
		if (visit(item))
			return true;
		if (item->fSubmenu != nullptr && item->fSubmenu->_AllItems(visit))
			return true;
	}
	return false;
}

BMenuItem* BMenu::FindItem(const char* label) const
{
	if (label == nullptr)
		return nullptr;
	BMenuItem* found = nullptr;
	_AllItems([&](BMenuItem* item) {
		if (!IsSeparator(item) && item->fLabel == label)
			found = item;
		return found != nullptr;
	});
	return found;
}

BMenuItem* BMenu::FindItem(uint32 command) const
{
	BMenuItem* found = nullptr;
	_AllItems([&](BMenuItem* item) {
		if (item->Message() != nullptr && item->Command() == command)
			found = item;
		return found != nullptr;
	});
	return found;
}

BMenuItem* BMenu::FindMarked() const
{
	for (BMenuItem* item : fItems) {
		if (item->IsMarked())
			return item;
	}
	return nullptr;
}

void BMenu::SetEnabled(bool enabled)
{
	if (enabled == fEnabled)
		return;
	fEnabled = enabled;
	if (Supermenu() != nullptr)
		Supermenu()->ItemsChanged();
	ItemsChanged();
}

bool BMenu::IsEnabled() const
{
	const BMenu* super = Supermenu();
	return fEnabled && (super == nullptr || super->IsEnabled());
}

status_t BMenu::SetTargetForItems(BHandler* handler)
{
	status_t result = B_OK;
	for (BMenuItem* item : fItems) {
		const status_t status = item->SetTarget(handler);
		if (status != B_OK)
			result = status;
	}
	return result;
}

BMenu* BMenu::Supermenu() const
{
	return fSuperitem != nullptr ? fSuperitem->fSuper : nullptr;
}

void BMenu::GetPreferredSize(float* width, float* height)
{
	_Layout();
	if (width != nullptr)
		*width = fWidth;
	if (height != nullptr)
		*height = fHeight;
}

void BMenu::ItemsChanged()
{
	BPrivate::AccessibleLinks::Note(this,
		BPrivate::kAccessibleChildren | BPrivate::kAccessibleStates);
	_Layout();
	if (Window() != nullptr)
		Invalidate();
	if (BMenuBar* bar = _TopBar(); bar != nullptr && bar->fTracker)
		bar->fTracker->Refresh();
}

void BMenu::_Layout()
{
	if (fLayout == B_ITEMS_IN_ROW) {
		float x = 0;
		for (BMenuItem* item : fItems) {
			float width, height;
			item->GetContentSize(&width, &height);
			const float right = x + width + 2 * MenuLook::kRowPadding - 1;
			item->fFrame = BRect(x, 0, right, MenuLook::kBarHeight);
			x = right + 1;
		}
		fWidth = x;
		fHeight = MenuLook::kBarHeight;
		return;
	}
	float widest = kMinimumColumnWidth;
	float y = MenuLook::kBorder;
	for (BMenuItem* item : fItems) {
		float width, height;
		item->GetContentSize(&width, &height);
		float needed = MenuLook::kCheckSpace + width + MenuLook::kRightMargin;
		if (item->fShortcut != 0) {
			needed += MenuLook::kShortcutGap + MenuLook::LabelWidth(
				MenuLook::ShortcutLabel(item->fShortcut, item->fModifiers).c_str());
		}
		if (item->fSubmenu != nullptr)
			needed += kSubmenuArrowSpace;
		widest = std::max(widest, std::ceil(needed));
		item->fFrame = BRect(0, y, 0, y + height - 1);
		y += height;
	}
	fWidth = widest + 2 * MenuLook::kBorder;
	fHeight = y + MenuLook::kBorder;
	for (BMenuItem* item : fItems) {
		item->fFrame.left = MenuLook::kBorder;
		item->fFrame.right = fWidth - 1 - MenuLook::kBorder;
	}
}

BMenuBar* BMenu::_TopBar() const
{
	const BMenu* menu = this;
	while (menu->Supermenu() != nullptr)
		menu = menu->Supermenu();
	return dynamic_cast<BMenuBar*>(const_cast<BMenu*>(menu));
}

void BMenu::_TargetItemsAt(BWindow* window)
{
	_AllItems([&](BMenuItem* item) {
		item->_EnsureTarget(window);
		return false;
	});
}

std::vector<MenuEntry> BMenu::_Entries(int32 selected) const
{
	std::vector<MenuEntry> entries;
	const bool enabled = IsEnabled();
	for (size_t i = 0; i < fItems.size(); i++) {
		const BMenuItem* item = fItems[i];
		MenuEntry entry;
		entry.label = item->fLabel;
		entry.shortcut = MenuLook::ShortcutLabel(item->fShortcut, item->fModifiers);
		entry.frame = item->fFrame;
		entry.separator = IsSeparator(item);
		entry.enabled = enabled && item->IsEnabled() && !entry.separator;
		entry.marked = item->fMarked;
		entry.submenu = item->fSubmenu != nullptr;
		entry.selected = (int32)i == selected;
		entry.inRow = fLayout == B_ITEMS_IN_ROW;
		entries.push_back(std::move(entry));
	}
	return entries;
}

int32 BMenu::_ItemAt(BPoint where) const
{
	for (size_t i = 0; i < fItems.size(); i++) {
		if (fItems[i]->fFrame.Contains(where))
			return (int32)i;
	}
	return -1;
}

void BMenu::Draw(BRect)
{
	const std::vector<MenuEntry> entries = _Entries(-1);
	if (fLayout == B_ITEMS_IN_ROW) {
		SetHighColor(MenuLook::Background());
		FillRect(Bounds());
		for (const MenuEntry& entry : entries)
			MenuLook::DrawEntry(this, entry);
		return;
	}
	MenuLook::DrawPopup(this, entries);
}
