// The mail client's query of a book file: what matches, what each match gives,
// the order the answer streams in, the two layouts, and a damaged file.
#include "MuttQuery.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <map>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// One line of a book: the given fields, in 21 columns (20 without the nickname).
std::string Line(const std::map<int32, std::string>& fields, bool nicknames = true)
{
	std::string line;
	for (int32 field = nicknames ? 0 : 1; field < kBookFieldCount; field++) {
		const auto found = fields.find(field);
		if (found != fields.end())
			line += found->second;
		line += field + 1 < kBookFieldCount ? '\t' : '\n';
	}
	return line;
}

struct answer {
	int status = -1;
	std::string out;
	int writes = 0;
};

// The query over body, read from a file of its own in blocks of blockSize.

answer Ask(const std::string& body, const char* word,
	std::optional<book_layout> layout = book_layout::kAllColumns,
	size_t blockSize = BookBlockReader::kBlockSize)
{
	const int fd = memfd_create("book", MFD_CLOEXEC);
	EXPECT_EQ(write(fd, body.data(), body.size()), static_cast<ssize_t>(body.size()));
	answer result;
	result.status = MuttQuery(word, blockSize).Answer(fd, layout, "B", [&](std::string_view text) {
		result.out += text;
		result.writes++;
	});
	close(fd);
	return result;
}

std::string Answered(const std::string& lines)
{
	return MuttQuery::kFirstLine + lines;
}

const std::string kLongAddress = "mary.ann.brown.has.a.rather.long.address@work.example.org";
const std::string kLongName = "Whitfield-Underwood-Montgomery-Smythe-Zanzibar";

TEST(MuttQuery, WholeFieldsFullNamesAndOneLinePerAddress)
{
	const std::string body =
		Line({{kNicknameField, "mary"}, {kFirstNameField, "Mary"}, {kMiddleNameField, "Ann"},
			{kLastNameField, "Brown"}, {kEmail1Field, "mary@home.example"},
			{kEmail2Field, kLongAddress}})
		+ Line({{kNicknameField, "mike"}, {kFirstNameField, "Michael"}, {kMiddleNameField, "J"},
			{kLastNameField, "Brown"}, {kEmail1Field, "mike@example.org"}})
		+ Line({{kNicknameField, "x"}, {kFirstNameField, "Jo"}, {kLastNameField, kLongName},
			{kEmail1Field, "jo@home.example"}, {kEmail2Field, "jo@annex.example"}})
		+ Line({{kNicknameField, "ann"}, {kFirstNameField, "Ann"}});
	const std::string mary = "\tMary Ann Brown\tmary\n";
	const std::string jo = "\tJo " + kLongName + "\tx\n";

	// Only the second address matches: only it is offered, whole.
	EXPECT_EQ(Ask(body, "work.example").out, Answered(kLongAddress + mary));
	// Whole names, with and without the middle one.
	EXPECT_EQ(Ask(body, "Mary Ann").out, Answered("mary@home.example" + mary + kLongAddress + mary));
	EXPECT_EQ(Ask(body, "michael br").out, Answered("mike@example.org\tMichael J Brown\tmike\n"));
	EXPECT_EQ(Ask(body, "Mary  Ann").status, 1);
	// Text past byte 40 is searched.
	EXPECT_EQ(Ask(body, "ZANZIBAR").out, Answered("jo@home.example" + jo + "jo@annex.example" + jo));
	// A record without an address is left out, even with the exact nickname.
	EXPECT_EQ(Ask(body, "ann").out,
		Answered("mary@home.example" + mary + kLongAddress + mary + "jo@annex.example" + jo));

	// Without names the name column is never empty: the company, the
	// nickname, or the address itself stands in.
	const std::string nameless = Line({{kNicknameField, "nonick"}, {kEmail1Field, "plain@example.com"}})
		+ Line({{kCompanyField, "Acme"}, {kEmail2Field, "desk@acme.example"}})
		+ Line({{kEmail2Field, "only@example.com"}});
	EXPECT_EQ(Ask(nameless, "example").out, Answered("plain@example.com\tnonick\tnonick\n"
		"desk@acme.example\tAcme\t\n" "only@example.com\tonly@example.com\t\n"));
}

TEST(MuttQuery, ExactNicknamesFirstThenTheRestStreamInFileOrder)
{
	std::string body;
	for (const char* nick : {"annie", "bob", "ANN", "joanna", "Ann"})
		body += Line({{kNicknameField, nick}, {kFirstNameField, "Pat"},
			{kEmail1Field, std::string(nick) + "@example.org"}});
	const std::string expected = Answered(
		"ANN@example.org\tPat\tANN\n"
		"Ann@example.org\tPat\tAnn\n"
		"annie@example.org\tPat\tannie\n"
		"joanna@example.org\tPat\tjoanna\n");
	// Blocks far shorter than a line, and the usual ones.
	const answer small = Ask(body, "ann", book_layout::kAllColumns, 7);
	EXPECT_EQ(small.status, 0);
	EXPECT_EQ(small.out, expected);
	EXPECT_GE(small.writes, 3) << "the answer goes out as it is found";
	EXPECT_EQ(Ask(body, "ann").out, expected);

	const answer none = Ask(body, "zebra");
	EXPECT_EQ(none.status, 1);
	EXPECT_EQ(none.out, "No match for \"zebra\" in Corvane Address Book\n");
	EXPECT_EQ(Ask(body, "a\nb").out, "No match for \"a b\" in Corvane Address Book\n");
}

// Every script's case and either normal form, in lines beyond ASCII among
// ASCII ones, in blocks of every size; a Latin-1 word finds only its bytes.
TEST(MuttQuery, MatchesWithoutRegardToCaseOrNormalisation)
{
	const auto person = [](const char* nick, const char* first, const char* last) {
		return Line({{kNicknameField, nick}, {kFirstNameField, first}, {kLastNameField, last},
			{kEmail1Field, std::string(nick) + "@example.org"}});
	};
	const std::string body = person("ann", "Ann", "Lee") + person("hm", "Hans", "Müller")
		+ person("jm", "Jörg", "MÜLLER") + person("ez", "Ёжикова", "")
		+ person("ёжик", "Pat", "") + person("js", "Jose\u0301", "Cruz")
		+ person("ps", "Paul", "Straße") + person("x", "Max", "M\xfcller");
	const std::string hans = "hm@example.org\tHans Müller\thm\n";
	const std::string jorg = "jm@example.org\tJörg MÜLLER\tjm\n";
	const std::string jose = "js@example.org\tJose\u0301 Cruz\tjs\n";
	const std::pair<const char*, std::string> queries[] = {
		{"müller", hans + jorg},
		{"MÜLLER", hans + jorg},
		{"hans mü", hans},
		// The exact nickname first, in any case.
		{"ЁЖИК", "ёжик@example.org\tPat\tёжик\nez@example.org\tЁжикова\tez\n"},
		{"josé", jose},
		{"JOSE\u0301 C", jose},
		{"strasse", "ps@example.org\tPaul Straße\tps\n"},
		{"m\xfcller", "x@example.org\tMax M\xfcller\tx\n"},
	};
	for (const size_t blockSize : {size_t(16), BookBlockReader::kBlockSize}) {
		for (const auto& [word, lines] : queries)
			EXPECT_EQ(Ask(body, word, book_layout::kAllColumns, blockSize).out, Answered(lines))
				<< word << " in blocks of " << blockSize;
	}
	EXPECT_EQ(Ask(body, "jose").status, 1);
}

TEST(MuttQuery, TheLayoutComesFromTheTypeOrFromTheWholeBody)
{
	// 20 columns: the first is the first name, and there are no nicknames.
	const std::string original =
		Line({{kFirstNameField, "Ann"}, {kLastNameField, "Lee"}, {kEmail1Field, "ann@example.org"},
			{kBirthdayField, "May"}}, false);
	const std::string lee = Answered("ann@example.org\tAnn Lee\t\n");
	EXPECT_EQ(Ask(original, "ann", book_layout::kNoNickname).out, lee);
	EXPECT_EQ(Ask(original, "ann", std::nullopt).out, lee);

	// Without a type, one line of another width anywhere makes the whole body
	// the original layout: the 21-column lines then read one column over.
	const std::string full = Line({{kNicknameField, "bob"}, {kFirstNameField, "Bob"},
		{kEmail1Field, "bob@example.org"}});
	EXPECT_EQ(Ask(full + full, "bob", std::nullopt).out,
		Answered("bob@example.org\tBob\tbob\nbob@example.org\tBob\tbob\n"));
	EXPECT_EQ(Ask(full + full + original, "bob", std::nullopt, 16).out,
		Answered("bob@example.org\tbob Bob\t\nbob@example.org\tbob Bob\t\n"));
}

TEST(MuttQuery, ADamagedOrUnreadableBookIsOneLine)
{
	const std::string record = Line({{kNicknameField, "ann"}, {kEmail1Field, "ann@example.org"}});
	const answer damaged = Ask(record + std::string("x\0y\n", 4) + record, "ann");
	EXPECT_EQ(damaged.status, 1);
	EXPECT_EQ(damaged.out, "The address book B is damaged (a NUL byte at byte "
		+ std::to_string(record.size() + 1) + ")\n");
	EXPECT_EQ(Ask(record + "unfinished" + std::string(1, '\0'), "zebra", book_layout::kAllColumns,
		8).out, "The address book B is damaged (a NUL byte at byte "
		+ std::to_string(record.size() + 10) + ")\n");
	// A NUL after the last line costs nothing, as for the book's own reader.
	EXPECT_EQ(Ask(record + std::string(1, '\0'), "ann", book_layout::kAllColumns, 8).out,
		Answered("ann@example.org\tann\tann\n"));

	const int folder = open(testing::TempDir().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	std::string out;
	EXPECT_EQ(MuttQuery("ann").Answer(folder, std::nullopt, "B",
				  [&](std::string_view text) { out += text; }), 1);
	EXPECT_EQ(out, "The address book B cannot be read: Is a directory\n");
	close(folder);
}

}  // namespace
