#include "VCardLexer.h"

#include "AsciiText.h"
#include "ContactText.h"

bool VCardLexer::LooksQuotedPrintable(std::string_view text)
{
	const size_t colon = text.find(':');
	return ContainsFolded(text.substr(0, colon), "quoted-printable");
}

VCardLexer::VCardLexer(std::string_view text)
	: fText(text)
{
	if (const size_t feed = text.find('\n'); feed != std::string_view::npos)
		fLineBreak = feed > 0 && text[feed - 1] == '\r' ? "\r\n" : "\n";
}

bool VCardLexer::Next(lexed_line* line)
{
	fOut = line;
	fReady = false;
	while (!fReady && fOffset < fText.size()) {
		const size_t feed = fText.find('\n', fOffset);
		const size_t stop = feed == std::string_view::npos ? fText.size() : feed;
		std::string_view physical = fText.substr(fOffset, stop - fOffset);
		if (!physical.empty() && physical.back() == '\r')
			physical.remove_suffix(1);
		const size_t begin = fOffset;
		fOffset = feed == std::string_view::npos ? fText.size() : feed + 1;
		fNumber++;
		_Take(physical, begin, fOffset);
	}
	if (!fReady && fHasPending) {
		std::swap(*fOut, fPending);
		fHasPending = false;
		fReady = true;
	}
	return fReady;
}

std::vector<lexed_line> VCardLexer::Rest()
{
	std::vector<lexed_line> lines;
	lexed_line line;
	while (Next(&line))
		lines.push_back(line);
	return lines;
}

// A new logical line; the one before it is finished.
void VCardLexer::_Start(vcard_line_kind kind, std::string_view line, size_t begin, size_t next)
{
	if (fHasPending) {
		std::swap(*fOut, fPending);
		fReady = true;
	}
	fHasPending = true;
	fPending.begin = begin;
	fPending.end = next;
	fPending.number = fNumber;
	fPending.kind = kind;
	fPending.text.assign(line);
	fPending.quotedPrintable = kind == vcard_line_kind::kContent && LooksQuotedPrintable(line);
	fPending.colonFirst = kind == vcard_line_kind::kContent
		&& line.find(':') != std::string_view::npos;
}

// Each logical line grows over the bytes of the physical lines it takes in.
void VCardLexer::_Take(std::string_view line, size_t begin, size_t next)
{
	if (fJoinNext && fHasPending) {
		fPending.text.append(line);
		fPending.end = next;
	} else if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
		if (!fHasPending || fPending.kind != vcard_line_kind::kContent) {
			_Start(vcard_line_kind::kOrphan, line, begin, next);
		} else {
			fPending.text.append(line.substr(1));
			fPending.end = next;
		}
	} else if (TrimSpace(line).empty()) {
		fJoinNext = false;
		return;
	} else if (line[0] == '#') {
		_Start(vcard_line_kind::kComment, line, begin, next);
	} else if (fHasPending && fPending.quotedPrintable && line.find(':') == std::string_view::npos) {
		fPending.text.append("\n").append(line);
		fPending.end = next;
	} else {
		_Start(vcard_line_kind::kContent, line, begin, next);
	}
	fJoinNext = fPending.quotedPrintable && !fPending.text.empty() && fPending.text.back() == '=';
	if (fJoinNext)
		fPending.text.pop_back();
}
