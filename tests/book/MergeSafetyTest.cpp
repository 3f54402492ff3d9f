// A merging save against a version another program left damaged or rewrote:
// what could not be read whole is never deleted on its behalf (every record
// kept, reported and logged), a book that lost its type is not shifted, and
// a record changed field-wise on each side becomes one merged record.
#include "BookTestSupport.h"
#include "FileTestSupport.h"

#include <BookFile.h>
#include <ConflictLog.h>
#include <MergingSave.h>

#include <fstream>
#include <sys/xattr.h>

namespace {

const book_frame kFrame{10, 20, 400, 300};

// Record n: nickname rn, first name Fn, phone 1, birthday Bn; a shifted field
// shows in the first name or the birthday.
std::string RecordLine(int n, const std::string& phone = "1")
{
	std::string line;
	for (int32 field = 0; field < kBookFieldCount; field++) {
		line += field == kNicknameField ? "r" + std::to_string(n)
			: field == kFirstNameField ? "F" + std::to_string(n)
			: field == kPhoneField ? phone
			: field == kBirthdayField ? "B" + std::to_string(n) : "";
		line += field + 1 < kBookFieldCount ? "\t" : "\n";
	}
	return line;
}

// Where record n's line starts in a body of RecordLines.
size_t LineStart(const std::string& body, int n)
{
	return n == 0 ? 0 : body.find("\nr" + std::to_string(n) + "\t") + 1;
}

std::string WithoutLine(const std::string& body, int n)
{
	const size_t start = LineStart(body, n);
	return body.substr(0, start) + body.substr(body.find('\n', start) + 1);
}

// Rewrites the file in place: same inode, attributes and ids file kept.
void WriteInPlace(const std::string& path, const std::string& body)
{
	std::ofstream(path, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc) << body;
}

// A new file renamed over the book, without attributes (sed -i, most editors).
void ReplaceWithoutAttributes(const std::string& path, const std::string& body)
{
	WriteContents(path + ".new", body);
	ASSERT_EQ(rename((path + ".new").c_str(), path.c_str()), 0);
}

class MergeSafetyTest : public testing::Test {
protected:
	void SetUp() override
	{
		setenv("XDG_STATE_HOME", (fDir / "state").c_str(), 1);
		fPath = fDir / "book";
		CVABook book(nullptr);
		std::string body;
		for (int n = 0; n < 10; n++)
			body += RecordLine(n);
		ReadBookBody(&book, body.data(), body.size(), book_layout::kAllColumns);
		fRef = RefFor(fPath);
		ASSERT_EQ(SaveBookFile(&fRef, &book, kFrame, nullptr), B_OK);
		ASSERT_EQ(LoadBookFile(&fRef, &fMine, nullptr, nullptr, &fAncestor), B_OK);
	}
	void TearDown() override { unsetenv("XDG_STATE_HOME"); }

	book_save_result Save()
	{
		book_save_result result;
		EXPECT_EQ(SaveBookMerging(&fRef, &fMine, kFrame, &fAncestor, book_save_options(), &result),
			B_OK);
		EXPECT_TRUE(result.merged);
		EXPECT_EQ(Contents(fPath), BookBodyBytes(&fMine));
		return result;
	}
	static size_t CountKind(const book_save_result& result, conflict_kind kind)
	{
		return std::count_if(result.conflicts.begin(), result.conflicts.end(),
			[kind](const merge_conflict& c) { return c.kind == kind; });
	}

	ScratchDir fDir;
	std::string fPath;
	entry_ref fRef;
	CVABook fMine{nullptr};
	BookAncestor fAncestor;
};

}  // namespace

// The window changed r0; another program damaged the file and deleted one
// record. A version read with damage deletes nothing; a clean one does.
TEST_F(MergeSafetyTest, AVersionNotReadWholeDeletesNothingAndShiftsNothing)
{
	const std::string body = Contents(fPath);
	const std::string cut = WithoutLine(body, 6);
	struct Case {
		const char* what;
		std::function<void()> damage;
		Texts gone;    // deleted by the merge
		size_t kept;   // reported as missing from theirs
		std::string damageText;
	} cases[] = {
		{"clean: r6 deleted", [&] { WriteInPlace(fPath, cut); }, {"r6"}, 0, ""},
		{"a NUL in r2 written in place", [&] {
			std::string damaged = body;
			damaged[LineStart(body, 2) + 4] = '\0';
			WriteInPlace(fPath, damaged);
		}, {}, 1, "1 line with a NUL byte"},
		{"cut in place inside r4", [&] {
			ASSERT_EQ(truncate(fPath.c_str(), static_cast<off_t>(body.size() * 45 / 100)), 0);
		}, {}, 6, "a last line without its line feed"},
		{"extra columns on r3, r6 deleted", [&] {
			std::string damaged = cut;
			damaged.insert(damaged.find('\n', LineStart(damaged, 3)), "\tx\ty");
			WriteInPlace(fPath, damaged);
		}, {}, 1, "2 extra columns"},
		{"a field over 40 bytes in r5, r6 deleted", [&] {
			std::string damaged = cut;
			damaged.insert(damaged.find("\tB5"), std::string(45, 'x'));
			WriteInPlace(fPath, damaged);
		}, {}, 1, "1 field longer than 40 bytes"},
		{"typeless: sed -i dropped a column of r4 and deleted r6", [&] {
			std::string damaged = cut;
			damaged.erase(damaged.find("\tB4"), 1);
			ReplaceWithoutAttributes(fPath, damaged);
		}, {}, 1, "1 line with missing columns"},
	};
	for (const Case& c : cases) {
		SCOPED_TRACE(c.what);
		WriteInPlace(fPath, body);
		fMine.MakeEmpty();
		ASSERT_EQ(LoadBookFile(&fRef, &fMine, nullptr, nullptr, &fAncestor), B_OK);
		fMine.FirstRecord()->SetField(kEmail1Field, "mine@x");
		c.damage();
		const book_save_result result = Save();

		Texts expected;
		for (int n = 0; n < 10; n++) {
			const std::string nick = "r" + std::to_string(n);
			if (std::find(c.gone.begin(), c.gone.end(), nick) == c.gone.end())
				expected.push_back(nick);
		}
		EXPECT_EQ(ListedField(fMine), expected);
		for (const ABookRecord* r = fMine.FirstRecord(); r != nullptr; r = r->Next()) {
			const std::string n = r->Field(kNicknameField) + 1;
			EXPECT_EQ(r->Field(kFirstNameField), "F" + n) << "shifted";
			// (r4 lost a column in one case: its own fields moved, no other's.)
			EXPECT_TRUE(n == "4" || r->Field(kBirthdayField) == "B" + n) << "cut or shifted";
		}
		EXPECT_STREQ(fMine.FirstRecord()->Field(kEmail1Field), "mine@x");
		EXPECT_EQ(CountKind(result, conflict_kind::kMissingInTheirs), c.kept);
		EXPECT_EQ(DescribeDamage(result.theirsDamage), c.damageText);
		const std::string log = Contents(ConflictLogPath());
		EXPECT_EQ(c.kept > 0, log.find("missing in theirs, which could not be read whole; kept mine")
			!= std::string::npos) << log;
		unlink(ConflictLogPath().c_str());
	}
}

// r3's phone changed by an editor while the window changed r3's e-mail: one
// r3 with both, in its place, whether the editor wrote the file in place (the
// ancestor's text is then rebuilt) or renamed a new one over it. Two new
// lines naming r3 are no pair: both stay, and so does the window's r3.
TEST_F(MergeSafetyTest, ARecordChangedFieldWiseOnEachSideMergesIntoOne)
{
	const std::string body = Contents(fPath);
	const size_t r3 = LineStart(body, 3);
	const std::string edited = body.substr(0, r3) + RecordLine(3, "22")
		+ body.substr(body.find('\n', r3) + 1);
	for (const bool inPlace : {true, false}) {
		SCOPED_TRACE(inPlace ? "in place" : "renamed over");
		WriteInPlace(fPath, body);
		fMine.MakeEmpty();
		ASSERT_EQ(LoadBookFile(&fRef, &fMine, nullptr, nullptr, &fAncestor), B_OK);
		const record_id id = fMine.RecordAt(3)->Id();
		fMine.RecordAt(3)->SetField(kEmail1Field, "mine@x");
		if (inPlace)
			WriteInPlace(fPath, edited);
		else
			ReplaceWithoutAttributes(fPath, edited);
		const book_save_result result = Save();
		EXPECT_EQ(ListedField(fMine).size(), 10u);
		EXPECT_EQ(fMine.RecordAt(3)->Id(), id);
		EXPECT_STREQ(fMine.RecordAt(3)->Field(kPhoneField), "22");
		EXPECT_STREQ(fMine.RecordAt(3)->Field(kEmail1Field), "mine@x");
		EXPECT_TRUE(result.conflicts.empty());
	}

	fMine.RecordAt(3)->SetField(kEmail1Field, "again@x");
	std::string twice = Contents(fPath) + RecordLine(3, "33");
	twice.replace(twice.find("\t22\t"), 4, "\t44\t");
	WriteInPlace(fPath, twice);
	const book_save_result result = Save();
	EXPECT_EQ(ListedField(fMine).size(), 12u);
	EXPECT_EQ(CountKind(result, conflict_kind::kDeletedInTheirs), 1u);
}
