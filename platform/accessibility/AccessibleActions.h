// AccessibleActions: what an object offers to be done to it (a button's click, a
// menu item's choice) and the key that does it, behind ATK's Action interface.
// Threading: the accessibility thread.
#ifndef _CVAB_ACCESSIBLE_ACTIONS_H
#define _CVAB_ACCESSIBLE_ACTIONS_H

#include <SupportDefs.h>

#include <atk/atk.h>

namespace BPrivate {

class AccessibleActions {
public:
	virtual ~AccessibleActions() = default;

	virtual int32 CountActions() { return 1; }
	virtual const char* ActionName(int32 index) = 0;
	// ATK's "mnemonic;sequence;shortcut" (such as ";;<Control>n"), or null.
	virtual const char* ActionKeyBinding(int32) { return nullptr; }
	// Asks the window to do it; false when it cannot be done now.
	virtual bool DoAction(int32 index) = 0;

	// Fills in the ATK interface (a GInterfaceInitFunc).
	static void InitInterface(gpointer iface, gpointer data);
};

}  // namespace BPrivate

#endif
