// Feeds arbitrary bytes, in chunks whose sizes the input itself chooses, to the frame
// decoder of a connection. Each decoded message must flatten and decode again as the
// same frame; once the stream is bad it must stay bad.
#include <Message.h>

#include "FrameCodec.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	if (size == 0)
		return 0;
	// The first byte picks the chunk size, so frames get split at every offset.
	const size_t chunk = 1 + data[0] % 64;
	const char* bytes = reinterpret_cast<const char*>(data + 1);
	size_t remaining = size - 1;
	BPrivate::FrameDecoder decoder;
	bool bad = false;
	while (remaining > 0) {
		const size_t take = remaining < chunk ? remaining : chunk;
		decoder.Feed(bytes, take);
		bytes += take;
		remaining -= take;
		int32 port = 0;
		std::unique_ptr<BMessage> message;
		BPrivate::FrameDecoder::Result result;
		while ((result = decoder.Next(&port, &message)) == BPrivate::FrameDecoder::kFrame) {
			if (bad)
				abort();
			std::string frame;
			if (BPrivate::encode_frame(port, *message, &frame) != B_OK)
				abort();
			BPrivate::FrameDecoder again;
			again.Feed(frame.data(), frame.size());
			int32 samePort = 0;
			std::unique_ptr<BMessage> same;
			if (again.Next(&samePort, &same) != BPrivate::FrameDecoder::kFrame || samePort != port)
				abort();
			std::string second;
			BPrivate::encode_frame(samePort, *same, &second);
			if (second != frame)
				abort();
		}
		if (result == BPrivate::FrameDecoder::kBad)
			bad = true;
	}
	return 0;
}
