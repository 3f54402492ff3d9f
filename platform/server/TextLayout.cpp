// Sections: making; lines; carets and ranges; runs; drawing.
#include "TextLayout.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <math.h>

namespace {

constexpr double kScale = PANGO_SCALE;

float Pixels(int32 units)
{
	return (float)(units / kScale);
}

// Scripts whose text kept FreeType's plain advances: no kerning, no optional
// ligatures there, so that their widths stay what the layouts were made for.
// Other scripts are shaped with everything their fonts offer.
bool KeepsPlainAdvances(gunichar c)
{
	switch (g_unichar_get_script(c)) {
		case G_UNICODE_SCRIPT_COMMON:
		case G_UNICODE_SCRIPT_INHERITED:
		case G_UNICODE_SCRIPT_LATIN:
		case G_UNICODE_SCRIPT_GREEK:
		case G_UNICODE_SCRIPT_CYRILLIC:
			return true;
		default:
			return false;
	}
}

}  // namespace

// --- making

TextLayout::TextLayout(const TextFont& font, std::string_view text, float wrapWidth)
	: fText(text),
	  fFontSize(font.size)
{
	TextEngine& engine = TextEngine::Default();
	auto lock = engine.Lock();
	std::vector<int32> offsets;
	const std::string repaired = TextBreaks::Repaired(text, &offsets);
	if (repaired != text) {
		fToLayout = offsets;
		fFromLayout.assign(repaired.size() + 1, (int32)text.size());
		for (size_t i = 0; i < text.size(); i++) {
			for (int32 j = offsets[i]; j < offsets[i + 1]; j++)
				fFromLayout[(size_t)j] = (int32)i;
		}
	}
	fLayout = pango_layout_new(engine.Context());
	pango_layout_set_font_description(fLayout, engine.Description(font));
	if (wrapWidth == kOneLine)
		pango_layout_set_single_paragraph_mode(fLayout, TRUE);
	if (wrapWidth > 0) {
		pango_layout_set_width(fLayout, (int)lround(wrapWidth * kScale));
		pango_layout_set_wrap(fLayout, PANGO_WRAP_WORD_CHAR);
	}
	pango_layout_set_text(fLayout, repaired.data(), (int)repaired.size());
	_SetAttributes(repaired);
	_TakeLines();
}

TextLayout::~TextLayout()
{
	auto lock = TextEngine::Default().Lock();
	g_object_unref(fLayout);
}

void TextLayout::_SetAttributes(std::string_view text)
{
	PangoAttrList* attributes = pango_attr_list_new();
	const char* const begin = text.data();
	const char* const end = begin + text.size();
	for (const char* p = begin; p < end;) {
		// One attribute for each stretch of text in the plain scripts.
		while (p < end && !KeepsPlainAdvances(g_utf8_get_char(p)))
			p = g_utf8_next_char(p);
		const char* start = p;
		while (p < end && KeepsPlainAdvances(g_utf8_get_char(p)))
			p = g_utf8_next_char(p);
		if (p > start) {
			PangoAttribute* plain = pango_attr_font_features_new("kern 0, liga 0, clig 0");
			plain->start_index = (guint)(start - begin);
			plain->end_index = (guint)(p - begin);
			pango_attr_list_insert(attributes, plain);
		}
	}
	pango_layout_set_attributes(fLayout, attributes);
	pango_attr_list_unref(attributes);
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
	pango_layout_get_cursor_pos(fLayout, index, &strong, nullptr);
	return Pixels(strong.x);
}

int32 TextLayout::OffsetAt(int32 line, float x) const
{
	line = _Clamp(line);
	auto lock = TextEngine::Default().Lock();
	PangoLayoutLine* found = pango_layout_get_line_readonly(fLayout, line);
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
	pango_layout_move_cursor_visually(fLayout, TRUE, index, 0, right ? 1 : -1, &moved,
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
		pango_layout_line_get_x_ranges(pango_layout_get_line_readonly(fLayout, line),
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
	const PangoLayoutLine* found = pango_layout_get_line_readonly(fLayout, _Clamp(line));
	int32 left = fLines[(size_t)_Clamp(line)].left;
	for (GSList* item = found->runs; item != nullptr; item = item->next) {
		const auto* run = static_cast<const PangoGlyphItem*>(item->data);
		PangoFontDescription* font = pango_font_describe(run->item->analysis.font);
		const char* family = pango_font_description_get_family(font);
		Run out{_FromLayout(run->item->offset), _FromLayout(run->item->offset + run->item->length),
			run->item->analysis.level % 2 == 1, family != nullptr ? family : "",
			Pixels(left), 0, run->glyphs->num_glyphs, 0};
		pango_font_description_free(font);
		const int32 width = pango_glyph_string_get_width(run->glyphs);
		out.width = Pixels(width);
		left += width;
		for (int i = 0; i < run->glyphs->num_glyphs; i++) {
			const PangoGlyph glyph = run->glyphs->glyphs[i].glyph;
			if (glyph != PANGO_GLYPH_EMPTY && (glyph == 0 || (glyph & PANGO_GLYPH_UNKNOWN_FLAG)))
				out.missingGlyphs++;
		}
		runs.push_back(out);
	}
	return runs;
}

// --- drawing

namespace {

// What no installed font can show: a hollow box the height of a capital, so the
// gap shows.
void DrawMissingGlyph(cairo_t* context, double x, double y, double advance, float size)
{
	const double height = std::max(2.0, std::round(size * 0.7));
	const double width = std::max(2.0, advance - 2);
	cairo_rectangle(context, x + 1, y - height, width, 1);
	cairo_rectangle(context, x + 1, y - 1, width, 1);
	cairo_rectangle(context, x + 1, y - height, 1, height);
	cairo_rectangle(context, x + width, y - height, 1, height);
	cairo_fill(context);
}

}  // namespace

void TextLayout::Draw(cairo_t* context, int32 line, double x, double y, double visibleLeft,
	double visibleRight) const
{
	TextEngine& engine = TextEngine::Default();
	auto lock = engine.Lock();
	line = _Clamp(line);
	const PangoLayoutLine* found = pango_layout_get_line_readonly(fLayout, line);
	std::vector<cairo_glyph_t> glyphs;
	int32 pen = fLines[(size_t)line].left;  // from the layout's left edge, in Pango units
	for (GSList* item = found->runs; item != nullptr; item = item->next) {
		const auto* run = static_cast<const PangoGlyphItem*>(item->data);
		const PangoGlyphString* string = run->glyphs;
		glyphs.clear();
		for (int first = 0; first < string->num_glyphs;) {
			// The glyphs of one cluster lie together, in either direction.
			int last = first + 1;
			int32 advance = string->glyphs[first].geometry.width;
			while (last < string->num_glyphs
				&& string->log_clusters[last] == string->log_clusters[first])
				advance += string->glyphs[last++].geometry.width;
			const double left = x + pen / kScale;
			const bool shown = left >= visibleLeft && left + advance / kScale <= visibleRight + 1;
			for (int i = first; i < last && shown; i++) {
				const PangoGlyphInfo& info = string->glyphs[i];
				const double glyphX = x + (pen + info.geometry.x_offset) / kScale;
				const double glyphY = y + info.geometry.y_offset / kScale;
				if (info.glyph == PANGO_GLYPH_EMPTY)
					;
				else if (info.glyph & PANGO_GLYPH_UNKNOWN_FLAG)
					DrawMissingGlyph(context, glyphX, y, info.geometry.width / kScale, fFontSize);
				else
					glyphs.push_back({info.glyph, glyphX, glyphY});
				pen += info.geometry.width;
			}
			if (!shown)
				pen += advance;
			first = last;
		}
		if (glyphs.empty())
			continue;
		cairo_set_scaled_font(context,
			pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(run->item->analysis.font)));
		cairo_show_glyphs(context, glyphs.data(), (int)glyphs.size());
	}
	engine.NoteDrawn(*this, line, (float)x, (float)y);
}
