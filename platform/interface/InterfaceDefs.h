// Interface kit constants: resizing modes, view flags, keys, modifiers, mouse buttons.
// Threading: plain values, any thread.
#ifndef _INTERFACE_DEFS_H
#define _INTERFACE_DEFS_H

#include <GraphicsDefs.h>
#include <SupportDefs.h>

// A resizing mode holds one rule per edge, four bits each: top, left, bottom, right
// (from the most significant nibble down). A rule names the parent edge that the
// view's edge keeps its distance to.
#define _rule_(top, left, bottom, right) \
	(((top) << 12) | ((left) << 8) | ((bottom) << 4) | (right))

enum {
	_VIEW_TOP_ = 1,
	_VIEW_LEFT_ = 2,
	_VIEW_BOTTOM_ = 3,
	_VIEW_RIGHT_ = 4,
	_VIEW_CENTER_ = 5,
};

enum {
	B_FOLLOW_NONE = 0,
	B_FOLLOW_ALL_SIDES = _rule_(_VIEW_TOP_, _VIEW_LEFT_, _VIEW_BOTTOM_, _VIEW_RIGHT_),
	B_FOLLOW_ALL = B_FOLLOW_ALL_SIDES,

	B_FOLLOW_LEFT = _rule_(0, _VIEW_LEFT_, 0, _VIEW_LEFT_),
	B_FOLLOW_RIGHT = _rule_(0, _VIEW_RIGHT_, 0, _VIEW_RIGHT_),
	B_FOLLOW_LEFT_RIGHT = _rule_(0, _VIEW_LEFT_, 0, _VIEW_RIGHT_),
	B_FOLLOW_H_CENTER = _rule_(0, _VIEW_CENTER_, 0, _VIEW_CENTER_),

	B_FOLLOW_TOP = _rule_(_VIEW_TOP_, 0, _VIEW_TOP_, 0),
	B_FOLLOW_BOTTOM = _rule_(_VIEW_BOTTOM_, 0, _VIEW_BOTTOM_, 0),
	B_FOLLOW_TOP_BOTTOM = _rule_(_VIEW_TOP_, 0, _VIEW_BOTTOM_, 0),
	B_FOLLOW_V_CENTER = _rule_(_VIEW_CENTER_, 0, _VIEW_CENTER_, 0),
};

// View flags.
enum {
	B_FULL_UPDATE_ON_RESIZE = 0x80000000,
	_B_RESERVED1_ = 0x40000000,
	B_WILL_DRAW = 0x20000000,
	B_PULSE_NEEDED = 0x10000000,
	B_NAVIGABLE_JUMP = 0x08000000,
	B_FRAME_EVENTS = 0x04000000,
	B_NAVIGABLE = 0x02000000,
	B_SUBPIXEL_PRECISE = 0x01000000,
	B_DRAW_ON_CHILDREN = 0x00800000,
	B_INPUT_METHOD_AWARE = 0x00400000,
};

// "be:opcode" of a B_INPUT_METHOD_EVENT: a composition starts, ends (its text
// arrives as keys, or it was given up), or changes ("be:string", and the input
// method's caret as the byte offsets "be:selection" twice).
enum {
	B_INPUT_METHOD_STARTED = 0,
	B_INPUT_METHOD_STOPPED = 1,
	B_INPUT_METHOD_CHANGED = 2,
	B_INPUT_METHOD_LOCATION_REQUEST = 3,
};

// Mouse buttons.
enum {
	B_PRIMARY_MOUSE_BUTTON = 0x01,
	B_SECONDARY_MOUSE_BUTTON = 0x02,
	B_TERTIARY_MOUSE_BUTTON = 0x04,
};

// Transit codes handed to MouseMoved.
enum {
	B_ENTERED_VIEW = 0,
	B_INSIDE_VIEW,
	B_EXITED_VIEW,
	B_OUTSIDE_VIEW,
};

// Key values: the first byte of a key's "bytes".
enum {
	B_BACKSPACE = 0x08,
	B_RETURN = 0x0a,
	B_ENTER = 0x0a,
	B_SPACE = 0x20,
	B_TAB = 0x09,
	B_ESCAPE = 0x1b,
	B_SUBSTITUTE = 0x1a,
	B_LEFT_ARROW = 0x1c,
	B_RIGHT_ARROW = 0x1d,
	B_UP_ARROW = 0x1e,
	B_DOWN_ARROW = 0x1f,
	B_INSERT = 0x05,
	B_DELETE = 0x7f,
	B_HOME = 0x01,
	B_END = 0x04,
	B_PAGE_UP = 0x0b,
	B_PAGE_DOWN = 0x0c,
	B_FUNCTION_KEY = 0x10,
};

// The "key" of a B_FUNCTION_KEY press: which function key it was.
enum {
	B_F1_KEY = 0x02,
	B_F2_KEY,
	B_F3_KEY,
	B_F4_KEY,
	B_F5_KEY,
	B_F6_KEY,
	B_F7_KEY,
	B_F8_KEY,
	B_F9_KEY,
	B_F10_KEY,
	B_F11_KEY,
	B_F12_KEY,
};

// Modifier bits. The command key is Ctrl on this platform, so both bits come together.
enum {
	B_SHIFT_KEY = 0x00000001,
	B_COMMAND_KEY = 0x00000002,
	B_CONTROL_KEY = 0x00000004,
	B_CAPS_LOCK = 0x00000008,
	B_SCROLL_LOCK = 0x00000010,
	B_NUM_LOCK = 0x00000020,
	B_OPTION_KEY = 0x00000040,
	B_MENU_KEY = 0x00000080,
	B_LEFT_SHIFT_KEY = 0x00000100,
	B_RIGHT_SHIFT_KEY = 0x00000200,
	B_LEFT_COMMAND_KEY = 0x00000400,
	B_RIGHT_COMMAND_KEY = 0x00000800,
	B_LEFT_CONTROL_KEY = 0x00001000,
	B_RIGHT_CONTROL_KEY = 0x00002000,
	B_LEFT_OPTION_KEY = 0x00004000,
	B_RIGHT_OPTION_KEY = 0x00008000,
};

enum orientation {
	B_HORIZONTAL,
	B_VERTICAL,
};

enum border_style {
	B_PLAIN_BORDER,
	B_FANCY_BORDER,
	B_NO_BORDER,
};

// Workspaces.
#define B_CURRENT_WORKSPACE 0
#define B_ALL_WORKSPACES 0xffffffff

// The modifier keys held now, as last reported by the display.
uint32 modifiers();

// The colours of the kit's look, for views that want to match it.
enum color_which {
	B_PANEL_BACKGROUND_COLOR = 1,
	B_MENU_BACKGROUND_COLOR = 2,
};
rgb_color ui_color(color_which which);

#endif
