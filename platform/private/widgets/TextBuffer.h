// TextBuffer: the editing model behind BTextView. UTF-8 text with a selection
// (anchor and caret, byte offsets always between grapheme clusters, as the text
// library finds them) and a byte limit that inserted text is cut to between two
// clusters, so no edit leaves part of a character a user sees as one. Malformed
// bytes count as one character each, so every byte sequence can be edited.
// Threading: owned by one text view; its window's thread only.
#ifndef _CVAB_TEXT_BUFFER_H
#define _CVAB_TEXT_BUFFER_H

#include "TextBreaks.h"

#include <SupportDefs.h>

#include <string>

namespace BPrivate {

class TextBuffer {
public:
	const std::string& Text() const { return fText; }
	int32 Length() const { return (int32)fText.size(); }

	void SetText(const char* text, int32 length);
	// Inserts at offset (snapped to a cluster boundary), cut to what the byte
	// limit leaves room for; a selection at or after offset moves with the text.
	// Returns the bytes inserted.
	int32 Insert(int32 offset, const char* text, int32 length);
	// Deletes [from, to), both snapped to cluster boundaries.
	void Delete(int32 from, int32 to);

	// Limit in bytes; existing text longer than it is cut (between clusters).
	// Negative: no limit.
	void SetMaxBytes(int32 maxBytes);
	int32 MaxBytes() const { return fMaxBytes; }

	// Selection; start and end are clamped, ordered and snapped to boundaries.
	void Select(int32 start, int32 end);
	int32 SelectionStart() const { return fAnchor < fCaret ? fAnchor : fCaret; }
	int32 SelectionEnd() const { return fAnchor < fCaret ? fCaret : fAnchor; }
	bool HasSelection() const { return fAnchor != fCaret; }
	int32 Caret() const { return fCaret; }
	int32 Anchor() const { return fAnchor; }
	// Moves the caret; extend keeps the anchor (Shift with the movement keys).
	void MoveCaret(int32 offset, bool extend);

	// Typing: the selection is replaced; the caret ends after what was inserted.
	int32 ReplaceSelection(const char* text, int32 length);
	// Backspace and Delete: the selection, else the cluster before or after the
	// caret (before it, only its last character where the script's convention
	// says so).
	void DeleteBackward();
	void DeleteForward();

	// Clusters and words of the text as it is now.
	const TextBreaks& Breaks() const;
	int32 SnapToBoundary(int32 offset) const { return Breaks().SnapToCluster(offset); }
	void WordAt(int32 offset, int32* start, int32* end) const
	{
		Breaks().WordAt(offset, start, end);
	}

private:
	void _Erase(int32 from, int32 to);

	std::string fText;
	int32 fAnchor = 0;
	int32 fCaret = 0;
	int32 fMaxBytes = -1;
	mutable TextBreaks fBreaks;
	mutable bool fBreaksValid = true;  // empty text, empty breaks
};

}  // namespace BPrivate

#endif
