// Sections: set-up and the answer's course; the two passes; one record.
#include "MuttQuery.h"

#include "AsciiText.h"
#include "BookBlockReader.h"
#include "DisplayName.h"
#include "LookupStatus.h"

#include <algorithm>
#include <cstring>

const char MuttQuery::kFirstLine[] = "Corvane Address Book: matching addresses\n";

namespace {

// Calls line(text) for each line of lines (whole lines, the last one possibly
// without its line feed).
template <typename LineFunction>
void ForEachLine(std::string_view lines, LineFunction line)
{
	const char* start = lines.data();
	const char* end = start + lines.size();
	while (start < end) {
		const char* feed = static_cast<const char*>(memchr(start, '\n', end - start));
		const char* lineEnd = feed != nullptr ? feed : end;
		line(std::string_view(start, lineEnd - start));
		start = lineEnd + 1;
	}
}

std::string LongestPieceWithoutSpace(std::string_view text)
{
	std::string_view longest;
	size_t start = 0;
	while (start <= text.size()) {
		size_t space = text.find(' ', start);
		if (space == std::string_view::npos)
			space = text.size();
		if (space - start > longest.size())
			longest = text.substr(start, space - start);
		start = space + 1;
	}
	return std::string(longest);
}

std::string Failure(const BookBlockReader& reader, block_read result,
	std::string_view bookName)
{
	const std::string book = OneLine(bookName);
	if (result == block_read::kDamaged)
		return "The address book " + book + " is damaged (a NUL byte at byte "
			+ std::to_string(reader.DamageOffset()) + ")\n";
	return "The address book " + book + " cannot be read: " + strerror(reader.Error()) + "\n";
}

}  // namespace

MuttQuery::MuttQuery(std::string_view word, size_t blockSize)
	: fWord(word),
	  fKey(word),
	  fPiece(LongestPieceWithoutSpace(fKey.Folded())),
	  fSpaced(word.find(' ') != std::string_view::npos),
	  fBlockSize(blockSize)
{
}

int MuttQuery::Answer(int fd, std::optional<book_layout> storedLayout,
	std::string_view bookName, const Writer& write)
{
	BookBlockReader reader(fd, fBlockSize);
	book_layout layout = book_layout::kNoNickname;
	std::string exact;
	block_read result = _Survey(reader, storedLayout, &layout, &exact);
	if (result != block_read::kDone) {
		write(Failure(reader, result, bookName));
		return kExitNoMatch;
	}
	bool answered = !exact.empty();
	if (answered)
		write(kFirstLine + exact);
	exact = std::string();
	std::string out;
	result = reader.ForEachBlock([&](std::string_view lines) {
		out.clear();
		_CollectOthers(lines, layout, &out);
		if (out.empty())
			return;
		if (!answered)
			write(kFirstLine);
		answered = true;
		write(out);
	});
	// The file changed under the query: what went out stands, else say why.
	if (result != block_read::kDone && !answered) {
		write(Failure(reader, result, bookName));
		return kExitNoMatch;
	}
	if (!answered) {
		write("No match for \"" + OneLine(fWord) + "\" in Corvane Address Book\n");
		return kExitNoMatch;
	}
	return kExitDone;
}

// --- the two passes

// The first pass: whether the body is whole, its layout when the file has no
// type attribute, and the records whose nickname is the word.
block_read MuttQuery::_Survey(BookBlockReader& reader, std::optional<book_layout> storedLayout,
	book_layout* layout, std::string* exact)
{
	bool anyLine = false;
	bool allFull = true;
	const block_read result = reader.ForEachBlock([&](std::string_view lines) {
		anyLine = true;
		// The typeless rule holds for a body exactly when it holds for each block.
		if (!storedLayout && allFull)
			allFull = LayoutForTypelessBody(lines.data(), lines.size()) == book_layout::kAllColumns;
		const bool nicknames = storedLayout ? *storedLayout == book_layout::kAllColumns : allFull;
		if (nicknames)
			_CollectExact(lines, exact);
	});
	*layout = storedLayout.value_or(anyLine && allFull ? book_layout::kAllColumns
		: book_layout::kNoNickname);
	if (*layout != book_layout::kAllColumns)
		exact->clear();
	return result;
}

void MuttQuery::_CollectExact(std::string_view lines, std::string* out)
{
	if (fWord.empty())
		return;
	ForEachLine(lines, [&](std::string_view line) {
		const size_t tab = line.find('\t');
		if (tab != std::string_view::npos && fKey.Is(line.substr(0, tab)))
			_AnswerRecord(line, book_layout::kAllColumns, pass::kExactNicknames, out);
	});
}

// Only the lines that may hold the word are taken apart: those that hold its
// longest piece in the block with ASCII letters folded, and (unless the key
// compares bytes) those with bytes beyond ASCII, whose folding only the key
// knows. The rest are passed over at memmem's pace.
void MuttQuery::_CollectOthers(std::string_view lines, book_layout layout, std::string* out)
{
	if (fPiece.empty()) {
		ForEachLine(lines, [&](std::string_view line) {
			_AnswerRecord(line, layout, pass::kOthers, out);
		});
		return;
	}
	const bool beyondAscii = _FoldBlock(lines) && !fKey.ComparesBytes();
	const std::string_view folded = fFoldedBlock;
	const auto nextHit = [&](size_t from) {
		const void* hit = memmem(folded.data() + from, folded.size() - from, fPiece.data(),
			fPiece.size());
		return hit != nullptr ? static_cast<const char*>(hit) - folded.data() : folded.size();
	};
	const auto nextBeyondAscii = [&](size_t from) {
		return beyondAscii ? from + AsciiLength(folded.substr(from)) : folded.size();
	};
	size_t hit = nextHit(0);
	size_t other = nextBeyondAscii(0);
	for (size_t from = 0, at; (at = std::min(hit, other)) < folded.size();) {
		const void* feedBefore = memrchr(folded.data() + from, '\n', at - from);
		const size_t start = feedBefore != nullptr
			? static_cast<const char*>(feedBefore) - folded.data() + 1 : from;
		const size_t end = std::min(folded.find('\n', at), folded.size());
		_AnswerRecord(lines.substr(start, end - start), layout, pass::kOthers, out);
		from = end + 1;
		if (from >= folded.size())
			break;
		hit = hit >= from ? hit : nextHit(from);
		other = other >= from ? other : nextBeyondAscii(from);
	}
}

// The block with its ASCII letters folded into fFoldedBlock; whether it holds
// any other byte than ASCII.
bool MuttQuery::_FoldBlock(std::string_view lines)
{
	fFoldedBlock.resize(lines.size());
	// Through plain pointers, so that the compiler sees no aliasing and
	// vectorizes the loop.
	const char* in = lines.data();
	char* out = fFoldedBlock.data();
	unsigned char all = 0;
	for (size_t i = 0; i < lines.size(); i++) {
		all |= static_cast<unsigned char>(in[i]);
		out[i] = FoldAscii(in[i]);
	}
	return (all & 0x80) != 0;
}

// --- one record

void MuttQuery::_AnswerRecord(std::string_view line, book_layout layout, pass which,
	std::string* out)
{
	record_fields fields{};
	size_t field = layout == book_layout::kAllColumns ? 0 : 1;
	size_t column = 0;
	while (field < fields.size()) {
		const size_t tab = line.find('\t', column);
		fields[field++] = line.substr(column, tab - column);
		if (tab == std::string_view::npos)
			break;
		column = tab + 1;
	}
	const std::string_view nickname = fields[kNicknameField];
	const bool exact = !fWord.empty() && fKey.Is(nickname);
	if (exact != (which == pass::kExactNicknames))
		return;
	const std::string_view addresses[] = {fields[kEmail1Field], fields[kEmail2Field]};
	bool wanted[2];
	const bool nameMatches = exact || _NameContainsWord(fields);
	for (int i = 0; i < 2; i++)
		wanted[i] = !addresses[i].empty()
			&& (nameMatches || fKey.IsIn(addresses[i]));
	if (!wanted[0] && !wanted[1])
		return;
	_JoinName(fields, true, &fName);
	// A mail client splits the line at TABs and skips an empty column, which
	// would put the nickname in the name's place.
	if (fName.empty())
		fName = DisplayName(fields.data(), static_cast<int32>(fields.size()));
	for (int i = 0; i < 2; i++) {
		if (!wanted[i])
			continue;
		out->append(addresses[i]).append(1, '\t').append(fName).append(1, '\t')
			.append(nickname).append(1, '\n');
	}
}

bool MuttQuery::_NameContainsWord(const record_fields& fields)
{
	for (const int32 field : {kNicknameField, kFirstNameField, kMiddleNameField, kLastNameField}) {
		if (fKey.IsIn(fields[field]))
			return true;
	}
	// A word without a space lies within one part, which was searched above.
	if (!fSpaced)
		return false;
	_JoinName(fields, true, &fName);
	_JoinName(fields, false, &fShortName);
	return fKey.IsIn(fName) || fKey.IsIn(fShortName);
}

// "First Middle Last" (or "First Last"), the empty parts left out.
void MuttQuery::_JoinName(const record_fields& fields, bool withMiddle, std::string* name) const
{
	name->clear();
	for (const int32 field : {kFirstNameField, kMiddleNameField, kLastNameField}) {
		if (fields[field].empty() || (field == kMiddleNameField && !withMiddle))
			continue;
		if (!name->empty())
			name->push_back(' ');
		name->append(fields[field]);
	}
}
