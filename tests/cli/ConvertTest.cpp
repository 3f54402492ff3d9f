// cvab-convert as a user runs it: formats from the file names, the book's
// type attributes, '-' for standard input and output, what --strict and
// malformed input do to the exit status and to the output file, and that a
// failed write leaves nothing behind.
#include "../book/FileTestSupport.h"

#include <ConvertCommand.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <sys/xattr.h>

namespace {

namespace fs = std::filesystem;

struct Result {
	int status = -1;
	std::string out;
	std::string err;
};

class ConvertTest : public testing::Test {
protected:
	void SetUp() override
	{
		char name[] = "/tmp/cvab-convert-test.XXXXXX";
		ASSERT_NE(mkdtemp(name), nullptr);
		fDir = name;
	}
	void TearDown() override { fs::remove_all(fDir); }

	std::string Path(const char* leaf) const { return (fDir / leaf).string(); }

	// Runs the program through the shell; arguments are already quoted.
	Result Run(const std::string& arguments, const std::string& input = "") const
	{
		std::ofstream(Path("stdin")) << input;
		const std::string command = std::string(CVAB_CONVERT_BINARY) + " " + arguments + " <"
			+ Path("stdin") + " >" + Path("stdout") + " 2>" + Path("stderr");
		Result result;
		const int raw = system(command.c_str());
		result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
		result.out = Contents(Path("stdout"));
		result.err = Contents(Path("stderr"));
		return result;
	}

	std::vector<std::string> Names() const
	{
		std::vector<std::string> names;
		for (const auto& entry : fs::directory_iterator(fDir))
			names.push_back(entry.path().filename());
		std::sort(names.begin(), names.end());
		return names;
	}

	fs::path fDir;
};

const std::string kSamples = CVAB_TEST_DATA;

}  // namespace

TEST_F(ConvertTest, VCardsBecomeATypedBookAndComeBackOutAsCsv)
{
	const Result toBook = Run(kSamples + "/contacts-3.vcf " + Path("friends.cvab"));
	EXPECT_EQ(toBook.status, kConvertOk) << toBook.err;
	// The losses are listed, each with the file, line and card.
	EXPECT_NE(toBook.err.find("contacts-3.vcf:4: card 1 \"Ann Marie Lee\": N (prefix)"), std::string::npos)
		<< toBook.err;

	char type[64] = {};
	EXPECT_GT(getxattr(Path("friends.cvab").c_str(), "user.BEOS:TYPE", type, sizeof(type)), 4);
	EXPECT_STREQ(type + 4, "application/x.vnd-tarvish-cvabfile");
	char mime[64] = {};
	getxattr(Path("friends.cvab").c_str(), "user.mime_type", mime, sizeof(mime));
	EXPECT_STREQ(mime, "application/x.vnd-tarvish-cvabfile");

	const Result toCsv = Run("--to csv " + Path("friends.cvab") + " -");
	EXPECT_EQ(toCsv.status, kConvertOk) << toCsv.err;
	EXPECT_EQ(toCsv.out.rfind("Nickname,First Name,Middle Name,Last Name,", 0), 0u);
	EXPECT_NE(toCsv.out.find("\r\nannie,Ann,Marie,Lee,Fleet Manager,"), std::string::npos)
		<< toCsv.out;
	EXPECT_NE(toCsv.out.find("Émile"), std::string::npos);

	// A book from standard input, vCards to standard output.
	const Result cards = Run("--from book --to vcard - -", "joe\t\t\t\t\t\t\t\t\t\t\t\t\t\t\tjoe@x.example\t\t\t\t\t\n");
	EXPECT_EQ(cards.status, kConvertOk) << cards.err;
	EXPECT_NE(cards.out.find("NICKNAME:joe\r\nEMAIL:joe@x.example\r\n"), std::string::npos)
		<< cards.out;

	// The version asked for, and another program's CSV header that names
	// what it has no column for.
	const std::string joe = "joe\tJo\t\t\t\t\t\t\t\t\t\t\t\t\t\tjoe@x.example\t\t\t\t\t--05-01\n";
	const Result three = Run("--from book --to vcard --vcard-version 3.0 - -", joe);
	EXPECT_NE(three.out.find("VERSION:3.0\r\nFN:Jo\r\n"), std::string::npos) << three.out;
	EXPECT_NE(three.out.find("BDAY:--05-01\r\n"), std::string::npos) << three.out;
	const Result outlook = Run("--from book --to csv --csv-style outlook - -", joe);
	EXPECT_EQ(outlook.status, kConvertOk) << outlook.err;
	EXPECT_EQ(outlook.out.substr(0, 32), "First Name,Middle Name,Last Name");
	EXPECT_NE(outlook.out.find("\"\nNickname: joe\""), std::string::npos) << outlook.out;
	EXPECT_NE(outlook.err.find("no column that keeps Nickname"), std::string::npos) << outlook.err;
	const Result back = Run("--from csv --to book - -", outlook.out);
	EXPECT_EQ(back.out, joe);
	EXPECT_EQ(Run("--csv-style lotus a.vcf b.csv").status, 64);
	EXPECT_EQ(Run("--vcard-version 2.1 a.csv b.vcf").status, 64);
}

// --strict writes nothing; malformed input still converts all it can read,
// and says so in its status; a failure says why, and a failed write leaves no
// half file behind.
TEST_F(ConvertTest, FailuresSayWhyAndLeaveNoHalfFile)
{
	std::ofstream(Path("old.cvab")) << "old\n";
	const Result strict = Run("--strict " + kSamples + "/contacts-3.vcf " + Path("old.cvab"));
	EXPECT_EQ(strict.status, kConvertStrict);
	EXPECT_NE(strict.err.find("nothing written"), std::string::npos) << strict.err;
	EXPECT_EQ(Contents(Path("old.cvab")), "old\n");

	const std::string input = "BEGIN:VCARD\nFN:Whole Card\nEND:VCARD\nBEGIN:VCARD\nFN:Cut Off\n"
		"a line that lost its fold\n";
	const Result broken = Run("--from vcard - " + Path("new.csv"), input);
	EXPECT_EQ(broken.status, kConvertFailed);
	EXPECT_NE(broken.err.find("standard input:4: card 2 \"Cut Off\": the card has no END:VCARD"),
		std::string::npos) << broken.err;
	EXPECT_NE(broken.err.find("standard input:6: card 2 \"Cut Off\": the line has no ':'"),
		std::string::npos) << broken.err;
	EXPECT_NE(Contents(Path("new.csv")).find("\r\n,Whole,,Card,"), std::string::npos);
	EXPECT_NE(Contents(Path("new.csv")).find("\r\n,Cut,,Off,"), std::string::npos);

	EXPECT_EQ(Run("--to rtf a.vcf b").status, 64);  // bad usage
	const Result missing = Run(Path("missing.vcf") + " " + Path("out.cvab"));
	EXPECT_EQ(missing.status, kConvertFailed);
	EXPECT_NE(missing.err.find("cannot read"), std::string::npos) << missing.err;
	const Result endless = Run("--from vcard /dev/zero " + Path("zero.csv"));
	EXPECT_EQ(endless.status, kConvertFailed);
	EXPECT_NE(endless.err.find("more than the 512 MiB"), std::string::npos) << endless.err;
	// The temporary file is complete before the rename fails: it must go too.
	fs::create_directory(fDir / "taken.vcf");
	const Result taken = Run(kSamples + "/contacts-4.vcf " + Path("taken.vcf"));
	EXPECT_EQ(taken.status, kConvertFailed);
	EXPECT_NE(taken.err.find("cannot write"), std::string::npos) << taken.err;
	EXPECT_EQ(Names(),
		(std::vector<std::string>{"new.csv", "old.cvab", "stderr", "stdin", "stdout", "taken.vcf"}));
}

// The dialect options reach the CSV reader: an encoding the bytes cannot
// tell, a separator the first row does not, and columns by number.
TEST_F(ConvertTest, DialectOptionsSayWhatTheFileCannot)
{
	// ISO-8859-2 bytes would read as Windows-1252 without --encoding.
	const std::string polish = "Ann;\xA3\xF3" "d\xBC, Inc.;ann@example.pl\n";
	const Result told = Run("--from csv --to book --encoding iso-8859-2 --separator ';' "
		"--map '1=First Name' --map '2=Company' - -", polish);
	EXPECT_EQ(told.status, kConvertOk) << told.err;
	EXPECT_EQ(told.out, "\tAnn\t\t\t\tŁódź, Inc.\t\t\t\t\t\t\t\t\t\tann@example.pl\t\t\t\t\t\n");
	// Without them, the guesses are reported.
	const Result guessed = Run("--from csv --to book - -", polish);
	EXPECT_NE(guessed.err.find("read as Windows-1252"), std::string::npos) << guessed.err;
	EXPECT_NE(guessed.err.find("no header row"), std::string::npos) << guessed.err;
	EXPECT_EQ(Run("--separator '|' a.csv b").status, 64);
}

TEST(ConvertCommandTest, FormatsAreGuessedFromTheNames)
{
	EXPECT_EQ(ConvertCommand::GuessFormat("a/Contacts.VCF"), contact_format::kVCard);
	EXPECT_EQ(ConvertCommand::GuessFormat("b.vcard"), contact_format::kVCard);
	EXPECT_EQ(ConvertCommand::GuessFormat("c.csv"), contact_format::kCsv);
	EXPECT_EQ(ConvertCommand::GuessFormat("d.csv.bak"), contact_format::kBook);
	EXPECT_EQ(ConvertCommand::GuessFormat("-"), contact_format::kBook);
}
