#include "TextEngine.h"

#include "TextLayout.h"

#include <pango/pangocairo.h>

#include <math.h>

namespace {

std::string Lowered(const char* text)
{
	std::string lowered = text != nullptr ? text : "";
	for (char& c : lowered)
		c = (char)g_ascii_tolower(c);
	return lowered;
}

// What text of the scripts the windows were laid out for goes without.
const char* const kPlainFeatures = "kern 0, liga 0, clig 0";

// A character's script, signs common to all scripts (and marks) as Common.
GUnicodeScript LetterScript(gunichar c)
{
	const GUnicodeScript script = g_unichar_get_script(c);
	return script == G_UNICODE_SCRIPT_INHERITED ? G_UNICODE_SCRIPT_COMMON : script;
}

std::string KeyOf(const TextFont& font)
{
	return std::string(font.family) + '\n' + font.style + '\n'
		+ std::to_string(lroundf(font.size * PANGO_SCALE));
}

// "Bold Italic" and the like as weight, slant and width; the family is set
// apart, as a family name may hold words a description would read as a style.
PangoFontDescription* DescriptionOf(const TextFont& font)
{
	const std::string styled = std::string("Sans, ") + font.style;
	PangoFontDescription* description = pango_font_description_from_string(styled.c_str());
	pango_font_description_set_family(description, font.family);
	pango_font_description_set_absolute_size(description, font.size * PANGO_SCALE);
	return description;
}

// A font's own heights at its size, as hinting rounds them.
TextMetrics MetricsOf(PangoContext* context, const PangoFontDescription* description)
{
	TextMetrics result;
	PangoFont* font = pango_context_load_font(context, description);
	if (font == nullptr)
		return result;
	PangoFontMetrics* metrics = pango_font_get_metrics(font, nullptr);
	result.ascent = (float)pango_font_metrics_get_ascent(metrics) / PANGO_SCALE;
	result.descent = (float)pango_font_metrics_get_descent(metrics) / PANGO_SCALE;
	const float height = (float)pango_font_metrics_get_height(metrics) / PANGO_SCALE;
	result.leading = std::max(0.0f, height - result.ascent - result.descent);
	pango_font_metrics_unref(metrics);
	g_object_unref(font);
	return result;
}

}  // namespace

TextEngine& TextEngine::Default()
{
	static TextEngine* engine = new TextEngine;  // used by windows up to the very end
	return *engine;
}

TextEngine::TextEngine()
{
	fFontMap = pango_cairo_font_map_new();
	fContext = pango_font_map_create_context(fFontMap);
	// Hinted outlines and metrics, grey smoothing, glyphs on whole pixels: what
	// the FreeType path did, so that Latin text keeps its metrics and look.
	cairo_font_options_t* options = cairo_font_options_create();
	cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
	cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
	cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
	pango_cairo_context_set_font_options(fContext, options);
	cairo_font_options_destroy(options);
	pango_context_set_round_glyph_positions(fContext, TRUE);
	fScratchGlyphs = pango_glyph_string_new();
}

bool TextEngine::HasFamily(const char* family)
{
	auto lock = Lock();
	if (fFamilies.empty()) {
		PangoFontFamily** families = nullptr;
		int count = 0;
		pango_font_map_list_families(fFontMap, &families, &count);
		for (int i = 0; i < count; i++)
			fFamilies.push_back(Lowered(pango_font_family_get_name(families[i])));
		g_free(families);
	}
	const std::string wanted = Lowered(family);
	return std::find(fFamilies.begin(), fFamilies.end(), wanted) != fFamilies.end();
}

TextEngine::Font& TextEngine::_FontFor(const TextFont& font)
{
	// Nearly every text is in the plain font: no key to make for the last one.
	if (fLastFont != nullptr && font.size == fLastSize && fLastFamily == font.family
		&& fLastStyle == font.style)
		return *fLastFont;
	const std::string key = KeyOf(font);
	auto found = fFonts.find(key);
	if (found == fFonts.end()) {
		PangoFontDescription* description = DescriptionOf(font);
		Font entry{description, MetricsOf(fContext, description), (int32)fFonts.size()};
		found = fFonts.emplace(key, entry).first;
	}
	fLastFont = &found->second;
	fLastFamily = font.family;
	fLastStyle = font.style;
	fLastSize = font.size;
	return found->second;
}

const PangoFontDescription* TextEngine::Description(const TextFont& font)
{
	auto lock = Lock();
	return _FontFor(font).description;
}

const PangoAnalysis* TextEngine::PlainAnalysis(const TextFont& font, int32 script)
{
	auto lock = Lock();
	const Font& entry = _FontFor(font);
	const auto key = std::make_pair(entry.id, script);
	auto found = fPlainSamples.find(key);
	if (found == fPlainSamples.end())
		found = fPlainSamples.emplace(key, _PlainSample(entry.description, font.family, script)).first;
	if (found->second == nullptr)
		return nullptr;
	const PangoLayoutLine* line = pango_layout_get_line_readonly(found->second, 0);
	return &static_cast<const PangoGlyphItem*>(line->runs->data)->item->analysis;
}

// A letter of the script (a digit for the signs common to all), laid out as any
// text is; kept when the font itself covers it.
PangoLayout* TextEngine::_PlainSample(const PangoFontDescription* description,
	const char* family, int32 script)
{
	const char* sample = script == G_UNICODE_SCRIPT_LATIN ? "a"
		: script == G_UNICODE_SCRIPT_GREEK ? "\xce\xb1"
		: script == G_UNICODE_SCRIPT_CYRILLIC ? "\xd0\xb0" : "1";
	PangoLayout* layout = pango_layout_new(fContext);
	pango_layout_set_font_description(layout, description);
	pango_layout_set_text(layout, sample, -1);
	// The plain features over any text shaped with this item's analysis.
	PangoAttrList* attributes = pango_attr_list_new();
	pango_attr_list_insert(attributes, pango_attr_font_features_new(kPlainFeatures));
	pango_layout_set_attributes(layout, attributes);
	pango_attr_list_unref(attributes);
	const PangoLayoutLine* line = pango_layout_get_line_readonly(layout, 0);
	PangoFontDescription* used = pango_font_describe(
		static_cast<const PangoGlyphItem*>(line->runs->data)->item->analysis.font);
	const bool own = Lowered(pango_font_description_get_family(used)) == Lowered(family);
	pango_font_description_free(used);
	if (!own) {
		g_object_unref(layout);
		return nullptr;
	}
	return layout;
}

PangoAttrList* TextEngine::AttributesFor(std::string_view text)
{
	// Text of the scripts the windows were laid out for keeps FreeType's plain
	// advances: no kerning, no optional ligatures. Other scripts are shaped with
	// everything their fonts offer. Signs common to all scripts (spaces, digits)
	// go with the letters before them, or after them at the start, as the
	// library's own itemizing takes them.
	PangoAttrList* attributes = pango_attr_list_new();
	const char* const begin = text.data();
	const char* const end = begin + text.size();
	GUnicodeScript script = G_UNICODE_SCRIPT_COMMON;
	for (const char* p = begin; p < end && script == G_UNICODE_SCRIPT_COMMON;
		 p = g_utf8_next_char(p))
		script = LetterScript(g_utf8_get_char(p));
	const char* start = nullptr;  // of the plain stretch under way
	for (const char* p = begin; p <= end; p = g_utf8_next_char(p)) {
		if (p < end && LetterScript(g_utf8_get_char(p)) != G_UNICODE_SCRIPT_COMMON)
			script = LetterScript(g_utf8_get_char(p));
		const bool plain = p < end && (script == G_UNICODE_SCRIPT_COMMON
			|| script == G_UNICODE_SCRIPT_LATIN || script == G_UNICODE_SCRIPT_GREEK
			|| script == G_UNICODE_SCRIPT_CYRILLIC);
		if (plain && start == nullptr)
			start = p;
		if (!plain && start != nullptr) {
			PangoAttribute* attribute = pango_attr_font_features_new(kPlainFeatures);
			attribute->start_index = (guint)(start - begin);
			attribute->end_index = (guint)(p - begin);
			pango_attr_list_insert(attributes, attribute);
			start = nullptr;
		}
		if (p == end)
			break;
	}
	return attributes;
}

TextMetrics TextEngine::Metrics(const TextFont& font)
{
	auto lock = Lock();
	return _FontFor(font).metrics;
}

std::shared_ptr<const TextLayout> TextEngine::Line(const TextFont& font, std::string_view text)
{
	auto lock = Lock();
	const int32 id = _FontFor(font).id;
	auto found = fKeptByKey.find(KeptKey{id, text});
	if (found != fKeptByKey.end()) {
		fKept.splice(fKept.begin(), fKept, found->second);
		return found->second->layout;
	}
	auto layout = std::make_shared<const TextLayout>(font, text, TextLayout::kOneLine);
	fKept.push_front({id, layout});
	fKeptByKey.emplace(KeptKey{id, layout->Text()}, fKept.begin());
	if (fKept.size() > kKeptLines) {
		fKeptByKey.erase(KeptKey{fKept.back().font, fKept.back().layout->Text()});
		fKept.pop_back();
	}
	return layout;
}

float TextEngine::Width(const TextFont& font, std::string_view text)
{
	return text.empty() ? 0 : Line(font, text)->Width();
}

void TextEngine::SetDrawObserver(DrawObserver observer)
{
	auto lock = Lock();
	fObserver = std::move(observer);
}

void TextEngine::NoteDrawn(const TextLayout& layout, int32 line, float x, float baseline)
{
	auto lock = Lock();
	if (fObserver)
		fObserver(layout, line, x, baseline);
}
