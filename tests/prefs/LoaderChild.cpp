// Started by the loader tests in a fresh process, since the loader decides once per
// process. Makes the application's round of PREF calls, asks the loader again after
// pointing "LIBRARY_PATH" at the whole test library, and reports on standard error,
// a line each: the round's results, both answers, then every add-on loaded.
// Standard output is left to the loader.
#include <PREF.h>
#include <PreferencesLoader.h>

#include <TypeConstants.h>
#include <image.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The application's round of calls, from its start to its end.
std::string CallRound()
{
	PREFAppHandle app = nullptr;
	PREFSetHandle set = nullptr;
	PREFTransaction transaction = nullptr;
	const void* data = nullptr;
	ssize_t size = 0;
	type_code type = 0;
	const status_t results[] = {PREFInit("x-vnd.loader-child", &app),
		PREFLoadSet(app, "settings", true, &set),
		PREFSetData(set, "LastFileSaved", "/books", 7, B_STRING_TYPE),
		PREFGetData(set, "LastFileSaved", &data, &size, &type),
		PREFBeginTransaction(set, &transaction), PREFEndTransaction(transaction),
		PREFSaveSet(set), PREFDisposeSet(&set), PREFShutdown(app)};
	std::string round;
	for (const status_t result : results)
		round += (round.empty() ? "" : " ") + std::to_string(result);
	return round;
}

}  // namespace

int main()
{
	const std::string round = CallRound();
	const status_t decided = LoadPreferencesLibrary();
	setenv("LIBRARY_PATH", "%A/lib", 1);
	std::fprintf(stderr, "%s\n%d\n%d\n", round.c_str(), int(decided),
		int(LoadPreferencesLibrary()));
	int32 cookie = 0;
	image_info info;
	while (get_next_image_info(B_CURRENT_TEAM, &cookie, &info) == B_OK) {
		if (info.type == B_ADD_ON_IMAGE)
			std::fprintf(stderr, "%s\n", info.name);
	}
	return 0;
}
