// The book's texts on the system clipboard: a record's text and its postal
// address block, as "text/plain" without terminator.
// Threading: any thread; the document is used under its rule (see CVABook.h).
#ifndef _BOOK_CLIPBOARD_H
#define _BOOK_CLIPBOARD_H

#include "CVABook.h"

// Replaces the clipboard's contents with text (NUL-terminated); "" empties it.
// False, with the clipboard left as it was, when it cannot be locked or the
// text is null.
bool PutClipboardText(const char* text);

// The record text or the address block of the record at position. False, with
// the clipboard left alone, when there is no record there (negative or past
// the end, as with no selection).
bool CopyRecordText(const CVABook* book, int32 position);
bool CopyAddressText(const CVABook* book, int32 position);

#endif
