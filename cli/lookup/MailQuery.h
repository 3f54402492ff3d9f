// cvab-lookup's second mode: a mail client's query of the book last opened or
// saved, read from its file without any window.
// Threading: the program's main thread.
#ifndef _MAIL_QUERY_H
#define _MAIL_QUERY_H

// Prints the answer for word; returns the exit status.
int AnswerMailQuery(const char* word);

#endif
