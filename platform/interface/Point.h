// BPoint: a point in a two-dimensional coordinate space, in floats.
// Threading: a plain value; not shared between threads without the owner's care.
#ifndef _POINT_H
#define _POINT_H

#include <SupportDefs.h>

class BPoint {
public:
	float x = 0;
	float y = 0;

	constexpr BPoint() = default;
	constexpr BPoint(float px, float py) : x(px), y(py) {}

	void Set(float px, float py)
	{
		x = px;
		y = py;
	}

	constexpr BPoint operator+(const BPoint& other) const { return BPoint(x + other.x, y + other.y); }
	constexpr BPoint operator-(const BPoint& other) const { return BPoint(x - other.x, y - other.y); }
	constexpr BPoint operator-() const { return BPoint(-x, -y); }
	BPoint& operator+=(const BPoint& other)
	{
		x += other.x;
		y += other.y;
		return *this;
	}
	BPoint& operator-=(const BPoint& other)
	{
		x -= other.x;
		y -= other.y;
		return *this;
	}
	constexpr bool operator==(const BPoint& other) const { return x == other.x && y == other.y; }
	constexpr bool operator!=(const BPoint& other) const { return !(*this == other); }
};

inline constexpr BPoint B_ORIGIN(0, 0);

#endif
