// AccessibleApplication: the root of the tree: the application, named after its
// program, holding the windows a reader is shown (those on screen) in the order
// they were first shown.
// Threading: the accessibility thread.
#ifndef _CVAB_ACCESSIBLE_APPLICATION_H
#define _CVAB_ACCESSIBLE_APPLICATION_H

#include "Accessible.h"

namespace BPrivate {

class AccessibleWindow;

class AccessibleApplication : public Accessible {
public:
	AccessibleApplication();

	void Add(AccessibleWindow* window);

protected:
	bool Refresh() override;

private:
	std::vector<AccessibleRef> fWindows;
};

}  // namespace BPrivate

#endif
