// The book's texts on the clipboard, read back through be_clipboard byte for
// byte: no terminator, no line feed added, and no change at all when there is
// no record to copy.
#include "BookTestSupport.h"

#include <BookClipboard.h>

#include <Application.h>
#include <Clipboard.h>

#include <memory>

namespace {

class ClipboardTextTest : public testing::Test {
protected:
	// The application gives the process its be_clipboard (in-process headless).
	static void SetUpTestSuite()
	{
		sApp = std::make_unique<BApplication>("application/x-vnd.cvab-book-clipboard-test");
	}
	static void TearDownTestSuite() { sApp.reset(); }

	// The "text/plain" bytes on the clipboard, or "(none)".
	static std::string ClipboardText()
	{
		EXPECT_TRUE(be_clipboard->Lock());
		const void* data = nullptr;
		ssize_t size = 0;
		std::string text = "(none)";
		if (be_clipboard->Data()->FindData("text/plain", B_MIME_TYPE, &data, &size) == B_OK)
			text.assign(static_cast<const char*>(data), static_cast<size_t>(size));
		be_clipboard->Unlock();
		return text;
	}

	static std::unique_ptr<BApplication> sApp;
};

std::unique_ptr<BApplication> ClipboardTextTest::sApp;

}  // namespace

TEST_F(ClipboardTextTest, RecordTextAndAddressBlockGoAsTheyAreWithNoLineFeedAdded)
{
	CVABook book(nullptr);
	AddRecord(book, "first");
	ABookRecord* record = AddRecord(book, "joe");
	record->SetField(kEmail1Field, "joe@example.com");
	record->SetField(kBirthdayField, "1 May");
	record->SetField(kFirstNameField, "Joe");
	record->SetField(kLastNameField, "Lee");
	ASSERT_TRUE(CopyRecordText(&book, 1));
	EXPECT_EQ(ClipboardText(), "joe\tJoe\t\tLee" + std::string(12, '\t') + "joe@example.com"
		+ std::string(5, '\t') + "1 May\t");
	ASSERT_TRUE(CopyAddressText(&book, 1));
	EXPECT_EQ(ClipboardText(), "Joe  Lee \n \n \n \n \n   ");
}

TEST_F(ClipboardTextTest, NoRecordLeavesTheClipboardAlone)
{
	CVABook book(nullptr);
	AddRecord(book, "only");
	ASSERT_TRUE(PutClipboardText("kept"));
	const uint32 commits = be_clipboard->SystemCount();
	EXPECT_FALSE(CopyRecordText(&book, -1));
	EXPECT_FALSE(CopyAddressText(&book, 1));
	EXPECT_FALSE(CopyRecordText(nullptr, 0));
	EXPECT_EQ(ClipboardText(), "kept");
	EXPECT_EQ(be_clipboard->SystemCount(), commits);

	EXPECT_FALSE(PutClipboardText(nullptr));
	EXPECT_EQ(ClipboardText(), "kept");
	ASSERT_TRUE(PutClipboardText(""));
	EXPECT_EQ(ClipboardText(), "(none)");
}
