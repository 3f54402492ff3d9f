// Where the platform's text library lets the caret stop in UTF-8 text (between
// grapheme clusters, as Unicode defines them with the library's tailoring per
// script), what Backspace removes there, where words start and end, and which
// byte starts which character. Malformed bytes are one character each, so any
// byte sequence can be edited; they stand for the replacement mark meanwhile.
// Offsets are bytes of the text as given; character indexes count code points
// (a malformed byte counting as one).
// Threading: a plain value; building it takes the text engine's lock.
#ifndef _SERVER_TEXT_BREAKS_H
#define _SERVER_TEXT_BREAKS_H

#include <SupportDefs.h>

#include <string>
#include <string_view>
#include <vector>

class TextBreaks {
public:
	TextBreaks() = default;
	explicit TextBreaks(std::string_view text);

	int32 Length() const { return (int32)fFlags.size() - 1; }

	// Between two clusters (always at 0 and at the end).
	bool IsClusterBoundary(int32 offset) const { return _Has(offset, kCluster); }
	// The boundary after offset (or the end), before it (or 0), and the one at
	// or before it.
	int32 NextCluster(int32 offset) const;
	int32 PreviousCluster(int32 offset) const;
	int32 SnapToCluster(int32 offset) const;
	// Where Backspace with the caret at offset deletes from: the cluster before
	// it, or only its last character where the script's convention says so.
	int32 BackspaceStart(int32 offset) const;
	// The word, or the run of other characters, that offset is in (the one
	// before it at the end of the text).
	void WordAt(int32 offset, int32* start, int32* end) const;

	bool IsCharacterStart(int32 offset) const { return _Has(offset, kCharacter); }
	int32 CountCharacters() const { return (int32)fCharacterStarts.size() - 1; }
	// Offsets to character indexes and back; offsets inside a character count
	// as its start.
	int32 CharacterIndex(int32 offset) const;
	int32 CharacterOffset(int32 index) const;

	// The longest prefix of inserted, at most room bytes, that ends between two
	// clusters once it follows before (so a cut never leaves part of a cluster).
	static int32 FitInsertion(std::string_view before, std::string_view inserted, int32 room);
	// text with every malformed byte replaced by the replacement mark (U+FFFD),
	// and where each byte of text went (size text.size() + 1); text itself, and
	// no offsets, when it is well formed: valid UTF-8 without null bytes.
	static std::string Repaired(std::string_view text, std::vector<int32>* offsets = nullptr);
	static bool IsWellFormed(std::string_view text);

private:
	enum : uint8 {
		kCharacter = 1,
		kCluster = 2,
		kBackspaceDeletesCharacter = 4,
		kWordBoundary = 8,
	};

	bool _Has(int32 offset, uint8 flag) const
	{
		return offset >= 0 && offset < (int32)fFlags.size() && (fFlags[offset] & flag) != 0;
	}
	int32 _Clamp(int32 offset) const;

	std::vector<uint8> fFlags{kCharacter | kCluster | kWordBoundary};  // per byte offset
	std::vector<int32> fCharacterStarts{0};  // and the length last
};

#endif
