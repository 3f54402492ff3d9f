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

TEST(Clipboard, CommitPublishesToTheSameNameOnlyRevertRestoresAndChangesNeedTheLock)
{
	BClipboard writer("test-commit");
	BClipboard reader("test-commit");
	BClipboard other("test-other");
	EXPECT_EQ(writer.Data(), nullptr);
	EXPECT_EQ(writer.Clear(), B_NOT_ALLOWED);
	EXPECT_EQ(writer.Commit(), B_NOT_ALLOWED);
	const uint32 before = writer.SystemCount();

	ASSERT_TRUE(writer.Lock());
	PutText(writer, "hello");
	ASSERT_EQ(writer.Commit(), B_OK);
	PutText(writer, "not committed");
	// A nested lock keeps the uncommitted changes.
	ASSERT_TRUE(writer.Lock());
	EXPECT_EQ(TextOf(writer), "not committed");
	writer.Unlock();
	ASSERT_EQ(writer.Revert(), B_OK);
	EXPECT_EQ(TextOf(writer), "hello");
	writer.Unlock();
	EXPECT_EQ(writer.SystemCount(), before + 1);
	ASSERT_TRUE(reader.Lock());
	EXPECT_EQ(TextOf(reader), "hello");
	reader.Unlock();
	ASSERT_TRUE(other.Lock());
	EXPECT_EQ(TextOf(other), "(none)");
	other.Unlock();
}
