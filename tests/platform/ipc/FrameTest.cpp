// The frame decoder: frames split anywhere come out whole; lengths over the limit and
// damaged messages poison the stream without buffering what was claimed.
#include <Message.h>

#include "FrameCodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using BPrivate::FrameDecoder;

namespace {

std::string Frame(int32 port, uint32 what, int32 value)
{
	BMessage message(what);
	message.AddInt32("value", value);
	std::string frame;
	EXPECT_EQ(BPrivate::encode_frame(port, message, &frame), B_OK);
	return frame;
}

}  // namespace

TEST(FrameDecoder, FramesSplitAtAnyByteComeOutWholeAndInOrderAndDamageIsBadForGood)
{
	std::string stream;
	for (int32 i = 0; i < 20; i++)
		stream += Frame(100 + i, 'frm ', i);
	std::mt19937 random(7);
	for (int round = 0; round < 50; round++) {
		FrameDecoder decoder;
		int32 next = 0;
		size_t offset = 0;
		while (offset < stream.size()) {
			const size_t chunk = std::min(stream.size() - offset, size_t(1 + random() % 97));
			decoder.Feed(stream.data() + offset, chunk);
			offset += chunk;
			int32 port = 0;
			std::unique_ptr<BMessage> message;
			FrameDecoder::Result result;
			while ((result = decoder.Next(&port, &message)) == FrameDecoder::kFrame) {
				EXPECT_EQ(port, 100 + next);
				EXPECT_EQ(message->GetInt32("value", -1), next);
				next++;
			}
			ASSERT_EQ(result, FrameDecoder::kNeedMore);
		}
		EXPECT_EQ(next, 20);
	}

	// Oversized or tiny lengths and damaged messages are bad for good.
	const std::string good = Frame(3, 'frst', 1);
	std::string damaged = Frame(1, 'dmg ', 5);
	damaged[8] = 'X';  // the message's magic
	const uint32 oversized = uint32(BPrivate::kMaxFrameSize) + 1;
	const uint32 tiny = 3;
	for (const std::string& bad : {std::string(reinterpret_cast<const char*>(&oversized), 4),
			std::string(reinterpret_cast<const char*>(&tiny), 4), damaged,
			good + std::string("\x08\x00\x00\x00garbage!", 12)}) {
		FrameDecoder decoder;
		decoder.Feed(bad.data(), bad.size());
		int32 port = 0;
		std::unique_ptr<BMessage> message;
		// A good frame before the damage still comes out.
		if (bad.size() > good.size()) {
			ASSERT_EQ(decoder.Next(&port, &message), FrameDecoder::kFrame);
			EXPECT_EQ(message->what, uint32('frst'));
		}
		// An oversized length is bad before its bytes arrive.
		EXPECT_EQ(decoder.Next(&port, &message), FrameDecoder::kBad);
		// Once bad, always bad: the connection closes.
		decoder.Feed(good.data(), good.size());
		EXPECT_EQ(decoder.Next(&port, &message), FrameDecoder::kBad);
	}
}
