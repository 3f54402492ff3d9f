// The About window: product name, version and an invitation to the maker's web
// page for newer versions; "Web Page" opens that page.
// Threading: as CVABInfoWindow.
#ifndef _CVAB_ABOUT_WINDOW_H
#define _CVAB_ABOUT_WINDOW_H

#include "CVABInfoWindow.h"

class CVABAboutWindow : public CVABInfoWindow {
public:
	// Built, not shown: the creator shows it.
	CVABAboutWindow();
	~CVABAboutWindow() override;
};

#endif
