// The 21 fields of an address record: their numbers, names and text limits.
// Threading: constants only; safe from any thread.
#ifndef _BOOK_FIELDS_H
#define _BOOK_FIELDS_H

#include <SupportDefs.h>

// Field numbers, in the one order used by the file columns, the record text, the
// editor rows and the sort commands.
enum book_field : int32 {
	kNicknameField = 0,
	kFirstNameField,
	kMiddleNameField,
	kLastNameField,
	kTitleField,
	kCompanyField,
	kAddress1Field,
	kAddress2Field,
	kCityField,
	kStateField,
	kZipField,
	kCountryField,
	kPhoneField,
	kCellField,
	kFaxField,
	kEmail1Field,
	kEmail2Field,
	kWebAddressField,
	kCommentsField,
	kComments2Field,
	kBirthdayField,
};

constexpr int32 kBookFieldCount = 21;

// A field holds at most this many bytes of text...
constexpr size_t kFieldTextLength = 40;
// ...in a buffer of this size (text, terminator and one spare byte).
constexpr size_t kFieldBufferSize = 42;

// Composed texts (record text, address block) are built in buffers of this size;
// the longest possible text needs 21 * 40 + 21 bytes and its terminator.
constexpr size_t kBookTextBufferSize = 1000;

// The field labels, index = field number, "Nickname" to "Birthday".
extern const char* const kBookFieldNames[kBookFieldCount];

#endif
