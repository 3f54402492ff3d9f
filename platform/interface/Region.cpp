#include <Region.h>

#include <math.h>

namespace {

// Snaps a rectangle outward to whole pixels so that every touched pixel is held.
BRect Snapped(BRect rect)
{
	return BRect(floorf(rect.left), floorf(rect.top), ceilf(rect.right), ceilf(rect.bottom));
}

// Appends to out the parts of a that lie outside b (at most four rectangles).
void Subtract(BRect a, BRect b, std::vector<BRect>& out)
{
	if (!a.Intersects(b)) {
		out.push_back(a);
		return;
	}
	if (a.top < b.top)
		out.push_back(BRect(a.left, a.top, a.right, b.top - 1));
	if (a.bottom > b.bottom)
		out.push_back(BRect(a.left, b.bottom + 1, a.right, a.bottom));
	const float top = fmaxf(a.top, b.top);
	const float bottom = fminf(a.bottom, b.bottom);
	if (a.left < b.left)
		out.push_back(BRect(a.left, top, b.left - 1, bottom));
	if (a.right > b.right)
		out.push_back(BRect(b.right + 1, top, a.right, bottom));
}

}  // namespace

BRegion::BRegion() = default;

BRegion::BRegion(BRect rect)
{
	Set(rect);
}

void BRegion::Set(BRect rect)
{
	fRects.clear();
	Include(rect);
}

void BRegion::MakeEmpty()
{
	fRects.clear();
}

void BRegion::Include(BRect rect)
{
	rect = Snapped(rect);
	if (!rect.IsValid())
		return;
	// Keep the rectangles disjoint: add only the parts not held yet.
	std::vector<BRect> pieces{rect};
	for (const BRect& held : fRects) {
		std::vector<BRect> rest;
		for (const BRect& piece : pieces)
			Subtract(piece, held, rest);
		pieces.swap(rest);
		if (pieces.empty())
			return;
	}
	fRects.insert(fRects.end(), pieces.begin(), pieces.end());
}

void BRegion::Include(const BRegion* region)
{
	for (const BRect& rect : region->fRects)
		Include(rect);
}

void BRegion::Exclude(BRect rect)
{
	rect = Snapped(rect);
	if (!rect.IsValid())
		return;
	std::vector<BRect> rest;
	for (const BRect& held : fRects)
		Subtract(held, rect, rest);
	fRects.swap(rest);
}

void BRegion::Exclude(const BRegion* region)
{
	for (const BRect& rect : region->fRects)
		Exclude(rect);
}

void BRegion::IntersectWith(const BRegion* region)
{
	std::vector<BRect> result;
	for (const BRect& mine : fRects) {
		for (const BRect& theirs : region->fRects) {
			const BRect both = mine & theirs;
			if (both.IsValid())
				result.push_back(both);
		}
	}
	fRects.swap(result);
}

void BRegion::OffsetBy(int32 dx, int32 dy)
{
	for (BRect& rect : fRects)
		rect.OffsetBy(dx, dy);
}

BRect BRegion::Frame() const
{
	if (fRects.empty())
		return BRect();
	BRect frame = fRects.front();
	for (const BRect& rect : fRects)
		frame = frame | rect;
	return frame;
}

int32 BRegion::CountRects() const
{
	return (int32)fRects.size();
}

BRect BRegion::RectAt(int32 index) const
{
	if (index < 0 || index >= CountRects())
		return BRect();
	return fRects[index];
}

bool BRegion::Contains(BPoint point) const
{
	for (const BRect& rect : fRects) {
		if (rect.Contains(BPoint(floorf(point.x), floorf(point.y))))
			return true;
	}
	return false;
}

bool BRegion::Intersects(BRect rect) const
{
	rect = Snapped(rect);
	for (const BRect& held : fRects) {
		if (held.Intersects(rect))
			return true;
	}
	return false;
}
