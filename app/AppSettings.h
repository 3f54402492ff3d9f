// The application's settings set "settings" through the preferences interface:
// opened at start, saved and closed at the end; it holds the path of the book
// last read or saved. Without a preferences answerer nothing is kept and
// nothing is reported.
// Threading: any thread (the preferences interface serialises its own calls).
#ifndef _APP_SETTINGS_H
#define _APP_SETTINGS_H

#include "PREF.h"

#include <string>

class AppSettings {
public:
	AppSettings(const char* appName, const char* setName);
	~AppSettings();

	AppSettings(const AppSettings&) = delete;
	AppSettings& operator=(const AppSettings&) = delete;

	// "LastFileSaved", when it is a sane absolute path whose folder exists;
	// otherwise "".
	std::string LastFile() const;
	void SetLastFile(const std::string& path);

private:
	status_t fInitStatus = B_NO_INIT;
	PREFAppHandle fApp = nullptr;
	status_t fSetStatus = B_NO_INIT;
	PREFSetHandle fSet = nullptr;
};

#endif
