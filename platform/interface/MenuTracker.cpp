#include "MenuTracker.h"

#include <InterfaceDefs.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Messenger.h>
#include <Screen.h>
#include <algorithm>
#include <SeparatorItem.h>

#include "AccessibleLinks.h"
#include "MenuPopup.h"

namespace BPrivate {

namespace {

bool CanOpen(const BMenuItem* item)
{
	return item != nullptr && item->Submenu() != nullptr && item->Submenu()->IsEnabled();
}

bool CanSelect(const BMenuItem* item)
{
	return item != nullptr && dynamic_cast<const BSeparatorItem*>(item) == nullptr
		&& item->IsEnabled();
}

}  // namespace

MenuTracker::MenuTracker(BMenuBar* bar)
	: fBar(bar)
{
}

MenuTracker::~MenuTracker()
{
	CloseAll();
}

int32 MenuTracker::OpenTitle() const
{
	return IsOpen() ? fLevels[0].selected : -1;
}

std::vector<MenuTracker::OpenMenu> MenuTracker::OpenMenus() const
{
	std::vector<OpenMenu> open;
	for (size_t level = 1; level < fLevels.size(); level++)
		open.push_back({fLevels[level].menu, fLevels[level].selected, fLevels[level].screenFrame});
	return open;
}

void MenuTracker::_NoteMenus()
{
	AccessibleLinks::Note(fBar, kAccessibleMenus);
}

bool MenuTracker::IsCurrentPopup(int32 serial) const
{
	for (const Level& level : fLevels) {
		if (level.popup != nullptr && level.serial == serial)
			return true;
	}
	return false;
}

// --- pointer

void MenuTracker::Pressed(BPoint where)
{
	fButtonHeld = true;
	fOpenedByPress = false;
	const int32 level = _LevelAt(where);
	if (level < 0) {
		CloseAll();  // a click elsewhere closes and is used up
		return;
	}
	if (level > 0) {
		_Select((size_t)level, _ItemAt((size_t)level, where), true);
		return;
	}
	const int32 title = _ItemAt(0, where);
	if (title < 0 || (IsOpen() && title == OpenTitle())) {
		CloseAll();
		return;
	}
	_OpenTitle(title);
	fOpenedByPress = IsOpen();
}

void MenuTracker::Moved(BPoint where)
{
	if (!IsOpen())
		return;
	const int32 level = _LevelAt(where);
	if (level == 0) {
		const int32 title = _ItemAt(0, where);
		if (title >= 0 && title != OpenTitle() && CanOpen(fBar->ItemAt(title)))
			_OpenTitle(title);
		return;
	}
	if (level > 0) {
		_Select((size_t)level, _ItemAt((size_t)level, where), true);
		return;
	}
	// Off every menu: the deepest one shows no selection.
	_Select(fLevels.size() - 1, -1, false);
}

void MenuTracker::Released(BPoint where)
{
	const bool held = fButtonHeld;
	fButtonHeld = false;
	if (!IsOpen() || !held)
		return;
	const int32 level = _LevelAt(where);
	if (level == 0)
		return;  // released on the bar: the menu stays open for clicks and keys
	if (level > 0) {
		BMenuItem* item = fLevels[level].menu->ItemAt(_ItemAt((size_t)level, where));
		if (item != nullptr && item->_CanBeChosen())
			_Choose(item);
		return;
	}
	CloseAll();
}

// --- keys

bool MenuTracker::KeyDown(const char* bytes)
{
	if (!IsOpen())
		return false;
	const size_t deepest = fLevels.size() - 1;
	BMenuItem* selected = fLevels[deepest].menu->ItemAt(fLevels[deepest].selected);
	switch (bytes[0] != '\0' && bytes[1] == '\0' ? bytes[0] : 0) {
		case B_ESCAPE:
			CloseAll();
			break;
		case B_UP_ARROW:
			_MoveSelection(-1);
			break;
		case B_DOWN_ARROW:
			_MoveSelection(1);
			break;
		case B_LEFT_ARROW:
			if (deepest > 1)
				_CloseFrom(deepest);
			else
				_SwitchTitle(-1);
			break;
		case B_RIGHT_ARROW:
			if (CanOpen(selected)) {
				_OpenSubmenu(deepest, fLevels[deepest].selected);
				_MoveSelection(1);
			} else {
				_SwitchTitle(1);
			}
			break;
		case B_ENTER:
		case B_SPACE:
			if (CanOpen(selected)) {
				_OpenSubmenu(deepest, fLevels[deepest].selected);
				_MoveSelection(1);
			} else if (selected != nullptr && selected->_CanBeChosen()) {
				_Choose(selected);
			}
			break;
		default:
			break;  // other keys wait until the menu is closed
	}
	return true;
}

void MenuTracker::_MoveSelection(int32 step)
{
	const size_t level = fLevels.size() - 1;
	const BMenu* menu = fLevels[level].menu;
	const int32 count = menu->CountItems();
	int32 index = fLevels[level].selected;
	if (index < 0)
		index = step > 0 ? -1 : count;
	for (int32 tried = 0; tried < count; tried++) {
		index = ((index + step) % count + count) % count;
		if (CanSelect(menu->ItemAt(index))) {
			_Select(level, index, false);
			return;
		}
	}
}

bool MenuTracker::OpenFirst()
{
	if (!fBar->IsEnabled())
		return false;
	for (int32 index = 0; index < fBar->CountItems(); index++) {
		if (CanOpen(fBar->ItemAt(index))) {
			_OpenTitle(index);
			_MoveSelection(1);
			return IsOpen();
		}
	}
	return false;
}

void MenuTracker::_SwitchTitle(int32 step)
{
	const int32 count = fBar->CountItems();
	int32 index = OpenTitle();
	for (int32 tried = 1; tried < count; tried++) {
		index = ((index + step) % count + count) % count;
		if (CanOpen(fBar->ItemAt(index))) {
			_OpenTitle(index);
			return;
		}
	}
}

// --- opening, selecting, closing

void MenuTracker::_OpenTitle(int32 index)
{
	BMenuItem* item = fBar->ItemAt(index);
	if (!CanOpen(item))
		return;
	_CloseFrom(1);
	if (fLevels.empty()) {
		fLevels.push_back(Level{fBar, nullptr, BRect(), -1, 0});
	}
	fLevels[0].selected = index;
	fBar->Invalidate();
	const BPoint leftTop = fBar->ConvertToScreen(
		BPoint(item->Frame().left, fBar->Bounds().bottom + 1));
	BMenu* menu = item->Submenu();
	const BRect frame = _PopupFrame(menu, leftTop);
	const int32 serial = fNextSerial++;
	auto* popup = new MenuPopup(frame, BMessenger(fBar), serial);
	fLevels.push_back(Level{menu, popup, frame, -1, serial});
	popup->SetEntries(menu->_Entries(-1));
	popup->Show();
	_NoteMenus();
}

void MenuTracker::_OpenSubmenu(size_t level, int32 index)
{
	BMenuItem* item = fLevels[level].menu->ItemAt(index);
	if (!CanOpen(item))
		return;
	_CloseFrom(level + 1);
	const BRect parent = fLevels[level].screenFrame;
	BMenu* menu = item->Submenu();
	const BRect frame = _PopupFrame(menu,
		BPoint(parent.right - 2, parent.top + item->Frame().top - MenuLook::kBorder));
	const int32 serial = fNextSerial++;
	auto* popup = new MenuPopup(frame, BMessenger(fBar), serial);
	fLevels.push_back(Level{menu, popup, frame, -1, serial});
	popup->SetEntries(menu->_Entries(-1));
	popup->Show();
	_NoteMenus();
}

void MenuTracker::_Select(size_t level, int32 index, bool openSubmenu)
{
	Level& current = fLevels[level];
	const bool sameItem = index == current.selected;
	if (!sameItem) {
		current.selected = index;
		_Update(level);
		_NoteMenus();
	}
	const bool childOpen = fLevels.size() > level + 1;
	if (sameItem && childOpen)
		return;
	_CloseFrom(level + 1);
	if (openSubmenu && index >= 0)
		_OpenSubmenu(level, index);
}

void MenuTracker::_CloseFrom(size_t level)
{
	const size_t before = fLevels.size();
	while (fLevels.size() > std::max<size_t>(level, 1)) {
		fLevels.back().popup->Close();
		fLevels.pop_back();
	}
	if (level == 0 && !fLevels.empty()) {
		fLevels.clear();
		fBar->Invalidate();
	}
	if (fLevels.size() != before)
		_NoteMenus();
}

void MenuTracker::CloseAll()
{
	fButtonHeld = false;
	_CloseFrom(0);
}

void MenuTracker::_Choose(BMenuItem* item)
{
	CloseAll();
	item->Invoke();
}

void MenuTracker::Refresh()
{
	for (size_t level = 1; level < fLevels.size(); level++) {
		if (!fLevels[level].menu->IsEnabled()) {
			_CloseFrom(level == 1 ? 0 : level);
			return;
		}
		if (fLevels[level].selected >= fLevels[level].menu->CountItems())
			fLevels[level].selected = -1;
		_Update(level);
	}
}

void MenuTracker::_Update(size_t level)
{
	if (level == 0) {
		fBar->Invalidate();
		return;
	}
	fLevels[level].popup->SetEntries(fLevels[level].menu->_Entries(fLevels[level].selected));
}

// --- geometry

int32 MenuTracker::_LevelAt(BPoint where) const
{
	for (size_t level = fLevels.size(); level-- > 1;) {
		if (fLevels[level].screenFrame.Contains(where))
			return (int32)level;
	}
	return fBar->ConvertToScreen(fBar->Bounds()).Contains(where) ? 0 : -1;
}

int32 MenuTracker::_ItemAt(size_t level, BPoint where) const
{
	if (level == 0)
		return fBar->_ItemAt(fBar->ConvertFromScreen(where));
	const Level& current = fLevels[level];
	const int32 index = current.menu->_ItemAt(where - current.screenFrame.LeftTop());
	return CanSelect(current.menu->ItemAt(index)) || CanOpen(current.menu->ItemAt(index))
		? index : -1;
}

BRect MenuTracker::_PopupFrame(BMenu* menu, BPoint leftTop) const
{
	float width, height;
	menu->GetPreferredSize(&width, &height);
	BRect frame(leftTop.x, leftTop.y, leftTop.x + width - 1, leftTop.y + height - 1);
	const BRect screen = BScreen().Frame();
	if (frame.right > screen.right)
		frame.OffsetBy(screen.right - frame.right, 0);
	if (frame.bottom > screen.bottom)
		frame.OffsetBy(0, screen.bottom - frame.bottom);
	return frame;
}

}  // namespace BPrivate
