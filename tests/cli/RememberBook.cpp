// remember_book PATH: records PATH as the book last opened or saved, as the
// address book does when it ends, for tests of the mail query that run no
// address book. Exit status 0 when stored.
#include "PREF.h"

#include <TypeConstants.h>

#include <cstring>

int main(int argc, char** argv)
{
	if (argc != 2)
		return 64;
	PREFAppHandle app = nullptr;
	PREFSetHandle set = nullptr;
	if (PREFInit("x-vnd.tarvish-cvabdj", &app) != B_OK
		|| PREFLoadSet(app, "settings", true, &set) != B_OK)
		return 1;
	const bool stored = PREFSetData(set, "LastFileSaved", argv[1],
							static_cast<ssize_t>(strlen(argv[1]) + 1), B_STRING_TYPE) == B_OK
		&& PREFSaveSet(set) == B_OK;
	PREFDisposeSet(&set);
	PREFShutdown(app);
	return stored ? 0 : 1;
}
