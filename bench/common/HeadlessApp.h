// One application on the headless screen for a whole benchmark run, in its own
// thread as main would run it; it quits when the program ends.
// Threading: made once, by the first benchmark that needs it.
#ifndef _CVAB_BENCH_HEADLESS_APP_H
#define _CVAB_BENCH_HEADLESS_APP_H

#include <Application.h>

#include "HeadlessScreen.h"

#include <future>
#include <thread>

class HeadlessApp {
public:
	explicit HeadlessApp(const char* signature)
	{
		BPrivate::HeadlessScreen::Use();
		std::promise<void> ready;
		std::future<void> started = ready.get_future();
		fThread = std::thread([&ready, signature] {
			BApplication app(signature);
			ready.set_value();
			app.Run();
		});
		started.wait();
	}
	~HeadlessApp()
	{
		be_app->PostMessage(B_QUIT_REQUESTED);
		fThread.join();
	}

private:
	std::thread fThread;
};

#endif
