// Sections: the object; publishing and announcing; what AtkText asks; the ATK
// interfaces.
#include "AccessibleText.h"

#include "AccessibleLabel.h"
#include "AccessibleLinks.h"
#include "AccessibleWindow.h"
#include "DisplayServer.h"
#include "TextLayout.h"

#include <Clipboard.h>
#include <Region.h>
#include <StringView.h>
#include <TextView.h>

#include <cstring>

namespace BPrivate {

// --- the object

AccessibleText::AccessibleText(BTextView* view, Accessible* parent)
	: AccessibleView(view, parent, _RoleOf(view), kInterfaceText)
{
	std::lock_guard<std::mutex> lock(fLock);
	_PublishFrom(view);
}

AtkRole AccessibleText::_RoleOf(const BTextView* view)
{
	const bool reachable = (view->Flags() & B_NAVIGABLE) != 0 || view->IsSelectable();
	if (!reachable)
		return ATK_ROLE_LABEL;
	if (!view->IsEditable())
		return ATK_ROLE_TEXT;
	return view->DoesWordWrap() ? ATK_ROLE_TEXT : ATK_ROLE_ENTRY;
}

bool AccessibleText::Refresh()
{
	if (!AccessibleView::Refresh())
		return false;
	auto* view = static_cast<BTextView*>(View());
	uint64 states = fStates;
	states |= Bit(view->DoesWordWrap() ? ATK_STATE_MULTI_LINE : ATK_STATE_SINGLE_LINE);
	states |= Bit(view->IsEditable() ? ATK_STATE_EDITABLE : ATK_STATE_READ_ONLY);
	if (view->IsSelectable())
		states |= Bit(ATK_STATE_SELECTABLE_TEXT) | Bit(ATK_STATE_FOCUSABLE);
	fStates = states;
	if (Role() == ATK_ROLE_LABEL) {
		fName = view->Text();
	} else {
		const BStringView* label = AccessibleLabel::LabelOf(view);
		fName = label != nullptr ? label->Text() : "";
	}
	return true;
}

void AccessibleText::AddRelations(AtkRelationSet* relations)
{
	WithWindow([&] {
		BView* view = View();
		BStringView* label = view != nullptr ? AccessibleLabel::LabelOf(view) : nullptr;
		if (Accessible* source = AccessibleView::Find(label, Window()))
			atk_relation_set_add_relation_by_type(relations, ATK_RELATION_LABELLED_BY, source->Atk());
	});
}

// --- publishing and announcing

void AccessibleText::_PublishFrom(const BTextView* view)
{
	fText = view->Text();
	fCaret = AccessibleLinks::CaretOf(view);
	int32 start = 0;
	int32 end = 0;
	view->GetSelection(&start, &end);
	fAnchor = fCaret == start ? end : start;
	fLineStarts.clear();
	const TextLayout& layout = view->Layout();
	for (int32 line = 1; line < layout.CountLines(); line++)
		fLineStarts.push_back(std::min(layout.LineStart(line), (int32)fText.size()));
}

void AccessibleText::Publish(uint32 changes)
{
	auto* view = static_cast<BTextView*>(View());
	if (!(changes & kAccessibleText) || view == nullptr)
		return;
	std::lock_guard<std::mutex> lock(fLock);
	const std::string before = fText;
	const int32 caret = fCaret;
	const int32 anchor = fAnchor;
	_PublishFrom(view);
	_NoteEdits(before, fText);
	fCaretMoved = fCaretMoved || fCaret != caret;
	fSelectionChanged = fSelectionChanged || fAnchor != anchor || (fCaret != caret
		&& fAnchor != fCaret);
}

// One deletion and one insertion, between the longest common start and end,
// both at character boundaries.
void AccessibleText::_NoteEdits(const std::string& before, const std::string& after)
{
	if (before == after)
		return;
	auto isContinuation = [](const std::string& text, size_t at) {
		return at < text.size() && (uint8(text[at]) & 0xc0) == 0x80;
	};
	size_t prefix = 0;
	while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
		prefix++;
	while (prefix > 0 && (isContinuation(before, prefix) || isContinuation(after, prefix)))
		prefix--;
	size_t suffix = 0;
	const size_t room = std::min(before.size(), after.size()) - prefix;
	while (suffix < room && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
		suffix++;
	while (suffix > 0 && (isContinuation(before, before.size() - suffix)
		|| isContinuation(after, after.size() - suffix)))
		suffix--;
	const int32 offset = TextBreaks(before).CharacterIndex((int32)prefix);
	const std::string removed = before.substr(prefix, before.size() - suffix - prefix);
	const std::string inserted = after.substr(prefix, after.size() - suffix - prefix);
	if (!removed.empty())
		fChanges.push_back({false, offset, TextBreaks(removed).CountCharacters(), removed});
	if (!inserted.empty())
		fChanges.push_back({true, offset, TextBreaks(inserted).CountCharacters(), inserted});
}

void AccessibleText::Announce(uint32 changes)
{
	std::vector<Change> edits;
	bool caretMoved;
	bool selectionChanged;
	{
		std::lock_guard<std::mutex> lock(fLock);
		edits.swap(fChanges);
		caretMoved = std::exchange(fCaretMoved, false);
		selectionChanged = std::exchange(fSelectionChanged, false);
	}
	for (const Change& edit : edits) {
		g_signal_emit_by_name(Atk(), edit.inserted ? "text-insert" : "text-remove", edit.offset,
			edit.length, edit.text.c_str());
	}
	if (caretMoved)
		g_signal_emit_by_name(Atk(), "text-caret-moved", Caret());
	if (selectionChanged)
		g_signal_emit_by_name(Atk(), "text-selection-changed");
	AccessibleView::Announce(changes);
}

// --- what AtkText asks

TextRanges AccessibleText::Ranges()
{
	std::lock_guard<std::mutex> lock(fLock);
	return TextRanges(fText, fLineStarts);
}

int32 AccessibleText::Caret()
{
	std::lock_guard<std::mutex> lock(fLock);
	return TextBreaks(fText).CharacterIndex(fCaret);
}

bool AccessibleText::Selection(int32* start, int32* end)
{
	std::lock_guard<std::mutex> lock(fLock);
	if (fCaret == fAnchor)
		return false;
	const TextBreaks breaks(fText);
	*start = breaks.CharacterIndex(std::min(fCaret, fAnchor));
	*end = breaks.CharacterIndex(std::max(fCaret, fAnchor));
	return true;
}

bool AccessibleText::Select(int32 start, int32 end)
{
	return Edit([&](BTextView* view, const TextRanges& ranges) {
		view->Select(ranges.ToByte(std::min(start, end)), ranges.ToByte(std::max(start, end)));
	});
}

bool AccessibleText::Edit(const std::function<void(BTextView*, const TextRanges&)>& edit)
{
	bool done = false;
	WithWindow([&] {
		auto* view = static_cast<BTextView*>(View());
		if (view == nullptr)
			return;
		edit(view, TextRanges(view->Text()));
		done = true;
	});
	return done;
}

BRect AccessibleText::RangeFrame(int32 start, int32 end)
{
	BRect frame;
	WithWindow([&] {
		auto* view = static_cast<BTextView*>(View());
		if (view == nullptr)
			return;
		const TextRanges ranges(view->Text());
		const int32 from = ranges.ToByte(start);
		const int32 to = ranges.ToByte(end);
		BRegion region;
		view->GetTextRegion(from, to, &region);
		BRect local = region.Frame();
		if (!local.IsValid() || from == to) {
			float height = 0;
			const BPoint caret = view->PointAt(from, &height);
			local = BRect(caret.x, caret.y, caret.x, caret.y + std::max(height, 1.0f) - 1);
		}
		frame = ToScreenPixels(view->ConvertToScreen(local));
	});
	return frame;
}

int32 AccessibleText::OffsetAt(BPoint screenPoint)
{
	int32 offset = -1;
	WithWindow([&] {
		auto* view = static_cast<BTextView*>(View());
		if (view == nullptr)
			return;
		const float scale = DisplayServer::Get().Scale();
		const BPoint where = view->ConvertFromScreen(
			BPoint(screenPoint.x / scale, screenPoint.y / scale));
		if (!view->Bounds().Contains(where))
			return;
		offset = TextRanges(view->Text()).ToCharacter(view->OffsetAt(where));
	});
	return offset;
}

// --- the ATK interfaces

namespace {

AccessibleText* TextOf(gpointer object)
{
	Accessible* node = Accessible::Of(ATK_OBJECT(object));
	return node != nullptr && !node->IsDefunct() ? dynamic_cast<AccessibleText*>(node) : nullptr;
}

TextRanges::Boundary BoundaryOf(AtkTextBoundary boundary)
{
	switch (boundary) {
		case ATK_TEXT_BOUNDARY_WORD_START: return TextRanges::kWordStart;
		case ATK_TEXT_BOUNDARY_WORD_END: return TextRanges::kWordEnd;
		case ATK_TEXT_BOUNDARY_SENTENCE_START: return TextRanges::kSentenceStart;
		case ATK_TEXT_BOUNDARY_SENTENCE_END: return TextRanges::kSentenceEnd;
		case ATK_TEXT_BOUNDARY_LINE_START: return TextRanges::kLineStart;
		case ATK_TEXT_BOUNDARY_LINE_END: return TextRanges::kLineEnd;
		default: return TextRanges::kCharacter;
	}
}

TextRanges::Boundary BoundaryOf(AtkTextGranularity granularity)
{
	switch (granularity) {
		case ATK_TEXT_GRANULARITY_WORD: return TextRanges::kWordStart;
		case ATK_TEXT_GRANULARITY_SENTENCE: return TextRanges::kSentenceStart;
		case ATK_TEXT_GRANULARITY_LINE: return TextRanges::kLineStart;
		case ATK_TEXT_GRANULARITY_PARAGRAPH: return TextRanges::kParagraph;
		default: return TextRanges::kCharacter;
	}
}

gchar* Piece(AtkText* text, TextRanges::Boundary boundary, TextRanges::Which which, gint offset,
	gint* start, gint* end)
{
	AccessibleText* node = TextOf(text);
	int32 from = 0;
	int32 to = 0;
	std::string piece;
	if (node != nullptr) {
		const TextRanges ranges = node->Ranges();
		ranges.Piece(boundary, which, offset, &from, &to);
		piece = ranges.Between(from, to);
	}
	*start = from;
	*end = to;
	return g_strdup(piece.c_str());
}

gchar* GetText(AtkText* text, gint start, gint end)
{
	AccessibleText* node = TextOf(text);
	return g_strdup(node != nullptr ? node->Ranges().Between(start, end).c_str() : "");
}

gchar* TextAfter(AtkText* text, gint offset, AtkTextBoundary boundary, gint* start, gint* end)
{
	return Piece(text, BoundaryOf(boundary), TextRanges::kAfter, offset, start, end);
}

gchar* TextAt(AtkText* text, gint offset, AtkTextBoundary boundary, gint* start, gint* end)
{
	return Piece(text, BoundaryOf(boundary), TextRanges::kAt, offset, start, end);
}

gchar* TextBefore(AtkText* text, gint offset, AtkTextBoundary boundary, gint* start, gint* end)
{
	return Piece(text, BoundaryOf(boundary), TextRanges::kBefore, offset, start, end);
}

gchar* StringAt(AtkText* text, gint offset, AtkTextGranularity granularity, gint* start,
	gint* end)
{
	return Piece(text, BoundaryOf(granularity), TextRanges::kAt, offset, start, end);
}

gunichar CharacterAt(AtkText* text, gint offset)
{
	AccessibleText* node = TextOf(text);
	const std::string character = node != nullptr ? node->Ranges().Between(offset, offset + 1) : "";
	const gunichar c = g_utf8_get_char_validated(character.c_str(), (gssize)character.size());
	return c < 0x110000 ? c : 0xfffd;
}

gint CharacterCount(AtkText* text)
{
	AccessibleText* node = TextOf(text);
	return node != nullptr ? node->Ranges().CountCharacters() : 0;
}

gint CaretOffset(AtkText* text)
{
	AccessibleText* node = TextOf(text);
	return node != nullptr ? node->Caret() : 0;
}

gboolean SetCaretOffset(AtkText* text, gint offset)
{
	AccessibleText* node = TextOf(text);
	return node != nullptr && node->Select(offset, offset);
}

gint SelectionCount(AtkText* text)
{
	AccessibleText* node = TextOf(text);
	int32 start, end;
	return node != nullptr && node->Selection(&start, &end) ? 1 : 0;
}

gchar* GetSelection(AtkText* text, gint index, gint* start, gint* end)
{
	AccessibleText* node = TextOf(text);
	int32 from = 0;
	int32 to = 0;
	if (node == nullptr || index != 0 || !node->Selection(&from, &to)) {
		*start = *end = 0;
		return nullptr;
	}
	*start = from;
	*end = to;
	return g_strdup(node->Ranges().Between(from, to).c_str());
}

gboolean SetSelection(AtkText* text, gint index, gint start, gint end)
{
	AccessibleText* node = TextOf(text);
	return node != nullptr && index == 0 && node->Select(start, end);
}

gboolean AddSelection(AtkText* text, gint start, gint end)
{
	return SetSelection(text, 0, start, end);
}

gboolean RemoveSelection(AtkText* text, gint index)
{
	AccessibleText* node = TextOf(text);
	return node != nullptr && index == 0 && node->Select(node->Caret(), node->Caret());
}

void Extents(AccessibleText* node, BRect frame, gint* x, gint* y, gint* width, gint* height,
	AtkCoordType coordinates)
{
	if (!frame.IsValid())
		frame = BRect(0, 0, -1, -1);
	else if (coordinates == ATK_XY_WINDOW && node->Window() != nullptr) {
		const BRect window = node->Window()->ScreenFrame();
		frame.OffsetBy(-window.left, -window.top);
	}
	*x = (gint)frame.left;
	*y = (gint)frame.top;
	*width = (gint)frame.Width() + 1;
	*height = (gint)frame.Height() + 1;
}

void CharacterExtents(AtkText* text, gint offset, gint* x, gint* y, gint* width, gint* height,
	AtkCoordType coordinates)
{
	AccessibleText* node = TextOf(text);
	*x = *y = *width = *height = 0;
	if (node != nullptr)
		Extents(node, node->RangeFrame(offset, offset + 1), x, y, width, height, coordinates);
}

void RangeExtents(AtkText* text, gint start, gint end, AtkCoordType coordinates,
	AtkTextRectangle* rect)
{
	AccessibleText* node = TextOf(text);
	rect->x = rect->y = rect->width = rect->height = 0;
	if (node != nullptr) {
		Extents(node, node->RangeFrame(start, end), &rect->x, &rect->y, &rect->width,
			&rect->height, coordinates);
	}
}

gint OffsetAtPoint(AtkText* text, gint x, gint y, AtkCoordType coordinates)
{
	AccessibleText* node = TextOf(text);
	if (node == nullptr)
		return -1;
	BPoint where(x, y);
	if (coordinates == ATK_XY_WINDOW && node->Window() != nullptr)
		where += node->Window()->ScreenFrame().LeftTop();
	return node->OffsetAt(where);
}

void SetTextContents(AtkEditableText* text, const gchar* string)
{
	if (AccessibleText* node = TextOf(text)) {
		node->Edit([&](BTextView* view, const TextRanges&) {
			if (view->IsEditable())
				view->SetText(string);
		});
	}
}

void InsertText(AtkEditableText* text, const gchar* string, gint length, gint* position)
{
	AccessibleText* node = TextOf(text);
	if (node == nullptr || string == nullptr)
		return;
	const int32 bytes = length < 0 ? (int32)strlen(string) : length;
	node->Edit([&](BTextView* view, const TextRanges& ranges) {
		if (!view->IsEditable())
			return;
		const int32 before = view->TextLength();
		view->Insert(ranges.ToByte(*position), string, bytes);
		// The byte limit may have cut what went in.
		const size_t inserted = (size_t)std::max(0, (int)(view->TextLength() - before));
		*position += TextBreaks(std::string_view(string, inserted)).CountCharacters();
	});
}

void DeleteText(AtkEditableText* text, gint start, gint end)
{
	if (AccessibleText* node = TextOf(text)) {
		node->Edit([&](BTextView* view, const TextRanges& ranges) {
			if (view->IsEditable())
				view->Delete(ranges.ToByte(start), ranges.ToByte(end < 0 ? ranges.CountCharacters()
					: end));
		});
	}
}

void Clipboard(AtkEditableText* text, gint start, gint end, bool remove)
{
	if (AccessibleText* node = TextOf(text)) {
		node->Edit([&](BTextView* view, const TextRanges& ranges) {
			view->Select(ranges.ToByte(start), ranges.ToByte(end));
			if (remove && view->IsEditable())
				view->Cut(be_clipboard);
			else
				view->Copy(be_clipboard);
		});
	}
}

void CopyText(AtkEditableText* text, gint start, gint end)
{
	Clipboard(text, start, end, false);
}

void CutText(AtkEditableText* text, gint start, gint end)
{
	Clipboard(text, start, end, true);
}

void PasteText(AtkEditableText* text, gint position)
{
	if (AccessibleText* node = TextOf(text)) {
		node->Edit([&](BTextView* view, const TextRanges& ranges) {
			view->Select(ranges.ToByte(position), ranges.ToByte(position));
			view->Paste(be_clipboard);
		});
	}
}

}  // namespace

void AccessibleText::InitTextInterface(gpointer iface_data, gpointer)
{
	auto* iface = static_cast<AtkTextIface*>(iface_data);
	iface->get_text = GetText;
	iface->get_text_after_offset = TextAfter;
	iface->get_text_at_offset = TextAt;
	iface->get_text_before_offset = TextBefore;
	iface->get_string_at_offset = StringAt;
	iface->get_character_at_offset = CharacterAt;
	iface->get_character_count = CharacterCount;
	iface->get_caret_offset = CaretOffset;
	iface->set_caret_offset = SetCaretOffset;
	iface->get_n_selections = SelectionCount;
	iface->get_selection = GetSelection;
	iface->add_selection = AddSelection;
	iface->remove_selection = RemoveSelection;
	iface->set_selection = SetSelection;
	iface->get_character_extents = CharacterExtents;
	iface->get_range_extents = RangeExtents;
	iface->get_offset_at_point = OffsetAtPoint;
}

void AccessibleText::InitEditableInterface(gpointer iface_data, gpointer)
{
	auto* iface = static_cast<AtkEditableTextIface*>(iface_data);
	iface->set_text_contents = SetTextContents;
	iface->insert_text = InsertText;
	iface->delete_text = DeleteText;
	iface->copy_text = CopyText;
	iface->cut_text = CutText;
	iface->paste_text = PasteText;
}

}  // namespace BPrivate
