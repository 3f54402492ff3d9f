// BScreen: the screen's frame in screen coordinates (the API's, whatever the
// device scale).
// Threading: any thread.
#ifndef _SCREEN_H
#define _SCREEN_H

#include <GraphicsDefs.h>
#include <Rect.h>

class BWindow;

struct screen_id {
	int32 id;
};

extern const screen_id B_MAIN_SCREEN_ID;

class BScreen {
public:
	explicit BScreen(screen_id id = B_MAIN_SCREEN_ID);
	explicit BScreen(BWindow* window);

	bool IsValid() const { return fValid; }
	status_t SetToNext() { return B_ERROR; }  // there is one screen
	BRect Frame() const;
	color_space ColorSpace() const { return B_RGB32; }
	screen_id ID() const { return B_MAIN_SCREEN_ID; }

private:
	bool fValid;
};

#endif
