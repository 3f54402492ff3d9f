// BRegion as the invalid area: union without double counting, holes, intersection.
// (Rectangles' inclusive edges are what every pixel test relies on.)
#include <Point.h>
#include <Rect.h>
#include <Region.h>

#include <gtest/gtest.h>

namespace {

int64 Area(const BRegion& region)
{
	int64 area = 0;
	for (int32 i = 0; i < region.CountRects(); i++) {
		const BRect r = region.RectAt(i);
		area += (int64)(r.IntegerWidth() + 1) * (r.IntegerHeight() + 1);
	}
	return area;
}

TEST(RegionSets, IncludesCountEachPixelOnceExcludeCutsHolesAndIntersectKeepsTheOverlap)
{
	BRegion region(BRect(0, 0, 9, 9));
	region.Include(BRect(5, 5, 14, 14));
	region.Include(BRect(2, 2, 3, 3));  // already inside
	EXPECT_EQ(Area(region), 100 + 100 - 25);
	EXPECT_EQ(region.Frame(), BRect(0, 0, 14, 14));
	EXPECT_FALSE(region.Contains(BPoint(14, 0)));
	for (int32 i = 0; i < region.CountRects(); i++) {
		for (int32 j = i + 1; j < region.CountRects(); j++)
			EXPECT_FALSE(region.RectAt(i).Intersects(region.RectAt(j)));
	}

	region.Set(BRect(0, 0, 9, 9));
	region.Exclude(BRect(3, 3, 6, 6));
	EXPECT_EQ(Area(region), 100 - 16);
	EXPECT_FALSE(region.Contains(BPoint(4, 4)));
	EXPECT_TRUE(region.Contains(BPoint(2, 4)));
	EXPECT_FALSE(region.Intersects(BRect(4, 4, 5, 5)));
	BRegion other(BRect(5, 0, 19, 1));
	region.IntersectWith(&other);
	EXPECT_EQ(Area(region), 5 * 2);
	EXPECT_EQ(region.Frame(), BRect(5, 0, 9, 1));

	// Empty and invalid rectangles add nothing; fractional edges cover every pixel
	// they touch.
	region.MakeEmpty();
	EXPECT_FALSE(region.Frame().IsValid());
	region.Include(BRect(5, 5, 4, 4));
	EXPECT_EQ(region.CountRects(), 0);
	region.Set(BRect(0, 0, 3, 3));
	region.Exclude(BRect(-10, -10, 100, 100));
	EXPECT_EQ(region.CountRects(), 0);
	region.Set(BRect(0.5f, 0.5f, 2.2f, 2.2f));
	region.OffsetBy(10, 20);
	EXPECT_EQ(region.Frame(), BRect(10, 20, 13, 23));
}

}  // namespace
