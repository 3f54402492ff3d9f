// A window whose views show what the interface kit's foundation does: drawing,
// children following their resizing modes, a drag tracked with GetMouse, transit
// codes, Tab moving the focus, keyboard scrolling over a very tall view, size
// limits and pulses.
//
// Sections: the status strip; the sketch pad; the tall ruler; the tiles; the
// window and the application.
//
// Run it with `build/tools/viewdemo/viewdemo`; `--quit-after MS` closes it by
// itself (the smoke test runs it that way on the headless screen).
#include "DemoApp.h"

#include <Application.h>
#include <Cursor.h>
#include <InterfaceDefs.h>
#include <View.h>
#include <Window.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

const rgb_color kPanelGrey = ui_color(B_PANEL_BACKGROUND_COLOR);
const rgb_color kFocusBlue = {0, 0, 229, 255};
const rgb_color kInk = {0, 0, 0, 255};
const rgb_color kWhite = {255, 255, 255, 255};

// --- The status strip: what the window last saw. -----------------------------

class StatusStrip : public BView {
public:
	explicit StatusStrip(BRect frame)
		: BView(frame, "status", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
			B_WILL_DRAW | B_FRAME_EVENTS)
	{
		SetViewColor(kPanelGrey);
		SetLowColor(kPanelGrey);
	}

	void SetLine(int32 index, const std::string& text)
	{
		if (fLines[index] == text)
			return;
		fLines[index] = text;
		Invalidate();
	}

	void Draw(BRect) override
	{
		SetHighColor(kInk);
		float x = 8;
		for (const std::string& line : fLines) {
			DrawString(line.c_str(), BPoint(x, 15));
			x += StringWidth(line.c_str()) + 24;
		}
		SetHighColor(128, 128, 128);
		const BRect bounds = Bounds();
		StrokeLine(BPoint(bounds.left, bounds.bottom), BPoint(bounds.right, bounds.bottom));
	}

	void FrameResized(float width, float height) override
	{
		char text[64];
		snprintf(text, sizeof text, "Strip %.0f x %.0f", width + 1, height + 1);
		SetLine(0, text);
	}

private:
	std::string fLines[3] = {"", "Focus: none", "Press Tab to move the focus"};
};

StatusStrip* StatusOf(BView* view)
{
	if (view->Window() == nullptr)
		return nullptr;
	return dynamic_cast<StatusStrip*>(view->Window()->FindView("status"));
}

void ReportFocus(BView* view, bool focus)
{
	if (StatusStrip* status = StatusOf(view); status != nullptr && focus)
		status->SetLine(1, std::string("Focus: ") + view->Name());
}

// --- The sketch pad: press and drag to draw, tracked with GetMouse. -----------

class SketchPad : public BView {
public:
	explicit SketchPad(BRect frame)
		: BView(frame, "sketch pad", B_FOLLOW_ALL, B_WILL_DRAW | B_NAVIGABLE)
	{
		SetViewColor(kWhite);
	}

	void Draw(BRect) override
	{
		SetHighColor(kInk);
		for (const std::vector<BPoint>& stroke : fStrokes) {
			if (stroke.size() == 1)
				StrokeLine(stroke[0], stroke[0]);
			for (size_t i = 1; i < stroke.size(); i++)
				StrokeLine(stroke[i - 1], stroke[i]);
		}
		DrawFrame();
		SetHighColor(128, 128, 128);
		DrawString("Press and drag to draw; the frame turns blue while the pointer is in.",
			BPoint(8, 16));
	}

	void MouseDown(BPoint where) override
	{
		MakeFocus(true);
		fStrokes.push_back({where});
		// The classic tracking loop: GetMouse takes the queued moves and the release.
		uint32 buttons = B_PRIMARY_MOUSE_BUTTON;
		BPoint point = where;
		while (buttons != 0) {
			GetMouse(&point, &buttons, true);
			if (point != fStrokes.back().back()) {
				SetHighColor(kInk);
				StrokeLine(fStrokes.back().back(), point);
				fStrokes.back().push_back(point);
				Flush();
			}
			if (buttons != 0)
				std::this_thread::sleep_for(std::chrono::milliseconds(10));
		}
		Report();
	}

	void MouseMoved(BPoint, uint32 transit, const BMessage*) override
	{
		const bool inside = transit == B_ENTERED_VIEW || transit == B_INSIDE_VIEW;
		if (inside != fPointerInside) {
			fPointerInside = inside;
			be_app->SetCursor(inside ? B_HAND_CURSOR : nullptr);
			DrawFrame();
		}
		static const char* const kTransits[] = {"entered", "inside", "exited", "outside"};
		if (StatusStrip* status = StatusOf(this))
			status->SetLine(0, std::string("Pad: pointer ") + kTransits[transit & 3]);
	}

	void KeyDown(const char* bytes, int32 numBytes) override
	{
		if (numBytes == 1 && bytes[0] == B_BACKSPACE && !fStrokes.empty()) {
			fStrokes.pop_back();  // undoes the last stroke
			Invalidate();
			Report();
			return;
		}
		BView::KeyDown(bytes, numBytes);
	}

	void MakeFocus(bool focus) override
	{
		BView::MakeFocus(focus);
		DrawFrame();
		ReportFocus(this, focus);
	}

private:
	void DrawFrame()
	{
		SetHighColor(fPointerInside ? kFocusBlue : (IsFocus() ? kInk : kPanelGrey));
		StrokeRect(Bounds());
	}

	void Report()
	{
		char text[64];
		snprintf(text, sizeof text, "Pad: %zu strokes (Backspace undoes)", fStrokes.size());
		if (StatusStrip* status = StatusOf(this))
			status->SetLine(0, text);
	}

	std::vector<std::vector<BPoint>> fStrokes;
	bool fPointerInside = false;
};

// --- The tall ruler: 100,000 rows, only the visible ones are drawn. -----------

class TallRuler : public BView {
public:
	static constexpr int32 kRows = 100000;
	static constexpr float kRowHeight = 16;

	explicit TallRuler(BRect frame)
		: BView(frame, "ruler", B_FOLLOW_RIGHT | B_FOLLOW_TOP_BOTTOM,
			B_WILL_DRAW | B_NAVIGABLE | B_FRAME_EVENTS)
	{
		SetViewColor(kWhite);
		SetLowColor(kWhite);
	}

	void Draw(BRect update) override
	{
		const int32 first = std::max<int32>(0, (int32)(update.top / kRowHeight));
		const int32 last = std::min<int32>(kRows - 1, (int32)(update.bottom / kRowHeight));
		for (int32 row = first; row <= last; row++) {
			const float top = row * kRowHeight;
			if (row % 2 == 1) {
				SetHighColor(240, 240, 248);
				FillRect(BRect(Bounds().left, top, Bounds().right, top + kRowHeight - 1));
			}
			char label[32];
			snprintf(label, sizeof label, "Row %d", (int)row + 1);
			SetHighColor(kInk);
			SetLowColor(row % 2 == 1 ? rgb_color{240, 240, 248, 255} : kWhite);
			DrawString(label, BPoint(Bounds().left + 6, top + 12));
		}
	}

	void MouseDown(BPoint) override { MakeFocus(true); }

	void MakeFocus(bool focus) override
	{
		BView::MakeFocus(focus);
		ReportFocus(this, focus);
	}

	void KeyDown(const char* bytes, int32 numBytes) override
	{
		const float page = Bounds().Height() + 1 - kRowHeight;
		float to = Bounds().top;
		switch (numBytes == 1 ? bytes[0] : 0) {
			case B_UP_ARROW: to -= kRowHeight; break;
			case B_DOWN_ARROW: to += kRowHeight; break;
			case B_PAGE_UP: to -= page; break;
			case B_PAGE_DOWN: to += page; break;
			case B_HOME: to = 0; break;
			case B_END: to = kRows * kRowHeight; break;
			default: BView::KeyDown(bytes, numBytes); return;
		}
		const float lowest = kRows * kRowHeight - (Bounds().Height() + 1);
		ScrollTo(BPoint(0, std::max(0.0f, std::min(to, lowest))));
	}

	// Every scroll passes through here: report where the ruler is now.
	void ScrollTo(BPoint where) override
	{
		BView::ScrollTo(where);
		char text[96];
		snprintf(text, sizeof text, "Ruler: row %d at the top (arrows, Page keys, Home, End)",
			(int)(where.y / kRowHeight) + 1);
		if (StatusStrip* status = StatusOf(this))
			status->SetLine(0, text);
	}
};

// --- The tiles: one per resizing mode along the bottom, each navigable. -------

class Tile : public BView {
public:
	Tile(BRect frame, const char* name, uint32 mode, const char* modeName, bool pulses)
		: BView(frame, name, mode, B_WILL_DRAW | B_NAVIGABLE | (pulses ? uint32(B_PULSE_NEEDED) : 0u)),
		  fModeName(modeName)
	{
		SetViewColor(kPanelGrey);
		SetLowColor(kPanelGrey);
	}

	void Draw(BRect) override
	{
		const BRect bounds = Bounds();
		SetHighColor(kWhite);
		StrokeLine(bounds.LeftBottom(), bounds.LeftTop());
		StrokeLine(bounds.RightTop());
		SetHighColor(128, 128, 128);
		StrokeLine(bounds.RightBottom());
		StrokeLine(bounds.LeftBottom());
		if (IsFocus()) {
			SetHighColor(kFocusBlue);
			StrokeRect(bounds.InsetByCopy(2, 2));
		}
		SetHighColor(kInk);
		DrawString(fModeName.c_str(), BPoint(8, 16));
		DrawString(fLastKey.c_str(), BPoint(8, 32));
		if (Flags() & B_PULSE_NEEDED) {
			SetHighColor(fBlink ? rgb_color{200, 0, 0, 255} : kPanelGrey);
			FillRect(BRect(bounds.right - 12, 6, bounds.right - 6, 12));
		}
	}

	void MouseDown(BPoint) override { MakeFocus(true); }

	void MakeFocus(bool focus) override
	{
		BView::MakeFocus(focus);
		Invalidate();
		ReportFocus(this, focus);
	}

	void KeyDown(const char* bytes, int32 numBytes) override
	{
		if (numBytes == 1 && bytes[0] == B_TAB) {
			BView::KeyDown(bytes, numBytes);  // moves the focus on
			return;
		}
		fLastKey = "Typed: " + std::string(bytes, numBytes);
		Invalidate();
	}

	void Pulse() override
	{
		fBlink = !fBlink;
		Invalidate(BRect(Bounds().right - 12, 6, Bounds().right - 6, 12));
	}

private:
	std::string fModeName;
	std::string fLastKey = "Typed: (focus me, type)";
	bool fBlink = false;
};

// --- The window and the application. ------------------------------------------

class DemoWindow : public BWindow {
public:
	DemoWindow()
		: BWindow(BRect(80, 80, 719, 519), "View demo", B_TITLED_WINDOW, 0)
	{
		const BRect bounds = Bounds();
		AddChild(new StatusStrip(BRect(0, 0, bounds.right, 21)));
		AddChild(new SketchPad(BRect(8, 30, bounds.right - 180, bounds.bottom - 64)));
		AddChild(new TallRuler(BRect(bounds.right - 170, 30, bounds.right - 8, bounds.bottom - 64)));
		const float top = bounds.bottom - 54;
		const float bottom = bounds.bottom - 8;
		const float middle = bounds.Width() / 2;
		AddChild(new Tile(BRect(8, top, 200, bottom), "left tile",
			B_FOLLOW_LEFT | B_FOLLOW_BOTTOM, "Follows left and bottom", false));
		AddChild(new Tile(BRect(middle - 110, top, middle + 110, bottom), "centred tile",
			B_FOLLOW_H_CENTER | B_FOLLOW_BOTTOM, "Follows the centre (pulses)", true));
		AddChild(new Tile(BRect(bounds.right - 200, top, bounds.right - 8, bottom), "right tile",
			B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM, "Follows right and bottom", false));
		SetSizeLimits(520, 1600, 320, 1200);
	}

	bool QuitRequested() override
	{
		be_app->PostMessage(B_QUIT_REQUESTED);
		return true;
	}
};

}  // namespace

int main(int argc, char** argv)
{
	return demo::RunDemo(argc, argv, "application/x-vnd.corvane-viewdemo",
		[] { return new DemoWindow(); });
}
