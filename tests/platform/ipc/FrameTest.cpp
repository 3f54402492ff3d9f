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

TEST(FrameDecoder, FramesSplitAtAnyByteComeOutWholeAndInOrder)
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
}

TEST(FrameDecoder, OversizedLengthIsBadBeforeItsBytesArrive)
{
	FrameDecoder decoder;
	const uint32 length = uint32(BPrivate::kMaxFrameSize) + 1;
	decoder.Feed(reinterpret_cast<const char*>(&length), 4);
	int32 port = 0;
	std::unique_ptr<BMessage> message;
	EXPECT_EQ(decoder.Next(&port, &message), FrameDecoder::kBad);
	// Once bad, always bad: the connection closes.
	const std::string good = Frame(1, 'ok  ', 1);
	decoder.Feed(good.data(), good.size());
	EXPECT_EQ(decoder.Next(&port, &message), FrameDecoder::kBad);
}

TEST(FrameDecoder, DamagedMessageOrTinyLengthIsBad)
{
	std::string frame = Frame(1, 'dmg ', 5);
	frame[8] = 'X';  // the message's magic
	FrameDecoder damaged;
	damaged.Feed(frame.data(), frame.size());
	int32 port = 0;
	std::unique_ptr<BMessage> message;
	EXPECT_EQ(damaged.Next(&port, &message), FrameDecoder::kBad);

	FrameDecoder tiny;
	const uint32 length = 3;
	tiny.Feed(reinterpret_cast<const char*>(&length), 4);
	EXPECT_EQ(tiny.Next(&port, &message), FrameDecoder::kBad);
}

TEST(FrameDecoder, FrameBeforeGarbageIsStillDelivered)
{
	const std::string good = Frame(3, 'frst', 1);
	const std::string stream = good + std::string("\x08\x00\x00\x00garbage!", 12);
	FrameDecoder decoder;
	decoder.Feed(stream.data(), stream.size());
	int32 port = 0;
	std::unique_ptr<BMessage> message;
	ASSERT_EQ(decoder.Next(&port, &message), FrameDecoder::kFrame);
	EXPECT_EQ(message->what, uint32('frst'));
	EXPECT_EQ(decoder.Next(&port, &message), FrameDecoder::kBad);
}
