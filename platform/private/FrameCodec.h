// Frames between processes: a little-endian uint32 length of what follows, the int32
// token of the target port, then the flattened message. FrameDecoder cuts a byte
// stream into frames; a length over the limit, or a message that does not unflatten,
// makes the stream bad, and the connection is closed.
// Threading: one decoder per connection, used by its reader thread only.
#ifndef _CVAB_FRAME_CODEC_H
#define _CVAB_FRAME_CODEC_H

#include <Message.h>

#include <memory>
#include <string>

namespace BPrivate {

// Far above any message the application sends, far below what would hurt.
constexpr size_t kMaxFrameSize = 16 * 1024 * 1024;

status_t encode_frame(int32 port, const BMessage& message, std::string* frame);

class FrameDecoder {
public:
	enum Result { kNeedMore, kFrame, kBad };

	// Appends received bytes. Bytes are only buffered up to the end of the current
	// frame's declared length, which is checked against the limit first.
	void Feed(const char* data, size_t size);
	// The next whole frame, if there is one.
	Result Next(int32* port, std::unique_ptr<BMessage>* message);

private:
	std::string fBuffer;
	size_t fStart = 0;
	bool fBad = false;
};

}  // namespace BPrivate

#endif
