// The support window: where instructions and answers are found; "Web Page"
// opens the product's support page.
// Threading: as CVABInfoWindow.
#ifndef _CVAB_TECH_WINDOW_H
#define _CVAB_TECH_WINDOW_H

#include "CVABInfoWindow.h"

class CVABTechWindow : public CVABInfoWindow {
public:
	// Built, not shown: the creator shows it.
	CVABTechWindow();
	~CVABTechWindow() override;
};

#endif
