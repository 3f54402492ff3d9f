// BPoint and BRect for the interface kit until the shared geometry headers exist.
// Threading: plain values, any thread.
#ifndef _STAGING_GEOMETRY_H
#define _STAGING_GEOMETRY_H

#include <SupportDefs.h>

#include <math.h>

class BPoint {
public:
	float x;
	float y;

	constexpr BPoint() : x(0), y(0) {}
	constexpr BPoint(float x, float y) : x(x), y(y) {}

	void Set(float newX, float newY) { x = newX; y = newY; }

	BPoint operator+(const BPoint& other) const { return BPoint(x + other.x, y + other.y); }
	BPoint operator-(const BPoint& other) const { return BPoint(x - other.x, y - other.y); }
	BPoint operator-() const { return BPoint(-x, -y); }
	BPoint& operator+=(const BPoint& other) { x += other.x; y += other.y; return *this; }
	BPoint& operator-=(const BPoint& other) { x -= other.x; y -= other.y; return *this; }
	bool operator==(const BPoint& other) const { return x == other.x && y == other.y; }
	bool operator!=(const BPoint& other) const { return !(*this == other); }
};

// Right and bottom are inclusive: BRect(0, 0, 9, 9) covers 10 x 10 pixels.
class BRect {
public:
	float left;
	float top;
	float right;
	float bottom;

	constexpr BRect() : left(0), top(0), right(-1), bottom(-1) {}
	constexpr BRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}
	constexpr BRect(BPoint leftTop, BPoint rightBottom)
		: left(leftTop.x), top(leftTop.y), right(rightBottom.x), bottom(rightBottom.y) {}

	void Set(float l, float t, float r, float b) { left = l; top = t; right = r; bottom = b; }

	BPoint LeftTop() const { return BPoint(left, top); }
	BPoint RightBottom() const { return BPoint(right, bottom); }
	BPoint LeftBottom() const { return BPoint(left, bottom); }
	BPoint RightTop() const { return BPoint(right, top); }
	void SetLeftTop(BPoint p) { left = p.x; top = p.y; }
	void SetRightBottom(BPoint p) { right = p.x; bottom = p.y; }

	float Width() const { return right - left; }
	int32 IntegerWidth() const { return (int32)ceilf(right - left); }
	float Height() const { return bottom - top; }
	int32 IntegerHeight() const { return (int32)ceilf(bottom - top); }
	bool IsValid() const { return left <= right && top <= bottom; }

	void InsetBy(float dx, float dy) { left += dx; top += dy; right -= dx; bottom -= dy; }
	void InsetBy(BPoint d) { InsetBy(d.x, d.y); }
	BRect& InsetBySelf(float dx, float dy) { InsetBy(dx, dy); return *this; }
	BRect InsetByCopy(float dx, float dy) const { BRect r(*this); r.InsetBy(dx, dy); return r; }
	void OffsetBy(float dx, float dy) { left += dx; top += dy; right += dx; bottom += dy; }
	void OffsetBy(BPoint d) { OffsetBy(d.x, d.y); }
	BRect& OffsetBySelf(float dx, float dy) { OffsetBy(dx, dy); return *this; }
	BRect OffsetByCopy(float dx, float dy) const { BRect r(*this); r.OffsetBy(dx, dy); return r; }
	BRect OffsetByCopy(BPoint d) const { return OffsetByCopy(d.x, d.y); }
	void OffsetTo(float x, float y) { OffsetBy(x - left, y - top); }
	void OffsetTo(BPoint p) { OffsetTo(p.x, p.y); }
	BRect OffsetToCopy(float x, float y) const { BRect r(*this); r.OffsetTo(x, y); return r; }

	bool Contains(BPoint p) const
	{
		return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
	}
	bool Contains(BRect r) const
	{
		return r.left >= left && r.right <= right && r.top >= top && r.bottom <= bottom;
	}
	bool Intersects(BRect r) const
	{
		return IsValid() && r.IsValid() && r.left <= right && r.right >= left
			&& r.top <= bottom && r.bottom >= top;
	}

	// Intersection.
	BRect operator&(BRect r) const
	{
		return BRect(fmaxf(left, r.left), fmaxf(top, r.top), fminf(right, r.right),
			fminf(bottom, r.bottom));
	}
	// Smallest rectangle holding both.
	BRect operator|(BRect r) const
	{
		return BRect(fminf(left, r.left), fminf(top, r.top), fmaxf(right, r.right),
			fmaxf(bottom, r.bottom));
	}
	bool operator==(BRect r) const
	{
		return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
	}
	bool operator!=(BRect r) const { return !(*this == r); }
};

#endif
