// A mail client's query of an address-book file (mutt's query_command), read
// straight from the file in two passes of large blocks. A record matches when
// its nickname, first, middle or last name, its whole name ("First Middle Last"
// or "First Last", single spaces) or an e-mail address contains the word, without
// regard to case or normalisation (SearchKey.h). Each matching record gives one
// line per e-mail address, "Email 1" then "Email 2" (when only addresses match,
// just the addresses that do): "address TAB name TAB nickname", the name never
// empty (a record without names goes by DisplayName.h's stand-in). Field texts are
// whole, however long: the query answers with what the file holds.
// Records whose nickname is the word come first: the first pass finds them (and
// only they are held), the second streams every other match in file order.
// Threading: one thread at a time per object.
#ifndef _MUTT_QUERY_H
#define _MUTT_QUERY_H

#include "BookBlockReader.h"
#include "BookBody.h"
#include "SearchKey.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>


class MuttQuery {
public:
	// The first line of an answer with matches; it needs no count, so matches
	// can go out as they are found.
	static const char kFirstLine[];

	using Writer = std::function<void(std::string_view)>;

	// blockSize: the size of one read of the file (tests make it tiny).
	explicit MuttQuery(std::string_view word,
		size_t blockSize = BookBlockReader::kBlockSize);

	// Answers from the book file open on fd. storedLayout is the one its type
	// attribute names, or none for a file without one. Everything goes through
	// write: the first line and the matches, or one line saying that nothing
	// matched or what is wrong with the file (named bookName there). Returns
	// the exit status: 0 when something matched, 1 otherwise.
	int Answer(int fd, std::optional<book_layout> storedLayout, std::string_view bookName,
		const Writer& write);

private:
	enum class pass { kExactNicknames, kOthers };
	using record_fields = std::array<std::string_view, kEmail2Field + 1>;

	block_read _Survey(BookBlockReader& reader, std::optional<book_layout> storedLayout,
		book_layout* layout, std::string* exact);
	void _CollectExact(std::string_view lines, std::string* out);
	void _CollectOthers(std::string_view lines, book_layout layout, std::string* out);
	bool _FoldBlock(std::string_view lines);
	void _AnswerRecord(std::string_view line, book_layout layout, pass which,
		std::string* out);
	bool _NameContainsWord(const record_fields& fields);
	void _JoinName(const record_fields& fields, bool withMiddle, std::string* name) const;

	std::string fWord;
	SearchKey fKey;
	std::string fPiece;  // the folded key's longest run without a space
	bool fSpaced;
	size_t fBlockSize;
	std::string fFoldedBlock;
	std::string fName;
	std::string fShortName;
};

#endif
