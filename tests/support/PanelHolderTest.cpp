// The main window's panel holders on the headless screen: what a confirmation
// sends to the holder's target, and that the open panel takes one file only.
#include "WindowTestSupport.h"

#include "CVABOpenPanel.h"
#include "CVABSavePanel.h"

#include <FilePanel.h>
#include <Path.h>

#include "StorageTestSupport.h"

#include <fstream>

namespace {

class PanelHolderTest : public WindowTest {
protected:
	void SetUp() override
	{
		WindowTest::SetUp();
		ASSERT_FALSE(fDir.Path().empty());
		for (const char* name : {"a.book", "b.book"})
			std::ofstream(fDir / name) << "x";
		fRecorder = new MessageRecorder();
		fRecorder->Run();
	}
	void TearDown() override
	{
		if (fRecorder->Lock())
			fRecorder->Quit();
		WindowTest::TearDown();
	}

	void ShowIn(BFilePanel* panel)
	{
		panel->SetPanelDirectory(fDir.Path().c_str());
		panel->Show();
		Settle();
	}
	BMessage FirstReceived()
	{
		const std::vector<BMessage> messages = fRecorder->Messages();
		return messages.empty() ? BMessage() : messages.front();
	}

	TempDir fDir;
	MessageRecorder* fRecorder = nullptr;
};

}  // namespace

TEST_F(PanelHolderTest, SaveReplyCarriesTheFolderAndTheName)
{
	CVABSavePanel holder(fRecorder);
	EXPECT_EQ(holder.Panel()->PanelMode(), B_SAVE_PANEL);
	holder.Panel()->SetSaveText("new book");
	ShowIn(holder.Panel());
	ClickView(holder.Panel()->Window(), "default");

	const BMessage reply = FirstReceived();
	EXPECT_EQ(reply.what, kSavePanelReply);
	EXPECT_STREQ(reply.GetString("name", ""), "new book");
	entry_ref directory;
	ASSERT_EQ(reply.FindRef("directory", &directory), B_OK);
	EXPECT_EQ(BPath(&directory), BPath(fDir.Path().c_str()));
	EXPECT_FALSE(holder.Panel()->IsShowing()) << "hides when done";
}

TEST_F(PanelHolderTest, OpenSendsOneChosenFileAsRefsReceived)
{
	CVABOpenPanel holder(fRecorder);
	ShowIn(holder.Panel());
	ClickAt(ListRowPoint(holder.Panel()->Window(), "list", "a.book"));
	ClickAt(ListRowPoint(holder.Panel()->Window(), "list", "b.book"), B_SHIFT_KEY);
	ClickView(holder.Panel()->Window(), "default");

	const BMessage refs = FirstReceived();
	EXPECT_EQ(refs.what, static_cast<uint32>(B_REFS_RECEIVED));
	entry_ref ref;
	ASSERT_EQ(refs.FindRef("refs", &ref), B_OK);
	EXPECT_EQ(BPath(&ref), BPath((fDir / "b.book").c_str()));
	EXPECT_NE(refs.FindRef("refs", 1, &ref), B_OK) << "one file at a time";
	EXPECT_FALSE(holder.Panel()->IsShowing());
}
