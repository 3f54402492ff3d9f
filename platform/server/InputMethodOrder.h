// Puts what SDL reports of an input method in the order the user meant. With
// IBus, SDL 2.26 hands over a key the input method lets through while it
// composes (space, Enter, Tab, an arrow) with the text the key types, before
// the text the key made the input method commit: the space would land before
// the committed word, and Enter would press a window's default button before the
// word is in. Such a key waits here for the commit and follows it; Enter, whose
// work there was the commit, goes. A key that no commit follows within kWait
// comes through late, as it was.
// Events go in as the backend made them (keys, kText, kComposition; the rest
// pass) and come out in the order the windows get them. A key whose character
// comes as text goes in with no bytes, and only the text comes out.
// Threading: a plain value; the SDL backend's thread.
#ifndef _SERVER_INPUT_METHOD_ORDER_H
#define _SERVER_INPUT_METHOD_ORDER_H

#include "Backend.h"

#include <vector>

class InputMethodOrder {
public:
	static constexpr bigtime_t kWait = 100000;

	void Take(const BackendEvent& event, std::vector<BackendEvent>& out);
	// Lets a key through that waited longer than kWait; now is system time.
	void Expire(bigtime_t now, std::vector<BackendEvent>& out);

private:
	void _Commit(const BackendEvent& text, std::vector<BackendEvent>& out);
	static void _Pass(const BackendEvent& event, std::vector<BackendEvent>& out);

	bool fComposing = false;
	std::vector<BackendEvent> fHeld;  // a key and the text it typed
	bool fHeldJustNow = false;        // the last event was a held key that types text
};

#endif
