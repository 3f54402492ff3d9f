// Sections: the book comes; changes; what is asked for; outcomes and answers.
#include "BookSaveFlow.h"

using State = BookSaveFlow::State;
using Step = BookSaveFlow::Step;

// --- the book comes

BookSaveFlow::Action BookSaveFlow::NewStarted()
{
	fState = State::kNew;
	return _ShowSavePanel(false);
}

void BookSaveFlow::BookRead(bool readable, const book_read_losses& losses)
{
	fState = readable ? State::kClean : State::kUnreadable;
	fLosses = losses;
}

void BookSaveFlow::ContactsImported()
{
	fState = State::kImported;
	fLosses = book_read_losses();
}

bool BookSaveFlow::IsNew() const
{
	return fState == State::kNew || fState == State::kNewChanged
		|| fState == State::kNewClosing;
}

bool BookSaveFlow::IsImported() const
{
	return fState == State::kImported || fState == State::kImportedChanged;
}

// --- changes

void BookSaveFlow::RecordsChanged()
{
	switch (fState) {
		case State::kNew:
			fState = State::kNewChanged;
			break;
		case State::kUnreadable:
			fState = State::kUnreadableChanged;
			break;
		case State::kImported:
			fState = State::kImportedChanged;
			break;
		case State::kClean:
		case State::kFrameChanged:
		case State::kSorted:
			fState = State::kChanged;
			break;
		default:
			break;
	}
}

// A new order alone is no reason to write at closing; with a moved frame it is.
void BookSaveFlow::Sorted()
{
	if (fState == State::kClean)
		fState = State::kSorted;
	else if (fState == State::kFrameChanged)
		fState = State::kChanged;
}

bool BookSaveFlow::FrameChanged()
{
	if (fState == State::kNew)
		fState = State::kNewChanged;
	else if (fState == State::kClean)
		fState = State::kFrameChanged;
	else if (fState == State::kSorted)
		fState = State::kChanged;
	return fState != State::kNotOpen && !IsImported();
}

bool BookSaveFlow::MayReload() const
{
	return fState == State::kClean || fState == State::kFrameChanged;
}

void BookSaveFlow::Reloaded(const book_read_losses& losses)
{
	fLosses = losses;
}

// --- what is asked for

BookSaveFlow::Action BookSaveFlow::SaveAsked(bool bodyOnDisk)
{
	return _Save(false, bodyOnDisk);
}

BookSaveFlow::Action BookSaveFlow::SaveAsAsked()
{
	return fState == State::kNotOpen ? Action{} : _ShowSavePanel(false);
}

// A close writes what would otherwise be lost, and asks about a book with
// records and no file to write them to.
BookSaveFlow::Action BookSaveFlow::CloseAsked(bool holdsRecords, bool bodyOnDisk)
{
	switch (fState) {
		case State::kNewChanged:
		case State::kNewClosing:
			return holdsRecords ? Action{Step::kAskAboutUnsavedBook, true} : _Close();
		case State::kUnreadableChanged:
		case State::kImportedChanged:
			return {Step::kAskAboutUnsavedBook, true};
		case State::kFrameChanged:
		case State::kChanged:
			return _Save(true, bodyOnDisk);
		default:
			return _Close();
	}
}

// The frame alone while the body on disk is still the book's; the whole book
// otherwise, asking first when that would cut what reading kept out.
BookSaveFlow::Action BookSaveFlow::_Save(bool closing, bool bodyOnDisk)
{
	switch (fState) {
		case State::kNotOpen:
		case State::kClosing:
			return {};
		case State::kClean:
		case State::kFrameChanged:
			if (bodyOnDisk)
				return {Step::kWriteFrame, closing};
			break;
		case State::kSorted:
		case State::kChanged:
			break;
		default:
			return _ShowSavePanel(closing);
	}
	return {fLosses.Any() ? Step::kAskBeforeShortening : Step::kWriteWhole, closing};
}

BookSaveFlow::Action BookSaveFlow::_ShowSavePanel(bool closing)
{
	if (closing && (fState == State::kNew || fState == State::kNewChanged))
		fState = State::kNewClosing;
	return {Step::kShowSavePanel, closing};
}

BookSaveFlow::Action BookSaveFlow::_Close()
{
	fState = State::kClosing;
	return {Step::kClose, true};
}

// --- outcomes and answers

BookSaveFlow::Action BookSaveFlow::FrameWritten(bool closing)
{
	fState = State::kClean;
	return closing ? _Close() : Action{};
}

// A merge is reported before a close goes on, so the user sees what was kept.
BookSaveFlow::Action BookSaveFlow::BookWritten(bool closing, bool merged)
{
	fLosses = book_read_losses();
	if (!merged)
		return FrameWritten(closing);
	fState = State::kClean;
	return {Step::kReportMerge, closing};
}

BookSaveFlow::Action BookSaveFlow::WriteFailed(bool closing)
{
	return {Step::kReportFailure, closing};
}

// The chosen file takes the whole book; a book that could not be read, or was
// imported, stays so until that write is done.
BookSaveFlow::Action BookSaveFlow::FileChosen(bool closing)
{
	if (fState == State::kNotOpen || fState == State::kClosing)
		return {};
	fLosses = book_read_losses();
	if (fState == State::kNew)
		fState = State::kClean;
	else if (IsNew())
		fState = State::kChanged;
	return {Step::kWriteWhole, closing};
}

// The panel cancels whenever it hides, after a chosen file too; only a new book
// that holds nothing, and was not being closed, goes away with it.
BookSaveFlow::Action BookSaveFlow::PanelCancelled(bool holdsRecords)
{
	if (fState == State::kNewClosing) {
		fState = State::kNewChanged;
		return {};
	}
	if ((fState == State::kNew || fState == State::kNewChanged) && !holdsRecords)
		return _Close();
	return {};
}

BookSaveFlow::Action BookSaveFlow::Answered(Step question, Answer answer, bool closing)
{
	// The report has one button: whatever closes it lets a close go on.
	if (question == Step::kReportMerge)
		return closing ? _Close() : Action{};
	if (answer == Answer::kCancel)
		return {};
	switch (question) {
		case Step::kAskAboutUnsavedBook:
			return answer == Answer::kProceed ? _Close() : _ShowSavePanel(true);
		case Step::kAskBeforeShortening:
			if (answer == Answer::kSaveElsewhere)
				return _ShowSavePanel(closing);
			fLosses = book_read_losses();
			return {Step::kWriteWhole, closing};
		case Step::kReportFailure:
			return answer == Answer::kProceed ? _Close() : Action{};
		default:
			return {};
	}
}
