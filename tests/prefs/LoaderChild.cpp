// Started by the loader tests with a controlled environment. Standard output is
// left to the loader; everything this program reports goes to standard error as
// "key=value" lines. It makes the application's round of PREF calls, so the tests
// can tell from the files left behind who answered. With an argument,
// "LIBRARY_PATH" is set to it after the first decision, to show that it holds.
#include <PREF.h>
#include <PreferencesLoader.h>

#include <TypeConstants.h>
#include <image.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Report(const char* key, int value)
{
	std::fprintf(stderr, "%s=%d\n", key, value);
}

void ReportAddOns()
{
	int32 cookie = 0;
	image_info info;
	while (get_next_image_info(B_CURRENT_TEAM, &cookie, &info) == B_OK) {
		if (info.type == B_ADD_ON_IMAGE)
			std::fprintf(stderr, "addon=%s\n", info.name);
	}
}

void UseSettings(PREFAppHandle app)
{
	PREFSetHandle set = nullptr;
	Report("load", PREFLoadSet(app, "settings", true, &set));
	const char path[] = "/books/friends";
	Report("setdata", PREFSetData(set, "LastFileSaved", path, sizeof(path), B_STRING_TYPE));

	const void* data = nullptr;
	ssize_t size = 0;
	type_code type = 0;
	Report("getdata", PREFGetData(set, "LastFileSaved", &data, &size, &type));
	Report("same", type == B_STRING_TYPE && size == ssize_t(sizeof(path))
		&& std::memcmp(data, path, sizeof(path)) == 0);
	Report("missing", PREFGetData(set, "NeverSet", &data, &size, &type));

	PREFTransaction transaction = nullptr;
	Report("begin", PREFBeginTransaction(set, &transaction));
	Report("end", PREFEndTransaction(transaction));
	Report("save", PREFSaveSet(set));
	Report("dispose", PREFDisposeSet(&set));
	Report("cleared", set == nullptr);
}

}  // namespace

int main(int argc, char** argv)
{
	PREFAppHandle app = nullptr;
	const status_t init = PREFInit("x-vnd.loader-child", &app);
	Report("init", init);
	if (init == B_OK)
		UseSettings(app);

	// Only the built-in store refuses a "/" in the name.
	PREFAppHandle slashed = nullptr;
	const status_t slash = PREFInit("with/slash", &slashed);
	Report("slash", slash);
	if (slash == B_OK)
		PREFShutdown(slashed);
	Report("shutdown", PREFShutdown(app));

	Report("loader", LoadPreferencesLibrary());
	if (argc > 1)
		setenv("LIBRARY_PATH", argv[1], 1);
	Report("again", LoadPreferencesLibrary());
	if (LoadPreferencesLibrary() == B_OK) {
		Report("version", reinterpret_cast<int32 (*)()>(
			PreferencesLibraryEntry(PrefsEntry::Version))());
	}
	ReportAddOns();
	return 0;
}
