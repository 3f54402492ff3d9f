// Names in the scripts of most of the world's people: every character a font
// covers is drawn with a glyph (never the empty box), emoji sequences as one
// picture, mixed directions in the bidirectional order, and the clusters that
// editing keeps whole.
#include "ScriptSamples.h"

#include <Painter.h>
#include <TextEngine.h>
#include <TextLayout.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

namespace {

const TextFont kSans{"Liberation Sans", "Regular", 10};
const uint32 kWhite = PackColor(255, 255, 255);

std::shared_ptr<const TextLayout> LineOf(const char* text)
{
	return TextEngine::Default().Line(kSans, text);
}

TEST(Scripts, EveryCharacterAnInstalledFontCoversGetsAGlyph)
{
	for (const ScriptSample& sample : kScriptSamples) {
		const auto layout = LineOf(sample.text);
		int32 missing = 0;
		for (const TextLayout::Run& run : layout->Runs(0))
			missing += run.missingGlyphs;
		if (!InstalledFontsCover(sample.text)) {
			std::printf("no installed font covers the %s sample\n", sample.name);
			continue;
		}
		EXPECT_EQ(missing, 0) << sample.name;
		// An emoji sequence is one picture, not its parts side by side.
		for (const TextLayout::Run& run : layout->Runs(0)) {
			if (run.family == "Noto Color Emoji") {
				EXPECT_EQ(run.glyphs, 1) << sample.name;
			}
		}
	}
}

// A line is shaped without the library's whole layout where it can be (one run
// of the font's own script, or the items of the line); the glyphs are those the
// whole layout gives, and so are its answers about the text.
TEST(Scripts, LinesShapedAloneHaveTheGlyphsOfTheWholeLayout)
{
	std::vector<std::string> texts{"Joanna Example-Smith 1234", "\xc3\x89lodie M\xc3\xbcller",
		"AVAWAY fi \xc2\xa9 2024", "\xce\x93\xce\xb9\xcf\x8e\xcf\x81\xce\xb3\xce\xbf\xcf\x82 12",
		"e\xcc\x81te\xcc\x81", "abc \xd7\xa2\xd7\x91\xd7\xa8\xd7\x99\xd7\xaa def", "a\xffz"};
	for (const ScriptSample& sample : kScriptSamples)
		texts.push_back(sample.text);
	for (const std::string& text : texts) {
		const TextLayout alone(kSans, text, TextLayout::kOneLine);
		const TextLayout whole(kSans, text, TextLayout::kNoWrap);
		ASSERT_EQ(alone.GlyphRuns().size(), whole.GlyphRuns().size()) << text;
		EXPECT_EQ(alone.Width(), whole.Width()) << text;
		for (size_t run = 0; run < alone.GlyphRuns().size(); run++) {
			const TextLayout::GlyphRun& a = alone.GlyphRuns()[run];
			const TextLayout::GlyphRun& b = whole.GlyphRuns()[run];
			EXPECT_EQ(std::make_tuple(a.font, a.start, a.end, a.rightToLeft, a.glyphs.size()),
				std::make_tuple(b.font, b.start, b.end, b.rightToLeft, b.glyphs.size())) << text;
			for (size_t i = 0; i < std::min(a.glyphs.size(), b.glyphs.size()); i++) {
				EXPECT_EQ(std::make_tuple(a.glyphs[i].id, a.glyphs[i].x, a.glyphs[i].y),
					std::make_tuple(b.glyphs[i].id, b.glyphs[i].x, b.glyphs[i].y)) << text << " " << i;
			}
		}
		EXPECT_EQ(alone.CaretX((int32)text.size()), whole.CaretX((int32)text.size())) << text;
	}
}

// Where the layout puts [start, end) of its one line.
TextLayout::Span SpanOf(const TextLayout& layout, int32 start, int32 end)
{
	const std::vector<TextLayout::Span> spans = layout.RangeSpans(start, end);
	EXPECT_EQ(spans.size(), 1u) << layout.Text() << " " << start;
	return spans.empty() ? TextLayout::Span{0, 0, 0} : spans.front();
}

// The columns [left, right) of two frames hold the same pixels.
bool SameColumns(const Framebuffer& a, const Framebuffer& b, int32 left, int32 right)
{
	for (int32 y = 0; y < a.Height(); y++) {
		for (int32 x = left; x < right; x++) {
			if (a.PixelAt(x, y) != b.PixelAt(x, y))
				return false;
		}
	}
	return true;
}

// A text drawn whole shows each part where the layout put it: the same pixels
// as the part drawn alone there.
void ExpectDrawnWhere(const TextLayout& whole, int32 start, int32 end)
{
	const TextLayout::Span span = SpanOf(whole, start, end);
	Framebuffer all(200, 30, kWhite);
	Painter(all).DrawText(whole, 0, 10, 20, PackColor(0, 0, 0));
	const std::string part = whole.Text().substr((size_t)start, (size_t)(end - start));
	Framebuffer alone(200, 30, kWhite);
	Painter(alone).DrawText(*LineOf(part.c_str()), 0, 10 + (int32)span.left, 20,
		PackColor(0, 0, 0));
	EXPECT_TRUE(SameColumns(all, alone, 10 + (int32)span.left, 10 + (int32)span.right))
		<< whole.Text() << ": " << part;
}

TEST(Scripts, MixedDirectionsAreInTheBidirectionalOrder)
{
	// Hebrew first: a right-to-left line, the number on the left of the word.
	const auto hebrew = LineOf("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d 123");
	const TextLayout::Span word = SpanOf(*hebrew, 0, 8);
	const TextLayout::Span number = SpanOf(*hebrew, 9, 12);
	EXPECT_LT(number.right, word.left + 1);
	EXPECT_EQ(hebrew->CaretX(0), hebrew->Width());  // the line starts at the right
	EXPECT_TRUE(hebrew->Runs(0).back().rightToLeft);
	ExpectDrawnWhere(*hebrew, 9, 12);
	ExpectDrawnWhere(*hebrew, 0, 8);

	// Latin first: left to right, the Hebrew word in the middle read from the right.
	const auto mixed = LineOf("abc \xd7\xa2\xd7\x91\xd7\xa8\xd7\x99\xd7\xaa def");
	const TextLayout::Span abc = SpanOf(*mixed, 0, 3);
	const TextLayout::Span first = SpanOf(*mixed, 4, 6);   // ayin, read first
	const TextLayout::Span last = SpanOf(*mixed, 12, 14);  // tav, read last
	const TextLayout::Span def = SpanOf(*mixed, 15, 18);
	EXPECT_LT(abc.right, last.left + 1);
	EXPECT_LT(last.right, first.left + 1);
	EXPECT_LT(first.right, def.left + 1);
	EXPECT_EQ(mixed->CaretX(0), 0);
	ExpectDrawnWhere(*mixed, 4, 14);
	ExpectDrawnWhere(*mixed, 15, 18);
}

// Clusters as editing sees them: where the caret stops, what Backspace and
// Delete take, and how much of an insertion fits a byte limit.
TEST(Clusters, CaretStopsBackspaceAndCutsKeepClustersWhole)
{
	struct Row {
		const char* name;
		const char* text;
		std::vector<int32> stops;  // every cluster boundary
		int32 backspaceFromEnd;    // where Backspace at the end deletes from
	};
	const Row rows[] = {
		{"ascii", "ab", {0, 1, 2}, 1},
		{"flag", "\xf0\x9f\x87\xaf\xf0\x9f\x87\xb5", {0, 8}, 0},
		{"two flags", "\xf0\x9f\x87\xaf\xf0\x9f\x87\xb5\xf0\x9f\x87\xab\xf0\x9f\x87\xb7",
			{0, 8, 16}, 8},
		{"family", "\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x91\xa7",
			{0, 18}, 0},
		{"skin tone", "\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd", {0, 8}, 0},
		{"decomposed e acute", "e\xcc\x81t", {0, 3, 4}, 3},
		// Devanagari: Backspace takes the vowel sign alone.
		{"hindi", "\xe0\xa4\xa8\xe0\xa4\xae\xe0\xa4\xb8\xe0\xa5\x8d\xe0\xa4\xa4\xe0\xa5\x87",
			{0, 3, 6, 12, 18}, 15},
		{"malformed", "a\xff\x82z", {0, 1, 2, 3, 4}, 3},
	};
	for (const Row& row : rows) {
		const TextBreaks breaks(row.text);
		std::vector<int32> stops;
		for (int32 offset = 0; offset <= breaks.Length(); offset++) {
			if (breaks.IsClusterBoundary(offset))
				stops.push_back(offset);
		}
		EXPECT_EQ(stops, row.stops) << row.name;
		EXPECT_EQ(breaks.BackspaceStart(breaks.Length()), row.backspaceFromEnd) << row.name;
		EXPECT_EQ(breaks.NextCluster(0), row.stops[1]) << row.name;
		EXPECT_EQ(breaks.PreviousCluster(breaks.Length()), row.stops[row.stops.size() - 2])
			<< row.name;
	}

	struct Cut {
		const char* before;
		const char* inserted;
		int32 room;
		int32 fits;
	};
	const Cut cuts[] = {
		{"", "ab\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd", 6, 2},  // not the thumb without its tone
		{"", "ab\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd", 10, 10},
		{"x", "e\xcc\x81", 2, 0},                         // not the e without its accent
		{"e", "\xcc\x81", 1, 0},                          // a mark whole or not at all
		{"e", "\xcc\x81", 2, 2},
		{"", "\xf0\x9f\x87\xaf\xf0\x9f\x87\xb5\xf0\x9f\x87\xab\xf0\x9f\x87\xb7", 12, 8},
		{"ab", "\xc3\xa9\xe2\x82\xac", 4, 2},
	};
	for (const Cut& cut : cuts) {
		EXPECT_EQ(TextBreaks::FitInsertion(cut.before, cut.inserted, cut.room), cut.fits)
			<< cut.inserted << " in " << cut.room;
	}

	// Character indexes count code points, a malformed byte as one.
	const TextBreaks mixed("a\xc3\xa9\xf0\x9f\x91\x8d\xff");
	EXPECT_EQ(mixed.CountCharacters(), 4);
	EXPECT_EQ(mixed.CharacterIndex(3), 2);
	EXPECT_EQ(mixed.CharacterOffset(3), 7);
	int32 start, end;
	TextBreaks("alpha b\xc3\xa9ta gamma").WordAt(8, &start, &end);
	EXPECT_EQ(std::make_pair(start, end), std::make_pair(6, 11));
}

}  // namespace
