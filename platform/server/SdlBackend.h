// Real top-level windows through SDL2, drawn by copying finished frames into each
// window's surface (no GPU), with SDL's input, cursors and clipboard.
// Threading: as Backend; SDL is used only from the display server's thread.
#ifndef _SERVER_SDL_BACKEND_H
#define _SERVER_SDL_BACKEND_H

#include "Backend.h"
#include "InputMethodOrder.h"

#include <map>
#include <memory>

struct SDL_Window;
struct SDL_Cursor;
struct SDL_Surface;
union SDL_Event;

class SdlBackend : public Backend {
public:
	// Returns null (with a one-line reason in error) when no display can be opened.
	static std::unique_ptr<SdlBackend> Open(std::string& error);
	~SdlBackend() override;

	const char* Name() const override { return "sdl"; }
	PixelRect ScreenFrame() const override;

	void CreateWindow(int32 id, const WindowRequest& request) override;
	void DestroyWindow(int32 id) override;
	void ShowWindow(int32 id, bool show) override;
	void RaiseWindow(int32 id) override;
	void FocusWindow(int32 id) override;
	void MoveWindow(int32 id, int32 x, int32 y) override;
	void ResizeWindow(int32 id, int32 width, int32 height) override;
	void SetTitle(int32 id, const std::string& title) override;
	void SetSizeLimits(int32 id, int32 minWidth, int32 maxWidth, int32 minHeight,
		int32 maxHeight) override;
	void Present(int32 id, const Framebuffer& frame, const PixelRect& dirty) override;

	void SetTextInputRect(int32 id, const PixelRect& rect) override;
	void SetCursor(CursorKind cursor) override;
	std::string ClipboardText() override;
	void SetClipboardText(const std::string& text) override;

	void WaitForEvents(bigtime_t timeout, std::vector<BackendEvent>& events) override;
	void Wake() override;
	bool ManagesFocus() const override { return true; }

private:
	SdlBackend() = default;
	void Translate(const SDL_Event& event, std::vector<BackendEvent>& events);
	void TranslateWindowEvent(const SDL_Event& event, std::vector<BackendEvent>& events);
	void TranslateKey(const SDL_Event& event, std::vector<BackendEvent>& events);
	void TranslateText(const SDL_Event& event, std::vector<BackendEvent>& events);
	void TranslateComposition(uint32 windowId, const char* text, int32 start,
		std::vector<BackendEvent>& events);
	void ApplyTextInputRect(int32 id);
	int32 IdOf(uint32 sdlWindowId) const;
	SDL_Window* WindowOf(int32 id) const;

	std::map<int32, SDL_Window*> fWindows;
	std::map<uint32, int32> fIds;  // SDL window id to server id
	std::map<CursorKind, SDL_Cursor*> fCursors;
	uint32 fWakeEvent = 0;
	SDL_Surface* fIcon = nullptr;  // the program's icon for its windows, when installed
	std::map<int32, PixelRect> fTextInputRects;
	InputMethodOrder fInputOrder;
	uint32 fLastTextStamp = 0;  // SDL's time of the last text event
};

#endif
