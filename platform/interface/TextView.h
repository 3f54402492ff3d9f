// BTextView: editable UTF-8 text in a text rectangle, with a selection, a blinking
// caret while focused, mouse and keyboard editing and the clipboard. The platform's
// text engine lays it out: text of any script, each paragraph in the direction of
// its first strong character, mixed directions in the bidirectional order. The
// caret moves, and Backspace and Delete remove, whole grapheme clusters; the
// arrows move on screen, Home and End to the ends of a line as it shows. With word
// wrap on, lines break to the text rectangle's width; with it off, a line break
// starts a new line and the view scrolls sideways to keep the caret in sight. An
// input method's composition (B_INPUT_METHOD_EVENT) shows at the caret,
// underlined, until its text arrives as keys; the input method is told where the
// caret is, to put its candidates there.
// Threading: its window's thread, or with the window locked.
#ifndef _TEXT_VIEW_H
#define _TEXT_VIEW_H

#include <View.h>

#include <memory>
#include <string>

class BClipboard;
class TextLayout;

namespace BPrivate {
class AccessibleLinks;
class TextBuffer;
}

class BTextView : public BView {
public:
	// textRect is in the view's own coordinates.
	BTextView(BRect frame, const char* name, BRect textRect, uint32 resizingMode,
		uint32 flags);
	virtual ~BTextView();

	void Draw(BRect updateRect) override;
	void MouseDown(BPoint where) override;
	void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
	void MouseUp(BPoint where) override;
	// One typed character (its UTF-8 bytes), an editing or movement key, or a
	// Command shortcut (A, X, C, V). Tab goes to BView::KeyDown.
	void KeyDown(const char* bytes, int32 numBytes) override;
	void MakeFocus(bool focus = true) override;
	void Pulse() override;
	void FrameResized(float newWidth, float newHeight) override;
	// B_CUT, B_COPY, B_PASTE (through be_clipboard), B_SELECT_ALL and
	// B_INPUT_METHOD_EVENT.
	void MessageReceived(BMessage* message) override;

	// Replaces all text; the caret goes to the start.
	void SetText(const char* text);
	void SetText(const char* text, int32 length);
	// Inserts at the start of the selection, or at offset; cut to the byte limit.
	void Insert(const char* text);
	void Insert(const char* text, int32 length);
	void Insert(int32 offset, const char* text, int32 length);
	// Deletes the selection, or [start, finish).
	void Delete();
	void Delete(int32 start, int32 finish);
	const char* Text() const;
	int32 TextLength() const;
	// Copies up to length bytes from offset and terminates them.
	void GetText(int32 offset, int32 length, char* buffer) const;

	virtual void Select(int32 start, int32 finish);
	void SelectAll();
	void GetSelection(int32* start, int32* finish) const;

	virtual void Cut(BClipboard* clipboard);
	virtual void Copy(BClipboard* clipboard);
	// Inserts the clipboard's "text/plain" in place of the selection, unfiltered.
	virtual void Paste(BClipboard* clipboard);

	void SetMaxBytes(int32 maxBytes);
	int32 MaxBytes() const;
	void SetWordWrap(bool wrap);
	bool DoesWordWrap() const { return fWordWrap; }
	void MakeEditable(bool editable = true);
	bool IsEditable() const { return fEditable; }
	void MakeSelectable(bool selectable = true);
	bool IsSelectable() const { return fSelectable; }
	void SetTextRect(BRect rect);
	BRect TextRect() const { return fTextRect; }

	// Layout queries, in the view's coordinates.
	int32 CountLines() const;
	int32 LineAt(int32 offset) const;
	float LineHeight() const;
	// Where the caret stands for offset: its x and the line's top.
	BPoint PointAt(int32 offset, float* height = nullptr) const;
	// The cluster boundary nearest to point.
	int32 OffsetAt(BPoint point) const;
	// The areas that show [start, end): one rectangle per line, or more where
	// directions mix.
	void GetTextRegion(int32 start, int32 end, BRegion* region) const;
	// Scrolls sideways (word wrap off) until offset is inside the text rectangle.
	void ScrollToOffset(int32 offset);
	// The text as laid out (an input method's composition included while it
	// lasts: offsets after the caret are then that much further on), for who
	// describes the view, such as a screen reader: its clusters and their
	// character indexes, carets and the extents of ranges. x in it is from the
	// text rectangle's left edge.
	const TextLayout& Layout() const;

private:
	friend class BPrivate::AccessibleLinks;
	BTextView(const BTextView&) = delete;
	BTextView& operator=(const BTextView&) = delete;

	void _Changed();
	void _Layout() const;
	int32 _ToLayout(int32 offset) const;
	int32 _FromLayout(int32 offset) const;
	int32 _LineEnd(int32 line) const;
	void _DrawLine(int32 line, float top, float left, float right);
	BPoint _CaretPoint(float* height) const;
	void _DrawCaret();
	bool _CaretShown() const;
	bool _HandleCommand(char key);
	void _MoveCaret(int32 offset, bool extend);
	int32 _HorizontalTarget(bool right, bool extend) const;
	int32 _VerticalTarget(int32 lines) const;
	void _Type(const char* bytes, int32 numBytes);
	void _Extend(int32 offset);
	void _Compose(const BMessage* message);
	void _ShowInputMethodWhere();
	static uint32 _CurrentModifiers(const BMessage* message);

	std::unique_ptr<BPrivate::TextBuffer> fBuffer;
	// The text as shown, and the wrap width and font it was laid out for.
	mutable std::unique_ptr<TextLayout> fLayout;
	mutable float fLayoutWidth = 0;
	mutable BFont fLayoutFont;
	std::string fComposition;  // an input method's text at the caret, not yet typed
	int32 fCompositionCaret = 0;  // the input method's caret in it
	BRect fTextRect;
	bool fWordWrap = true;
	bool fEditable = true;
	bool fSelectable = true;
	bool fCaretOn = true;
	bool fTracking = false;
	bool fTrackWords = false;
	int32 fTrackStart = 0;       // the word (or point) a drag started from
	int32 fTrackEnd = 0;
};

#endif
