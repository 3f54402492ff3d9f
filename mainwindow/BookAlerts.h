// The alerts of a book window: the questions its save flow asks (before a save
// shortens a book, before closing a book with no file, after a failed save
// that was part of a close), the reports of a failed or a merging save, the
// note on a contacts file opened as a book, and why a file could not be read. A question's answer comes back
// to the target as a message with the button chosen ("which") and whether it
// is part of a close; Escape presses the button that loses nothing.
// Threading: its window's thread, or with the window locked; the alerts run on
// their own and only post their answers.
#ifndef _BOOK_ALERTS_H
#define _BOOK_ALERTS_H

#include "BookBody.h"
#include "MergingSave.h"
#include "BookSaveFlow.h"

#include <SupportDefs.h>

#include <string>
#include <vector>

class BHandler;
class BMessage;

class BookAlerts {
public:
	// An answer message, read.
	struct answer {
		BookSaveFlow::Step question = BookSaveFlow::Step::kReportFailure;
		BookSaveFlow::Answer choice = BookSaveFlow::Answer::kCancel;
		bool closing = false;
		// The close was part of the application's quit, which goes on.
		bool quitting = false;
	};

	explicit BookAlerts(BHandler* target);

	// bookName is the file's name; title the window's.
	void AskBeforeShortening(const char* bookName, const book_read_losses& losses, bool closing);
	void AskAboutUnsavedBook(const BookSaveFlow& flow, const char* bookName, const char* title);
	// Asks only when closing (close without saving, or keep the window).
	void ReportSaveFailure(const char* bookName, status_t status, bool closing);
	void ReportMerge(const char* bookName, const book_save_result& save, bool closing,
		bool quitting);
	// Offers to bring back what a kill or a crash left of the book called
	// bookName ("" for a new book): the backup of a save cut off, or unsaved
	// changes. The answer is kRecoveryAnswer, "which" 0 to discard, 1 to
	// recover (the default, which loses nothing).
	void OfferRecovery(const std::string& bookName, bool backup, bool imported);
	// What the contact readers noted of fileName, opened as a new book.
	void TellImported(const std::string& fileName, const std::string& notes);
	// Why fileName could not be read as a book: failure ends "could not be
	// opened: ...".
	void TellUnopened(const std::string& fileName, const std::string& failure);

	// False for a message that chose no button of these alerts.
	static bool ReadAnswer(const BMessage* message, answer* result);

private:
	BHandler* const fTarget;
};

#endif
