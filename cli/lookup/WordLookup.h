// cvab-lookup's first mode: standard input's text with its nicknames replaced
// by the running address book, through a Word Services session. It never
// starts the address book: with none running the text comes back unchanged.
// Threading: runs an application of its own in the calling (main) thread.
#ifndef _WORD_LOOKUP_H
#define _WORD_LOOKUP_H

#include <SupportDefs.h>

// Reads standard input, prints the result; returns the exit status.
int LookUpInRunningBook(int32 service);

#endif
