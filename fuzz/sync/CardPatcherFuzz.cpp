// A card and a changed record: the input is a card, then the bytes FE FD FC FB
// and the record's 21 fields joined by TABs (without them, the record is the
// card's own fields changed in a way the input's length picks). The patched card must
// be made (for a UTF-8 card: every field's property is found and decoded, as
// the reader found and decoded it), keep each line it did not rewrite byte for
// byte and in order, keep its VERSION, and read back as a card whenever the
// record holds any text (and the reader does not take it for UTF-16). Fields left as they are change nothing at all.
#include "ContactFuzzCheck.h"

#include <CardPatcher.h>

#include <AsciiText.h>

#include <algorithm>

namespace {

// Neither UTF-8 nor a likely pair of UTF-16 characters.
constexpr std::string_view kSplit = "\xFE\xFD\xFC\xFB";

// The record's fields as the book would hold them.
card_fields Normalized(std::string_view line)
{
	CVABook book(nullptr);
	ABookRecord* record = book.AddRecord();
	card_fields fields;
	for (int32 field = 0; field < kBookFieldCount; field++) {
		const size_t tab = line.find('\t');
		const std::string_view text = line.substr(0, field + 1 < kBookFieldCount ? tab : line.size());
		record->SetField(field, text.data(), text.size());
		fields[field] = record->Field(field);
		line = tab == std::string_view::npos || field + 1 == kBookFieldCount ? std::string_view()
			: line.substr(tab + 1);
	}
	return fields;
}

// Changes chosen by a number: emptied, replaced, extended, or kept.
card_fields Changed(const card_fields& fields, size_t pick)
{
	card_fields changed = fields;
	for (int32 field = 0; field < kBookFieldCount; field++) {
		switch ((pick + size_t(field) * 7) % 5) {
			case 0: changed[field].clear(); break;
			case 1: changed[field] = "Ann, B;C\\d " + std::to_string(field); break;
			case 2: changed[field] = (changed[field] + "x").substr(0, kFieldTextLength); break;
			default: break;
		}
	}
	changed[kBirthdayField] = pick % 2 == 0 ? "1990-05-01" : "--02-29";
	return changed;
}

bool HasText(const card_fields& fields)
{
	return std::any_of(fields.begin(), fields.end(), [](const std::string& text) {
		return !FlattenFieldText(CardPatcher::CardText(text)).empty();
	});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	const std::string_view input(reinterpret_cast<const char*>(data), size);
	const size_t split = input.rfind(kSplit);
	const std::string_view bytes = split == std::string_view::npos ? input : input.substr(0, split);
	ConversionReport report;
	VCardReader::card card;
	if (!VCardReader(&report).ReadCard(bytes, &card))
		return 0;
	const card_fields fields = split == std::string_view::npos ? Changed(card.fields, size)
		: Normalized(input.substr(split + kSplit.size()));

	card_patch patch;
	Require(CardPatcher(bytes, card).Patch(card.fields, &patch));
	size_t mark = 0;
	const std::string_view form = DetectUnicodeForm(bytes, &mark);
	const bool utf16 = form == "UTF-16LE" || form == "UTF-16BE";
	Require(utf16 || patch.bytes == bytes);

	const bool patched = CardPatcher(bytes, card).Patch(fields, &patch);
	if (!patched && !utf16)
		fprintf(stderr, "not patched: %s\n", patch.error.c_str());
	Require(patched || utf16);
	if (!patched)
		return 0;
	if (!utf16) {
		const std::string_view text = bytes.substr(mark);
		const std::vector<lexed_line> lexed = VCardLexer(text).Rest();
		size_t at = mark;
		for (size_t index = 0; index < card.lines.size(); index++) {
			if (std::count(patch.touched.begin(), patch.touched.end(), int32(index)) > 0)
				continue;
			const lexed_line& line = lexed[card.lines[index].position];
			const std::string_view kept = text.substr(line.begin, line.end - line.begin);
			at = patch.bytes.find(kept, at);
			Require(at != std::string::npos);
			at += kept.size();
		}
	}
	// The reader takes a file whose start is every other byte NUL for UTF-16;
	// a card holding NULs may pass that test or fail it once patched. (The
	// patcher itself adds no NUL: a field cannot hold one.)
	size_t ignored = 0;
	const std::string_view now = DetectUnicodeForm(patch.bytes, &ignored);
	const bool readAsUTF16 = now == "UTF-16LE" || now == "UTF-16BE";
	VCardReader::card again;
	const bool read = VCardReader(&report).ReadCard(patch.bytes, &again);
	Require(read || !HasText(fields) || readAsUTF16);
	Require(!read || again.version == card.version);
	return 0;
}
