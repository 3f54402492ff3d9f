// The address-book file's body and attributes as bytes: the choice of column
// layout, the reader that fills a document from a body, the writer that turns a
// document into a body, and the encoding of the window-frame attribute.
// No file access here; BookFile does that.
// Threading: called with the document guarded by its rule (see CVABook.h).
#ifndef _BOOK_BODY_H
#define _BOOK_BODY_H

#include "CVABook.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The two document types; the stored type attribute holds the terminator too.
extern const char kBookFileType[];          // 21 columns, from "Nickname"
extern const char kOriginalBookFileType[];  // 20 columns, from "First Name"
extern const char kTypeAttrName[];          // "BEOS:TYPE"
extern const char kFrameAttrName[];         // "CVABWndwFrame"
constexpr size_t kBookFileTypeSize = 35;    // kBookFileType with its NUL
constexpr size_t kFrameAttrSize = 16;

enum class book_layout {
	kAllColumns,  // column c is field c
	kNoNickname,  // column c is field c + 1; "Nickname" stays empty
};

// The layout for a file whose type attribute holds these bytes: kAllColumns
// exactly when the value, read as a C string (up to its first NUL or its end),
// is kBookFileType.
book_layout LayoutForType(const void* value, size_t size);

// The layout for a file with no type attribute at all: kAllColumns when the body
// has at least one line and every line has exactly 21 columns (one of ours whose
// attributes were lost in copying), otherwise kNoNickname.
book_layout LayoutForTypelessBody(const char* data, size_t size);

// What reading a body could not keep, so that the caller can warn before a save
// makes the loss permanent.
struct book_read_losses {
	int32 cutFields = 0;       // columns longer than 40 bytes, shortened
	int32 droppedColumns = 0;  // non-empty columns past "Birthday", dropped
	bool stoppedAtNul = false; // a NUL ended the body and text was lost with it
	bool Any() const { return cutFields > 0 || droppedColumns > 0 || stoppedAtNul; }
};

// One plain English phrase for an alert, e.g. "3 fields longer than 40 bytes
// would be shortened and the text after a NUL byte would be lost"; only the
// parts that apply, "" when none does.
std::string DescribeLosses(const book_read_losses& losses);

// What kept another program's version of a book from being read whole, so
// that a merge never deletes on its behalf a record it may have lost: while
// Any(), the records that version lacks are kept (see MergeBooks).
struct body_damage {
	int32 nulLines = 0;        // lines holding a NUL byte, left out
	bool cutLastLine = false;  // the last line had no line feed: it may be cut short
	int32 shortLines = 0;      // lines of fewer than 21 columns, read in 21
	book_read_losses losses;   // fields cut to 40 bytes, filled columns past "Birthday"
	bool Any() const { return nulLines > 0 || cutLastLine || shortLines > 0 || losses.Any(); }
};

// One plain English phrase for an alert, e.g. "1 line with a NUL byte and a
// last line without its line feed"; "" when nothing applies.
std::string DescribeDamage(const body_damage& damage);

// Takes the lines holding a NUL byte out of body and counts them: the lines
// after a NUL are read as ever, so no record vanishes behind it.
void DropNulLines(std::string* body, body_damage* damage);

// A body's lines by their number of columns: 21 or more, or fewer.
struct body_columns {
	size_t full = 0;
	size_t fewer = 0;
};
body_columns CountColumns(const char* data, size_t size);

// The layout a merge reads another program's version in when it has no type
// attribute (sed -i, editors, cp and version control drop it): 21 columns
// when more of its lines have 21 columns or more than have fewer, 20 when
// fewer-column lines are the most, the layout the book was read in before on
// a tie. A line that lost a column so never shifts every field of the book.
book_layout LayoutForTypelessMerge(const body_columns& columns, book_layout before);

// Appends one record per line of the body to book, raising its count for each,
// and returns how many. A TAB ends a column, a line feed the line; columns past
// "Birthday" are dropped and each column keeps at most 40 bytes, cut before any
// UTF-8 character the cut would split. A carriage return is text. A NUL ends
// the body and drops the unfinished line before it; at the plain end of the
// data an unfinished line is kept when it holds any byte. losses (may be null)
// is added to, not reset. Empty columns past "Birthday" are no loss and not
// counted. ids (may be null) are the records' ids in line order; a record past
// their end, or every record without them, gets a new id.
int32 ReadBookBody(CVABook* book, const char* data, size_t size, book_layout layout,
	book_read_losses* losses = nullptr, const std::vector<record_id>* ids = nullptr);

// The lines ReadBookBody makes records of, in order, each without its line
// feed.
std::vector<std::string_view> BodyLines(const char* data, size_t size);

// Whether the body is exactly what WriteBookBody writes for the records read
// from it in 21 columns: every line 21 columns of at most 40 bytes ended by a
// line feed, and no NUL.
bool IsWriterForm(const char* data, size_t size);

// Receives the body in pieces of up to 256 KiB; returns B_OK to go on, or an
// error, which stops the writer and is returned by it.
using BookBodySink = std::function<status_t(const char* bytes, size_t size)>;

// Writes every record, each as its 21 fields separated by
// TABs and ended by a line feed. ids (may be null) receives the records' ids
// in line order.
status_t WriteBookBody(const CVABook* book, const BookBodySink& sink,
	std::vector<record_id>* ids = nullptr);
std::string BookBodyBytes(const CVABook* book);

// The window frame attribute: four little-endian 32-bit floats.
struct book_frame {
	float left = 0;
	float top = 0;
	float right = 0;
	float bottom = 0;
};
void EncodeFrame(const book_frame& frame, uint8 bytes[kFrameAttrSize]);
// False when size is not 16.
bool DecodeFrame(const void* bytes, size_t size, book_frame* frame);

// Whether a stored frame can be used as it is on a screen of that size: all
// four values finite, not inverted, no larger than the screen, and its top-left
// corner at least 20 pixels inside the screen so the window can be grabbed.
// When it cannot, the caller lets the window choose, with (0, 0, -1, -1).
bool IsUsableFrame(const book_frame& frame, float screenWidth, float screenHeight);

#endif
