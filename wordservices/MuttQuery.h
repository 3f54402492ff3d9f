// A mail client's query of an address book (mutt's query_command): the records
// whose nickname, first, middle or last name or either e-mail address contains
// the word, ASCII letters without regard to case; records whose nickname is the
// word come first, the rest in document order. A record without an e-mail
// address is left out (a mail client has nothing to use it for).
// Threading: the caller guards the document (see CVABook.h).
#ifndef _MUTT_QUERY_H
#define _MUTT_QUERY_H

#include <cstddef>
#include <string>
#include <vector>

class CVABook;

struct mutt_match {
	std::string address;   // "Email 1", or "Email 2" when the first is empty
	std::string name;      // first, middle and last name, single spaces
	std::string nickname;
};

std::vector<mutt_match> MuttQuery(const CVABook& book, const char* word);

// The same over a book file's body, read as the document reader reads it
// (ReadBookBody: columns by layout, at most 40 bytes a field, a NUL ends the
// body) but without building the document: one record at a time.
enum class book_layout;
std::vector<mutt_match> MuttQueryBody(const char* data, size_t size, book_layout layout,
	const char* word);

// "address TAB name TAB nickname" and a line feed per match.
std::string FormatMuttMatches(const std::vector<mutt_match>& matches);

#endif
