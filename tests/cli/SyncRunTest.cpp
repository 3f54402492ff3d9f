// cvab-sync's runs on real files: a book and a folder brought together and
// kept so, a phone's card edited through the book, conflicts, the deletion
// guard, a dry run, a damaged state, two runs at once, and the files of the
// folder that are not cards. The book is edited as the window edits it: read
// with its ids and saved with the merging save.
#include "../book/FileTestSupport.h"

#include <SyncRunner.h>

#include <BookFile.h>
#include <BookLock.h>
#include <ConflictLog.h>
#include <MergingSave.h>

#include <Entry.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

struct outcome {
	int status = -1;
	std::string out;
	std::string err;
};

class SyncRunTest : public testing::Test {
protected:
	void SetUp() override
	{
		char name[] = "/tmp/cvab-sync-run.XXXXXX";
		ASSERT_NE(mkdtemp(name), nullptr);
		fDir = fs::canonical(name);
		fs::create_directory(fDir / "cards");
		setenv("XDG_STATE_HOME", (fDir / "state").c_str(), 1);
	}
	void TearDown() override { fs::remove_all(fDir); }

	outcome Sync(std::function<void(sync_options&)> adjust = nullptr) const
	{
		sync_options options;
		options.book = (fDir / "book").string();
		options.folder = (fDir / "cards").string();
		options.verbose = true;
		if (adjust)
			adjust(options);
		outcome result;
		char* out = nullptr;
		char* err = nullptr;
		size_t outSize = 0, errSize = 0;
		FILE* outStream = open_memstream(&out, &outSize);
		FILE* errStream = open_memstream(&err, &errSize);
		result.status = SyncRunner(options, outStream, errStream).Run();
		fclose(outStream);
		fclose(errStream);
		result.out.assign(out, outSize);
		result.err.assign(err, errSize);
		free(out);
		free(err);
		return result;
	}

	// Changes the book as a window does: read with its ids, saved merging.
	void EditBook(const std::function<void(CVABook&)>& edit) const
	{
		entry_ref ref;
		ASSERT_EQ(get_ref_for_path((fDir / "book").c_str(), &ref), B_OK);
		CVABook book(nullptr);
		BookAncestor ancestor;
		if (fs::exists(fDir / "book")) {
			ASSERT_EQ(LoadBookFile(&ref, &book, nullptr, nullptr, &ancestor), B_OK);
		}
		edit(book);
		ASSERT_EQ(SaveBookMerging(&ref, &book, book_frame{0, 0, -1, -1}, &ancestor,
			book_save_options(), nullptr), B_OK);
	}

	// The book's records as "first last phone" lines, in order.
	std::vector<std::string> Records() const
	{
		entry_ref ref;
		get_ref_for_path((fDir / "book").c_str(), &ref);
		CVABook book(nullptr);
		LoadBookFile(&ref, &book, nullptr);
		std::vector<std::string> records;
		for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next()) {
			records.push_back(std::string(r->Field(kFirstNameField)) + " "
				+ r->Field(kLastNameField) + " " + r->Field(kPhoneField));
		}
		return records;
	}

	std::vector<std::string> Cards() const
	{
		std::vector<std::string> names;
		for (const auto& entry : fs::directory_iterator(fDir / "cards"))
			names.push_back(entry.path().filename());
		std::sort(names.begin(), names.end());
		return names;
	}

	static void Add(CVABook& book, const char* first, const char* last, const char* phone = "")
	{
		ABookRecord* record = book.AddRecord();
		record->SetField(kFirstNameField, first);
		record->SetField(kLastNameField, last);
		record->SetField(kPhoneField, phone);
	}

	static ABookRecord* Find(CVABook& book, const char* first)
	{
		for (ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next()) {
			if (strcmp(r->Field(kFirstNameField), first) == 0)
				return r;
		}
		return nullptr;
	}

	fs::path fDir;
};

using Texts = std::vector<std::string>;

const char kPhoneCard[] =
	"BEGIN:VCARD\r\nVERSION:3.0\r\nUID:phone-7\r\nN:Roe;Cat;;;\r\nFN:Cat Roe\r\n"
	"PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRg==\r\nTEL;TYPE=HOME:1\r\nTEL;TYPE=CELL:2\r\n"
	"TEL;TYPE=WORK:3\r\nCATEGORIES:friends\r\nX-PHONE-ONLY:kept\r\nEND:VCARD\r\n";

}  // namespace

TEST_F(SyncRunTest, BringsBothSidesTogetherAndKeepsThem)
{
	EditBook([](CVABook& book) {
		Add(book, "Ann", "Lee", "100");
		Add(book, "Bob", "Kim");
	});
	std::ofstream(fDir / "cards" / "phone-7.vcf", std::ios::binary) << kPhoneCard;
	std::ofstream(fDir / "cards" / "notes.txt") << "not a card";
	std::ofstream(fDir / "cards" / ".hidden.vcf") << "BEGIN:VCARD\r\nFN:Hidden\r\nEND:VCARD\r\n";

	outcome run = Sync();
	EXPECT_EQ(run.status, kSyncDone) << run.err;
	EXPECT_EQ(Records(), (Texts{"Ann Lee 100", "Bob Kim ", "Cat Roe 1"}));
	const Texts cards = Cards();
	ASSERT_EQ(cards.size(), 5u);
	EXPECT_EQ(Contents(fDir / "cards" / "phone-7.vcf"), kPhoneCard);
	EXPECT_EQ(Contents(fDir / "cards" / "notes.txt"), "not a card");
	EXPECT_NE(run.out.find("book: add \"Cat Roe\" (from phone-7.vcf)"), std::string::npos) << run.out;

	// Nothing changed: nothing is written, not even the state.
	struct stat before[2], after[2];
	stat((fDir / "book").c_str(), &before[0]);
	stat((fDir / "cards" / cards[0]).c_str(), &before[1]);
	std::string state;
	for (const auto& entry : fs::directory_iterator(fDir / "state" / "cvab" / "sync"))
		state = entry.path().extension() == ".state" ? entry.path().string() : state;
	const auto stateTime = fs::last_write_time(state);
	run = Sync();
	EXPECT_EQ(run.status, kSyncDone);
	EXPECT_EQ(run.out, "");
	stat((fDir / "book").c_str(), &after[0]);
	stat((fDir / "cards" / cards[0]).c_str(), &after[1]);
	EXPECT_EQ(before[0].st_mtim.tv_nsec, after[0].st_mtim.tv_nsec);
	EXPECT_EQ(before[1].st_ino, after[1].st_ino);
	EXPECT_EQ(fs::last_write_time(state), stateTime);

	// The phone's card edited through the book keeps what the book cannot
	// hold, and gets a REV of the change.
	EditBook([](CVABook& book) { Find(book, "Cat")->SetField(kLastNameField, "Poe"); });
	run = Sync();
	EXPECT_EQ(run.status, kSyncDone) << run.err;
	std::string expected = kPhoneCard;
	expected.replace(expected.find("N:Roe"), 5, "N:Poe");
	expected.replace(expected.find("FN:Cat Roe"), 10, "FN:Cat Poe");
	expected.insert(expected.find("END:VCARD"), "REV:20YYMMDDTHHMMSSZ\r\n");
	const std::string patched = Contents(fDir / "cards" / "phone-7.vcf");
	EXPECT_EQ(std::regex_replace(patched, std::regex("REV:20\\d{6}T\\d{6}Z"), "REV:20YYMMDDTHHMMSSZ"),
		expected);

	// Deleted on one side, unchanged on the other: gone from both.
	fs::remove(fDir / "cards" / "phone-7.vcf");
	EditBook([](CVABook& book) { book.RemoveRecord(Find(book, "Bob")); });
	run = Sync();
	EXPECT_EQ(run.status, kSyncDone) << run.err;
	EXPECT_EQ(Records(), Texts{"Ann Lee 100"});
	EXPECT_EQ(Cards().size(), 3u);
}

TEST_F(SyncRunTest, ConflictsKeepTheCardAndReportTheBook)
{
	EditBook([](CVABook& book) { Add(book, "Ann", "Lee", "100"); });
	ASSERT_EQ(Sync().status, kSyncDone);
	const fs::path card = fDir / "cards" / Cards()[0];
	std::string text = Contents(card);
	text.replace(text.find("voice:100"), 9, "voice:200");
	text.replace(text.find("N:Lee"), 5, "N:Ley");
	std::ofstream(card, std::ios::binary) << text;
	EditBook([](CVABook& book) {
		Find(book, "Ann")->SetField(kPhoneField, "300");
		Find(book, "Ann")->SetField(kFirstNameField, "Anne");
	});
	const outcome run = Sync();
	EXPECT_EQ(run.status, kSyncConflicts);
	EXPECT_EQ(Records(), Texts{"Anne Ley 200"});
	EXPECT_NE(run.err.find("Phone Number changed in the book and in its card: the card's \"200\" "
		"is kept, \"300\" is in " + ConflictLogPath()), std::string::npos) << run.err;
	EXPECT_NE(Contents(ConflictLogPath()).find("mine \"300\", theirs \"200\"; kept theirs"),
		std::string::npos);
	// Both changes in the card as well; the next run finds nothing to do.
	EXPECT_NE(Contents(card).find("N:Ley;Anne;;;"), std::string::npos) << Contents(card);
	EXPECT_EQ(Sync().out, "");

	// A deletion against an edit: the edited one comes back.
	EditBook([](CVABook& book) { Find(book, "Anne")->SetField(kCellField, "9"); });
	fs::remove(card);
	EXPECT_EQ(Sync().status, kSyncConflicts);
	EXPECT_EQ(Cards().size(), 1u);
	EXPECT_NE(Contents(fDir / "cards" / Cards()[0]).find("TEL;TYPE=cell:9"), std::string::npos);
}

TEST_F(SyncRunTest, GuardDryRunDamagedStateAndABusyPair)
{
	EditBook([](CVABook& book) {
		for (int i = 0; i < 20; i++)
			Add(book, ("P" + std::to_string(i)).c_str(), "X");
	});
	// A dry run changes nothing: no card, no state.
	outcome run = Sync([](sync_options& options) { options.dryRun = true; });
	EXPECT_EQ(run.status, kSyncDone);
	EXPECT_NE(run.out.find("card: add"), std::string::npos);
	EXPECT_TRUE(Cards().empty());
	EXPECT_FALSE(fs::exists(fDir / "state"));
	ASSERT_EQ(Sync().status, kSyncDone);

	// The folder emptied but for a few: nothing is deleted without the word.
	const Texts cards = Cards();
	for (size_t i = 0; i < 8; i++)
		fs::remove(fDir / "cards" / cards[i]);
	run = Sync();
	EXPECT_EQ(run.status, kSyncFailed);
	EXPECT_NE(run.err.find("would delete 8 of 20 records"), std::string::npos) << run.err;
	EXPECT_EQ(Records().size(), 20u);
	run = Sync([](sync_options& options) { options.allowDeletes = true; });
	EXPECT_EQ(run.status, kSyncDone);
	EXPECT_EQ(Records().size(), 12u);

	// A damaged state: said so, and the pairing keeps everything single.
	for (const auto& entry : fs::directory_iterator(fDir / "state" / "cvab" / "sync")) {
		if (entry.path().extension() == ".state")
			std::ofstream(entry.path(), std::ios::trunc) << "cvab-sync state 1\n";
	}
	run = Sync();
	EXPECT_EQ(run.status, kSyncDone);
	EXPECT_NE(run.err.find("is damaged"), std::string::npos);
	EXPECT_EQ(Records().size(), 12u);
	EXPECT_EQ(Cards().size(), 12u);

	// Another run of the same pair holds its lock.
	std::string state;
	for (const auto& entry : fs::directory_iterator(fDir / "state" / "cvab" / "sync"))
		state = entry.path().extension() == ".state" ? entry.path().string() : state;
	BookLock other(state);
	ASSERT_EQ(other.Acquire(), B_OK);
	run = Sync();
	EXPECT_EQ(run.status, kSyncFailed);
	EXPECT_NE(run.err.find("another cvab-sync"), std::string::npos);
}

TEST_F(SyncRunTest, NewCardsTakeTheFolderVersionAndUntouchedRecordsStayAsTheyAre)
{
	// A folder of a phone's 3.0 cards: the book's new contact goes there as 3.0.
	for (int i = 0; i < 2; i++) {
		std::string card = kPhoneCard;
		card.replace(card.find("phone-7"), 7, "phone-" + std::to_string(i));
		std::ofstream(fDir / "cards" / ("phone-" + std::to_string(i) + ".vcf")) << card;
	}
	// Values a card gives back elsewhere: the second of two fields, spaces.
	EditBook([](CVABook& book) {
		Add(book, "Dee", "Fox ");
		Find(book, "Dee")->SetField(kEmail2Field, "dee@example.org");
		Find(book, "Dee")->SetField(kComments2Field, "second");
	});
	outcome run = Sync();
	ASSERT_EQ(run.status, kSyncDone) << run.err;
	EXPECT_EQ(run.out.find("book: change"), std::string::npos) << run.out;
	std::string made;
	for (const std::string& name : Cards()) {
		const std::string text = Contents(fDir / "cards" / name);
		if (text.find("FN:Dee Fox") != std::string::npos)
			made = text;
	}
	EXPECT_EQ(made.rfind("BEGIN:VCARD\r\nVERSION:3.0\r\n", 0), 0u) << made;
	EXPECT_NE(made.find("\r\nREV:"), std::string::npos) << made;
	EXPECT_EQ(Records(), (Texts{"Dee Fox  ", "Cat Roe 1", "Cat Roe 1"}));

	// Without its state a run reads every card again: the card it wrote and
	// nobody changed gives the record back as it is.
	fs::remove_all(fDir / "state");
	const std::string book = Contents(fDir / "book");
	run = Sync();
	ASSERT_EQ(run.status, kSyncDone) << run.err;
	EXPECT_EQ(run.out.find("change"), std::string::npos) << run.out;
	EXPECT_EQ(Contents(fDir / "book"), book);
}

// A card that is a link to a file outside the folder (planted, or unpacked
// from an archive) is never written through: a card of its own takes its
// place, and the run says so.
TEST_F(SyncRunTest, ACardThatIsALinkIsReplacedNeverWrittenThrough)
{
	std::ofstream(fDir / "outside.vcf", std::ios::binary) << kPhoneCard;
	fs::create_symlink(fDir / "outside.vcf", fDir / "cards" / "phone-7.vcf");
	ASSERT_EQ(Sync().status, kSyncDone);
	EXPECT_EQ(Records(), Texts{"Cat Roe 1"});
	EditBook([](CVABook& book) { Find(book, "Cat")->SetField(kLastNameField, "Poe"); });
	const outcome run = Sync();
	EXPECT_EQ(run.status, kSyncDone) << run.err;
	EXPECT_EQ(Contents(fDir / "outside.vcf"), kPhoneCard) << "written through the link";
	EXPECT_FALSE(fs::is_symlink(fDir / "cards" / "phone-7.vcf"));
	EXPECT_NE(Contents(fDir / "cards" / "phone-7.vcf").find("N:Poe"), std::string::npos);
	EXPECT_NE(run.err.find("phone-7.vcf was a symbolic link"), std::string::npos) << run.err;
}
