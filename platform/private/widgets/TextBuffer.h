// TextBuffer: the editing model behind BTextView. UTF-8 text with a selection
// (anchor and caret, byte offsets always on character boundaries) and a byte limit
// that inserted text is cut to at a character boundary. Malformed bytes count as
// one character each, so every byte sequence can be edited.
// Threading: owned by one text view; its window's thread only.
#ifndef _CVAB_TEXT_BUFFER_H
#define _CVAB_TEXT_BUFFER_H

#include <SupportDefs.h>

#include <string>

namespace BPrivate {

class TextBuffer {
public:
	const std::string& Text() const { return fText; }
	int32 Length() const { return (int32)fText.size(); }

	void SetText(const char* text, int32 length);
	// Inserts at offset (snapped to a character boundary), cut to what the byte
	// limit leaves room for; a selection at or after offset moves with the text.
	// Returns the bytes inserted.
	int32 Insert(int32 offset, const char* text, int32 length);
	// Deletes [from, to), both snapped to character boundaries.
	void Delete(int32 from, int32 to);

	// Limit in bytes; existing text longer than it is cut. Negative or past the
	// largest int32: no limit.
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
	// Backspace and Delete: the selection, else one character before or after.
	void DeleteBackward();
	void DeleteForward();

	// Character and word geometry in byte offsets.
	int32 NextCharStart(int32 offset) const;
	int32 PreviousCharStart(int32 offset) const;
	int32 SnapToBoundary(int32 offset) const;
	void WordAt(int32 offset, int32* start, int32* end) const;
	int32 LineStart(int32 offset) const;
	int32 LineEnd(int32 offset) const;

	// Longest prefix of text, at most room bytes, that ends on a character boundary.
	static int32 FitPrefix(const char* text, int32 length, int32 room);

private:
	int32 _Clamp(int32 offset) const;
	bool _IsWordByte(int32 offset) const;

	std::string fText;
	int32 fAnchor = 0;
	int32 fCaret = 0;
	int32 fMaxBytes = -1;
};

}  // namespace BPrivate

#endif
