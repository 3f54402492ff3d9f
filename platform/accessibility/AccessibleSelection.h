// AccessibleSelection: which children of an object are selected (a list's rows,
// a menu's highlighted item) and the changes a reader may make to that, behind
// ATK's Selection interface.
// Threading: the accessibility thread.
#ifndef _CVAB_ACCESSIBLE_SELECTION_H
#define _CVAB_ACCESSIBLE_SELECTION_H

#include <SupportDefs.h>

#include <atk/atk.h>

namespace BPrivate {

class AccessibleSelection {
public:
	virtual ~AccessibleSelection() = default;

	virtual int32 CountSelected() = 0;
	// The index-th selected child, a new reference; null past the last.
	virtual AtkObject* RefSelected(int32 index) = 0;
	virtual bool IsChildSelected(int32 child) = 0;
	// Changes asked for by a reader; false where they cannot be made.
	virtual bool SelectChild(int32 child) = 0;
	virtual bool DeselectSelected(int32 index) = 0;
	virtual bool ClearSelection() = 0;
	virtual bool SelectAll() = 0;

	// Fills in the ATK interface (a GInterfaceInitFunc).
	static void InitInterface(gpointer iface, gpointer data);
};

}  // namespace BPrivate

#endif
