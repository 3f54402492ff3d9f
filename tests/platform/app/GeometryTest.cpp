// BPoint and BRect: inclusive edges, validity, and the set operations.
#include <Point.h>
#include <Rect.h>

#include <gtest/gtest.h>

TEST(Geometry, InclusiveEdgesSetOperationsAndContainment)
{
	BRect rect(0, 0, 9, 19);
	EXPECT_EQ(rect.Width(), 9);
	EXPECT_EQ(rect.IntegerHeight(), 19);
	EXPECT_TRUE(rect.Contains(BPoint(9, 19)));
	EXPECT_FALSE(rect.Contains(BPoint(9.5f, 0)));
	EXPECT_TRUE(BRect(5, 5, 5, 5).IsValid());
	EXPECT_FALSE(BRect().IsValid());

	const BRect a(0, 0, 10, 10);
	const BRect b(5, 5, 20, 20);
	EXPECT_EQ(a & b, BRect(5, 5, 10, 10));
	EXPECT_EQ(a | b, BRect(0, 0, 20, 20));
	EXPECT_TRUE(a.Intersects(b));
	// Touching at one edge still intersects: edges are inclusive.
	EXPECT_TRUE(a.Intersects(BRect(10, 10, 12, 12)));
	EXPECT_FALSE(a.Intersects(BRect(11, 0, 12, 10)));
	EXPECT_FALSE((a & BRect(11, 0, 12, 10)).IsValid());
	EXPECT_TRUE(a.Contains(BRect(2, 2, 10, 10)));
	EXPECT_FALSE(a.Contains(b));
	EXPECT_FALSE(a.Intersects(BRect()));
}

TEST(Geometry, MovingAndInsetting)
{
	BRect rect(10, 20, 30, 60);
	rect.OffsetTo(0, 0);
	EXPECT_EQ(rect, BRect(0, 0, 20, 40));
	rect.OffsetBy(BPoint(1, 2));
	EXPECT_EQ(rect.LeftTop(), BPoint(1, 2));
	EXPECT_EQ(rect.RightBottom(), BPoint(21, 42));
	rect.InsetBy(2, 3);
	EXPECT_EQ(rect, BRect(3, 5, 19, 39));
	rect.InsetBy(-2, -3);
	EXPECT_EQ(rect, BRect(1, 2, 21, 42));
	EXPECT_EQ(BPoint(1, 2) + BPoint(3, 4), BPoint(4, 6));
	EXPECT_EQ(BPoint(1, 2) - BPoint(3, 4), BPoint(-2, -2));
	EXPECT_NE(BPoint(1, 2), BPoint(2, 1));
}
