// Sections: making; the glyphs; lines; carets and ranges; runs.
#include "TextLayout.h"

#include <fribidi.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <math.h>

namespace {

constexpr double kScale = PANGO_SCALE;

float Pixels(int32 units)
{
	return (float)(units / kScale);
}

// The one script of text that may be shaped as a single run of its font:
// Latin, Greek or Cyrillic letters (or none) with the signs common to all,
// nothing right to left, no controls, no soft hyphens; else
// G_UNICODE_SCRIPT_INVALID_CODE.
GUnicodeScript OneRunScript(std::string_view text)
{
	GUnicodeScript found = G_UNICODE_SCRIPT_COMMON;
	const char* const end = text.data() + text.size();
	for (const char* p = text.data(); p < end; p = g_utf8_next_char(p)) {
		const gunichar c = g_utf8_get_char(p);
		if (c < 0x20 || (c >= 0x7f && c < 0xa0) || c == 0xad || (c >= 0x590 && c < 0x1e00)
			|| c >= 0x2000)
			return G_UNICODE_SCRIPT_INVALID_CODE;
		const GUnicodeScript script = g_unichar_get_script(c);
		if (script == G_UNICODE_SCRIPT_COMMON)
			continue;
		if ((script != G_UNICODE_SCRIPT_LATIN && script != G_UNICODE_SCRIPT_GREEK
				&& script != G_UNICODE_SCRIPT_CYRILLIC)
			|| (found != G_UNICODE_SCRIPT_COMMON && found != script))
			return G_UNICODE_SCRIPT_INVALID_CODE;
		found = script;
	}
	return text.empty() ? G_UNICODE_SCRIPT_INVALID_CODE : found;
}

// The direction of the first strong character, as the library's layouts take a
// paragraph's (left to right without one).
PangoDirection BaseDirection(std::string_view text)
{
	const char* const end = text.data() + text.size();
	for (const char* p = text.data(); p < end; p = g_utf8_next_char(p)) {
		const FriBidiCharType type = fribidi_get_bidi_type(g_utf8_get_char(p));
		if (FRIBIDI_IS_STRONG(type))
			return FRIBIDI_IS_RTL(type) ? PANGO_DIRECTION_RTL : PANGO_DIRECTION_LTR;
	}
	return PANGO_DIRECTION_LTR;
}

}  // namespace

// --- making

TextLayout::TextLayout(const TextFont& font, std::string_view text, float wrapWidth)
	: fText(text),
	  fFontSize(font.size),
	  fWrapWidth(wrapWidth)
{
	TextEngine& engine = TextEngine::Default();
	auto lock = engine.Lock();
	fDescription = engine.Description(font);
	if (!TextBreaks::IsWellFormed(text)) {
		std::vector<int32> offsets;
		fRepaired = TextBreaks::Repaired(text, &offsets);
		fToLayout = offsets;
		fFromLayout.assign(fRepaired.size() + 1, (int32)text.size());
		for (size_t i = 0; i < text.size(); i++) {
			for (int32 j = offsets[i]; j < offsets[i + 1]; j++)
				fFromLayout[(size_t)j] = (int32)i;
		}
	}
	if (wrapWidth == kOneLine && (_ShapeAsOneRun(font) || _ShapeItems()))
		return;
	_Pango();
	_TakeLines();
	_TakeGlyphRuns();
}

TextLayout::~TextLayout()
{
	auto lock = TextEngine::Default().Lock();
	for (const GlyphRun& run : fGlyphRuns)
		g_object_unref(run.font);
	if (fLayout != nullptr)
		g_object_unref(fLayout);
}

// The library's whole layout: made at once for most text, on the first
// question for text shaped as one run.
PangoLayout* TextLayout::_Pango() const
{
	if (fLayout != nullptr)
		return fLayout;
	fLayout = pango_layout_new(TextEngine::Default().Context());
	pango_layout_set_font_description(fLayout, fDescription);
	if (fWrapWidth == kOneLine)
		pango_layout_set_single_paragraph_mode(fLayout, TRUE);
	if (fWrapWidth > 0) {
		pango_layout_set_width(fLayout, (int)lround(fWrapWidth * kScale));
		pango_layout_set_wrap(fLayout, PANGO_WRAP_WORD_CHAR);
	}
	pango_layout_set_text(fLayout, _Shown().data(), (int)_Shown().size());
	PangoAttrList* attributes = TextEngine::AttributesFor(_Shown());
	pango_layout_set_attributes(fLayout, attributes);
	pango_attr_list_unref(attributes);
	return fLayout;
}

// Shapes the text as the library's layout would shape its single item: the same
// analysis (font, script, direction, attributes), so the same glyphs where they
// are, without the rest of the layout's work.
bool TextLayout::_ShapeAsOneRun(const TextFont& font)
{
	const GUnicodeScript script = OneRunScript(_Shown());
	if (script == G_UNICODE_SCRIPT_INVALID_CODE)
		return false;
	const PangoAnalysis* analysis = TextEngine::Default().PlainAnalysis(font, script);
	if (analysis == nullptr)
		return false;
	const std::string& text = _Shown();
	PangoGlyphString* glyphs = TextEngine::Default().ScratchGlyphs();
	pango_shape_with_flags(text.data(), (int)text.size(), text.data(), (int)text.size(), analysis,
		glyphs, PANGO_SHAPE_ROUND_POSITIONS);
	// A character the font lacks would have come from another font.
	for (int i = 0; i < glyphs->num_glyphs; i++) {
		const PangoGlyph glyph = glyphs->glyphs[i].glyph;
		if (glyph == 0 || (glyph & PANGO_GLYPH_UNKNOWN_FLAG))
			return false;
	}
	fLines.push_back({0, (int32)text.size(), 0, pango_glyph_string_get_width(glyphs)});
	_AddGlyphRun(analysis->font, 0, 0, (int32)text.size(), false, glyphs, 0);
	return true;
}

// Shapes one line as the library's layout would: split into items of one
// script, direction and font, each shaped, put in the bidirectional order. The
// rest of the layout's work waits for a question that needs it.
bool TextLayout::_ShapeItems()
{
	const char* const text = _Shown().data();
	const int length = (int)_Shown().size();
	for (const char* p = text; p < text + length; p = g_utf8_next_char(p)) {
		// Breaks and tabs are the layout's to show.
		const gunichar c = g_utf8_get_char(p);
		if (c < 0x20 || c == 0x85 || c == 0x2028 || c == 0x2029)
			return false;
	}
	PangoAttrList* attributes = TextEngine::AttributesFor(_Shown());
	pango_attr_list_insert_before(attributes, pango_attr_font_desc_new(fDescription));
	GList* items = pango_itemize_with_base_dir(TextEngine::Default().Context(),
		BaseDirection(_Shown()), text, 0, length, attributes, nullptr);
	pango_attr_list_unref(attributes);
	GList* visual = pango_reorder_items(items);
	PangoGlyphString* glyphs = TextEngine::Default().ScratchGlyphs();
	int32 pen = 0;
	for (GList* entry = visual; entry != nullptr; entry = entry->next) {
		const PangoItem* item = static_cast<const PangoItem*>(entry->data);
		pango_shape_with_flags(text + item->offset, item->length, text, length, &item->analysis,
			glyphs, PANGO_SHAPE_ROUND_POSITIONS);
		_AddGlyphRun(item->analysis.font, 0, item->offset, item->offset + item->length,
			item->analysis.level % 2 == 1, glyphs, pen);
		pen += pango_glyph_string_get_width(glyphs);
	}
	g_list_free(visual);
	g_list_free_full(items, reinterpret_cast<GDestroyNotify>(pango_item_free));
	fLines.push_back({0, length, 0, pen});
	return true;
}

// --- the glyphs

void TextLayout::_AddGlyphRun(PangoFont* font, int32 line, int32 start, int32 end,
	bool rightToLeft, const PangoGlyphString* glyphs, int32 left)
{
	GlyphRun run{static_cast<PangoFont*>(g_object_ref(font)), line, start, end, rightToLeft, {}};
	run.glyphs.reserve((size_t)glyphs->num_glyphs);
	int32 pen = left;
	for (int first = 0; first < glyphs->num_glyphs;) {
		// The glyphs of one cluster lie together, in either direction.
		int last = first + 1;
		int32 advance = glyphs->glyphs[first].geometry.width;
		while (last < glyphs->num_glyphs && glyphs->log_clusters[last] == glyphs->log_clusters[first])
			advance += glyphs->glyphs[last++].geometry.width;
		const int32 clusterLeft = pen;
		for (int i = first; i < last; i++) {
			const PangoGlyphInfo& info = glyphs->glyphs[i];
			run.glyphs.push_back({info.glyph, pen + info.geometry.x_offset, info.geometry.y_offset,
				info.geometry.width, clusterLeft, clusterLeft + advance});
			pen += info.geometry.width;
		}
		first = last;
	}
	fGlyphRuns.push_back(std::move(run));
}

void TextLayout::_TakeLines()
{
	PangoLayoutIter* iter = pango_layout_get_iter(fLayout);
	do {
		const PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
		PangoRectangle logical;
		pango_layout_iter_get_line_extents(iter, nullptr, &logical);
		fLines.push_back({line->start_index, line->length, logical.x, logical.width});
	} while (pango_layout_iter_next_line(iter));
	pango_layout_iter_free(iter);
}

void TextLayout::_TakeGlyphRuns()
{
	for (int32 line = 0; line < CountLines(); line++) {
		const PangoLayoutLine* found = pango_layout_get_line_readonly(fLayout, line);
		int32 left = fLines[(size_t)line].left;
		for (GSList* item = found->runs; item != nullptr; item = item->next) {
			const auto* run = static_cast<const PangoGlyphItem*>(item->data);
			_AddGlyphRun(run->item->analysis.font, line, run->item->offset,
				run->item->offset + run->item->length, run->item->analysis.level % 2 == 1,
				run->glyphs, left);
			left += pango_glyph_string_get_width(run->glyphs);
		}
	}
}

int32 TextLayout::_ToLayout(int32 offset) const
{
	offset = std::clamp(offset, (int32)0, (int32)fText.size());
	return fToLayout.empty() ? offset : fToLayout[(size_t)offset];
}

int32 TextLayout::_FromLayout(int32 index) const
{
	if (fFromLayout.empty())
		return std::clamp(index, (int32)0, (int32)fText.size());
	return fFromLayout[(size_t)std::clamp(index, (int32)0, (int32)fFromLayout.size() - 1)];
}

const TextBreaks& TextLayout::Breaks() const
{
	auto lock = TextEngine::Default().Lock();
	if (!fBreaks)
		fBreaks = std::make_unique<TextBreaks>(fText);
	return *fBreaks;
}

// --- lines

int32 TextLayout::_Clamp(int32 line) const
{
	return std::clamp(line, (int32)0, CountLines() - 1);
}

float TextLayout::Width() const
{
	int32 widest = 0;
	for (const Line& line : fLines)
		widest = std::max(widest, line.width);
	return Pixels(widest);
}

int32 TextLayout::LineStart(int32 line) const
{
	return _FromLayout(fLines[(size_t)_Clamp(line)].start);
}

int32 TextLayout::LineEnd(int32 line) const
{
	const Line& found = fLines[(size_t)_Clamp(line)];
	return _FromLayout(found.start + found.length);
}

int32 TextLayout::LineAt(int32 offset) const
{
	const int32 index = _ToLayout(offset);
	const auto after = std::upper_bound(fLines.begin(), fLines.end(), index,
		[](int32 value, const Line& line) { return value < line.start; });
	return _Clamp((int32)(after - fLines.begin()) - 1);
}

float TextLayout::LineLeft(int32 line) const
{
	return Pixels(fLines[(size_t)_Clamp(line)].left);
}

float TextLayout::LineWidth(int32 line) const
{
	return Pixels(fLines[(size_t)_Clamp(line)].width);
}

// --- carets and ranges

float TextLayout::CaretX(int32 offset) const
{
	const int32 index = _ToLayout(Breaks().SnapToCluster(offset));
	auto lock = TextEngine::Default().Lock();
	PangoRectangle strong;
	pango_layout_get_cursor_pos(_Pango(), index, &strong, nullptr);
	return Pixels(strong.x);
}

int32 TextLayout::OffsetAt(int32 line, float x) const
{
	line = _Clamp(line);
	auto lock = TextEngine::Default().Lock();
	PangoLayoutLine* found = pango_layout_get_line_readonly(_Pango(), line);
	int index = 0;
	int trailing = 0;
	pango_layout_line_x_to_index(found, (int)lround(x * kScale) - fLines[(size_t)line].left,
		&index, &trailing);
	const char* text = pango_layout_get_text(fLayout);
	const char* at = g_utf8_offset_to_pointer(text + index, trailing);
	return _FromLayout((int32)(at - text));
}

int32 TextLayout::MoveVisually(int32 offset, bool right) const
{
	const int32 index = _ToLayout(Breaks().SnapToCluster(offset));
	auto lock = TextEngine::Default().Lock();
	int moved = 0;
	int trailing = 0;
	pango_layout_move_cursor_visually(_Pango(), TRUE, index, 0, right ? 1 : -1, &moved,
		&trailing);
	if (moved < 0 || moved == G_MAXINT)
		return offset;
	const char* text = pango_layout_get_text(fLayout);
	return _FromLayout((int32)(g_utf8_offset_to_pointer(text + moved, trailing) - text));
}

std::vector<TextLayout::Span> TextLayout::RangeSpans(int32 start, int32 end) const
{
	std::vector<Span> spans;
	const int32 from = _ToLayout(std::min(start, end));
	const int32 to = _ToLayout(std::max(start, end));
	auto lock = TextEngine::Default().Lock();
	for (int32 line = 0; line < CountLines(); line++) {
		// A line owns the text up to the next line's start, its break included.
		const int32 lineStart = fLines[(size_t)line].start;
		const int32 next = line + 1 < CountLines() ? fLines[(size_t)line + 1].start : INT32_MAX;
		if (std::max(from, lineStart) >= std::min(to, next))
			continue;
		int* ranges = nullptr;
		int count = 0;
		pango_layout_line_get_x_ranges(pango_layout_get_line_readonly(_Pango(), line),
			std::max(from, lineStart), to, &ranges, &count);
		for (int i = 0; i < count; i++)
			spans.push_back({line, Pixels(ranges[2 * i]), Pixels(ranges[2 * i + 1])});
		g_free(ranges);
	}
	return spans;
}

// --- runs

std::vector<TextLayout::Run> TextLayout::Runs(int32 line) const
{
	std::vector<Run> runs;
	auto lock = TextEngine::Default().Lock();
	for (const GlyphRun& glyphRun : fGlyphRuns) {
		if (glyphRun.line != _Clamp(line))
			continue;
		PangoFontDescription* font = pango_font_describe(glyphRun.font);
		const char* family = pango_font_description_get_family(font);
		Run run{_FromLayout(glyphRun.start), _FromLayout(glyphRun.end), glyphRun.rightToLeft,
			family != nullptr ? family : "", 0, 0, (int32)glyphRun.glyphs.size(), 0};
		pango_font_description_free(font);
		int32 advance = 0;
		for (const Glyph& glyph : glyphRun.glyphs) {
			advance += glyph.advance;
			if (glyph.id != PANGO_GLYPH_EMPTY
				&& (glyph.id == 0 || (glyph.id & PANGO_GLYPH_UNKNOWN_FLAG)))
				run.missingGlyphs++;
		}
		if (!glyphRun.glyphs.empty())
			run.left = Pixels(glyphRun.glyphs.front().clusterLeft);
		run.width = Pixels(advance);
		runs.push_back(run);
	}
	return runs;
}
