// The framed text view of every dialog: a two-pixel sunken frame, a blue ring
// while it has the keyboard focus, and a key filter that stops ordinary typing
// once the text is longer than 40 bytes while editing and moving keys still work.
// Threading: its window's thread, or with the window locked.
#ifndef _MY_ENTRY_TEXT_VIEW_H
#define _MY_ENTRY_TEXT_VIEW_H

#include <TextView.h>

#include <string>

class MyEntryTextView : public BTextView {
public:
	MyEntryTextView(BRect frame, const char* name, BRect textRect, uint32 resizingMode,
		uint32 flags);
	virtual ~MyEntryTextView();

	void Draw(BRect updateRect) override;
	void KeyDown(const char* bytes, int32 numBytes) override;
	void MakeFocus(bool focused = true) override;

	// The text as a record field keeps it: up to the first TAB or line feed,
	// at most 40 bytes and never cut inside a UTF-8 character.
	std::string FieldText() const;
};

#endif
