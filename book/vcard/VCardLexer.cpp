#include "VCardLexer.h"

#include "AsciiText.h"
#include "ContactText.h"

bool VCardLexer::LooksQuotedPrintable(std::string_view text)
{
	const size_t colon = text.find(':');
	return ContainsFolded(text.substr(0, colon), "quoted-printable");
}

VCardLexer::VCardLexer(std::string_view text)
{
	if (const size_t feed = text.find('\n'); feed != std::string_view::npos)
		fLineBreak = feed > 0 && text[feed - 1] == '\r' ? "\r\n" : "\n";
	fLines.reserve(text.size() / 24 + 1);
	size_t begin = 0;
	int32 number = 0;
	while (begin < text.size()) {
		const size_t feed = text.find('\n', begin);
		const size_t stop = feed == std::string_view::npos ? text.size() : feed;
		std::string_view line = text.substr(begin, stop - begin);
		if (!line.empty() && line.back() == '\r')
			line.remove_suffix(1);
		const size_t next = feed == std::string_view::npos ? text.size() : feed + 1;
		_Take(line, begin, next, ++number);
		begin = next;
	}
}

// Each logical line grows over the bytes of the physical lines it takes in.
void VCardLexer::_Take(std::string_view line, size_t begin, size_t next, int32 number)
{
	if (fJoinNext && !fLines.empty()) {
		fLines.back().text.append(line);
		fLines.back().end = next;
	} else if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
		if (fLines.empty() || fLines.back().kind != vcard_line_kind::kContent) {
			fLines.push_back({begin, next, number, vcard_line_kind::kOrphan, std::string(line)});
		} else {
			fLines.back().text.append(line.substr(1));
			fLines.back().end = next;
		}
	} else if (TrimSpace(line).empty()) {
		fJoinNext = false;
		return;
	} else if (line[0] == '#') {
		fLines.push_back({begin, next, number, vcard_line_kind::kComment, std::string(line)});
	} else if (!fLines.empty() && fLines.back().quotedPrintable
		&& line.find(':') == std::string_view::npos) {
		fLines.back().text.append("\n").append(line);
		fLines.back().end = next;
	} else {
		fLines.push_back({begin, next, number, vcard_line_kind::kContent, std::string(line)});
		fLines.back().quotedPrintable = LooksQuotedPrintable(line);
		fLines.back().colonFirst = line.find(':') != std::string_view::npos;
	}
	lexed_line& last = fLines.back();
	fJoinNext = last.quotedPrintable && !last.text.empty() && last.text.back() == '=';
	if (fJoinNext)
		last.text.pop_back();
}
