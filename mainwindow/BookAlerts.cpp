#include "BookAlerts.h"

#include "BookFile.h"
#include "CommandCodes.h"

#include <Alert.h>
#include <Invoker.h>
#include <Message.h>

namespace {

// The invoker that brings a question's answer back to target.
BInvoker* Answer(uint32 what, bool closing, BHandler* target)
{
	BMessage* answer = new BMessage(what);
	answer->AddBool("closing", closing);
	return new BInvoker(answer, target);
}

// safeButton is the one that loses nothing (it cancels, or keeps the window):
// Escape presses it, never one that closes without saving or replaces a file.
void ShowAlert(const std::string& text, const char* button1, const char* button2,
	const char* button3, int32 safeButton, alert_type type, BInvoker* invoker)
{
	BAlert* alert = new BAlert("Corvane Address Book LITE", text.c_str(), button1, button2,
		button3, B_WIDTH_AS_USUAL, button3 != nullptr ? B_OFFSET_SPACING : B_EVEN_SPACING,
		type);
	alert->SetShortcut(safeButton, B_ESCAPE);
	alert->Go(invoker);
}

// "1 field changed ... value" or "2 fields changed ... values", after "; ".
std::string Counted(size_t count, const char* one, const char* many)
{
	return "; " + std::to_string(count) + (count == 1 ? one : many);
}

// What a merging save of the book called name kept: one sentence, and one
// more for the records kept because the other version could not be read whole.
std::string MergeReport(const std::string& name, const book_save_result& save)
{
	size_t bothChanged = 0;
	size_t deletedHere = 0;
	size_t deletedThere = 0;
	size_t missingThere = 0;
	for (const merge_conflict& conflict : save.conflicts) {
		if (conflict.kind == conflict_kind::kBothChanged)
			bothChanged++;
		else if (conflict.kind == conflict_kind::kDeletedInMine)
			deletedHere++;
		else if (conflict.kind == conflict_kind::kDeletedInTheirs)
			deletedThere++;
		else
			missingThere++;
	}
	std::string text = "The address book \"" + name
		+ "\" was changed by another program. Both sets of changes were kept";
	if (bothChanged > 0) {
		text += Counted(bothChanged, " field changed on both sides kept this window's value",
			" fields changed on both sides kept this window's values");
	}
	if (deletedHere > 0) {
		text += Counted(deletedHere, " record deleted here stays, as the other program changed it",
			" records deleted here stay, as the other program changed them");
	}
	if (deletedThere > 0) {
		text += Counted(deletedThere, " record the other program deleted stays, changed here",
			" records the other program deleted stay, changed here");
	}
	text += save.conflicts.size() == missingThere ? "." : " (see conflicts.log).";
	if (missingThere > 0) {
		text += " The other program's version could not be read whole ("
			+ DescribeDamage(save.theirsDamage) + "), so "
			+ std::to_string(missingThere) + (missingThere == 1 ? " record missing from it was"
				: " records missing from it were") + " kept rather than deleted (see conflicts.log).";
	}
	return text;
}

}  // namespace

BookAlerts::BookAlerts(BHandler* target)
	: fTarget(target)
{
}

void BookAlerts::AskBeforeShortening(const char* bookName, const book_read_losses& losses,
	bool closing)
{
	const std::string text = "The address book \"" + std::string(bookName)
		+ "\" held more than it can keep when it was opened. Saving it over the same file "
		+ "would change it: " + DescribeLosses(losses) + ".";
	ShowAlert(text, "Replace", "Cancel", "Save As...", 1, B_WARNING_ALERT,
		Answer(kShortenAnswer, closing, fTarget));
}

void BookAlerts::AskAboutUnsavedBook(const BookSaveFlow& flow, const char* bookName,
	const char* title)
{
	std::string text = "Save the new address book before closing it?";
	if (flow.IsImported()) {
		text = "The contacts were read from \"" + std::string(title)
			+ "\", which is not written over. Save them as an address book before closing?";
	} else if (!flow.IsNew()) {
		text = "The address book \"" + std::string(bookName)
			+ "\" could not be read, so it is not written over. Save its records under "
			+ "another name before closing it?";
	}
	ShowAlert(text, "Don't Save", "Cancel", "Save...", 1, B_WARNING_ALERT,
		Answer(kUnsavedBookAnswer, true, fTarget));
}

void BookAlerts::ReportSaveFailure(const char* bookName, status_t status, bool closing)
{
	const std::string text = "The address book \"" + std::string(bookName)
		+ "\" could not be saved: " + DescribeFileError(status) + ".";
	if (closing) {
		ShowAlert(text, "Close Without Saving", "OK", nullptr, 1, B_STOP_ALERT,
			Answer(kSaveFailedAnswer, true, fTarget));
	} else {
		ShowAlert(text, "OK", nullptr, nullptr, 0, B_STOP_ALERT, nullptr);
	}
}

// Said once the merge is saved; a close goes on when the alert is closed, and
// so does the application's quit that it was part of.
void BookAlerts::ReportMerge(const char* bookName, const book_save_result& save, bool closing,
	bool quitting)
{
	BInvoker* invoker = Answer(kMergeReportAnswer, closing, fTarget);
	invoker->Message()->AddBool("quitting", closing && quitting);
	ShowAlert(MergeReport(bookName, save), "OK", nullptr, nullptr, 0, B_INFO_ALERT, invoker);
}

void BookAlerts::OfferRecovery(const std::string& bookName, bool backup, bool imported)
{
	std::string text;
	if (backup) {
		text = "A save of the address book \"" + bookName + "\" was cut off, so the book may "
			"be incomplete. A copy of it from before that save was kept. Recover that copy, or "
			"discard it?";
	} else if (bookName.empty()) {
		text = "A new address book held records that were never saved: the program ended "
			"before they were. Recover them, or discard them?";
	} else {
		text = std::string(imported ? "The contacts read from \"" : "The address book \"")
			+ bookName + "\" had changes that were never saved: the program ended before they "
			"were. Recover them, or discard them?";
	}
	ShowAlert(text, "Discard", "Recover", nullptr, 1, B_WARNING_ALERT,
		new BInvoker(new BMessage(kRecoveryAnswer), fTarget));
}

void BookAlerts::TellImported(const std::string& fileName, const std::string& notes)
{
	ShowAlert("\"" + fileName + "\" opens as a new address book.\n" + notes, "OK", nullptr,
		nullptr, 0, B_INFO_ALERT, nullptr);
}

void BookAlerts::TellUnopened(const std::string& fileName, const std::string& failure)
{
	ShowAlert("The file \"" + fileName + "\" could not be opened as an address book: " + failure
		+ ".", "OK", nullptr, nullptr, 0, B_STOP_ALERT, nullptr);
}

bool BookAlerts::ReadAnswer(const BMessage* message, answer* result)
{
	using Step = BookSaveFlow::Step;
	const int32 which = message->GetInt32("which", -1);
	if (which < 0 || which > 2)
		return false;
	result->question = Step::kReportFailure;
	if (message->what == kShortenAnswer)
		result->question = Step::kAskBeforeShortening;
	else if (message->what == kUnsavedBookAnswer)
		result->question = Step::kAskAboutUnsavedBook;
	else if (message->what == kMergeReportAnswer)
		result->question = Step::kReportMerge;
	result->choice = static_cast<BookSaveFlow::Answer>(which);
	result->closing = message->GetBool("closing", false);
	result->quitting = message->GetBool("quitting", false);
	return true;
}
