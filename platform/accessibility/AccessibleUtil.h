// AccessibleUtil: ATK's view of the toolkit, as a subclass of AtkUtil: the root
// of the tree (the application's object), the toolkit's name and version, and
// the key listeners the bridge adds, which hear each key the windows report. ATK
// asks its base class, so the subclass's class answers for it.
// Threading: the accessibility thread.
#ifndef _CVAB_ACCESSIBLE_UTIL_H
#define _CVAB_ACCESSIBLE_UTIL_H

#include <atk/atk.h>

namespace BPrivate {

class AccessibleUtil {
public:
	// Makes root ATK's root; once.
	static void Install(AtkObject* root);
	// Tells the key listeners of a key; what they answer is not waited for.
	static void DispatchKey(AtkKeyEventStruct* event);
};

}  // namespace BPrivate

#endif
