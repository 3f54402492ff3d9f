// The application shell the demonstration programs share: it opens the window a
// factory makes, and with `--quit-after MS` quits by itself (the smoke tests run the
// demos that way on the headless screen).
// Threading: the application's thread.
#ifndef _CVAB_DEMO_APP_H
#define _CVAB_DEMO_APP_H

#include <Application.h>
#include <View.h>
#include <Window.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>

namespace demo {

class DemoApp : public BApplication {
public:
	DemoApp(const char* signature, std::function<BWindow*()> makeWindow, int32 quitAfterMs)
		: BApplication(signature), fMakeWindow(std::move(makeWindow)), fQuitAfterMs(quitAfterMs)
	{
	}

	void ReadyToRun() override
	{
		fMakeWindow()->Show();
		if (fQuitAfterMs > 0) {
			std::thread([ms = fQuitAfterMs] {
				std::this_thread::sleep_for(std::chrono::milliseconds(ms));
				be_app->PostMessage(B_QUIT_REQUESTED);
			}).detach();
		}
	}

private:
	std::function<BWindow*()> fMakeWindow;
	int32 fQuitAfterMs;
};

// The panel-coloured view that fills a demo window below its menu bar.
inline BView* AddBackground(BWindow* window, float menuBarHeight)
{
	BRect area = window->Bounds();
	area.top = menuBarHeight;
	BView* background = new BView(area, "background", B_FOLLOW_ALL, B_WILL_DRAW);
	background->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	window->AddChild(background);
	return background;
}

// The whole of a demo's main: reads the options and runs the application.
inline int RunDemo(int argc, char** argv, const char* signature,
	std::function<BWindow*()> makeWindow)
{
	int32 quitAfterMs = 0;
	for (int i = 1; i < argc; i++) {
		if (strcmp(argv[i], "--quit-after") == 0 && i + 1 < argc) {
			quitAfterMs = atoi(argv[++i]);
		} else {
			fprintf(stderr, "usage: %s [--quit-after MS]\n", argv[0]);
			return 2;
		}
	}
	DemoApp app(signature, std::move(makeWindow), quitAfterMs);
	if (app.InitCheck() != B_OK)
		return 1;
	app.Run();
	return 0;
}

}  // namespace demo

#endif
