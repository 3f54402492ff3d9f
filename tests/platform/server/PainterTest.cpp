// Exact pixels of the software renderer: lines, frames, fills, inversion, patterns,
// clipping, and all of them at a scale of 2.
#include <Painter.h>

#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <utility>

namespace {

const uint32 kWhite = PackColor(255, 255, 255);
const uint32 kBlack = PackColor(0, 0, 0);
const uint32 kRed = PackColor(255, 0, 0);
const uint8 kChecker[8] = {0xaa, 0x55, 0xaa, 0x55, 0xaa, 0x55, 0xaa, 0x55};

using Pixels = std::set<std::pair<int32, int32>>;

// Every pixel that is not white.
Pixels Marked(const Framebuffer& frame)
{
	Pixels marked;
	for (int32 y = 0; y < frame.Height(); y++) {
		for (int32 x = 0; x < frame.Width(); x++) {
			if (frame.PixelAt(x, y) != kWhite)
				marked.insert({x, y});
		}
	}
	return marked;
}

TEST(PainterLines, OnePixelPerStepFromEndToEndInEveryDirection)
{
	for (auto [x0, y0, x1, y1] : std::vector<std::tuple<int, int, int, int>>{
			{2, 3, 12, 3}, {12, 3, 2, 3}, {5, 1, 5, 9}, {5, 9, 5, 1}, {1, 1, 8, 8},
			{8, 8, 1, 1}, {0, 9, 9, 0}, {3, 2, 4, 15}, {15, 4, 2, 3}, {0, 0, 9, 2}, {2, 2, 2, 2}}) {
		SCOPED_TRACE(testing::Message() << x0 << "," << y0 << "-" << x1 << "," << y1);
		Framebuffer frame(20, 20, kWhite);
		Painter(frame).StrokeLine(x0, y0, x1, y1, kRed);
		EXPECT_EQ(frame.PixelAt(x0, y0), kRed);
		EXPECT_EQ(frame.PixelAt(x1, y1), kRed);
		// No gaps and no doubled pixels: as many as steps along the longer axis, each
		// on its own step.
		const bool steep = abs(y1 - y0) > abs(x1 - x0);
		const Pixels marked = Marked(frame);
		std::set<int32> steps;
		for (auto [x, y] : marked)
			steps.insert(steep ? y : x);
		EXPECT_EQ((int32)marked.size(), std::max(abs(x1 - x0), abs(y1 - y0)) + 1);
		EXPECT_EQ(steps.size(), marked.size());
	}
	Framebuffer frame(10, 10, kWhite);
	Painter(frame).StrokeLine(1, 1, 4, 4, kBlack);
	EXPECT_EQ(Marked(frame), (Pixels{{1, 1}, {2, 2}, {3, 3}, {4, 4}}));
}

TEST(PainterRects, FillsFramesInversionAndPatternsCoverInclusiveEdges)
{
	Framebuffer frame(10, 10, kWhite);
	Painter painter(frame);
	painter.StrokeRect({1, 1, 5, 4}, kBlack);
	Pixels marked = Marked(frame);
	EXPECT_EQ(marked.size(), 14u);  // 2 * 5 + 2 * 2
	EXPECT_FALSE(marked.count({3, 2}));
	EXPECT_TRUE(marked.count({5, 4}) && marked.count({1, 4}));
	// A frame one pixel wide is a line; an inverted rect is nothing.
	painter.StrokeRect({7, 1, 7, 6}, kBlack);
	painter.StrokeRect({5, 5, 4, 4}, kBlack);
	painter.FillRect({5, 5, 4, 4}, kBlack);
	EXPECT_EQ(Marked(frame).size(), 14u + 6u);

	// Inversion flips the colour, and twice restores it.
	painter.FillRect({0, 0, 9, 9}, PackColor(10, 200, 30));
	painter.InvertRect({1, 1, 4, 4});
	EXPECT_EQ(frame.PixelAt(1, 1), PackColor(245, 55, 225));
	EXPECT_EQ(frame.PixelAt(5, 5), PackColor(10, 200, 30));
	painter.InvertRect({1, 1, 4, 4});
	EXPECT_EQ(frame.PixelAt(4, 4), PackColor(10, 200, 30));

	painter.FillRect({0, 0, 3, 1}, kChecker, kBlack, kRed);
	EXPECT_EQ(frame.PixelAt(0, 0), kBlack);
	EXPECT_EQ(frame.PixelAt(1, 0), kRed);
	EXPECT_EQ(frame.PixelAt(0, 1), kRed);
}

// At a scale of 2 every pixel of the coordinates, of lines, fills, patterns and
// the clip alike, is a 2 x 2 block of the buffer.
TEST(PainterRects, AtScaleTwoEachPixelIsABlockOfFour)
{
	Framebuffer frame(12, 12, kWhite);
	Painter painter(frame, 2);
	painter.SetClip({{0, 0, 4, 5}});
	painter.StrokeLine(0, 0, 1, 1, kBlack);
	painter.FillRect({4, 4, 9, 9}, kRed);
	EXPECT_EQ(Marked(frame), (Pixels{{0, 0}, {1, 0}, {0, 1}, {1, 1}, {2, 2}, {3, 2}, {2, 3},
		{3, 3}, {8, 8}, {9, 8}, {8, 9}, {9, 9}, {8, 10}, {9, 10}, {8, 11}, {9, 11}}));
	painter.FillRect({0, 0, 1, 0}, kChecker, kBlack, kRed);
	EXPECT_EQ(frame.PixelAt(1, 1), kBlack);
	EXPECT_EQ(frame.PixelAt(2, 1), kRed);
}

TEST(PainterClipping, EveryOperationStaysInsideTheClipAndTheBuffer)
{
	Framebuffer frame(20, 20, kWhite);
	Painter painter(frame);
	painter.SetClip({{5, 5, 9, 9}, {15, 0, 15, 19}});
	painter.FillRect({0, 0, 19, 19}, kBlack);
	const Pixels filled = Marked(frame);
	EXPECT_EQ(filled.size(), 25u + 20u);

	Framebuffer lines(20, 20, kWhite);
	Painter clipped(lines);
	clipped.SetClip({{5, 5, 9, 9}});
	clipped.StrokeLine(0, 0, 19, 19, kBlack);
	clipped.StrokeLine(0, 7, 19, 7, kBlack);
	clipped.InvertRect({0, 0, 19, 4});
	for (auto [x, y] : Marked(lines))
		EXPECT_TRUE(x >= 5 && x <= 9 && y >= 5 && y <= 9) << x << "," << y;
	EXPECT_EQ(lines.PixelAt(6, 6), kBlack);
	EXPECT_EQ(lines.PixelAt(9, 7), kBlack);

	// Nor does anything reach outside the buffer, whatever the clip says.
	Framebuffer small(4, 4, kWhite);
	Painter unclipped(small);
	unclipped.FillRect({-10, -10, 1, 1}, kBlack);
	unclipped.StrokeLine(-5, 2, 10, 2, kBlack);
	unclipped.SetClip({{-3, -3, 100, 100}});
	unclipped.InvertRect({3, 3, 50, 50});
	EXPECT_EQ(Marked(small).size(), 4u + 4u + 1u);
}

}  // namespace
