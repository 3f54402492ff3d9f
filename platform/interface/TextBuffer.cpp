#include "TextBuffer.h"

#include "Utf8.h"

#include <algorithm>
#include <climits>

namespace BPrivate {

namespace {

bool IsContinuation(char byte)
{
	return ((uint8)byte & 0xc0) == 0x80;
}

}  // namespace

void TextBuffer::SetText(const char* text, int32 length)
{
	fText.clear();
	fAnchor = fCaret = 0;
	Insert(0, text, length);
	fAnchor = fCaret = 0;
}

int32 TextBuffer::Insert(int32 offset, const char* text, int32 length)
{
	if (text == nullptr || length <= 0)
		return 0;
	offset = SnapToBoundary(offset);
	const int32 room = fMaxBytes < 0 ? INT32_MAX - Length() : fMaxBytes - Length();
	const int32 count = FitPrefix(text, length, room);
	if (count <= 0)
		return 0;
	fText.insert((size_t)offset, text, (size_t)count);
	if (fAnchor >= offset)
		fAnchor += count;
	if (fCaret >= offset)
		fCaret += count;
	return count;
}

void TextBuffer::Delete(int32 from, int32 to)
{
	from = SnapToBoundary(from);
	to = SnapToBoundary(to);
	if (to < from)
		std::swap(from, to);
	if (from == to)
		return;
	fText.erase((size_t)from, (size_t)(to - from));
	const auto shift = [from, to](int32 position) {
		if (position >= to)
			return position - (to - from);
		return position > from ? from : position;
	};
	fAnchor = shift(fAnchor);
	fCaret = shift(fCaret);
}

void TextBuffer::SetMaxBytes(int32 maxBytes)
{
	fMaxBytes = maxBytes < 0 ? -1 : maxBytes;
	if (fMaxBytes >= 0 && Length() > fMaxBytes)
		Delete(FitPrefix(fText.data(), Length(), fMaxBytes), Length());
}

void TextBuffer::Select(int32 start, int32 end)
{
	start = SnapToBoundary(start);
	end = SnapToBoundary(end);
	if (end < start)
		std::swap(start, end);
	fAnchor = start;
	fCaret = end;
}

void TextBuffer::MoveCaret(int32 offset, bool extend)
{
	fCaret = SnapToBoundary(offset);
	if (!extend)
		fAnchor = fCaret;
}

int32 TextBuffer::ReplaceSelection(const char* text, int32 length)
{
	const int32 start = SelectionStart();
	Delete(start, SelectionEnd());
	fAnchor = fCaret = start;
	const int32 inserted = Insert(start, text, length);
	fAnchor = fCaret = start + inserted;
	return inserted;
}

void TextBuffer::DeleteBackward()
{
	if (HasSelection())
		Delete(SelectionStart(), SelectionEnd());
	else
		Delete(PreviousCharStart(fCaret), fCaret);
}

void TextBuffer::DeleteForward()
{
	if (HasSelection())
		Delete(SelectionStart(), SelectionEnd());
	else
		Delete(fCaret, NextCharStart(fCaret));
}

int32 TextBuffer::NextCharStart(int32 offset) const
{
	offset = _Clamp(offset);
	if (offset >= Length())
		return Length();
	return offset + utf8::CharLength(fText.data(), offset, Length());
}

int32 TextBuffer::PreviousCharStart(int32 offset) const
{
	offset = _Clamp(offset);
	if (offset == 0)
		return 0;
	// A character is at most four bytes: look back for its lead byte and accept it
	// only if decoding from there ends exactly here.
	const int32 lowest = std::max(0, offset - 4);
	for (int32 lead = offset - 1; lead >= lowest; lead--) {
		if (!IsContinuation(fText[lead])) {
			if (lead + utf8::CharLength(fText.data(), lead, Length()) == offset)
				return lead;
			break;
		}
	}
	return offset - 1;
}

int32 TextBuffer::SnapToBoundary(int32 offset) const
{
	offset = _Clamp(offset);
	if (offset == 0 || offset == Length() || !IsContinuation(fText[offset]))
		return offset;
	const int32 lowest = std::max(0, offset - 3);
	for (int32 lead = offset - 1; lead >= lowest; lead--) {
		if (!IsContinuation(fText[lead])) {
			if (lead + utf8::CharLength(fText.data(), lead, Length()) > offset)
				return lead;
			break;
		}
	}
	return offset;
}

bool TextBuffer::_IsWordByte(int32 offset) const
{
	const uint8 byte = (uint8)fText[offset];
	return byte >= 0x80 || (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z')
		|| (byte >= 'A' && byte <= 'Z') || byte == '_' || byte == '\'';
}

void TextBuffer::WordAt(int32 offset, int32* start, int32* end) const
{
	offset = SnapToBoundary(offset);
	if (offset == Length() && offset > 0)
		offset = PreviousCharStart(offset);
	if (offset >= Length()) {
		*start = *end = offset;
		return;
	}
	if (!_IsWordByte(offset)) {
		*start = offset;
		*end = NextCharStart(offset);
		return;
	}
	int32 first = offset;
	while (first > 0 && _IsWordByte(PreviousCharStart(first)))
		first = PreviousCharStart(first);
	int32 last = offset;
	while (last < Length() && _IsWordByte(last))
		last = NextCharStart(last);
	*start = first;
	*end = last;
}

int32 TextBuffer::LineStart(int32 offset) const
{
	offset = _Clamp(offset);
	while (offset > 0 && fText[offset - 1] != '\n')
		offset--;
	return offset;
}

int32 TextBuffer::LineEnd(int32 offset) const
{
	offset = _Clamp(offset);
	while (offset < Length() && fText[offset] != '\n')
		offset++;
	return offset;
}

int32 TextBuffer::FitPrefix(const char* text, int32 length, int32 room)
{
	if (room <= 0)
		return 0;
	if (length <= room)
		return length;
	int32 fitting = 0;
	const char* p = text;
	const char* end = text + length;
	while (p < end) {
		utf8::Decode(p, end);
		if (p - text > room)
			break;
		fitting = (int32)(p - text);
	}
	return fitting;
}

int32 TextBuffer::_Clamp(int32 offset) const
{
	return std::clamp(offset, (int32)0, Length());
}

}  // namespace BPrivate
