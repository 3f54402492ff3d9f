#include "InputMethodOrder.h"

#include <InterfaceDefs.h>

void InputMethodOrder::Take(const BackendEvent& event, std::vector<BackendEvent>& out)
{
	const bool followsHeldKey = fHeldJustNow;
	fHeldJustNow = false;
	switch (event.kind) {
		case BackendEvent::kComposition:
			fComposing = !event.bytes.empty();
			out.push_back(event);
			return;
		case BackendEvent::kKeyDown:
			if (fComposing && fHeld.empty()) {
				fHeld.push_back(event);
				fHeldJustNow = event.bytes.empty();  // its character comes next, as text
				return;
			}
			break;
		case BackendEvent::kText:
			// The text a held key typed comes right after it; any other text is
			// what the input method commits.
			if (followsHeldKey) {
				fHeld.push_back(event);
				return;
			}
			_Commit(event, out);
			return;
		default:
			break;
	}
	_Pass(event, out);
}

void InputMethodOrder::_Pass(const BackendEvent& event, std::vector<BackendEvent>& out)
{
	if (event.kind != BackendEvent::kKeyDown || !event.bytes.empty())
		out.push_back(event);
}

void InputMethodOrder::_Commit(const BackendEvent& text, std::vector<BackendEvent>& out)
{
	if (fComposing) {
		// The committed text takes the composition's place.
		BackendEvent ended = text;
		ended.kind = BackendEvent::kComposition;
		ended.bytes.clear();
		out.push_back(ended);
		fComposing = false;
	}
	out.push_back(text);
	for (const BackendEvent& held : fHeld) {
		if (held.kind != BackendEvent::kKeyDown || held.bytes != std::string(1, B_ENTER))
			_Pass(held, out);
	}
	fHeld.clear();
}

void InputMethodOrder::Expire(bigtime_t now, std::vector<BackendEvent>& out)
{
	if (fHeld.empty() || now - fHeld.front().when <= kWait)
		return;
	for (const BackendEvent& held : fHeld)
		_Pass(held, out);
	fHeld.clear();
	fHeldJustNow = false;
}
