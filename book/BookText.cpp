#include "BookText.h"

#include <cstring>

namespace {

// Appends into a fixed buffer, always leaving room for the terminator.
class TextBuilder {
public:
	// size is at least 1.
	TextBuilder(char* buffer, size_t size)
		: fBuffer(buffer), fCapacity(size - 1)
	{
	}

	void Append(const char* text) { Append(text, strlen(text)); }
	void Append(char c) { Append(&c, 1); }
	void Append(const char* text, size_t length)
	{
		const size_t room = fCapacity - fLength;
		const size_t n = length < room ? length : room;
		memcpy(fBuffer + fLength, text, n);
		fLength += n;
	}

	size_t Finish()
	{
		fBuffer[fLength] = '\0';
		return fLength;
	}

private:
	char* const fBuffer;
	const size_t fCapacity;
	size_t fLength = 0;
};

}  // namespace

size_t BuildRecordText(const ABookRecord* record, char* buffer, size_t bufferSize)
{
	if (bufferSize == 0)
		return 0;
	TextBuilder text(buffer, bufferSize);
	for (int32 field = 0; field < kBookFieldCount; field++) {
		text.Append(record->Field(field));
		text.Append('\t');
	}
	return text.Finish();
}

size_t BuildAddressBlock(const ABookRecord* record, char* buffer, size_t bufferSize)
{
	if (bufferSize == 0)
		return 0;
	// Each line's fields, every one followed by a space even when empty; a line
	// feed after every line but the last.
	static const int32 kLines[][3] = {
		{kFirstNameField, kMiddleNameField, kLastNameField},
		{kTitleField, -1, -1},
		{kCompanyField, -1, -1},
		{kAddress1Field, -1, -1},
		{kAddress2Field, -1, -1},
		{kCityField, kStateField, kZipField},
	};
	constexpr size_t kLineCount = sizeof(kLines) / sizeof(kLines[0]);

	TextBuilder text(buffer, bufferSize);
	for (size_t line = 0; line < kLineCount; line++) {
		for (const int32 field : kLines[line]) {
			if (field < 0)
				break;
			text.Append(record->Field(field));
			text.Append(' ');
		}
		if (line + 1 < kLineCount)
			text.Append('\n');
	}
	return text.Finish();
}
