// BScrollBar: a bar with an arrow at each end and a proportional knob that scrolls
// its target view. The arrows move the value by the small step, a click in the
// track by the large step, the knob drags, the wheel moves three small steps a
// notch; every change of the value reaches the target's ScrollTo.
// Threading: its window's thread, or with the window locked.
#ifndef _SCROLL_BAR_H
#define _SCROLL_BAR_H

#include <View.h>

#define B_V_SCROLL_BAR_WIDTH 14.0f
#define B_H_SCROLL_BAR_HEIGHT 14.0f

class BScrollBar : public BView {
public:
	// The range is min to max; the target may be null and set later.
	BScrollBar(BRect frame, const char* name, BView* target, float min, float max,
		orientation direction);
	virtual ~BScrollBar();

	void Draw(BRect updateRect) override;
	void MouseDown(BPoint where) override;
	void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage) override;
	void MouseUp(BPoint where) override;
	// Takes B_MOUSE_WHEEL_CHANGED; other messages go to BView.
	void MessageReceived(BMessage* message) override;
	void FrameResized(float newWidth, float newHeight) override;

	// Clamped to the range and to whole pixels; calls ValueChanged when it moves.
	void SetValue(float value);
	float Value() const { return fValue; }
	// A value outside the new range is moved inside, which scrolls the target.
	void SetRange(float min, float max);
	void GetRange(float* min, float* max) const;
	void SetSteps(float smallStep, float largeStep);
	void GetSteps(float* smallStep, float* largeStep) const;
	// The part of the content the target shows, 0 to 1; it sizes the knob.
	void SetProportion(float proportion);
	float Proportion() const { return fProportion; }

	void SetTarget(BView* target);
	BView* Target() const { return fTarget; }
	orientation Orientation() const { return fOrientation; }

	// Scrolls the target to the value (its other coordinate kept).
	virtual void ValueChanged(float newValue);

private:
	friend class BView;
	enum class Part { kNone, kDecrement, kIncrement, kTrackBefore, kTrackAfter, kKnob };

	BScrollBar(const BScrollBar&) = delete;
	BScrollBar& operator=(const BScrollBar&) = delete;

	// The target scrolled by itself: follow it without scrolling it again.
	void _TargetScrolled(float coordinate);
	// Moves by three small steps a notch, positive towards the far end.
	void _Wheel(float notches);
	float _Clamped(float value) const;
	bool _IsEnabled() const { return fMax > fMin; }
	// Lengths along the bar, in pixels.
	float _Length() const;
	float _Thickness() const;
	float _KnobLength() const;
	// The knob's start along the bar for a value, and the reverse.
	float _KnobStart(float value) const;
	float _ValueAt(float knobStart) const;
	BRect _AlongBar(float start, float end) const;
	BRect _KnobRect() const;
	Part _PartAt(BPoint where) const;
	float _Along(BPoint where) const;
	// Redraws the knob only when its pixels move.
	void _KnobMoved();
	void _DrawArrow(BRect box, bool decrement, bool pressed);
	void _DrawBevel(BRect box, bool pressed);

	BView* fTarget;
	orientation fOrientation;
	float fMin;
	float fMax;
	float fValue = 0;
	float fSmallStep = 1;
	float fLargeStep = 10;
	float fProportion = 0;
	BRect fDrawnKnob;        // where the knob was last asked to be drawn
	bool fDrawnEnabled = false;
	Part fPressed = Part::kNone;
	float fGrabOffset = 0;   // pointer position inside the knob while dragging
};

#endif
