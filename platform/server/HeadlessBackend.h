// A virtual screen with no output: windows exist only as the server's records and
// their frames; input arrives through the server's injection call.
// Threading: as Backend; Wake and the waiting are guarded by an internal mutex.
#ifndef _SERVER_HEADLESS_BACKEND_H
#define _SERVER_HEADLESS_BACKEND_H

#include "Backend.h"

#include <condition_variable>
#include <mutex>

class HeadlessBackend : public Backend {
public:
	HeadlessBackend(int32 width, int32 height);

	const char* Name() const override { return "headless"; }
	PixelRect ScreenFrame() const override { return fScreen; }

	void CreateWindow(int32, const WindowRequest&) override {}
	void DestroyWindow(int32) override {}
	void ShowWindow(int32, bool) override {}
	void RaiseWindow(int32) override {}
	void FocusWindow(int32) override {}
	void MoveWindow(int32, int32, int32) override {}
	void ResizeWindow(int32, int32, int32) override {}
	void SetTitle(int32, const std::string&) override {}
	void SetSizeLimits(int32, int32, int32, int32, int32) override {}
	void Present(int32, const Framebuffer&, const PixelRect&) override {}

	void SetTextInputRect(int32, const PixelRect&) override {}
	void SetCursor(CursorKind) override {}
	std::string ClipboardText() override { return fClipboard; }
	void SetClipboardText(const std::string& text) override { fClipboard = text; }

	void WaitForEvents(bigtime_t timeout, std::vector<BackendEvent>& events) override;
	void Wake() override;
	bool ManagesFocus() const override { return false; }

private:
	PixelRect fScreen;
	std::string fClipboard;
	std::mutex fMutex;
	std::condition_variable fWoken;
	bool fWakePending = false;
};

#endif
