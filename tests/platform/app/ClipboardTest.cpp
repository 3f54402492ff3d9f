// The clipboard: local changes until Commit, Revert throws them away, and clipboards
// of the same name share what was committed.
#include <Clipboard.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

void PutText(BClipboard& clipboard, const char* text)
{
	clipboard.Clear();
	clipboard.Data()->AddData("text/plain", B_MIME_TYPE, text, ssize_t(strlen(text)));
}

std::string TextOf(BClipboard& clipboard)
{
	const void* data = nullptr;
	ssize_t size = 0;
	if (clipboard.Data()->FindData("text/plain", B_MIME_TYPE, &data, &size) != B_OK)
		return "(none)";
	return std::string(static_cast<const char*>(data), size_t(size));
}

}  // namespace

TEST(Clipboard, CommitPublishesToTheSameNameOnlyAndRevertRestores)
{
	BClipboard writer("test-commit");
	BClipboard reader("test-commit");
	BClipboard other("test-other");
	const uint32 before = writer.SystemCount();

	ASSERT_TRUE(writer.Lock());
	PutText(writer, "hello");
	ASSERT_EQ(writer.Commit(), B_OK);
	PutText(writer, "not committed");
	EXPECT_EQ(TextOf(writer), "not committed");
	ASSERT_EQ(writer.Revert(), B_OK);
	EXPECT_EQ(TextOf(writer), "hello");
	writer.Unlock();
	EXPECT_EQ(writer.SystemCount(), before + 1);

	ASSERT_TRUE(reader.Lock());
	EXPECT_EQ(TextOf(reader), "hello");
	EXPECT_EQ(reader.LocalCount(), reader.SystemCount());
	reader.Unlock();
	ASSERT_TRUE(other.Lock());
	EXPECT_EQ(TextOf(other), "(none)");
	other.Unlock();
}

TEST(Clipboard, DataOnlyWhileLockedAndChangesNeedTheLock)
{
	BClipboard clipboard("test-locking");
	EXPECT_EQ(clipboard.Data(), nullptr);
	EXPECT_EQ(clipboard.Clear(), B_NOT_ALLOWED);
	EXPECT_EQ(clipboard.Commit(), B_NOT_ALLOWED);
	ASSERT_TRUE(clipboard.Lock());
	// A nested lock keeps the uncommitted changes.
	PutText(clipboard, "draft");
	ASSERT_TRUE(clipboard.Lock());
	EXPECT_EQ(TextOf(clipboard), "draft");
	clipboard.Unlock();
	clipboard.Unlock();
}

TEST(Clipboard, CommitCanRefuseWhenSomeoneElseCommittedFirst)
{
	BClipboard mine("test-race");
	BClipboard theirs("test-race");
	ASSERT_TRUE(mine.Lock());
	ASSERT_TRUE(theirs.Lock());
	PutText(theirs, "theirs");
	ASSERT_EQ(theirs.Commit(), B_OK);
	theirs.Unlock();
	PutText(mine, "mine");
	EXPECT_EQ(mine.Commit(true), B_ERROR);
	EXPECT_EQ(mine.Commit(false), B_OK);
	mine.Unlock();
	ASSERT_TRUE(theirs.Lock());
	EXPECT_EQ(TextOf(theirs), "mine");
	theirs.Unlock();
}
