// vCard and CSV files opened as books: their contacts in a window of their own
// that never writes to them, asks for a book's name to keep changes, and is a
// normal book once named; address books and other files open as ever.
#include "AppTestSupport.h"

#include "BookBody.h"

#include <Node.h>
#include <TypeConstants.h>

#include <chrono>
#include <csignal>
#include <sys/xattr.h>

namespace {

bool HasAttributes(const std::string& path)
{
	return listxattr(path.c_str(), nullptr, 0) > 0;
}

std::string Card(const std::string& properties)
{
	return "BEGIN:VCARD\r\nVERSION:3.0\r\n" + properties + "END:VCARD\r\n";
}

}  // namespace

class ImportTest : public AppTest {
protected:
	// Launches on path and takes the alert of what did not fit away.
	CVABWindow* LaunchOnVCard(const std::string& path)
	{
		Launch({path});
		const std::string summary =
			"3 contacts read; 1 value did not fit, 1 part could not be read:\nline 1: ";
		EXPECT_NE(AlertText().find(summary), std::string::npos) << AlertText();
		if (Alert() != nullptr)
			AnswerAlert(0);
		return Front();
	}
};

TEST_F(ImportTest, AVCardOpensAsItsContactsIsNeverWrittenAndIsABookOnceNamed)
{
	// A leading junk line, CRLF ends, and a company too long for its field.
	const std::string vcf = Path("contacts.vcf");
	const std::string cards = "exported by a phone\r\n"
		+ Card("N:Lee;Ann;;;\r\nEMAIL:ann@example.org\r\n")
		+ Card("N:Moss;Bob;;;\r\nORG:The Very Long Company Name Incorporated Of Springfield\r\n")
		+ Card("N:Nash;Cat;;;\r\nTEL:555-0100\r\n");
	WriteFile(vcf, cards);

	// Looked at and moved, it just closes: nothing to lose, nothing stored.
	CVABWindow* window = LaunchOnVCard(vcf);
	ASSERT_NE(window, nullptr);
	EXPECT_EQ(TitleOf(window), "contacts.vcf");
	EXPECT_EQ(RowTexts(window, kFirstNameField), (std::vector<std::string>{"Ann", "Bob", "Cat"}));
	EXPECT_EQ(RowTexts(window, kEmail1Field)[0], "ann@example.org");
	Screen::UserMove(window, BPoint(150, 160));
	Settle();
	Key("w", B_COMMAND_KEY);
	EXPECT_TRUE(Ended());
	Launch();
	EXPECT_EQ(TitleOf(Front()), kMainWindowTitle) << "the vCard is not the book last opened";
	CancelPanel();
	ASSERT_TRUE(Ended());

	// Changed: closing asks, and neither Cancel nor a cancelled panel loses the
	// change; quitting and a SIGTERM ask the same.
	window = LaunchOnVCard(vcf);
	Screen::UserResize(window, 600, 300);
	Settle();
	ClickRow(window, 2);
	ChooseMenu(window, "Records", "Delete the Selected Record");
	Key("w", B_COMMAND_KEY);
	EXPECT_NE(AlertText().find("not written over"), std::string::npos) << AlertText();
	AnswerAlert(1);  // Cancel
	Key("w", B_COMMAND_KEY);
	Key("\n");  // Save..., the default
	CancelPanel();
	EXPECT_FALSE(Quit());
	AnswerAlert(1);
	kill(getpid(), SIGTERM);
	for (int i = 0; i < 200 && Alert() == nullptr; i++)
		std::this_thread::sleep_for(std::chrono::milliseconds(10));
	Settle();
	ASSERT_NE(Alert(), nullptr) << "a SIGTERM asks too";
	AnswerAlert(1);
	ASSERT_EQ(BookWindows().size(), 1u);
	EXPECT_EQ(RowTexts(window, kFirstNameField), (std::vector<std::string>{"Ann", "Bob"}));

	// Save asks for a name, offered beside the vCard; the book named is a
	// normal one: its next change is saved as it closes, and it opens next time.
	Key("s", B_COMMAND_KEY);
	ASSERT_NE(SavePanel(), nullptr);
	Key("\n");
	const std::string book = Path("contacts.cvab");
	EXPECT_EQ(TitleOf(window), "contacts.cvab");
	EXPECT_EQ(ReadFile(book).substr(0, 4), "\tAnn");
	ClickRow(window, 0);
	ChooseMenu(window, "Records", "Delete the Selected Record");
	ASSERT_TRUE(Quit());
	EXPECT_EQ(ReadFile(book),
		Line({"", "Bob", "", "Moss", "", "The Very Long Company Name Incorporated"}));
	EXPECT_EQ(ReadFile(vcf), cards);
	EXPECT_FALSE(HasAttributes(vcf)) << "no frame or type on the vCard";
	Launch();
	EXPECT_EQ(TitleOf(Front()), "contacts.cvab");
}

// A CSV export (read cleanly: no alert; typed, but not as a book) by the
// command line; through refs, a typed book that looks like a vCard and a .csv
// file of no known headers read as ever.
TEST_F(ImportTest, ACsvExportOpensAndBooksAndOtherFilesOpenAsBefore)
{
	const std::string csv = Path("export.csv");
	const std::string rows = "First Name;Last Name;E-mail Address\nAnn;Lee;ann@example.org\n";
	WriteFile(csv, rows);
	const char csvType[] = "text/csv";  // a type, but not one of a book
	BNode(csv.c_str()).WriteAttr(kTypeAttrName, B_MIME_STRING_TYPE, 0, csvType, sizeof csvType);
	Launch({csv});
	EXPECT_EQ(Alert(), nullptr);
	EXPECT_EQ(TitleOf(Front()), "export.csv");
	EXPECT_EQ(RowTexts(Front(), kEmail1Field), std::vector<std::string>{"ann@example.org"});
	EXPECT_TRUE(MenuEnabled(Front(), "Save this Address Book")) << "it is in no book yet";

	const std::string typed = Path("typed");
	WriteFile(typed, "BEGIN:VCARD\n");
	BNode(typed.c_str()).WriteAttr(kTypeAttrName, B_MIME_STRING_TYPE, 0, kBookFileType,
		kBookFileTypeSize);
	OpenRef(typed);
	EXPECT_EQ(RowTexts(Front(), kNicknameField), std::vector<std::string>{"BEGIN:VCARD"});
	const std::string plain = Path("plain.csv");
	WriteFile(plain, "a,b\tc\n");
	OpenRef(plain);
	EXPECT_EQ(RowTexts(Front(), kFirstNameField), std::vector<std::string>{"a,b"});
	EXPECT_EQ(RowTexts(Front(), kMiddleNameField), std::vector<std::string>{"c"});
	ASSERT_EQ(BookWindows().size(), 3u);
	ASSERT_TRUE(Quit());
	EXPECT_EQ(ReadFile(csv), rows);
}
