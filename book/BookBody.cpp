// Sections: type constants and layout choice, reader and its losses, writer,
// frame attribute and frame trust.
#include "BookBody.h"

#include <ByteOrder.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

// --- type constants and layout choice

const char kBookFileType[] = "application/x.vnd-tarvish-cvabfile";
const char kOriginalBookFileType[] = "application/x.vnd-tarvish-cvaborigfile";
const char kTypeAttrName[] = "BEOS:TYPE";
const char kFrameAttrName[] = "CVABWndwFrame";

static_assert(sizeof(kBookFileType) == kBookFileTypeSize);
static_assert(kFieldTextLength % 8 == 0, "the writer measures fields a word at a time");

book_layout LayoutForType(const void* value, size_t size)
{
	const char* text = static_cast<const char*>(value);
	const size_t length = text != nullptr ? strnlen(text, size) : 0;
	const bool ours = length == kBookFileTypeSize - 1
		&& memcmp(text, kBookFileType, length) == 0;
	return ours ? book_layout::kAllColumns : book_layout::kNoNickname;
}

namespace {

// The body as the reader sees it: the bytes before the first NUL, and whether
// a NUL cut them short (which drops an unfinished last line).
struct body_extent {
	const char* end;
	bool endedByNul;
};

body_extent FindExtent(const char* data, size_t size)
{
	const char* nul = size > 0 ? static_cast<const char*>(memchr(data, '\0', size)) : nullptr;
	return nul != nullptr ? body_extent{nul, true} : body_extent{data + size, false};
}

// Calls line(start, end) for every line the reader keeps, end excluding the line
// feed; stops early when line returns false. Returns whether a NUL ended the body.
template <typename LineFunction>
bool ForEachLine(const char* data, size_t size, LineFunction line)
{
	const body_extent extent = FindExtent(data, size);
	const char* p = data;
	while (p < extent.end) {
		const char* lineEnd = static_cast<const char*>(memchr(p, '\n', extent.end - p));
		if (lineEnd == nullptr) {
			if (extent.endedByNul)
				break;
			lineEnd = extent.end;
		}
		if (!line(p, lineEnd))
			break;
		p = lineEnd + 1;
	}
	return extent.endedByNul;
}

}  // namespace

book_layout LayoutForTypelessBody(const char* data, size_t size)
{
	bool anyLine = false;
	bool allFull = true;
	ForEachLine(data, size, [&](const char* start, const char* end) {
		anyLine = true;
		size_t tabs = 0;
		for (const char* p = start; p < end && tabs <= kBookFieldCount; p++)
			tabs += *p == '\t';
		allFull = tabs == kBookFieldCount - 1;
		return allFull;
	});
	return anyLine && allFull ? book_layout::kAllColumns : book_layout::kNoNickname;
}

std::vector<std::string_view> BodyLines(const char* data, size_t size)
{
	std::vector<std::string_view> lines;
	ForEachLine(data, size, [&](const char* start, const char* end) {
		lines.emplace_back(start, end - start);
		return true;
	});
	return lines;
}

bool IsWriterForm(const char* data, size_t size)
{
	if (size > 0 && data[size - 1] != '\n')
		return false;
	bool writerForm = true;
	const bool endedByNul = ForEachLine(data, size, [&](const char* start, const char* end) {
		int32 columns = 0;
		for (const char* column = start;; columns++) {
			const char* tab = static_cast<const char*>(memchr(column, '\t', end - column));
			const char* columnEnd = tab != nullptr ? tab : end;
			if (columnEnd - column > static_cast<ptrdiff_t>(kFieldTextLength))
				return writerForm = false;
			if (tab == nullptr)
				break;
			column = tab + 1;
		}
		return writerForm = columns + 1 == kBookFieldCount;
	});
	return writerForm && !endedByNul;
}

// --- reader and its losses

namespace {

// The non-empty columns in [column, end), which holds whole columns.
int32 CountFilledColumns(const char* column, const char* end)
{
	int32 filled = 0;
	for (;;) {
		const char* tab = static_cast<const char*>(memchr(column, '\t', end - column));
		const char* columnEnd = tab != nullptr ? tab : end;
		filled += columnEnd > column;
		if (tab == nullptr)
			return filled;
		column = tab + 1;
	}
}

// Whether a NUL that ended the body cost any text: an unfinished line before
// it, or any byte after it. A lone NUL after the last line feed costs nothing.
bool NulCostText(const char* data, size_t size)
{
	const char* nul = static_cast<const char*>(memchr(data, '\0', size));
	const bool unfinishedLine = nul > data && nul[-1] != '\n';
	return unfinishedLine || nul + 1 < data + size;
}

}  // namespace

int32 ReadBookBody(CVABook* book, const char* data, size_t size, book_layout layout,
	book_read_losses* losses, const std::vector<record_id>* ids)
{
	const int32 firstField = layout == book_layout::kAllColumns ? 0 : 1;
	book_read_losses found;
	int32 records = 0;
	const bool endedByNul = ForEachLine(data, size, [&](const char* start, const char* end) {
		ABookRecord* record = ids != nullptr && static_cast<size_t>(records) < ids->size()
			? book->AddRecord((*ids)[records]) : book->AddRecord();
		records++;
		int32 field = firstField;
		const char* column = start;
		const char* tab = nullptr;
		do {
			tab = static_cast<const char*>(memchr(column, '\t', end - column));
			const char* columnEnd = tab != nullptr ? tab : end;
			const size_t length = columnEnd - column;
			found.cutFields += length > kFieldTextLength;
			record->SetField(field++, column, length);
			if (tab != nullptr)
				column = tab + 1;
		} while (tab != nullptr && field < kBookFieldCount);
		if (tab != nullptr)
			found.droppedColumns += CountFilledColumns(column, end);
		return true;
	});
	found.stoppedAtNul = endedByNul && NulCostText(data, size);
	if (losses != nullptr) {
		losses->cutFields += found.cutFields;
		losses->droppedColumns += found.droppedColumns;
		losses->stoppedAtNul = losses->stoppedAtNul || found.stoppedAtNul;
	}
	return records;
}

namespace {

std::string Counted(int32 n, const char* one, const char* many, const char* rest = "")
{
	return std::to_string(n) + " " + (n == 1 ? one : many) + rest;
}

// "a", "a and b", "a, b, and c".
std::string JoinPhrases(const std::vector<std::string>& parts)
{
	std::string phrase;
	for (size_t i = 0; i < parts.size(); i++) {
		if (i > 0)
			phrase += parts.size() > 2 ? (i + 1 == parts.size() ? ", and " : ", ") : " and ";
		phrase += parts[i];
	}
	return phrase;
}

}  // namespace

std::string DescribeLosses(const book_read_losses& losses)
{
	std::vector<std::string> parts;
	if (losses.cutFields > 0) {
		parts.push_back(Counted(losses.cutFields, "field", "fields",
			" longer than 40 bytes would be shortened"));
	}
	if (losses.droppedColumns > 0) {
		parts.push_back(Counted(losses.droppedColumns, "extra column", "extra columns",
			" would be dropped"));
	}
	if (losses.stoppedAtNul)
		parts.push_back("the text after a NUL byte would be lost");
	return JoinPhrases(parts);
}

// --- another program's version, read for a merge

std::string DescribeDamage(const body_damage& damage)
{
	std::vector<std::string> parts;
	if (damage.nulLines > 0)
		parts.push_back(Counted(damage.nulLines, "line", "lines", " with a NUL byte"));
	if (damage.cutLastLine)
		parts.push_back("a last line without its line feed");
	if (damage.shortLines > 0)
		parts.push_back(Counted(damage.shortLines, "line", "lines", " with missing columns"));
	if (damage.losses.cutFields > 0) {
		parts.push_back(Counted(damage.losses.cutFields, "field", "fields",
			" longer than 40 bytes"));
	}
	if (damage.losses.droppedColumns > 0) {
		parts.push_back(Counted(damage.losses.droppedColumns, "extra column",
			"extra columns"));
	}
	return JoinPhrases(parts);
}

void DropNulLines(std::string* body, body_damage* damage)
{
	if (memchr(body->data(), '\0', body->size()) == nullptr)
		return;
	std::string kept;
	kept.reserve(body->size());
	for (size_t start = 0; start < body->size();) {
		const size_t feed = body->find('\n', start);
		const size_t end = feed == std::string::npos ? body->size() : feed + 1;
		const std::string_view line(body->data() + start, end - start);
		if (line.find('\0') == std::string_view::npos)
			kept.append(line);
		else
			damage->nulLines++;
		start = end;
	}
	*body = std::move(kept);
}

body_columns CountColumns(const char* data, size_t size)
{
	body_columns columns;
	ForEachLine(data, size, [&](const char* start, const char* end) {
		int32 tabs = 0;
		for (const char* p = start; tabs + 1 < kBookFieldCount; p++, tabs++) {
			p = static_cast<const char*>(memchr(p, '\t', end - p));
			if (p == nullptr)
				break;
		}
		(tabs + 1 < kBookFieldCount ? columns.fewer : columns.full)++;
		return true;
	});
	return columns;
}

book_layout LayoutForTypelessMerge(const body_columns& columns, book_layout before)
{
	if (columns.full != columns.fewer)
		return columns.full > columns.fewer ? book_layout::kAllColumns : book_layout::kNoNickname;
	return before;
}

// --- writer

namespace {

constexpr size_t kWriteChunk = 256 * 1024;
// The longest line: 21 fields of 40 bytes, 20 TABs and a line feed; a line is
// only started with this much room left, plus the slack of the last field's
// whole-buffer copy.
constexpr size_t kLongestLine = kBookFieldCount * kFieldTextLength + kBookFieldCount;
constexpr size_t kRoomForLine = kLongestLine + kFieldBufferSize;

// The length of a field's text, a word at a time: fields are short, so the
// terminator is nearly always in the first word.
inline size_t FieldLength(const char* text)
{
	constexpr uint64 kOnes = 0x0101010101010101ull;
	constexpr uint64 kHighs = 0x8080808080808080ull;
	for (size_t offset = 0; offset < kFieldTextLength; offset += 8) {
		uint64 word;
		memcpy(&word, text + offset, sizeof(word));
		// Marks the lowest zero byte exactly (only bytes above it can be false).
		const uint64 zeros = (word - kOnes) & ~word & kHighs;
		if (zeros != 0) {
			const int bit = std::endian::native == std::endian::little
				? __builtin_ctzll(zeros) : __builtin_clzll(zeros);
			return offset + bit / 8;
		}
	}
	return kFieldTextLength;
}

char* AppendLine(char* out, const ABookRecord* record)
{
	for (int32 field = 0; field < kBookFieldCount; field++) {
		const char* text = record->Field(field);
		// Copying the whole fixed-size buffer is cheaper than copying an exact
		// short length; the bytes copied past the text are overwritten next.
		memcpy(out, text, kFieldTextLength);
		out += FieldLength(text);
		*out++ = '\t';
	}
	out[-1] = '\n';
	return out;
}

}  // namespace

status_t WriteBookBody(const CVABook* book, const BookBodySink& sink,
	std::vector<record_id>* ids)
{
	std::unique_ptr<char[]> buffer(new char[kWriteChunk]);
	char* const start = buffer.get();
	char* out = start;
	const ABookRecord* record = book->FirstRecord();
	while (record != nullptr) {
		if (static_cast<size_t>(start + kWriteChunk - out) < kRoomForLine) {
			if (const status_t status = sink(start, out - start); status != B_OK)
				return status;
			out = start;
		}
		const ABookRecord* next = record->Next();
		// Records lie apart in memory; fetching the next one while this one is
		// copied hides most of the wait for it.
		if (next != nullptr) {
			for (int32 field = 0; field < kBookFieldCount; field += 2)
				__builtin_prefetch(next->Field(field));
		}
		out = AppendLine(out, record);
		if (ids != nullptr)
			ids->push_back(record->Id());
		record = next;
	}
	if (out > start)
		return sink(start, out - start);
	return B_OK;
}

std::string BookBodyBytes(const CVABook* book)
{
	std::string bytes;
	WriteBookBody(book, [&bytes](const char* data, size_t size) {
		bytes.append(data, size);
		return B_OK;
	});
	return bytes;
}

// --- frame attribute and frame trust

void EncodeFrame(const book_frame& frame, uint8 bytes[kFrameAttrSize])
{
	const float values[4] = {frame.left, frame.top, frame.right, frame.bottom};
	for (int i = 0; i < 4; i++) {
		const float stored = B_HOST_TO_LENDIAN_FLOAT(values[i]);
		memcpy(bytes + 4 * i, &stored, 4);
	}
}

bool DecodeFrame(const void* bytes, size_t size, book_frame* frame)
{
	if (size != kFrameAttrSize)
		return false;
	float values[4];
	memcpy(values, bytes, sizeof(values));
	frame->left = B_LENDIAN_TO_HOST_FLOAT(values[0]);
	frame->top = B_LENDIAN_TO_HOST_FLOAT(values[1]);
	frame->right = B_LENDIAN_TO_HOST_FLOAT(values[2]);
	frame->bottom = B_LENDIAN_TO_HOST_FLOAT(values[3]);
	return true;
}

bool IsUsableFrame(const book_frame& frame, float screenWidth, float screenHeight)
{
	constexpr float kGrabMargin = 20;
	const float values[4] = {frame.left, frame.top, frame.right, frame.bottom};
	for (const float value : values) {
		if (!std::isfinite(value))
			return false;
	}
	// Written as they are so that a NaN screen size fails every test too.
	return frame.right >= frame.left && frame.bottom >= frame.top
		&& frame.right - frame.left + 1 <= screenWidth
		&& frame.bottom - frame.top + 1 <= screenHeight
		&& frame.left >= 0 && frame.left <= screenWidth - kGrabMargin
		&& frame.top >= 0 && frame.top <= screenHeight - kGrabMargin;
}
