// BRect: an axis-aligned rectangle whose right and bottom edges are inclusive, so a
// rect from 0 to 9 covers ten pixels but has Width() 9. A rect with right < left or
// bottom < top is invalid (the default-constructed rect is invalid).
// Threading: a plain value; not shared between threads without the owner's care.
#ifndef _RECT_H
#define _RECT_H

#include <Point.h>

#include <algorithm>
#include <cmath>

class BRect {
public:
	float left = 0;
	float top = 0;
	float right = -1;
	float bottom = -1;

	constexpr BRect() = default;
	constexpr BRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}
	constexpr BRect(BPoint leftTop, BPoint rightBottom)
		: left(leftTop.x), top(leftTop.y), right(rightBottom.x), bottom(rightBottom.y)
	{
	}

	void Set(float l, float t, float r, float b)
	{
		left = l;
		top = t;
		right = r;
		bottom = b;
	}

	constexpr BPoint LeftTop() const { return BPoint(left, top); }
	constexpr BPoint RightBottom() const { return BPoint(right, bottom); }
	constexpr BPoint LeftBottom() const { return BPoint(left, bottom); }
	constexpr BPoint RightTop() const { return BPoint(right, top); }

	constexpr float Width() const { return right - left; }
	constexpr float Height() const { return bottom - top; }
	// Whole pixels between the edges, as the platform rounds them.
	int32 IntegerWidth() const { return int32(std::ceil(right - left)); }
	int32 IntegerHeight() const { return int32(std::ceil(bottom - top)); }
	constexpr bool IsValid() const { return left <= right && top <= bottom; }

	BRect& InsetBy(float dx, float dy)
	{
		left += dx;
		right -= dx;
		top += dy;
		bottom -= dy;
		return *this;
	}
	BRect& InsetBy(BPoint delta) { return InsetBy(delta.x, delta.y); }
	BRect& OffsetBy(float dx, float dy)
	{
		left += dx;
		right += dx;
		top += dy;
		bottom += dy;
		return *this;
	}
	BRect& OffsetBy(BPoint delta) { return OffsetBy(delta.x, delta.y); }
	BRect& OffsetTo(float x, float y)
	{
		right += x - left;
		bottom += y - top;
		left = x;
		top = y;
		return *this;
	}
	BRect& OffsetTo(BPoint where) { return OffsetTo(where.x, where.y); }

	BRect InsetByCopy(float dx, float dy) const { return BRect(*this).InsetBy(dx, dy); }
	BRect OffsetByCopy(float dx, float dy) const { return BRect(*this).OffsetBy(dx, dy); }
	BRect OffsetToCopy(float x, float y) const { return BRect(*this).OffsetTo(x, y); }

	constexpr bool Contains(BPoint point) const
	{
		return point.x >= left && point.x <= right && point.y >= top && point.y <= bottom;
	}
	constexpr bool Contains(const BRect& other) const
	{
		return IsValid() && other.IsValid() && other.left >= left && other.right <= right
			&& other.top >= top && other.bottom <= bottom;
	}
	constexpr bool Intersects(const BRect& other) const
	{
		return IsValid() && other.IsValid() && other.left <= right && other.right >= left
			&& other.top <= bottom && other.bottom >= top;
	}

	// The smallest rect holding both.
	BRect operator|(const BRect& other) const
	{
		return BRect(std::min(left, other.left), std::min(top, other.top),
			std::max(right, other.right), std::max(bottom, other.bottom));
	}
	// The overlap; invalid when the two do not intersect.
	BRect operator&(const BRect& other) const
	{
		return BRect(std::max(left, other.left), std::max(top, other.top),
			std::min(right, other.right), std::min(bottom, other.bottom));
	}

	constexpr bool operator==(const BRect& other) const
	{
		return left == other.left && top == other.top && right == other.right
			&& bottom == other.bottom;
	}
	constexpr bool operator!=(const BRect& other) const { return !(*this == other); }
};

#endif
