#include "BookClipboard.h"

#include "BookText.h"

#include <Clipboard.h>
#include <TypeConstants.h>

#include <cstring>

namespace {

using TextBuilder = size_t (*)(const ABookRecord*, char*, size_t);

bool CopyText(const CVABook* book, int32 position, TextBuilder build)
{
	const ABookRecord* record = book != nullptr ? book->RecordAt(position) : nullptr;
	if (record == nullptr)
		return false;
	char text[kBookTextBufferSize];
	build(record, text, sizeof(text));
	return PutClipboardText(text);
}

}  // namespace

bool PutClipboardText(const char* text)
{
	if (text == nullptr || be_clipboard == nullptr || !be_clipboard->Lock())
		return false;
	be_clipboard->Clear();
	// A message holds no empty data, so an empty text leaves the clipboard empty.
	const size_t length = strlen(text);
	const status_t added = length == 0 ? B_OK
		: be_clipboard->Data()->AddData("text/plain", B_MIME_TYPE, text,
			static_cast<ssize_t>(length));
	const status_t committed = added == B_OK ? be_clipboard->Commit() : added;
	if (committed != B_OK)
		be_clipboard->Revert();  // the cleared, uncommitted data must not linger
	be_clipboard->Unlock();
	return committed == B_OK;
}

bool CopyRecordText(const CVABook* book, int32 position)
{
	return CopyText(book, position, BuildRecordText);
}

bool CopyAddressText(const CVABook* book, int32 position)
{
	return CopyText(book, position, BuildAddressBlock);
}
