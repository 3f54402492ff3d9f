// BTextView: editable UTF-8 text in a text rectangle, with a selection, a blinking
// caret while focused, mouse and keyboard editing and the clipboard. With word wrap
// on, lines break to the text rectangle's width; with it off, a line break starts a
// new line and the view scrolls sideways to keep the caret in sight.
// Threading: its window's thread, or with the window locked.
#ifndef _TEXT_VIEW_H
#define _TEXT_VIEW_H

#include <View.h>

#include <memory>
#include <vector>

class BClipboard;

namespace BPrivate {
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
	// B_CUT, B_COPY, B_PASTE (through be_clipboard) and B_SELECT_ALL.
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
	int32 CountLines() const { return (int32)fLineStarts.size(); }
	int32 LineAt(int32 offset) const;
	float LineHeight() const;
	// The caret position before offset: left edge and line top.
	BPoint PointAt(int32 offset, float* height = nullptr) const;
	// The character boundary nearest to point.
	int32 OffsetAt(BPoint point) const;
	// Scrolls sideways (word wrap off) until offset is inside the text rectangle.
	void ScrollToOffset(int32 offset);

private:
	BTextView(const BTextView&) = delete;
	BTextView& operator=(const BTextView&) = delete;

	void _Changed();
	void _Layout();
	int32 _LineEnd(int32 line) const;
	float _Width(int32 from, int32 to) const;
	void _DrawLine(int32 line, float baseline, float left, float right);
	void _DrawCaret();
	bool _CaretShown() const;
	bool _HandleCommand(char key);
	void _MoveCaret(int32 offset, bool extend);
	int32 _VerticalTarget(int32 lines) const;
	void _Type(const char* bytes, int32 numBytes);
	void _Extend(int32 offset);
	static uint32 _CurrentModifiers(const BMessage* message);

	std::unique_ptr<BPrivate::TextBuffer> fBuffer;
	BRect fTextRect;
	std::vector<int32> fLineStarts{0};
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
