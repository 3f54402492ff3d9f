// PanelField: the file panel's one-line text fields (the folder path and the name).
// Enter, which the panel window hands to the path field instead of the default button,
// sends its message to the window; a line break never enters the text, typed or pasted.
// Threading: its window's thread, or with the window locked.
#ifndef _CVAB_PANEL_FIELD_H
#define _CVAB_PANEL_FIELD_H

#include <TextView.h>

#include <memory>

namespace BPrivate {

class PanelField : public BTextView {
public:
	PanelField(BRect frame, const char* name, uint32 resizingMode, int32 maxBytes);

	void KeyDown(const char* bytes, int32 numBytes) override;
	void Paste(BClipboard* clipboard) override;

	// Sent to the window on Enter; the field owns it. Null: Enter does nothing.
	void SetEnterMessage(BMessage* message) { fEnterMessage.reset(message); }
	// Replaces the text and puts the caret at its end.
	void SetTextAtEnd(const char* text);

private:
	std::unique_ptr<BMessage> fEnterMessage;
};

}  // namespace BPrivate

#endif
