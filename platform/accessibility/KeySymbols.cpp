#include "KeySymbols.h"

#include <InterfaceDefs.h>

#include <glib.h>

#include <cstring>

namespace BPrivate {

namespace {

struct Named {
	char byte;
	uint32 symbol;
	const char* name;
};

const Named kKeys[] = {
	{B_BACKSPACE, 0xff08, "BackSpace"},
	{B_TAB, 0xff09, "Tab"},
	{B_ENTER, 0xff0d, "Return"},
	{B_ESCAPE, 0xff1b, "Escape"},
	{B_LEFT_ARROW, 0xff51, "Left"},
	{B_UP_ARROW, 0xff52, "Up"},
	{B_RIGHT_ARROW, 0xff53, "Right"},
	{B_DOWN_ARROW, 0xff54, "Down"},
	{B_HOME, 0xff50, "Home"},
	{B_END, 0xff57, "End"},
	{B_PAGE_UP, 0xff55, "Page_Up"},
	{B_PAGE_DOWN, 0xff56, "Page_Down"},
	{B_INSERT, 0xff63, "Insert"},
	{B_DELETE, 0xffff, "Delete"},
	{B_SPACE, 0x20, "space"},
};

}  // namespace

KeySymbols::Key KeySymbols::For(const char* bytes, int32 functionKey)
{
	if (bytes == nullptr || bytes[0] == '\0')
		return {0, ""};
	if (bytes[0] == B_FUNCTION_KEY && bytes[1] == '\0') {
		if (functionKey < B_F1_KEY || functionKey > B_F12_KEY)
			return {0, ""};
		const int32 number = functionKey - B_F1_KEY + 1;
		return {uint32(0xffbe + number - 1), "F" + std::to_string(number)};
	}
	if (bytes[1] == '\0') {
		for (const Named& key : kKeys) {
			if (key.byte == bytes[0])
				return {key.symbol, key.name};
		}
	}
	const gunichar c = g_utf8_get_char_validated(bytes, (gssize)strlen(bytes));
	if (c >= 0x110000 || c < 0x20)
		return {0, ""};
	// Latin-1 characters are their own symbols; the others are offset.
	return {c < 0x100 ? (uint32)c : (0x01000000 | (uint32)c), bytes};
}

uint32 KeySymbols::StateOf(uint32 modifiers)
{
	uint32 state = 0;
	if (modifiers & B_SHIFT_KEY)
		state |= 1;
	if (modifiers & B_CAPS_LOCK)
		state |= 2;
	if (modifiers & (B_COMMAND_KEY | B_CONTROL_KEY))
		state |= 4;
	if (modifiers & B_OPTION_KEY)
		state |= 8;
	return state;
}

}  // namespace BPrivate
