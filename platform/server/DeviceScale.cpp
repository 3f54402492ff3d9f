#include "DeviceScale.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <stdlib.h>
#include <string>

namespace {

// A whole number of at least 1, or 0 when text is not one.
long PositiveInteger(const char* text)
{
	if (text == nullptr || *text == '\0')
		return 0;
	char* end = nullptr;
	const long value = strtol(text, &end, 10);
	return *end == '\0' && value >= 1 ? value : 0;
}

// Xft.dpi as the X resource database reads it (any spacing, comments, later lines
// winning), or 0 when it is not there.
double XftDpi(const char* resources)
{
	if (resources == nullptr || *resources == '\0')
		return 0;
	XrmInitialize();
	XrmDatabase database = XrmGetStringDatabase(resources);
	if (database == nullptr)
		return 0;
	char* type = nullptr;
	XrmValue value{};
	double dpi = 0;
	if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr)
		dpi = strtod(value.addr, nullptr);
	XrmDestroyDatabase(database);
	return dpi;
}

// The X server's RESOURCE_MANAGER text (what xrdb loaded), empty without one.
std::string ServerResources()
{
	Display* display = XOpenDisplay(nullptr);
	if (display == nullptr)
		return std::string();
	const char* resources = XResourceManagerString(display);
	std::string copy = resources != nullptr ? resources : "";
	XCloseDisplay(display);
	return copy;
}

}  // namespace

int32 DeviceScale::FromSettings(const char* cvabScale, const char* gdkScale,
	const char* xResources, bool headless)
{
	const long chosen = PositiveInteger(cvabScale);
	if (chosen == 1 || chosen == 2)
		return (int32)chosen;
	if (headless)
		return 1;
	if (const long gdk = PositiveInteger(gdkScale))
		return gdk >= 2 ? 2 : 1;
	return XftDpi(xResources) >= 144 ? 2 : 1;
}

int32 DeviceScale::Choose(bool headless)
{
	const char* cvabScale = getenv("CVAB_SCALE");
	const char* gdkScale = getenv("GDK_SCALE");
	const long chosen = PositiveInteger(cvabScale);
	// The X server is asked only when nothing before it decides.
	if (headless || chosen == 1 || chosen == 2 || PositiveInteger(gdkScale) != 0)
		return FromSettings(cvabScale, gdkScale, nullptr, headless);
	const std::string resources = getenv("DISPLAY") != nullptr ? ServerResources() : "";
	return FromSettings(cvabScale, gdkScale, resources.c_str(), headless);
}
