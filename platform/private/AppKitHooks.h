// Seams through which later layers join the app kit without the app kit knowing them:
// the interface kit's windows, the display server's cursor, the desktop clipboard, and
// a test's fake command line.
// Threading: set once at start-up, before the application runs; read from any thread.
#ifndef _CVAB_APP_KIT_HOOKS_H
#define _CVAB_APP_KIT_HOOKS_H

#include <EntryRef.h>
#include <Message.h>

#include <string>
#include <vector>

namespace BPrivate {

struct AppKitHooks {
	// Asked by BApplication::QuitRequested: true when every window agreed to quit
	// (and was quit). Without it, the application quits at once. With always, as Run
	// ends, every window is asked and then quit whatever it answers.
	bool (*quitAllWindows)(bool always) = nullptr;
	// BApplication::SetCursor hands the cursor data to the display server here.
	void (*setCursor)(const void* cursorData) = nullptr;
};

AppKitHooks& app_kit_hooks();

// The next BApplication reads its arguments from here instead of /proc/self/cmdline
// (argv[0] first). For tests.
void set_command_line_for_next_application(const std::vector<std::string>& arguments);

// The desktop's side of the clipboard. Without a backend, clipboards live in this
// process only. Load fills data with the current contents; Store replaces them.
class ClipboardBackend {
public:
	virtual ~ClipboardBackend() = default;
	virtual status_t Load(const char* clipboardName, BMessage* data) = 0;
	virtual status_t Store(const char* clipboardName, const BMessage& data) = 0;
	// Changes whenever the desktop's contents change (by us or by others).
	virtual uint32 ChangeCount(const char* clipboardName) = 0;
};

void set_clipboard_backend(ClipboardBackend* backend);

// The entry_ref of an existing entry, through its real path (symbolic links resolved).
status_t ref_for_existing_path(const char* path, entry_ref* ref);

}  // namespace BPrivate

#endif
