#include "FrameCodec.h"

#include "MessageAccess.h"

#include <cstring>

namespace BPrivate {

status_t encode_frame(int32 port, const BMessage& message, std::string* frame)
{
	const ssize_t size = message.FlattenedSize();
	const size_t length = 4 + size_t(size);
	if (length > kMaxFrameSize)
		return B_BAD_VALUE;
	frame->resize(4 + length);
	const uint32 length32 = uint32(length);
	memcpy(frame->data(), &length32, 4);
	memcpy(frame->data() + 4, &port, 4);
	return message.Flatten(frame->data() + 8, size);
}

void FrameDecoder::Feed(const char* data, size_t size)
{
	if (fBad)
		return;
	// Drop consumed bytes before growing, so the buffer holds at most one frame plus
	// what arrived with it.
	if (fStart > 0 && fStart == fBuffer.size()) {
		fBuffer.clear();
		fStart = 0;
	} else if (fStart > 64 * 1024) {
		fBuffer.erase(0, fStart);
		fStart = 0;
	}
	fBuffer.append(data, size);
}

FrameDecoder::Result FrameDecoder::Next(int32* port, std::unique_ptr<BMessage>* message)
{
	if (fBad)
		return kBad;
	const size_t available = fBuffer.size() - fStart;
	if (available < 4)
		return kNeedMore;
	uint32 length = 0;
	memcpy(&length, fBuffer.data() + fStart, 4);
	if (length < 4 || length > kMaxFrameSize) {
		fBad = true;
		return kBad;
	}
	if (available - 4 < length)
		return kNeedMore;
	const char* body = fBuffer.data() + fStart + 4;
	memcpy(port, body, 4);
	auto decoded = std::make_unique<BMessage>();
	const status_t status = decoded->Unflatten(body + 4, length - 4);
	fStart += 4 + length;
	if (status != B_OK) {
		fBad = true;
		return kBad;
	}
	*message = std::move(decoded);
	return kFrame;
}

}  // namespace BPrivate
