#include "LookupStatus.h"

#include <cstdio>

void WriteOutput(const std::string& text)
{
	fwrite(text.data(), 1, text.size(), stdout);
	fflush(stdout);
}

std::string OneLine(std::string_view text)
{
	std::string line(text);
	for (char& c : line) {
		if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
			c = ' ';
	}
	return line;
}
