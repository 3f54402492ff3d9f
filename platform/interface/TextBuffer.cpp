#include "TextBuffer.h"

#include <algorithm>
#include <climits>
#include <string_view>

namespace BPrivate {

const TextBreaks& TextBuffer::Breaks() const
{
	if (!fBreaksValid) {
		fBreaks = TextBreaks(fText);
		fBreaksValid = true;
	}
	return fBreaks;
}

void TextBuffer::SetText(const char* text, int32 length)
{
	fText.clear();
	fBreaksValid = false;
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
	const int32 count = TextBreaks::FitInsertion(std::string_view(fText).substr(0, (size_t)offset),
		std::string_view(text, (size_t)length), room);
	if (count <= 0)
		return 0;
	fText.insert((size_t)offset, text, (size_t)count);
	fBreaksValid = false;
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
	_Erase(from, to);
}

void TextBuffer::_Erase(int32 from, int32 to)
{
	if (from >= to)
		return;
	fText.erase((size_t)from, (size_t)(to - from));
	fBreaksValid = false;
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
		Delete(SnapToBoundary(fMaxBytes), Length());
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
		_Erase(Breaks().BackspaceStart(fCaret), fCaret);
}

void TextBuffer::DeleteForward()
{
	if (HasSelection())
		Delete(SelectionStart(), SelectionEnd());
	else
		Delete(fCaret, Breaks().NextCluster(fCaret));
}

}  // namespace BPrivate
