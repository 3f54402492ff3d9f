// The records' ids on disk and the saves that share a book: ids round trip
// through the file beside the book and are trusted only for the body they were
// written for (a plain copy gets new ones); a body another program changed
// keeps the ids of its unchanged lines; damaged id files give new ids; the
// lock keeps a second saver out; a save after another program's merges.
#include "BookTestSupport.h"
#include "FileTestSupport.h"

#include <BookFile.h>
#include <ConflictLog.h>
#include <MergingSave.h>
#include <RecordIdFile.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace {

const book_frame kFrame{10, 20, 400, 300};

std::vector<record_id> IdsOf(const CVABook& book)
{
	std::vector<record_id> ids;
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next())
		ids.push_back(r->Id());
	return ids;
}

// A book of one record per nickname (with the phone number "1"), saved at path.
std::vector<record_id> SaveNicknames(const std::string& path, const Texts& nicknames)
{
	CVABook book(nullptr);
	for (const std::string& nickname : nicknames)
		AddRecord(book, nickname.c_str())->SetField(kPhoneField, "1");
	const entry_ref ref = RefFor(path);
	EXPECT_EQ(SaveBookFile(&ref, &book, kFrame, nullptr), B_OK);
	return IdsOf(book);
}

std::vector<record_id> LoadIds(const std::string& path)
{
	CVABook book(nullptr);
	const entry_ref ref = RefFor(path);
	EXPECT_EQ(LoadBookFile(&ref, &book, nullptr), B_OK);
	return IdsOf(book);
}

std::string PlainAttribute(const std::string& path)
{
	char value[512] = {};
	const ssize_t size = getxattr(path.c_str(), "user.CVABRecordIds", value, sizeof(value));
	return size < 0 ? "<none>" : std::string(value, static_cast<size_t>(size));
}

// A body line: the nickname, an empty field up to the phone number, and so on.
std::string BookLine(const std::string& nickname, const std::string& phone = "1")
{
	std::string line = nickname;
	for (int32 field = 1; field < kBookFieldCount; field++)
		line += "\t" + std::string(field == kPhoneField ? phone : "");
	return line + "\n";
}

bool NoneOf(const std::vector<record_id>& ids, const std::vector<record_id>& others)
{
	for (const record_id& id : ids) {
		if (std::find(others.begin(), others.end(), id) != others.end())
			return false;
	}
	return true;
}

}  // namespace

TEST(BookIdsTest, IdsRoundTripAndOnlyTheBodyTheyWereWrittenForTrustsThem)
{
	ScratchDir dir;
	const std::vector<record_id> saved = SaveNicknames(dir / "book", {"ann", "bob"});
	const std::string body = Contents(dir / "book");
	ASSERT_EQ(saved.size(), 2u);
	EXPECT_NE(saved[0], saved[1]);
	const std::string text = RecordIdText(saved[0]);
	EXPECT_EQ(text[14], '4') << text;  // version 4
	EXPECT_NE(std::string("89ab").find(text[19]), std::string::npos) << text;

	// The file beside the book and the attribute naming it, as documented.
	const std::string digest = Sha256Text(Sha256Of(body));
	EXPECT_EQ(PlainAttribute(dir / "book"), ".book.cvabids sha256:" + digest);
	EXPECT_EQ(Contents(dir / ".book.cvabids"),
		text + " " + Sha256Text(Sha256Of(BookLine("ann").substr(0, BookLine("ann").size() - 1)))
			+ "\n" + RecordIdText(saved[1]) + " "
			+ Sha256Text(Sha256Of(BookLine("bob").substr(0, BookLine("bob").size() - 1)))
			+ "\nsha256:" + digest + "\n");

	CVABook book(nullptr);
	const entry_ref ref = RefFor(dir / "book");
	ASSERT_EQ(LoadBookFile(&ref, &book, nullptr), B_OK);
	EXPECT_EQ(IdsOf(book), saved);
	EXPECT_STREQ(book.RecordWithId(saved[1])->Field(kNicknameField), "bob");
	EXPECT_EQ(book.RecordWithId(record_id()), nullptr);

	// Storing the frame alone leaves the ids as they are.
	const std::string ids = Contents(dir / ".book.cvabids");
	ASSERT_EQ(SaveBookFrame(&ref, kFrame), B_OK);
	EXPECT_EQ(Contents(dir / ".book.cvabids"), ids);
	EXPECT_EQ(LoadIds(dir / "book"), saved);

	// A plain copy loses the attribute: new ids, even with the id file copied
	// under the copy's name.
	std::filesystem::copy_file(dir / "book", dir / "copy");
	std::filesystem::copy_file(dir / ".book.cvabids", dir / ".copy.cvabids");
	const std::vector<record_id> copied = LoadIds(dir / "copy");
	EXPECT_EQ(copied.size(), 2u);
	EXPECT_TRUE(NoneOf(copied, saved));
	// A copy elsewhere with its attributes and its id file is the same book;
	// one beside its original is not, but a renamed book still is.
	mkdir((dir / "elsewhere").c_str(), 0700);
	ASSERT_EQ(system(("cp -a " + dir / "book" + " " + dir / ".book.cvabids " + dir / "elsewhere/")
		.c_str()), 0);
	EXPECT_EQ(LoadIds(dir / "elsewhere/book"), saved);
	ASSERT_EQ(system(("cp -a " + dir / "book" + " " + dir / "twin").c_str()), 0);
	EXPECT_TRUE(NoneOf(LoadIds(dir / "twin"), saved));
	ASSERT_EQ(rename((dir / "elsewhere/book").c_str(), (dir / "elsewhere/renamed").c_str()), 0);
	EXPECT_EQ(LoadIds(dir / "elsewhere/renamed"), saved);
	// Saving the plain copy writes its own ids and never copies the attribute.
	CVABook again(nullptr);
	const entry_ref copyRef = RefFor(dir / "copy");
	ASSERT_EQ(LoadBookFile(&copyRef, &again, nullptr), B_OK);
	ASSERT_EQ(SaveBookFile(&copyRef, &again, kFrame, nullptr), B_OK);
	EXPECT_EQ(PlainAttribute(dir / "copy"), ".copy.cvabids sha256:" + digest);
	EXPECT_EQ(LoadIds(dir / "copy"), IdsOf(again));
}

TEST(BookIdsTest, AChangedBodyKeepsTheIdsOfItsUnchangedLines)
{
	ScratchDir dir;
	const std::vector<record_id> saved = SaveNicknames(dir / "book", {"a", "b", "c", "a"});
	// Written in place, as an editor might: the attribute stays, the body
	// changes. Equal lines take the ids of equal lines in order.
	WriteContents(dir / "book", BookLine("a") + BookLine("c") + BookLine("x") + BookLine("a")
		+ BookLine("a"));
	const std::vector<record_id> ids = LoadIds(dir / "book");
	ASSERT_EQ(ids.size(), 5u);
	EXPECT_EQ(ids[0], saved[0]);
	EXPECT_EQ(ids[1], saved[2]);
	EXPECT_EQ(ids[3], saved[3]);
	EXPECT_TRUE(NoneOf({ids[2], ids[4]}, saved));
	EXPECT_NE(ids[2], ids[4]);
}

TEST(BookIdsTest, ADamagedOrForeignIdFileGivesNewIds)
{
	const auto replaceFirstId = [](std::string text, char c) {
		text[0] = c;
		return text;
	};
	const struct {
		const char* why;
		std::function<void(const std::string& dir, const std::string& ids)> damage;
	} cases[] = {
		{"missing", [](const std::string& d, const std::string&) { unlink((d + "/.book.cvabids").c_str()); }},
		{"cut short", [](const std::string& d, const std::string& ids) {
			WriteContents(d + "/.book.cvabids", ids.substr(0, ids.size() - 20));
		}},
		{"an id twice", [](const std::string& d, const std::string& ids) {
			const std::string twice = ids.substr(0, 102) + ids.substr(0, 36) + ids.substr(138);
			WriteContents(d + "/.book.cvabids", twice);
		}},
		{"not hexadecimal", [&](const std::string& d, const std::string& ids) {
			WriteContents(d + "/.book.cvabids", replaceFirstId(ids, 'g'));
		}},
		{"named outside the folder", [](const std::string& d, const std::string& ids) {
			WriteContents(d + "/../.book.cvabids", ids);
			const std::string value = "../.book.cvabids" + PlainAttribute(d + "/book").substr(13);
			setxattr((d + "/book").c_str(), "user.CVABRecordIds", value.data(), value.size(), 0);
		}},
		{"written for another body", [](const std::string& d, const std::string& ids) {
			SaveNicknames(d + "/book", {"a", "b"});  // same body, new ids and attribute...
			WriteContents(d + "/.book.cvabids",
				ids.substr(0, ids.size() - 65) + std::string(64, '0') + "\n");  // ...an old file
		}},
		{"no attribute", [](const std::string& d, const std::string&) {
			removexattr((d + "/book").c_str(), "user.CVABRecordIds");
		}},
	};
	for (const auto& c : cases) {
		ScratchDir dir;
		mkdir((dir / "in").c_str(), 0700);
		const std::vector<record_id> saved = SaveNicknames(dir / "in/book", {"a", "b"});
		c.damage(dir / "in", Contents(dir / "in/.book.cvabids"));
		const std::vector<record_id> ids = LoadIds(dir / "in/book");
		EXPECT_EQ(ids.size(), 2u) << c.why;
		EXPECT_TRUE(NoneOf(ids, saved)) << c.why;
	}
}

TEST(BookIdsTest, TheLockKeepsASecondSaverOutAndSaysWhy)
{
	ScratchDir dir;
	SaveNicknames(dir / "book", {"ann"});
	const std::string before = Contents(dir / "book");
	CVABook book(nullptr);
	BookAncestor ancestor;
	const entry_ref ref = RefFor(dir / "book");
	ASSERT_EQ(LoadBookFile(&ref, &book, nullptr, nullptr, &ancestor), B_OK);
	AddRecord(book, "bob");
	book_save_options options;
	options.lockTimeout = 50000;

	// Another saver holds the lock (flock, whichever process took it): refused
	// within the time-out, the file untouched; let go while the next save
	// waits, that save goes on.
	auto held = std::make_unique<BookLock>(dir / "book");
	ASSERT_EQ(held->Acquire(0), B_OK);
	EXPECT_EQ(SaveBookMerging(&ref, &book, kFrame, &ancestor, options, nullptr), kBookBusyError);
	EXPECT_STREQ(DescribeFileError(kBookBusyError), "another program is saving it");
	EXPECT_EQ(Contents(dir / "book"), before);
	std::thread letGo([&held] {
		std::this_thread::sleep_for(std::chrono::milliseconds(200));
		held.reset();
	});
	options.lockTimeout = 2000000;
	EXPECT_EQ(SaveBookMerging(&ref, &book, kFrame, &ancestor, options, nullptr), B_OK);
	letGo.join();
	EXPECT_EQ(Contents(dir / "book"), BookBodyBytes(&book));
	EXPECT_EQ(dir.Names(), (Texts{".book.cvabids", ".book.lock", "book"}));
}

TEST(BookIdsTest, ASaveMergesWhatAnotherProgramSavedMeanwhile)
{
	ScratchDir dir;
	setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
	SaveNicknames(dir / "book", {"ann", "bob", "cat", "dan"});
	const entry_ref ref = RefFor(dir / "book");
	RecordingOwner owner;
	CVABook mine(&owner);
	owner.Lock();  // as the window's own thread holds it
	BookAncestor ancestor;
	ASSERT_EQ(LoadBookFile(&ref, &mine, nullptr, nullptr, &ancestor), B_OK);
	const uint64 annSerial = mine.FirstRecord()->Serial();

	// Another program: cat's phone, dan's e-mail, a new record.
	CVABook theirs(nullptr);
	ASSERT_EQ(LoadBookFile(&ref, &theirs, nullptr), B_OK);
	theirs.RecordAt(2)->SetField(kPhoneField, "33");
	theirs.RecordAt(3)->SetField(kEmail1Field, "theirs@x");
	AddRecord(theirs, "fay");
	ASSERT_EQ(SaveBookFile(&ref, &theirs, kFrame, nullptr), B_OK);
	// Mine meanwhile: ann's phone, dan's e-mail, bob deleted, a new record.
	mine.RecordAt(0)->SetField(kPhoneField, "11");
	mine.RecordAt(3)->SetField(kEmail1Field, "mine@x");
	mine.DeleteRecordAt(1);
	AddRecord(mine, "eve");

	book_save_result result;
	ASSERT_EQ(SaveBookMerging(&ref, &mine, kFrame, &ancestor, book_save_options(), &result), B_OK);
	EXPECT_TRUE(result.merged);
	EXPECT_EQ(owner.reloads, 1);
	EXPECT_EQ(owner.lockDepth, 1);
	EXPECT_EQ(ListedField(mine), (Texts{"ann", "cat", "dan", "eve", "fay"}));
	EXPECT_EQ(ListedField(mine, kPhoneField), (Texts{"11", "33", "1", "", ""}));
	EXPECT_EQ(ListedField(mine, kEmail1Field), (Texts{"", "", "mine@x", "", ""}));
	EXPECT_EQ(mine.FirstRecord()->Serial(), annSerial);
	EXPECT_EQ(Contents(dir / "book"), BookBodyBytes(&mine));
	EXPECT_EQ(LoadIds(dir / "book"), IdsOf(mine));
	ASSERT_EQ(result.conflicts.size(), 1u);
	EXPECT_EQ(result.conflicts[0].field, kEmail1Field);
	EXPECT_NE(Contents(dir / "state/cvab/conflicts.log").find(std::string(" \"") + dir.Path()
		+ "/book\" " + RecordIdText(mine.RecordAt(2)->Id()) + " \"dan\" \"\" \"\" \"Email 1\": mine "
		"\"mine@x\", theirs \"theirs@x\"; kept mine\n"), std::string::npos);
	EXPECT_EQ(QuoteLogText("a\"b\\c\td\ne\x01"), "\"a\\\"b\\\\c\\td\\ne\\x01\"");
	book_file_state now;
	ASSERT_EQ(StatBookFile(&ref, &now), B_OK);
	EXPECT_TRUE(now.SameFile(ancestor.State()));

	// Unchanged since: a plain save.
	ASSERT_EQ(SaveBookMerging(&ref, &mine, kFrame, &ancestor, book_save_options(), &result), B_OK);
	EXPECT_FALSE(result.merged);
	unsetenv("XDG_STATE_HOME");
}

TEST(BookIdsTest, WritersThatKnowNoIdsAreMergedLineByLine)
{
	ScratchDir dir;
	SaveNicknames(dir / "book", {"ann", "bob", "cat"});
	const entry_ref ref = RefFor(dir / "book");
	CVABook mine(nullptr);
	BookAncestor ancestor;
	ASSERT_EQ(LoadBookFile(&ref, &mine, nullptr, nullptr, &ancestor), B_OK);
	book_save_options options;
	options.logConflicts = false;
	book_save_result result;

	// An editor rewrites it in place, the kept ancestor with it: cat's line is
	// new to the ids, so cat is deleted and added again at the end. Mine
	// changed ann meanwhile: both stay, nothing doubles.
	std::string body = Contents(dir / "book");
	body.replace(body.find("cat\t") + 15, 1, "33");
	WriteContents(dir / "book", body);
	mine.FirstRecord()->SetField(kPhoneField, "5");
	ASSERT_EQ(SaveBookMerging(&ref, &mine, kFrame, &ancestor, options, &result), B_OK);
	EXPECT_TRUE(result.merged);
	EXPECT_TRUE(result.conflicts.empty());
	EXPECT_EQ(ListedField(mine), (Texts{"ann", "bob", "cat"}));
	EXPECT_EQ(ListedField(mine, kPhoneField), (Texts{"5", "1", "33"}));

	// One that writes a new file without any attribute: its unchanged lines are
	// found in the ancestor, so bob is deleted and no one doubles.
	body = Contents(dir / "book");
	const size_t bob = body.find("bob");
	body.erase(bob, body.find('\n', bob) + 1 - bob);
	WriteContents(dir / "new", body);
	ASSERT_EQ(rename((dir / "new").c_str(), (dir / "book").c_str()), 0);
	ASSERT_EQ(SaveBookMerging(&ref, &mine, kFrame, &ancestor, options, &result), B_OK);
	EXPECT_TRUE(result.merged);
	EXPECT_EQ(ListedField(mine), (Texts{"ann", "cat"}));
	EXPECT_EQ(Contents(dir / "book"), BookBodyBytes(&mine));

	// Emptied (a writer that failed half-way) or gone: written anew from mine.
	for (const bool gone : {false, true}) {
		gone ? unlink((dir / "book").c_str()) : truncate((dir / "book").c_str(), 0);
		ASSERT_EQ(SaveBookMerging(&ref, &mine, kFrame, &ancestor, options, &result), B_OK);
		EXPECT_FALSE(result.merged);
		EXPECT_EQ(Contents(dir / "book"), BookBodyBytes(&mine)) << gone;
	}
}
