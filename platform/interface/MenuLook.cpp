#include "MenuLook.h"

#include <Font.h>
#include <InterfaceDefs.h>
#include <View.h>

#include <algorithm>
#include <cmath>
#include <ctype.h>

namespace BPrivate {

rgb_color MenuLook::Background() { return ui_color(B_MENU_BACKGROUND_COLOR); }
rgb_color MenuLook::Selected() { return make_color(176, 176, 176); }
rgb_color MenuLook::Text() { return make_color(0, 0, 0); }
rgb_color MenuLook::DisabledText() { return make_color(152, 152, 152); }
rgb_color MenuLook::Frame() { return make_color(112, 112, 112); }

std::string MenuLook::ShortcutLabel(char shortcut, uint32 modifiers)
{
	if (shortcut == 0)
		return "";
	std::string label = "Ctrl+";
	if (modifiers & B_SHIFT_KEY)
		label += "Shift+";
	if (modifiers & B_OPTION_KEY)
		label += "Alt+";
	label += (char)toupper((unsigned char)shortcut);
	return label;
}

float MenuLook::LabelWidth(const char* label)
{
	return std::ceil(be_plain_font->StringWidth(label));
}

float MenuLook::Baseline(const BRect& frame)
{
	font_height height;
	be_plain_font->GetHeight(&height);
	return std::floor(frame.top + (frame.Height() + 1 + height.ascent - height.descent) / 2);
}

void MenuLook::DrawCheckMark(BView* view, const BRect& frame)
{
	// A tick, two pixels thick, in the space left of the label.
	const float x = frame.left + 4;
	const float y = std::floor(frame.top + frame.Height() / 2);
	for (float dy = 0; dy <= 1; dy++) {
		view->StrokeLine(BPoint(x, y + dy), BPoint(x + 3, y + 3 + dy));
		view->StrokeLine(BPoint(x + 3, y + 3 + dy), BPoint(x + 9, y - 3 + dy));
	}
}

void MenuLook::DrawSubmenuArrow(BView* view, const BRect& frame)
{
	const float x = frame.right - 9;
	const float y = std::floor(frame.top + frame.Height() / 2);
	for (float i = 0; i <= 3; i++)
		view->StrokeLine(BPoint(x + i, y - 3 + i), BPoint(x + i, y + 3 - i));
}

void MenuLook::DrawEntry(BView* view, const MenuEntry& entry)
{
	const rgb_color background = entry.selected ? Selected() : Background();
	view->SetHighColor(background);
	view->FillRect(entry.frame);
	if (entry.separator) {
		const float y = std::floor(entry.frame.top + entry.frame.Height() / 2);
		view->SetHighColor(DisabledText());
		view->StrokeLine(BPoint(entry.frame.left + 4, y), BPoint(entry.frame.right - 4, y));
		return;
	}
	view->SetLowColor(background);
	view->SetHighColor(entry.enabled ? Text() : DisabledText());
	// Bar titles sit in the top of a taller bar, level with a column item's text.
	BRect textFrame = entry.frame;
	textFrame.bottom = std::min(textFrame.bottom, textFrame.top + kItemHeight - 1);
	const float baseline = Baseline(textFrame);
	const float labelLeft = entry.inRow ? entry.frame.left + kRowPadding
		: entry.frame.left + kCheckSpace;
	view->DrawString(entry.label.c_str(), BPoint(labelLeft, baseline));
	if (entry.inRow)
		return;
	if (entry.marked)
		DrawCheckMark(view, entry.frame);
	if (!entry.shortcut.empty()) {
		const float right = entry.frame.right - kRightMargin;
		view->DrawString(entry.shortcut.c_str(),
			BPoint(right - LabelWidth(entry.shortcut.c_str()), baseline));
	}
	if (entry.submenu)
		DrawSubmenuArrow(view, entry.frame);
}

void MenuLook::DrawPopup(BView* view, const std::vector<MenuEntry>& entries)
{
	const BRect bounds = view->Bounds();
	view->SetHighColor(Background());
	view->FillRect(bounds);
	view->SetHighColor(Frame());
	view->StrokeRect(bounds);
	for (const MenuEntry& entry : entries)
		DrawEntry(view, entry);
}

}  // namespace BPrivate
