// Started by the loader tests in a fresh process, since the loader decides once per
// process. Makes the application's round of PREF calls, asks the loader again after
// pointing "LIBRARY_PATH" at the whole test library, and prints, a line each after
// whatever the loader printed: the round's results, both answers, then every
// add-on loaded.
#include <PREF.h>
#include <PreferencesLoader.h>

#include <TypeConstants.h>
#include <image.h>

#include <cstdio>
#include <cstdlib>

int main()
{
	PREFAppHandle app = nullptr;
	PREFSetHandle set = nullptr;
	PREFTransaction transaction = nullptr;
	const void* data = nullptr;
	ssize_t size = 0;
	type_code type = 0;
	const status_t round[] = {PREFInit("x-vnd.loader-child", &app),
		PREFLoadSet(app, "settings", true, &set),
		PREFSetData(set, "LastFileSaved", "/books", 7, B_STRING_TYPE),
		PREFGetData(set, "LastFileSaved", &data, &size, &type),
		PREFBeginTransaction(set, &transaction), PREFEndTransaction(transaction),
		PREFSaveSet(set), PREFDisposeSet(&set), PREFShutdown(app)};
	for (const status_t& result : round)
		std::printf(&result == round ? "%d" : " %d", int(result));

	std::printf("\n%d\n", int(LoadPreferencesLibrary()));
	setenv("LIBRARY_PATH", "%A/lib", 1);
	std::printf("%d\n", int(LoadPreferencesLibrary()));
	int32 cookie = 0;
	image_info info;
	while (get_next_image_info(B_CURRENT_TEAM, &cookie, &info) == B_OK) {
		if (info.type == B_ADD_ON_IMAGE)
			std::printf("%s\n", info.name);
	}
	return 0;
}
