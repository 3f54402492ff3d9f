#include "LookupStatus.h"

#include <cstdio>

void WriteOutput(const std::string& text)
{
	fwrite(text.data(), 1, text.size(), stdout);
	fflush(stdout);
}
