#include "CVABWordServicesSession.h"

#include "BookText.h"
#include "CVABook.h"
#include "LockedBookWindow.h"
#include "WordScan.h"
#include "WordServicesDefs.h"

#include <atomic>

namespace {

std::atomic<int32> sNextSerial{1};

}  // namespace

CVABWordServicesSession::CVABWordServicesSession(const BMessage* request,
	const BMessenger& bookWindow, const BMessenger& endTo)
	: WordServicesSession(request),
	  fBookWindow(bookWindow),
	  fEndTo(endTo),
	  fSerial(sNextSerial++)
{
	if (fStatus == B_OK && (fIndex < kLookUpEmailService || fIndex > kLookUpPostalService))
		fStatus = kWordServicesBadIndex;
}

CVABWordServicesSession::LookUpResult CVABWordServicesSession::LookUp(
	const BMessenger& bookWindow, int32 service, const char* word, std::string* replacement)
{
	// The application's thread is held for the whole session: a book window that
	// waits on the application with its own lock held must not stall it for good.
	const LockedBookWindow window(bookWindow, kBookLockTimeout);
	const CVABook* book = window ? window->Book() : nullptr;
	if (book == nullptr)
		return LookUpResult::kNoBook;
	char buffer[kBookTextBufferSize];
	const bool found = service == kLookUpEmailService
		? book->LookUpEmail(word, buffer, sizeof(buffer))
		: book->LookUpAddress(word, buffer, sizeof(buffer));
	// An empty "Email 1" would delete the user's word: no hit.
	if (!found || buffer[0] == '\0')
		return LookUpResult::kMiss;
	*replacement = buffer;
	return LookUpResult::kHit;
}

status_t CVABWordServicesSession::Execute()
{
	if (fBookWindow.IsValid()) {
		for (int32 i = 0; !IsDone(); i++) {
			const status_t status = SelectTarget(i);
			if (IsDone())
				break;
			if (status != B_OK || Text() == nullptr)
				continue;
			if (!_ServeCurrentTarget())
				break;
		}
	}
	BMessage end(kWordServicesEnd);
	end.AddInt32("session", fSerial);
	fEndTo.SendMessage(&end);
	return B_OK;
}

bool CVABWordServicesSession::_ServeCurrentTarget()
{
	// The scan works on its own copy: the text as fetched.
	const std::string text(Text(), TextLength());
	bool bookGone = false;
	ScanWords(text.data(), text.size(), [&](const scanned_word& word) {
		if (bookGone || _ClientSilent(*fCurrentTarget))
			return;
		std::string replacement;
		switch (LookUp(fBookWindow, fIndex, word.word.c_str(), &replacement)) {
			case LookUpResult::kHit:
				ReplaceText(replacement.c_str(), word.fromEnd, word.restFromEnd);
				break;
			case LookUpResult::kMiss:
				break;
			case LookUpResult::kNoBook:
				bookGone = true;
				break;
		}
	});
	return !bookGone;
}
