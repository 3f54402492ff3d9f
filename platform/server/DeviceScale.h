// How many device pixels one pixel of the API takes: 2 on a high-density desktop,
// 1 otherwise. Kept apart from the backends because reading the X server's
// resources needs Xlib, whose macros clash with other names.
// Threading: any thread; it reads the environment and opens its own X connection.
#ifndef _SERVER_DEVICE_SCALE_H
#define _SERVER_DEVICE_SCALE_H

#include <SupportDefs.h>

class DeviceScale {
public:
	// The scale for the backend about to start, from this process's environment
	// and, for sdl, the X server's resources.
	static int32 Choose(bool headless);

	// The rule, from the settings as found (null when unset): CVAB_SCALE of 1 or 2
	// decides; otherwise headless is 1; otherwise an integer GDK_SCALE decides
	// (2 or more is 2), and then an Xft.dpi of 144 or more in the X resources
	// (RESOURCE_MANAGER's text) makes 2.
	static int32 FromSettings(const char* cvabScale, const char* gdkScale,
		const char* xResources, bool headless);
};

#endif
