#include "TextBreaks.h"

#include "TextEngine.h"
#include "Utf8.h"

#include <pango/pango.h>

#include <algorithm>

namespace {

// Bytes of the character at p, and whether it is one the text library cannot
// take: a malformed byte, or a null byte (which would end its text early).
int32 CharacterAt(const char* p, const char* end, bool* unusable)
{
	const char* next = p;
	const uint32 value = utf8::Decode(next, end);
	const int32 length = (int32)(next - p);
	*unusable = value == 0 || (length == 1 && (uint8)*p >= 0x80);
	return length;
}

}  // namespace

TextBreaks::TextBreaks(std::string_view text)
{
	const std::string repaired = Repaired(text);
	const int32 characters = (int32)g_utf8_strlen(repaired.data(), (gssize)repaired.size());
	std::vector<PangoLogAttr> attrs((size_t)characters + 1);
	{
		// The library's tailoring for some scripts keeps state of its own.
		auto lock = TextEngine::Default().Lock();
		pango_get_log_attrs(repaired.data(), (int)repaired.size(), -1,
			pango_language_get_default(), attrs.data(), characters + 1);
	}

	fFlags.assign(text.size() + 1, 0);
	fCharacterStarts.clear();
	fCharacterStarts.reserve((size_t)characters + 1);
	const auto flagsOf = [](const PangoLogAttr& attr) {
		return (uint8)(kCharacter | (attr.is_cursor_position ? kCluster : 0)
			| (attr.backspace_deletes_character ? kBackspaceDeletesCharacter : 0)
			| (attr.is_word_boundary ? kWordBoundary : 0));
	};
	// Each character of the text is one of the repaired text, in the same order.
	const char* end = text.data() + text.size();
	int32 index = 0;
	for (const char* p = text.data(); p < end; index++) {
		bool unusable;
		const int32 length = CharacterAt(p, end, &unusable);
		const int32 offset = (int32)(p - text.data());
		fFlags[offset] = flagsOf(attrs[index]);
		fCharacterStarts.push_back(offset);
		p += length;
	}
	fFlags.back() = flagsOf(attrs[index]) | kCluster;
	fFlags.front() |= kCluster;
	fCharacterStarts.push_back((int32)text.size());
}

int32 TextBreaks::_Clamp(int32 offset) const
{
	return std::clamp(offset, (int32)0, Length());
}

int32 TextBreaks::NextCluster(int32 offset) const
{
	offset = _Clamp(offset);
	if (offset == Length())
		return offset;
	do
		offset++;
	while (!IsClusterBoundary(offset));
	return offset;
}

int32 TextBreaks::PreviousCluster(int32 offset) const
{
	offset = _Clamp(offset);
	if (offset == 0)
		return 0;
	do
		offset--;
	while (!IsClusterBoundary(offset));
	return offset;
}

int32 TextBreaks::SnapToCluster(int32 offset) const
{
	offset = _Clamp(offset);
	while (!IsClusterBoundary(offset))
		offset--;
	return offset;
}

int32 TextBreaks::BackspaceStart(int32 offset) const
{
	offset = SnapToCluster(offset);
	if (offset == 0 || !_Has(offset, kBackspaceDeletesCharacter))
		return PreviousCluster(offset);
	return CharacterOffset(CharacterIndex(offset) - 1);
}

void TextBreaks::WordAt(int32 offset, int32* start, int32* end) const
{
	int32 index = CharacterIndex(offset);
	if (index == CountCharacters() && index > 0)
		index--;
	if (index >= CountCharacters()) {
		*start = *end = Length();
		return;
	}
	int32 first = index;
	while (first > 0 && !_Has(CharacterOffset(first), kWordBoundary))
		first--;
	int32 last = index + 1;
	while (last < CountCharacters() && !_Has(CharacterOffset(last), kWordBoundary))
		last++;
	*start = SnapToCluster(CharacterOffset(first));
	*end = CharacterOffset(last);
	if (!IsClusterBoundary(*end))
		*end = NextCluster(*end);
}

int32 TextBreaks::CharacterIndex(int32 offset) const
{
	const auto after = std::upper_bound(fCharacterStarts.begin(), fCharacterStarts.end(),
		_Clamp(offset));
	return (int32)(after - fCharacterStarts.begin()) - 1;
}

int32 TextBreaks::CharacterOffset(int32 index) const
{
	return fCharacterStarts[(size_t)std::clamp(index, (int32)0, CountCharacters())];
}

int32 TextBreaks::FitInsertion(std::string_view before, std::string_view inserted, int32 room)
{
	if (room <= 0)
		return 0;
	if ((int32)inserted.size() <= room)
		return (int32)inserted.size();
	std::string joined(before);
	joined.append(inserted);
	const TextBreaks breaks(joined);
	for (int32 fitting = room; fitting > 0; fitting--) {
		if (breaks.IsClusterBoundary((int32)before.size() + fitting))
			return fitting;
	}
	return 0;
}

bool TextBreaks::IsWellFormed(std::string_view text)
{
	return g_utf8_validate_len(text.data(), text.size(), nullptr);
}

std::string TextBreaks::Repaired(std::string_view text, std::vector<int32>* offsets)
{
	static const char kMark[] = "\xef\xbf\xbd";
	if (IsWellFormed(text)) {
		if (offsets != nullptr)
			offsets->clear();
		return std::string(text);
	}
	std::string repaired;
	repaired.reserve(text.size());
	if (offsets != nullptr)
		offsets->clear();
	const char* end = text.data() + text.size();
	for (const char* p = text.data(); p < end;) {
		bool unusable;
		const int32 length = CharacterAt(p, end, &unusable);
		for (int32 i = 0; offsets != nullptr && i < length; i++)
			offsets->push_back((int32)repaired.size() + (unusable ? 0 : i));
		if (unusable)
			repaired.append(kMark, 3);
		else
			repaired.append(p, (size_t)length);
		p += length;
	}
	if (offsets != nullptr)
		offsets->push_back((int32)repaired.size());
	return repaired;
}
