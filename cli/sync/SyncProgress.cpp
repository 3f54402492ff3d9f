#include "SyncProgress.h"

#include <unistd.h>

namespace {

constexpr auto kQuiet = std::chrono::seconds(1);
constexpr auto kEvery = std::chrono::milliseconds(200);

}  // namespace

SyncProgress::SyncProgress(FILE* stream)
	: fStream(stream),
	  fTerminal(isatty(fileno(stream)) == 1),
	  fStart(clock::now()),
	  fLast(fStart)
{
}

SyncProgress::~SyncProgress()
{
	Done();
}

void SyncProgress::Step(const char* what, size_t done, size_t total)
{
	if (!fTerminal)
		return;
	const clock::time_point now = clock::now();
	if (now - fStart < kQuiet || (fShown && now - fLast < kEvery && done < total))
		return;
	// "\033[K" clears what a longer line before left.
	fprintf(fStream, "\rcvab-sync: %s %zu/%zu\033[K", what, done, total);
	fflush(fStream);
	fLast = now;
	fShown = true;
}

void SyncProgress::Done()
{
	if (!fShown)
		return;
	fputs("\r\033[K", fStream);
	fflush(fStream);
	fShown = false;
}
