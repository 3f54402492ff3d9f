#include "PanelField.h"

#include <InterfaceDefs.h>
#include <Window.h>

#include <cstring>

namespace BPrivate {

namespace {

// The text sits a little inside the border the scroll view draws around it.
BRect TextRectFor(BRect frame)
{
	return BRect(3, 3, 4000, frame.Height() - 3);
}

}  // namespace

PanelField::PanelField(BRect frame, const char* name, uint32 resizingMode, int32 maxBytes)
	: BTextView(frame, name, TextRectFor(frame), resizingMode,
		B_WILL_DRAW | B_PULSE_NEEDED | B_NAVIGABLE)
{
	SetWordWrap(false);
	SetMaxBytes(maxBytes);
}

void PanelField::KeyDown(const char* bytes, int32 numBytes)
{
	if (numBytes == 1 && bytes[0] == B_ENTER) {
		if (fEnterMessage != nullptr && Window() != nullptr)
			Window()->PostMessage(fEnterMessage.get(), Window());
		return;
	}
	BTextView::KeyDown(bytes, numBytes);
}

// A path or a name is one line: pasted text stops at its first line break.
void PanelField::Paste(BClipboard* clipboard)
{
	int32 start = 0;
	int32 finish = 0;
	GetSelection(&start, &finish);
	BTextView::Paste(clipboard);
	int32 pastedEnd = 0;
	GetSelection(&pastedEnd, &finish);
	const char* text = Text();
	for (int32 i = start; i < pastedEnd; i++) {
		if (text[i] == '\n' || text[i] == '\r') {
			Delete(i, pastedEnd);
			Select(i, i);
			break;
		}
	}
}

void PanelField::SetTextAtEnd(const char* text)
{
	SetText(text);
	const int32 end = (int32)strlen(text);
	Select(end, end);
	ScrollToOffset(end);
}

}  // namespace BPrivate
