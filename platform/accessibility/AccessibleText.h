// AccessibleText: a text view as a screen reader sees it, with ATK's Text and
// EditableText interfaces: an entry (one line) or a text (several), named by the
// label in front of it; a view that can neither be reached nor selected (an
// alert's message, an About text) is a label named by its text. Offsets are
// characters. The window's thread publishes the text, the caret and the
// selection as they change, with each insertion and deletion, so the reader
// hears every edit in order and reads the text without waiting for the window;
// the layout's lines and extents are read under the window's lock.
// Threading: the accessibility thread, except Publish (the window's thread, window
// locked); the published state has a lock of its own.
#ifndef _CVAB_ACCESSIBLE_TEXT_H
#define _CVAB_ACCESSIBLE_TEXT_H

#include "AccessibleView.h"
#include "TextRanges.h"

#include <functional>
#include <mutex>

class BTextView;

namespace BPrivate {

class AccessibleText : public AccessibleView {
public:
	AccessibleText(BTextView* view, Accessible* parent);

	// Fill in the ATK interfaces (GInterfaceInitFuncs).
	static void InitTextInterface(gpointer iface, gpointer data);
	static void InitEditableInterface(gpointer iface, gpointer data);

	void Publish(uint32 changes) override;
	void Announce(uint32 changes) override;
	void AddRelations(AtkRelationSet* relations) override;

	// The published text, with the lines last laid out.
	TextRanges Ranges();
	int32 Caret();
	// The selection, in characters; false for none.
	bool Selection(int32* start, int32* end);
	// Selects [start, end) (a caret where they meet); false when the window
	// cannot be had.
	bool Select(int32 start, int32 end);
	// Where [start, end) shows, in the screen's pixels; invalid when unknown.
	BRect RangeFrame(int32 start, int32 end);
	// The character at a point of the screen (in its pixels), or -1.
	int32 OffsetAt(BPoint screenPoint);
	// Runs edit on an editable view with its window locked, with the text's
	// ranges as they are; false when it cannot.
	bool Edit(const std::function<void(BTextView*, const TextRanges&)>& edit);

protected:
	bool Refresh() override;

private:
	struct Change {
		bool inserted;
		int32 offset;  // characters
		int32 length;
		std::string text;
	};

	static AtkRole _RoleOf(const BTextView* view);
	// The window's thread, fLock held: the edits that make before into after.
	void _NoteEdits(const std::string& before, const std::string& after);
	void _PublishFrom(const BTextView* view);

	std::mutex fLock;
	std::string fText;
	int32 fCaret = 0;  // bytes
	int32 fAnchor = 0;
	std::vector<int32> fLineStarts;  // bytes, after the first line
	std::vector<Change> fChanges;
	bool fCaretMoved = false;
	bool fSelectionChanged = false;
};

}  // namespace BPrivate

#endif
