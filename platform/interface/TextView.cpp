// BTextView. Sections: construction and text; selection and clipboard; settings;
// layout; drawing and the caret; mouse; keys; input methods.
#include <TextView.h>

#include <AppDefs.h>
#include <Clipboard.h>
#include <Message.h>
#include <Window.h>

#include "AccessibleLinks.h"
#include "TextBuffer.h"
#include "TextLayout.h"

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
	_ShowInputMethodWhere();
	BPrivate::AccessibleLinks::Note(this, BPrivate::kAccessibleText);
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
		case B_INPUT_METHOD_EVENT:
			_Compose(message);
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
	BPrivate::AccessibleLinks::Note(this, BPrivate::kAccessibleStates);
	Invalidate();
}

void BTextView::MakeSelectable(bool selectable)
{
	fSelectable = selectable;
	BPrivate::AccessibleLinks::Note(this, BPrivate::kAccessibleStates);
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
	_ShowInputMethodWhere();
	BPrivate::AccessibleLinks::Note(this, BPrivate::kAccessibleText);
	Invalidate();
}

// Laid out again only when what it shows changed: the text, the composition in
// it, the wrap width or the font.
void BTextView::_Layout() const
{
	std::string shown = fBuffer->Text();
	shown.insert((size_t)fBuffer->Caret(), fComposition);
	const float width = fWordWrap ? fTextRect.Width() : TextLayout::kNoWrap;
	BFont font;
	GetFont(&font);
	if (fLayout && fLayout->Text() == shown && fLayoutWidth == width && fLayoutFont == font)
		return;
	fLayout = std::make_unique<TextLayout>(font.EngineFont(), shown, width);
	fLayoutWidth = width;
	fLayoutFont = font;
}

const TextLayout& BTextView::Layout() const
{
	_Layout();
	return *fLayout;
}

// The text's offsets where the layout holds a composition at the caret.
int32 BTextView::_ToLayout(int32 offset) const
{
	return offset > fBuffer->Caret() ? offset + (int32)fComposition.size() : offset;
}

int32 BTextView::_FromLayout(int32 offset) const
{
	const int32 caret = fBuffer->Caret();
	if (offset <= caret)
		return offset;
	return std::max(caret, offset - (int32)fComposition.size());
}

int32 BTextView::CountLines() const
{
	return Layout().CountLines();
}

int32 BTextView::LineAt(int32 offset) const
{
	return Layout().LineAt(_ToLayout(offset));
}

// Where a line's text ends for the caret (layout offsets): before its line
// break, or before the space a wrap broke after.
int32 BTextView::_LineEnd(int32 line) const
{
	const TextLayout& layout = Layout();
	const int32 end = layout.LineEnd(line);
	const bool wrapped = line + 1 < layout.CountLines() && layout.LineStart(line + 1) == end;
	if (wrapped && end > layout.LineStart(line) && layout.Text()[(size_t)end - 1] == ' ')
		return end - 1;
	return end;
}

float BTextView::LineHeight() const
{
	font_height height;
	GetFontHeight(&height);
	return std::ceil(height.ascent + height.descent + height.leading);
}

BPoint BTextView::PointAt(int32 offset, float* height) const
{
	const int32 shown = _ToLayout(fBuffer->SnapToBoundary(offset));
	const float lineHeight = LineHeight();
	if (height != nullptr)
		*height = lineHeight;
	return BPoint(fTextRect.left + Layout().CaretX(shown),
		fTextRect.top + Layout().LineAt(shown) * lineHeight);
}

int32 BTextView::OffsetAt(BPoint point) const
{
	const TextLayout& layout = Layout();
	const int32 line = std::clamp((int32)std::floor((point.y - fTextRect.top) / LineHeight()),
		(int32)0, layout.CountLines() - 1);
	// Past the end of a wrapped line is its end, not the next line's start.
	const int32 offset = std::min(layout.OffsetAt(line, point.x - fTextRect.left),
		std::max(_LineEnd(line), layout.LineStart(line)));
	return fBuffer->SnapToBoundary(_FromLayout(offset));
}

void BTextView::GetTextRegion(int32 start, int32 end, BRegion* region) const
{
	if (region == nullptr)
		return;
	region->MakeEmpty();
	const float lineHeight = LineHeight();
	for (const TextLayout::Span& span : Layout().RangeSpans(_ToLayout(start), _ToLayout(end))) {
		const float top = fTextRect.top + span.line * lineHeight;
		region->Include(BRect(fTextRect.left + span.left, top, fTextRect.left + span.right - 1,
			top + lineHeight - 1));
	}
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
	const TextLayout& layout = Layout();
	const float lineHeight = LineHeight();
	// The text rectangle stays where it is on screen while the text scrolls.
	const float left = fTextRect.left + Bounds().left;
	const float right = fTextRect.right + Bounds().left;
	for (int32 line = 0; line < layout.CountLines(); line++) {
		const float top = fTextRect.top + line * lineHeight;
		if (top > updateRect.bottom)
			break;
		if (top + lineHeight < updateRect.top)
			continue;
		_DrawLine(line, top, left, right);
	}
	if (_CaretShown())
		_DrawCaret();
}

// The selection's background, then the clusters wholly inside [left, right],
// then the composition's underline.
void BTextView::_DrawLine(int32 line, float top, float left, float right)
{
	const TextLayout& layout = Layout();
	const float bottom = top + LineHeight() - 1;
	font_height height;
	GetFontHeight(&height);
	const float baseline = top + std::ceil(height.ascent);
	const rgb_color high = HighColor();
	const auto spans = [&](int32 start, int32 end, auto paint) {
		for (const TextLayout::Span& span : layout.RangeSpans(start, end)) {
			const float from = std::max(left, fTextRect.left + span.left);
			const float to = std::min(right, fTextRect.left + span.right - 1);
			if (span.line == line && from <= to)
				paint(from, to);
		}
	};
	if (IsFocus() && fSelectable && fBuffer->HasSelection()) {
		SetHighColor(kSelection);
		spans(_ToLayout(fBuffer->SelectionStart()), _ToLayout(fBuffer->SelectionEnd()),
			[&](float from, float to) { FillRect(BRect(from, top, to, bottom)); });
		SetHighColor(high);
	}
	_DrawLayout(layout, line, BPoint(fTextRect.left, baseline), left, right);
	if (!fComposition.empty()) {
		const int32 start = fBuffer->Caret();
		spans(start, start + (int32)fComposition.size(), [&](float from, float to) {
			StrokeLine(BPoint(from, baseline + 1), BPoint(to, baseline + 1));
		});
	}
}

bool BTextView::_CaretShown() const
{
	return fCaretOn && fEditable && IsFocus() && !fBuffer->HasSelection();
}

// Within a composition the caret stands where the input method puts it.
BPoint BTextView::_CaretPoint(float* height) const
{
	BPoint where = PointAt(fBuffer->Caret(), height);
	if (!fComposition.empty())
		where.x = fTextRect.left + Layout().CaretX(fBuffer->Caret() + fCompositionCaret);
	return where;
}

void BTextView::_DrawCaret()
{
	float height;
	const BPoint where = _CaretPoint(&height);
	const float x = std::floor(where.x);
	StrokeLine(BPoint(x, where.y), BPoint(x, where.y + height - 1));
}

void BTextView::Pulse()
{
	if (!fEditable || !IsFocus() || fBuffer->HasSelection())
		return;
	fCaretOn = !fCaretOn;
	float height;
	const BPoint where = _CaretPoint(&height);
	const float x = std::floor(where.x);
	Invalidate(BRect(x - 1, where.y, x + 1, where.y + height - 1));
}

void BTextView::MakeFocus(bool focus)
{
	BView::MakeFocus(focus);
	fCaretOn = true;
	if (focus)
		_ShowInputMethodWhere();
	else
		fComposition.clear();  // the input method gives it up with the focus
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
		case B_RIGHT_ARROW:
			if (canMove)
				_MoveCaret(_HorizontalTarget(key == B_RIGHT_ARROW, shift), shift);
			return;
		case B_UP_ARROW:
		case B_DOWN_ARROW:
			if (canMove)
				_MoveCaret(_VerticalTarget(key == B_UP_ARROW ? -1 : 1), shift);
			return;
		case B_HOME:
		case B_END:
			// The line's start and end, where the caret stands at the line's two
			// ends on screen, whatever directions it mixes.
			if (canMove) {
				const int32 line = LineAt(fBuffer->Caret());
				_MoveCaret(_FromLayout(key == B_HOME ? Layout().LineStart(line) : _LineEnd(line)),
					shift);
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

// One cluster to the left or right on screen; without Shift, a selection gives
// way to the caret at its end on that side.
int32 BTextView::_HorizontalTarget(bool right, bool extend) const
{
	const int32 caret = fBuffer->Caret();
	if (fBuffer->HasSelection() && !extend) {
		const int32 start = fBuffer->SelectionStart();
		const int32 end = fBuffer->SelectionEnd();
		const BPoint first = PointAt(start);
		const BPoint last = PointAt(end);
		if (first.y != last.y)
			return right ? end : start;
		return (first.x < last.x) == right ? end : start;
	}
	return _FromLayout(Layout().MoveVisually(_ToLayout(caret), right));
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
	// Typed text takes the place of a composition still shown.
	fComposition.clear();
	fBuffer->ReplaceSelection(bytes, numBytes);
	_Changed();
}

// --- input methods

// A composition shows at the caret, in place of the selection, until its text
// arrives as keys or the input method gives it up.
void BTextView::_Compose(const BMessage* message)
{
	if (!fEditable)
		return;
	const int32 opcode = message->GetInt32("be:opcode", -1);
	if (opcode == B_INPUT_METHOD_STARTED || opcode == B_INPUT_METHOD_CHANGED) {
		if (fBuffer->HasSelection())
			fBuffer->ReplaceSelection("", 0);
	}
	if (opcode == B_INPUT_METHOD_CHANGED) {
		const char* text = "";
		message->FindString("be:string", &text);
		fComposition = text;
		int32 caret = (int32)fComposition.size();
		message->FindInt32("be:selection", 0, &caret);
		fCompositionCaret = TextBreaks(fComposition).SnapToCluster(caret);
	} else if (opcode == B_INPUT_METHOD_STOPPED) {
		fComposition.clear();
		fCompositionCaret = 0;
	} else if (opcode != B_INPUT_METHOD_STARTED) {
		return;
	}
	_Changed();
}

// The input method puts its candidates by the caret.
void BTextView::_ShowInputMethodWhere()
{
	if (!fEditable || !IsFocus())
		return;
	float height;
	const BPoint where = _CaretPoint(&height);
	const float x = std::floor(where.x);
	_SetTextInputRect(BRect(x, where.y, x, where.y + height - 1));
}
