// The journal of unsaved changes: its text read back whole or not at all, the
// composer telling only what differs from the base, a recovery that restores
// the book exactly over its base or merges with a version another program
// saved since, and which journals on disk are believed and offered.
#include "BookTestSupport.h"
#include "FileTestSupport.h"

#include <BookJournal.h>
#include <BookPaths.h>
#include <JournalComposer.h>
#include <JournalRecovery.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

journal_item Item(journal_item_kind kind, uint32 first, uint32 last = 0,
	const std::string& line = "", const char* before = nullptr)
{
	journal_item item;
	item.kind = kind;
	item.first = first;
	item.last = kind == journal_item_kind::kKept ? last : first;
	if (kind != journal_item_kind::kKept)
		item.id = NewRecordId();
	item.line = line;
	item.beforeKnown = before != nullptr;
	item.before = before != nullptr ? before : "";
	return item;
}

// A book whose records are these lines, with new ids.
void Fill(CVABook* book, const Texts& lines)
{
	std::string body;
	for (const std::string& line : lines)
		body += line + "\n";
	ReadBookBody(book, body.data(), body.size(), book_layout::kAllColumns);
}

std::vector<record_id> IdsOf(const CVABook& book)
{
	std::vector<record_id> ids;
	for (const ABookRecord* record = book.FirstRecord(); record != nullptr; record = record->Next())
		ids.push_back(record->Id());
	return ids;
}

Texts LinesOf(const CVABook& book)
{
	const std::string body = BookBodyBytes(&book);
	Texts lines;
	for (const std::string_view line : BodyLines(body.data(), body.size()))
		lines.emplace_back(line);
	return lines;
}

// Every record as changed: the composer tells which really are.
journal_snapshot Everything(const CVABook& book)
{
	journal_snapshot snapshot;
	snapshot.orderChanged = true;
	snapshot.order = IdsOf(book);
	const Texts lines = LinesOf(book);
	for (size_t i = 0; i < lines.size(); i++)
		snapshot.changed.emplace_back(snapshot.order[i], lines[i]);
	return snapshot;
}

// The base: base's body in a file of dir, for the composer to read back.
journal_base BaseOf(const CVABook& base, const ScratchDir& dir)
{
	const std::string body = BookBodyBytes(&base);
	WriteContents(dir / "base", body);
	journal_base result;
	result.exists = true;
	result.book = dir / "base";
	result.digest = Sha256Of(body);
	result.ids = IdsOf(base);
	result.fd = open((dir / "base").c_str(), O_RDONLY | O_CLOEXEC);
	return result;
}

std::string Kinds(const book_journal& journal)
{
	std::string kinds;
	for (const journal_item& item : journal.items) {
		kinds += "=*+-"[static_cast<int>(item.kind)];
		if (item.kind == journal_item_kind::kKept || item.kind == journal_item_kind::kChanged
			|| item.kind == journal_item_kind::kDeleted)
			kinds += std::to_string(item.first);
		if (item.kind == journal_item_kind::kKept && item.last != item.first)
			kinds += "-" + std::to_string(item.last);
		if (item.kind != journal_item_kind::kKept && item.kind != journal_item_kind::kAdded)
			kinds += item.beforeKnown ? "<" : "?";
		kinds += " ";
	}
	return kinds;
}


}  // namespace

TEST(JournalTest, TheTextReadsBackWholeOrNotAtAll)
{
	book_journal journal;
	journal.book = "/home/ann/friends\twith a tab";
	journal.hasBase = true;
	journal.base = Sha256Of("base");
	journal.baseRecords = 9;
	journal.writer = writer_process{"host", 1234, 5678};
	const std::string before = RecordLine("b", "1");
	const std::string gone = RecordLine("gone");
	journal.items = {
		Item(journal_item_kind::kKept, 0, 3),
		Item(journal_item_kind::kChanged, 4, 0, RecordLine("b", "2"), before.c_str()),
		Item(journal_item_kind::kChanged, 5, 0, RecordLine("c", "2")),
		Item(journal_item_kind::kAdded, 0, 0, RecordLine("new")),
		Item(journal_item_kind::kDeleted, 8, 0, "", gone.c_str()),
	};
	const std::string text = JournalText(journal);
	book_journal read;
	ASSERT_TRUE(ParseJournal(text, &read)) << text;
	EXPECT_EQ(read, journal);

	std::string flipped = text;
	flipped[text.find("\tb\t") + 1] = 'x';
	const struct {
		const char* what;
		std::string text;
	} damaged[] = {
		{"cut short", text.substr(0, text.size() - 1)},
		{"without its end", text.substr(0, text.rfind("end\t"))},
		{"a byte changed", flipped},
		{"another format", "cvab-journal 2" + text.substr(text.find('\n'))},
	};
	for (const auto& d : damaged)
		EXPECT_FALSE(ParseJournal(d.text, &read)) << d.what;

	// Well formed, with a sound digest, but naming what the base cannot have.
	const struct {
		const char* what;
		journal_item item;
	} impossible[] = {
		{"a position past the base", Item(journal_item_kind::kKept, 3, 9)},
		{"a run backwards", Item(journal_item_kind::kKept, 5, 4)},
		{"a record of 20 fields", Item(journal_item_kind::kAdded, 0, 0, RecordLine("a").substr(2))},
	};
	for (const auto& i : impossible) {
		book_journal odd = journal;
		odd.items = {i.item};
		EXPECT_FALSE(ParseJournal(JournalText(odd), &read)) << i.what;
	}
	// Sealed anew, but its book line thrice instead of each header line once.
	const std::string bookLine = text.substr(text.find('\n') + 1, text.find("base\t") - text.find('\n') - 1);
	std::string repeated = text.substr(0, text.find('\n') + 1) + bookLine + bookLine + bookLine;
	repeated += "end\tsha256:" + Sha256Text(Sha256Of(repeated)) + "\n";
	EXPECT_FALSE(ParseJournal(repeated, &read)) << repeated;
}

TEST(JournalTest, TheComposerTellsOnlyWhatDiffersFromTheBase)
{
	ScratchDir dir;
	CVABook base(nullptr);
	Fill(&base, {RecordLine("a"), RecordLine("b"), RecordLine("c"), RecordLine("d"), RecordLine("e"), RecordLine("f")});
	JournalComposer composer;
	composer.Start(BaseOf(base, dir));
	book_journal journal;
	EXPECT_FALSE(composer.Compose(&journal)) << "nothing told, nothing differs";
	// Fields changed alone, told without the order.
	journal_snapshot fields;
	fields.changed = {{IdsOf(base)[2], RecordLine("c", "1")}, {IdsOf(base)[5], RecordLine("f", "1")}};
	composer.Take(fields);
	ASSERT_TRUE(composer.Compose(&journal));
	EXPECT_EQ(Kinds(journal), "=0-1 *2< =3-4 *5< ");
	composer.Start(BaseOf(base, dir));

	CVABook mine(nullptr);
	Fill(&mine, LinesOf(base));
	mine.AssignIds(IdsOf(base).data(), base.CountRecords());
	mine.RecordAt(2)->SetField(kPhoneField, "555");
	mine.RemoveRecord(mine.RecordAt(4));
	mine.AddRecord()->SetField(kNicknameField, "g");
	composer.Take(Everything(mine));
	ASSERT_TRUE(composer.Compose(&journal));
	EXPECT_EQ(Kinds(journal), "=0-1 *2< =3 =5 + -4< ");
	EXPECT_EQ(journal.items[1].before, RecordLine("c"));
	EXPECT_EQ(journal.items[1].line, RecordLine("c", "555"));

	// Changed back, deleted records' place taken back: only the new one stays.
	mine.RecordAt(2)->SetField(kPhoneField, "");
	composer.Take(Everything(mine));
	ASSERT_TRUE(composer.Compose(&journal));
	EXPECT_EQ(Kinds(journal), "=0-3 =5 + -4< ");

	// A base whose file changed since it was read gives no old lines; only
	// what the window tells changed is then taken for changed.
	composer.Start(BaseOf(base, dir));
	WriteContents(dir / "base", "changed\n");
	journal_snapshot told = Everything(mine);
	told.changed = {told.changed[1], told.changed.back()};
	composer.Take(told);
	ASSERT_TRUE(composer.Compose(&journal));
	EXPECT_EQ(Kinds(journal), "=0 *1? =2-3 =5 + -4? ");
}

// Over its base the book comes back exactly: order, ids and fields. Over a
// version another program saved since, the journal's changes merge with its
// own, field by field.
TEST(JournalTest, RecoveryRestoresTheBookOrMergesWithAnotherVersion)
{
	ScratchDir dir;
	CVABook base(nullptr);
	Fill(&base, {RecordLine("a", "1", "a@x"), RecordLine("b", "1", "b@x"), RecordLine("c", "1", "c@x"),
		RecordLine("d", "1", "d@x")});
	CVABook mine(nullptr);
	Fill(&mine, LinesOf(base));
	mine.AssignIds(IdsOf(base).data(), base.CountRecords());
	mine.RecordAt(1)->SetField(kPhoneField, "2");         // b: the phone
	mine.RemoveRecord(mine.RecordAt(3));                    // d
	mine.AddRecord()->SetField(kNicknameField, "0 new");
	mine.SortByField(kNicknameField);
	JournalComposer composer;
	composer.Start(BaseOf(base, dir));
	composer.Take(Everything(mine));
	book_journal journal;
	ASSERT_TRUE(composer.Compose(&journal));
	ASSERT_TRUE(ParseJournal(JournalText(journal), &journal));

	// The file as it was, read anew: the records get new ids, their places tell.
	CVABook reopened(nullptr);
	Fill(&reopened, LinesOf(base));
	EXPECT_TRUE(RecoverJournal(journal, IdsOf(reopened), &reopened).empty());
	EXPECT_EQ(LinesOf(reopened), LinesOf(mine));

	// Another program changed b's e-mail, deleted c, added e; read with the ids.
	CVABook theirs(nullptr);
	Fill(&theirs, {RecordLine("a", "1", "a@x"), RecordLine("b", "1", "b@other"), RecordLine("d", "1", "d@x"),
		RecordLine("e")});
	const std::vector<record_id> ids = IdsOf(base);
	const record_id theirIds[] = {ids[0], ids[1], ids[3], NewRecordId()};
	theirs.AssignIds(theirIds, 4);
	EXPECT_TRUE(RecoverJournal(journal, {}, &theirs).empty());
	EXPECT_EQ(LinesOf(theirs), (Texts{RecordLine("a", "1", "a@x"), RecordLine("b", "2", "b@other"),
		RecordLine("e"), RecordLine("0 new")}));
}

// Only a plain file of the user's that a process now gone wrote is offered.
TEST(JournalTest, OnlyALeftJournalOfTheUsersIsOffered)
{
	ScratchDir dir;
	setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
	const std::string book = dir / "book";
	book_journal journal;
	journal.book = book;
	journal.hasBase = true;
	journal.baseRecords = 1;
	journal.items = {Item(journal_item_kind::kChanged, 0, 0, RecordLine("a", "2"))};
	journal.writer = ThisWriter();
	WriteContents(JournalBeside(book), JournalText(journal));
	EXPECT_EQ(FindLeftJournal(book, false), "") << "its writer still runs";

	journal.writer.pid = GonePid();
	WriteContents(JournalBeside(book), JournalText(journal));
	EXPECT_EQ(FindLeftJournal(book, false), JournalBeside(book));
	// Through a link it is never read.
	WriteContents(dir / "elsewhere", JournalText(journal));
	unlink(JournalBeside(book).c_str());
	ASSERT_EQ(symlink((dir / "elsewhere").c_str(), JournalBeside(book).c_str()), 0);
	EXPECT_EQ(FindLeftJournal(book, false), "");
	// The one in the state folder, where the book's folder took none.
	ASSERT_EQ(MakeJournalFolder(), B_OK);
	WriteContents(JournalInStateFolder(book), JournalText(journal));
	EXPECT_EQ(FindLeftJournal(book, false), JournalInStateFolder(book));
	if (geteuid() == 0) {
		ASSERT_EQ(chown(JournalInStateFolder(book).c_str(), 65534, 65534), 0);
		EXPECT_EQ(FindLeftJournal(book, false), "") << "another user's journal";
	}

	journal.hasBase = false;
	journal.baseRecords = 0;
	journal.items = {Item(journal_item_kind::kAdded, 0, 0, RecordLine("a"))};
	const std::string fresh = NewBookJournalPath();
	WriteContents(fresh, JournalText(journal));
	EXPECT_EQ(FindLeftNewBookJournals(), Texts{fresh});
	unsetenv("XDG_STATE_HOME");
}
