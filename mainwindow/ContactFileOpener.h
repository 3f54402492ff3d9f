// Opening a file of contacts in another format as a book: a file that carries no
// address-book type and whose bytes are a vCard or a CSV export is read through
// the contact readers (those of cvab-convert) instead of as a TAB-separated body.
// Threading: any thread; the book's owner is locked while the book is filled.
#ifndef _CONTACT_FILE_OPENER_H
#define _CONTACT_FILE_OPENER_H

#include <EntryRef.h>
#include <SupportDefs.h>

#include <string>

class CVABook;

class ContactFileOpener {
public:
	struct outcome {
		int32 contacts = 0;
		// What the readers noted, for an alert; "" when they noted nothing.
		std::string summary;
	};

	// Reads the file named by ref into book when it is a vCard or CSV file with
	// no address-book type. False, the book untouched, for any other file and
	// for one that cannot be read: the book reader reads those as ever.
	static bool Read(const entry_ref& ref, CVABook* book, outcome* result);
};

#endif
