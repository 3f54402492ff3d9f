// The start benchmark's baseline: a window titled "bare" the size of a book's,
// filled grey and shown through a window surface as the program shows its own,
// until the program is told to stop.
#include <SDL.h>

#include <csignal>

namespace {

volatile std::sig_atomic_t sStop = 0;

}  // namespace

int main()
{
	std::signal(SIGTERM, [](int) { sStop = 1; });
	SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
	SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
	if (SDL_Init(SDL_INIT_VIDEO) != 0)
		return 1;
	SDL_Window* window = SDL_CreateWindow("bare", 100, 100, 700, 500, 0);
	SDL_Surface* surface = SDL_GetWindowSurface(window);
	SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 216, 216, 216));
	SDL_UpdateWindowSurface(window);
	while (!sStop) {
		SDL_Event event;
		if (SDL_WaitEventTimeout(&event, 50) && event.type == SDL_WINDOWEVENT)
			SDL_UpdateWindowSurface(window);
	}
	SDL_DestroyWindow(window);
	SDL_Quit();
	return 0;
}
