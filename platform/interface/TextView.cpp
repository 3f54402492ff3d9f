// BTextView. Sections: construction and text; selection and clipboard; settings;
// layout; drawing and the caret; mouse; keys.
#include <TextView.h>

#include <AppDefs.h>
#include <Clipboard.h>
#include <Message.h>
#include <Window.h>

#include "TextBuffer.h"

#include <algorithm>
#include <cmath>
#include <ctype.h>
#include <string.h>
#include <string>

namespace {

const rgb_color kSelection = {172, 196, 232, 255};
const char* const kPlainText = "text/plain";

}  // namespace

BTextView::BTextView(BRect frame, const char* name, BRect textRect, uint32 resizingMode,
	uint32 flags)
	: BView(frame, name, resizingMode, flags),
	  fBuffer(std::make_unique<BPrivate::TextBuffer>()),
	  fTextRect(textRect)
{
}

BTextView::~BTextView() = default;

void BTextView::SetText(const char* text)
{
	SetText(text, text != nullptr ? (int32)strlen(text) : 0);
}

void BTextView::SetText(const char* text, int32 length)
{
	fBuffer->SetText(text != nullptr ? text : "", text != nullptr ? length : 0);
	_Changed();
}

void BTextView::Insert(const char* text)
{
	Insert(text, text != nullptr ? (int32)strlen(text) : 0);
}

void BTextView::Insert(const char* text, int32 length)
{
	Insert(fBuffer->SelectionStart(), text, length);
}

void BTextView::Insert(int32 offset, const char* text, int32 length)
{
	if (fBuffer->Insert(offset, text, length) > 0)
		_Changed();
}

void BTextView::Delete()
{
	Delete(fBuffer->SelectionStart(), fBuffer->SelectionEnd());
}

void BTextView::Delete(int32 start, int32 finish)
{
	fBuffer->Delete(start, finish);
	_Changed();
}

const char* BTextView::Text() const
{
	return fBuffer->Text().c_str();
}

int32 BTextView::TextLength() const
{
	return fBuffer->Length();
}

void BTextView::GetText(int32 offset, int32 length, char* buffer) const
{
	if (buffer == nullptr)
		return;
	offset = std::clamp(offset, (int32)0, TextLength());
	length = std::clamp(length, (int32)0, TextLength() - offset);
	memcpy(buffer, Text() + offset, (size_t)length);
	buffer[length] = '\0';
}

// --- selection and clipboard

void BTextView::Select(int32 start, int32 finish)
{
	fBuffer->Select(start, finish);
	fCaretOn = true;
	Invalidate();
}

void BTextView::SelectAll()
{
	Select(0, TextLength());
}

void BTextView::GetSelection(int32* start, int32* finish) const
{
	if (start != nullptr)
		*start = fBuffer->SelectionStart();
	if (finish != nullptr)
		*finish = fBuffer->SelectionEnd();
}

void BTextView::Copy(BClipboard* clipboard)
{
	if (clipboard == nullptr || !fBuffer->HasSelection() || !clipboard->Lock())
		return;
	const int32 start = fBuffer->SelectionStart();
	clipboard->Clear();
	clipboard->Data()->AddData(kPlainText, B_MIME_TYPE, Text() + start,
		fBuffer->SelectionEnd() - start);
	clipboard->Commit();
	clipboard->Unlock();
}

void BTextView::Cut(BClipboard* clipboard)
{
	Copy(clipboard);
	if (fEditable && fBuffer->HasSelection())
		Delete();
}

void BTextView::Paste(BClipboard* clipboard)
{
	if (clipboard == nullptr || !fEditable || !clipboard->Lock())
		return;
	std::string text;
	const void* data = nullptr;
	ssize_t size = 0;
	if (clipboard->Data()->FindData(kPlainText, B_MIME_TYPE, &data, &size) == B_OK
		&& size > 0)
		text.assign((const char*)data, (size_t)size);
	clipboard->Unlock();
	if (text.empty())
		return;
	fBuffer->ReplaceSelection(text.data(), (int32)text.size());
	_Changed();
}

void BTextView::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case B_CUT:
			Cut(be_clipboard);
			break;
		case B_COPY:
			Copy(be_clipboard);
			break;
		case B_PASTE:
			Paste(be_clipboard);
			break;
		case B_SELECT_ALL:
			if (fSelectable)
				SelectAll();
			break;
		default:
			BView::MessageReceived(message);
	}
}

// --- settings

void BTextView::SetMaxBytes(int32 maxBytes)
{
	fBuffer->SetMaxBytes(maxBytes);
	_Changed();
}

int32 BTextView::MaxBytes() const
{
	const int32 limit = fBuffer->MaxBytes();
	return limit < 0 ? INT32_MAX : limit;
}

void BTextView::SetWordWrap(bool wrap)
{
	fWordWrap = wrap;
	if (wrap)
		ScrollTo(BPoint(0, Bounds().top));
	_Changed();
}

void BTextView::MakeEditable(bool editable)
{
	fEditable = editable;
	Invalidate();
}

void BTextView::MakeSelectable(bool selectable)
{
	fSelectable = selectable;
	Invalidate();
}

void BTextView::SetTextRect(BRect rect)
{
	fTextRect = rect;
	_Changed();
}

void BTextView::FrameResized(float newWidth, float newHeight)
{
	BView::FrameResized(newWidth, newHeight);
	_Changed();
}

// --- layout

// After any change of text, selection or geometry: lay out, keep the caret in
// sight, show it at once and redraw.
void BTextView::_Changed()
{
	_Layout();
	ScrollToOffset(fBuffer->Caret());
	fCaretOn = true;
	Invalidate();
}

void BTextView::_Layout()
{
	fLineStarts.assign(1, 0);
	const std::string& text = fBuffer->Text();
	const int32 length = fBuffer->Length();
	const float width = fTextRect.Width();
	float x = 0;
	int32 breakAfter = -1;  // the last place on this line a wrap may break
	for (int32 offset = 0; offset < length;) {
		const int32 next = fBuffer->NextCharStart(offset);
		if (text[offset] == '\n') {
			fLineStarts.push_back(next);
			x = 0;
			breakAfter = -1;
			offset = next;
			continue;
		}
		if (fWordWrap) {
			const float advance = _Width(offset, next);
			const bool isSpace = text[offset] == ' ';
			if (!isSpace && x + advance > width && offset > fLineStarts.back()) {
				// Break after the line's last space, or inside a word too long for it.
				const int32 start = breakAfter > fLineStarts.back() ? breakAfter : offset;
				fLineStarts.push_back(start);
				breakAfter = -1;
				x = _Width(start, offset);
			}
			x += advance;
			if (isSpace)
				breakAfter = next;
		}
		offset = next;
	}
}

int32 BTextView::LineAt(int32 offset) const
{
	const auto after = std::upper_bound(fLineStarts.begin(), fLineStarts.end(), offset);
	return std::max((int32)0, (int32)(after - fLineStarts.begin()) - 1);
}

// Where a line's drawn characters end: before its line break, or before the
// space a wrap broke after.
int32 BTextView::_LineEnd(int32 line) const
{
	if (line + 1 >= CountLines())
		return TextLength();
	const int32 next = fLineStarts[line + 1];
	if (next > fLineStarts[line] && (Text()[next - 1] == '\n' || Text()[next - 1] == ' '))
		return next - 1;
	return next;
}

float BTextView::_Width(int32 from, int32 to) const
{
	return to > from ? StringWidth(Text() + from, to - from) : 0;
}

float BTextView::LineHeight() const
{
	font_height height;
	GetFontHeight(&height);
	return std::ceil(height.ascent + height.descent + height.leading);
}

BPoint BTextView::PointAt(int32 offset, float* height) const
{
	offset = fBuffer->SnapToBoundary(offset);
	const int32 line = LineAt(offset);
	const float lineHeight = LineHeight();
	if (height != nullptr)
		*height = lineHeight;
	return BPoint(fTextRect.left + _Width(fLineStarts[line], offset),
		fTextRect.top + line * lineHeight);
}

int32 BTextView::OffsetAt(BPoint point) const
{
	const int32 line = std::clamp((int32)std::floor((point.y - fTextRect.top) / LineHeight()),
		(int32)0, CountLines() - 1);
	const int32 end = _LineEnd(line);
	float x = fTextRect.left;
	for (int32 offset = fLineStarts[line]; offset < end;) {
		const int32 next = fBuffer->NextCharStart(offset);
		const float advance = _Width(offset, next);
		if (point.x < x + advance / 2)
			return offset;
		x += advance;
		offset = next;
	}
	return end;
}

void BTextView::ScrollToOffset(int32 offset)
{
	if (fWordWrap)
		return;
	const BRect bounds = Bounds();
	const float x = PointAt(offset).x;
	float scroll = bounds.left;
	if (x > fTextRect.right + scroll)
		scroll = std::ceil(x - fTextRect.right);
	else if (x < fTextRect.left + scroll)
		scroll = std::floor(x - fTextRect.left);
	scroll = std::max(0.0f, scroll);
	if (scroll != bounds.left)
		ScrollTo(BPoint(scroll, bounds.top));
}

// --- drawing and the caret

void BTextView::Draw(BRect updateRect)
{
	const float lineHeight = LineHeight();
	font_height height;
	GetFontHeight(&height);
	const float ascent = std::ceil(height.ascent);
	// The text rectangle stays where it is on screen while the text scrolls.
	const float left = fTextRect.left + Bounds().left;
	const float right = fTextRect.right + Bounds().left;
	const rgb_color low = LowColor();
	for (int32 line = 0; line < CountLines(); line++) {
		const float top = fTextRect.top + line * lineHeight;
		if (top > updateRect.bottom)
			break;
		if (top + lineHeight < updateRect.top)
			continue;
		_DrawLine(line, top + ascent, left, right);
	}
	SetLowColor(low);
	if (_CaretShown())
		_DrawCaret();
}

// Draws the characters wholly inside [left, right], selected ones on the
// selection colour, in runs of the same kind.
void BTextView::_DrawLine(int32 line, float baseline, float left, float right)
{
	const bool showSelection = IsFocus() && fSelectable && fBuffer->HasSelection();
	const int32 selStart = fBuffer->SelectionStart();
	const int32 selEnd = fBuffer->SelectionEnd();
	const float top = fTextRect.top + line * LineHeight();
	const float bottom = top + LineHeight() - 1;
	const int32 end = _LineEnd(line);

	int32 runStart = -1;
	float runX = 0;
	bool runSelected = false;
	const auto flush = [&](int32 runEnd) {
		if (runStart < 0 || runEnd <= runStart)
			return;
		const float width = _Width(runStart, runEnd);
		if (runSelected) {
			const rgb_color high = HighColor();
			SetHighColor(kSelection);
			FillRect(BRect(runX, top, runX + width - 1, bottom));
			SetHighColor(high);
		}
		SetLowColor(runSelected ? kSelection : ViewColor());
		DrawString(Text() + runStart, runEnd - runStart, BPoint(runX, baseline));
		runStart = -1;
	};

	float x = fTextRect.left;
	for (int32 offset = fLineStarts[line]; offset < end;) {
		const int32 next = fBuffer->NextCharStart(offset);
		const float advance = _Width(offset, next);
		const bool inside = x >= left && x + advance <= right + 1;
		const bool selected = showSelection && offset >= selStart && offset < selEnd;
		if (!inside || selected != runSelected || runStart < 0) {
			flush(offset);
			if (inside) {
				runStart = offset;
				runX = x;
				runSelected = selected;
			}
		}
		x += advance;
		offset = next;
	}
	flush(end);
}

bool BTextView::_CaretShown() const
{
	return fCaretOn && fEditable && IsFocus() && !fBuffer->HasSelection();
}

void BTextView::_DrawCaret()
{
	float height;
	const BPoint where = PointAt(fBuffer->Caret(), &height);
	const float x = std::floor(where.x);
	StrokeLine(BPoint(x, where.y), BPoint(x, where.y + height - 1));
}

void BTextView::Pulse()
{
	if (!fEditable || !IsFocus() || fBuffer->HasSelection())
		return;
	fCaretOn = !fCaretOn;
	float height;
	const BPoint where = PointAt(fBuffer->Caret(), &height);
	const float x = std::floor(where.x);
	Invalidate(BRect(x - 1, where.y, x + 1, where.y + height - 1));
}

void BTextView::MakeFocus(bool focus)
{
	BView::MakeFocus(focus);
	fCaretOn = true;
	Invalidate();
}

// --- mouse

uint32 BTextView::_CurrentModifiers(const BMessage* message)
{
	if (message != nullptr && message->HasInt32("modifiers"))
		return (uint32)message->GetInt32("modifiers", 0);
	return modifiers();
}

void BTextView::MouseDown(BPoint where)
{
	if (!fSelectable)
		return;
	if (!IsFocus())
		MakeFocus(true);
	const BMessage* message = Window() != nullptr ? Window()->CurrentMessage() : nullptr;
	const int32 clicks = message != nullptr ? message->GetInt32("clicks", 1) : 1;
	const bool extend = (_CurrentModifiers(message) & B_SHIFT_KEY) != 0;
	const int32 offset = OffsetAt(where);
	fTrackWords = clicks >= 2;
	if (fTrackWords) {
		fBuffer->WordAt(offset, &fTrackStart, &fTrackEnd);
		fBuffer->Select(fTrackStart, fTrackEnd);
	} else {
		fBuffer->MoveCaret(offset, extend);
		fTrackStart = fTrackEnd = fBuffer->Anchor();
	}
	fTracking = true;
	SetMouseEventMask(B_POINTER_EVENTS);
	_Changed();
}

void BTextView::MouseMoved(BPoint where, uint32, const BMessage*)
{
	if (fTracking)
		_Extend(OffsetAt(where));
}

void BTextView::MouseUp(BPoint where)
{
	if (!fTracking)
		return;
	_Extend(OffsetAt(where));
	fTracking = false;
}

// A drag from where the press was: by characters, or by whole words after a
// double-click.
void BTextView::_Extend(int32 offset)
{
	const int32 caret = fBuffer->Caret();
	const int32 anchor = fBuffer->Anchor();
	if (fTrackWords) {
		int32 start, end;
		fBuffer->WordAt(offset, &start, &end);
		if (start < fTrackStart) {
			fBuffer->MoveCaret(fTrackEnd, false);
			fBuffer->MoveCaret(start, true);
		} else {
			fBuffer->MoveCaret(fTrackStart, false);
			fBuffer->MoveCaret(std::max(end, fTrackEnd), true);
		}
	} else {
		fBuffer->MoveCaret(fTrackStart, false);
		fBuffer->MoveCaret(offset, true);
	}
	if (fBuffer->Caret() != caret || fBuffer->Anchor() != anchor)
		_Changed();
}

// --- keys

void BTextView::KeyDown(const char* bytes, int32 numBytes)
{
	if (bytes == nullptr || numBytes <= 0)
		return;
	const BMessage* message = Window() != nullptr ? Window()->CurrentMessage() : nullptr;
	const uint32 held = _CurrentModifiers(message);
	const bool shift = (held & B_SHIFT_KEY) != 0;
	const char key = bytes[0];
	if ((held & B_COMMAND_KEY) && numBytes == 1) {
		if (!_HandleCommand((char)tolower((uint8)key)))
			BView::KeyDown(bytes, numBytes);
		return;
	}
	const bool canMove = fSelectable || fEditable;
	switch (key) {
		case B_TAB:
			BView::KeyDown(bytes, numBytes);
			return;
		case B_BACKSPACE:
		case B_DELETE:
			if (!fEditable)
				return;
			if (key == B_BACKSPACE)
				fBuffer->DeleteBackward();
			else
				fBuffer->DeleteForward();
			_Changed();
			return;
		case B_LEFT_ARROW:
		case B_RIGHT_ARROW: {
			if (!canMove)
				return;
			const bool left = key == B_LEFT_ARROW;
			int32 target;
			if (fBuffer->HasSelection() && !shift)
				target = left ? fBuffer->SelectionStart() : fBuffer->SelectionEnd();
			else
				target = left ? fBuffer->PreviousCharStart(fBuffer->Caret())
					: fBuffer->NextCharStart(fBuffer->Caret());
			_MoveCaret(target, shift);
			return;
		}
		case B_UP_ARROW:
		case B_DOWN_ARROW:
			if (canMove)
				_MoveCaret(_VerticalTarget(key == B_UP_ARROW ? -1 : 1), shift);
			return;
		case B_HOME:
		case B_END:
			if (canMove) {
				const int32 line = LineAt(fBuffer->Caret());
				_MoveCaret(key == B_HOME ? fLineStarts[line] : _LineEnd(line), shift);
			}
			return;
		case B_ENTER:
			// A one-line view (word wrap off) keeps its text to one line.
			if (fWordWrap)
				_Type("\n", 1);
			return;
		default:
			if ((uint8)key >= 0x20 && key != B_FUNCTION_KEY)
				_Type(bytes, numBytes);
			return;
	}
}

bool BTextView::_HandleCommand(char key)
{
	switch (key) {
		case 'a':
			if (fSelectable)
				SelectAll();
			return true;
		case 'c':
			Copy(be_clipboard);
			return true;
		case 'x':
			Cut(be_clipboard);
			return true;
		case 'v':
			Paste(be_clipboard);
			return true;
		default:
			return false;
	}
}

void BTextView::_MoveCaret(int32 offset, bool extend)
{
	fBuffer->MoveCaret(offset, extend);
	_Changed();
}

// The offset straight above or below the caret; past the first or last line,
// the start or end of the text.
int32 BTextView::_VerticalTarget(int32 lines) const
{
	const int32 line = LineAt(fBuffer->Caret()) + lines;
	if (line < 0)
		return 0;
	if (line >= CountLines())
		return TextLength();
	const BPoint caret = PointAt(fBuffer->Caret());
	return OffsetAt(BPoint(caret.x, fTextRect.top + (line + 0.5f) * LineHeight()));
}

void BTextView::_Type(const char* bytes, int32 numBytes)
{
	if (!fEditable)
		return;
	fBuffer->ReplaceSelection(bytes, numBytes);
	_Changed();
}
