// Started by the loader tests with a controlled environment. Standard output is
// left to the loader; everything this program reports goes to standard error as
// "key=value" lines. With an argument, "LIBRARY_PATH" is set to it after the first
// decision, to show that the decision holds.
#include <PreferencesLoader.h>

#include <image.h>

#include <cstdio>
#include <cstdlib>

namespace {

void ReportAddOns()
{
	int32 cookie = 0;
	image_info info;
	while (get_next_image_info(B_CURRENT_TEAM, &cookie, &info) == B_OK) {
		if (info.type == B_ADD_ON_IMAGE)
			std::fprintf(stderr, "addon=%s\n", info.name);
	}
}

}  // namespace

int main(int argc, char** argv)
{
	std::fprintf(stderr, "loader=%d\n", int(LoadPreferencesLibrary()));
	if (argc > 1)
		setenv("LIBRARY_PATH", argv[1], 1);
	std::fprintf(stderr, "again=%d\n", int(LoadPreferencesLibrary()));
	if (LoadPreferencesLibrary() == B_OK) {
		int32 (*version)() = reinterpret_cast<int32 (*)()>(
			PreferencesLibraryEntry(PrefsEntry::Version));
		std::fprintf(stderr, "version=%d\n", int(version()));
	}
	ReportAddOns();
	return 0;
}
