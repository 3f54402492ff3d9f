// A set of pixels held as disjoint rectangles with whole-number, inclusive edges.
// Threading: a plain value; callers serialise access.
#ifndef _REGION_H
#define _REGION_H

#include <Rect.h>

#include <vector>

class BRegion {
public:
	BRegion();
	explicit BRegion(BRect rect);
	BRegion(const BRegion& other) = default;
	BRegion& operator=(const BRegion& other) = default;

	void Set(BRect rect);
	void MakeEmpty();

	void Include(BRect rect);
	void Include(const BRegion* region);
	void Exclude(BRect rect);
	void Exclude(const BRegion* region);
	void IntersectWith(const BRegion* region);
	void OffsetBy(int32 dx, int32 dy);

	BRect Frame() const;
	int32 CountRects() const;
	BRect RectAt(int32 index) const;
	bool Contains(BPoint point) const;
	bool Intersects(BRect rect) const;

private:
	std::vector<BRect> fRects;  // disjoint, each valid
};

#endif
