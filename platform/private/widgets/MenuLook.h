// MenuLook: the measurements and drawing of menu bars and menus, shared by the bar
// (drawn in its own window) and the popups (drawn from a copy of the items, so a
// popup's thread never reads the menu itself).
// Threading: stateless; draws into a view its caller has locked.
#ifndef _CVAB_MENU_LOOK_H
#define _CVAB_MENU_LOOK_H

#include <GraphicsDefs.h>
#include <Rect.h>

#include <string>
#include <vector>

class BView;

namespace BPrivate {

// What one item looks like at the moment, in its menu's coordinates.
struct MenuEntry {
	std::string label;
	std::string shortcut;  // "Ctrl+N", empty without one
	BRect frame;
	bool enabled = true;
	bool marked = false;
	bool separator = false;
	bool submenu = false;
	bool selected = false;
	bool inRow = false;
};

class MenuLook {
public:
	static constexpr float kBarHeight = 20;      // bottom edge of a fitted bar
	static constexpr float kRowPadding = 8;      // each side of a bar title
	static constexpr float kItemHeight = 16;
	static constexpr float kSeparatorHeight = 8;
	static constexpr float kCheckSpace = 18;     // left of a column label
	static constexpr float kShortcutGap = 20;
	static constexpr float kRightMargin = 12;
	static constexpr float kBorder = 1;

	static rgb_color Background();
	static rgb_color Selected();
	static rgb_color Text();
	static rgb_color DisabledText();
	static rgb_color Frame();

	static std::string ShortcutLabel(char shortcut, uint32 modifiers);
	static float LabelWidth(const char* label);
	// Where the label's baseline lies in an entry of this height.
	static float Baseline(const BRect& frame);

	static void DrawEntry(BView* view, const MenuEntry& entry);
	// The background and border of a popup, then its entries.
	static void DrawPopup(BView* view, const std::vector<MenuEntry>& entries);

private:
	static void DrawCheckMark(BView* view, const BRect& frame);
	static void DrawSubmenuArrow(BView* view, const BRect& frame);
};

}  // namespace BPrivate

#endif
