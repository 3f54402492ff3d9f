#include "CardLines.h"

#include "ContentLine.h"

#include <AsciiText.h>
#include <ContactText.h>

#include <optional>

bool LooksQuotedPrintable(std::string_view text)
{
	const size_t colon = text.find(':');
	return UpperAscii(text.substr(0, colon)).find("QUOTED-PRINTABLE") != std::string::npos;
}

namespace {

// The reader opens a card nested this deep as the next card instead.
constexpr int32 kMaxNesting = 8;

}  // namespace

CardLines::CardLines(std::string_view text)
{
	if (const size_t feed = text.find('\n'); feed != std::string_view::npos)
		fLineBreak = feed > 0 && text[feed - 1] == '\r' ? "\r\n" : "\n";
	_Unfold(text);
	_CountFirstCard();
}

void CardLines::_Unfold(std::string_view text)
{
	size_t begin = 0;
	while (begin < text.size()) {
		const size_t feed = text.find('\n', begin);
		const size_t next = feed == std::string_view::npos ? text.size() : feed + 1;
		std::string_view line = text.substr(begin, (feed == std::string_view::npos
			? text.size() : feed) - begin);
		if (!line.empty() && line.back() == '\r')
			line.remove_suffix(1);
		_Take(line, begin, next);
		begin = next;
	}
}

// The reader's unfolding rules, in its order; each logical line also grows
// over the bytes of the physical lines it takes in.
void CardLines::_Take(std::string_view line, size_t begin, size_t next)
{
	if (fJoinNext && !fLines.empty()) {
		fLines.back().text.append(line);
		fLines.back().end = next;
	} else if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
		if (fLines.empty() || fLines.back().kind != card_line_kind::kContent) {
			fLines.push_back({begin, next, card_line_kind::kOrphan, std::string(line)});
		} else {
			fLines.back().text.append(line.substr(1));
			fLines.back().end = next;
		}
	} else if (TrimSpace(line).empty()) {
		fJoinNext = false;
		return;
	} else if (line[0] == '#') {
		fLines.push_back({begin, next, card_line_kind::kComment, std::string(line)});
	} else if (!fLines.empty() && fLines.back().quotedPrintable
		&& line.find(':') == std::string_view::npos) {
		fLines.back().text.append("\n").append(line);
		fLines.back().end = next;
	} else {
		fLines.push_back({begin, next, card_line_kind::kContent, std::string(line)});
		fLines.back().quotedPrintable = LooksQuotedPrintable(fLines.back().text);
		fLines.back().colonFirst = line.find(':') != std::string_view::npos;
	}
	card_line& last = fLines.back();
	fJoinNext = last.quotedPrintable && !last.text.empty() && last.text.back() == '=';
	if (fJoinNext)
		last.text.pop_back();
}

// The reader's card parser, counting only: lines before the first card are
// skipped (one naming a card without BEGIN:VCARD starts it), END:VCARD lines
// close a card without being counted, and a card nested too deep closes one.
void CardLines::_CountFirstCard()
{
	fInsertionPoint = fLines.size();
	int32 depth = 0;
	for (size_t i = 0; i < fLines.size(); i++) {
		card_line& line = fLines[i];
		std::optional<ContentLine> content;
		if (line.kind == card_line_kind::kContent)
			content = ContentLine::Parse(line.text);
		const auto is = [&content](const char* name) {
			return content && content->Name() == name
				&& EqualsIgnoringCase(TrimSpace(content->Value()), "VCARD");
		};
		if (is("BEGIN")) {
			depth = depth >= kMaxNesting ? depth : depth + 1;
		} else if (depth == 0) {
			const bool namesCard = content && (content->Name() == "VERSION"
				|| content->Name() == "N" || content->Name() == "FN");
			if (!namesCard)
				continue;
			depth = 1;
		} else if (is("END")) {
			if (--depth == 0) {
				fInsertionPoint = i;
				return;
			}
			continue;
		}
		line.depth = depth;
		fFirstCard.push_back(i);
		if (depth == 1)
			fInsertionPoint = i + 1;
	}
	// No END:VCARD: new lines follow the card's own last line, unless that
	// ends the text in a quoted-printable soft break, which would take the
	// next line in: then they go before it.
	if (fInsertionPoint == fLines.size() && fJoinNext && !fLines.empty())
		fInsertionPoint--;
}
