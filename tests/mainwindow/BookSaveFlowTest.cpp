// The rules of saving and closing a book, without a window: from each state, an
// event, the step the window is told to take and the state left behind. (The
// window carrying the steps out: SaveTest, EditorTest, LaunchTest.)
#include "BookSaveFlow.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using State = BookSaveFlow::State;
using Step = BookSaveFlow::Step;
using Action = BookSaveFlow::Action;
using Answer = BookSaveFlow::Answer;

// A flow brought to state by the events that lead there; lossy: the book was
// read with text cut.
BookSaveFlow From(State state, bool lossy = false)
{
	BookSaveFlow flow;
	book_read_losses losses;
	losses.cutFields = lossy ? 1 : 0;
	const bool unreadable = state == State::kUnreadable || state == State::kUnreadableChanged;
	if (state == State::kNew || state == State::kNewChanged || state == State::kNewClosing)
		flow.NewStarted();
	else if (state == State::kImported || state == State::kImportedChanged)
		flow.ContactsImported();
	else if (state != State::kNotOpen)
		flow.BookRead(!unreadable, losses);
	if (state == State::kNewChanged || state == State::kNewClosing
		|| state == State::kUnreadableChanged || state == State::kImportedChanged
		|| state == State::kChanged)
		flow.RecordsChanged();
	if (state == State::kFrameChanged)
		flow.FrameChanged();
	if (state == State::kSorted)
		flow.Sorted();
	if (state == State::kNewClosing) {
		flow.CloseAsked(true, false);
		flow.Answered(Step::kAskAboutUnsavedBook, Answer::kSaveElsewhere, true);
	}
	EXPECT_EQ(flow.CurrentState(), state);
	return flow;
}

using Event = std::function<Action(BookSaveFlow&)>;

struct Row {
	const char* rule;
	State from;
	bool lossy;
	Event event;
	Action expected;
	State after;
};

const Event Save = [](BookSaveFlow& flow) { return flow.SaveAsked(true); };
const Event SaveWithoutBody = [](BookSaveFlow& flow) { return flow.SaveAsked(false); };
const Event Close = [](BookSaveFlow& flow) { return flow.CloseAsked(true, true); };
const Event CloseEmpty = [](BookSaveFlow& flow) { return flow.CloseAsked(false, true); };
const Event Cancelled = [](BookSaveFlow& flow) { return flow.PanelCancelled(false); };
const Event Chosen = [](BookSaveFlow& flow) { return flow.FileChosen(true); };
const Event Moved = [](BookSaveFlow& flow) { return flow.FrameChanged(), Action{}; };
const Event Sorted = [](BookSaveFlow& flow) { return flow.Sorted(), Action{}; };
Event Answered(Step question, Answer answer)
{
	return [=](BookSaveFlow& flow) { return flow.Answered(question, answer, true); };
}

const Action kNothing;
const Action kClose{Step::kClose, true};

// The step without, and as part of, a close.
Action Do(Step step) { return {step, false}; }
Action Closing(Step step) { return {step, true}; }

TEST(BookSaveFlowTest, EachStateAnswersEachEventAsTheRulesSay)
{
	using S = State;
	const Step kAskUnsaved = Step::kAskAboutUnsavedBook;
	const Step kAskShorten = Step::kAskBeforeShortening;
	const Row rows[] = {
		{"nothing to move yet", S::kNotOpen, false, Moved, kNothing, S::kNotOpen},
		{"a move", S::kClean, false, Moved, kNothing, S::kFrameChanged},
		{"a sort, then a move", S::kSorted, false, Moved, kNothing, S::kChanged},
		{"a move, then a sort", S::kFrameChanged, false, Sorted, kNothing, S::kChanged},
		{"the frame alone", S::kFrameChanged, true, Save, Do(Step::kWriteFrame), S::kFrameChanged},
		{"no body on disk", S::kClean, false, SaveWithoutBody, Do(Step::kWriteWhole), S::kClean},
		{"a sort is saved", S::kSorted, false, Save, Do(Step::kWriteWhole), S::kSorted},
		{"shortening asks", S::kChanged, true, Save, Do(kAskShorten), S::kChanged},
		{"a new book's name", S::kNew, false, Save, Do(Step::kShowSavePanel), S::kNew},
		{"an unreadable book's name", S::kUnreadableChanged, false, Save,
			Do(Step::kShowSavePanel), S::kUnreadableChanged},
		{"close", S::kClean, false, Close, kClose, S::kClosing},
		{"a sort alone is not saved", S::kSorted, false, Close, kClose, S::kClosing},
		{"closing keeps a move", S::kFrameChanged, false, Close, Closing(Step::kWriteFrame),
			S::kFrameChanged},
		{"closing keeps a change", S::kChanged, false, Close, Closing(Step::kWriteWhole),
			S::kChanged},
		{"closing asks before shortening", S::kChanged, true, Close, Closing(kAskShorten),
			S::kChanged},
		{"a new book's records", S::kNewChanged, false, Close, Closing(kAskUnsaved),
			S::kNewChanged},
		{"a new book without records", S::kNewChanged, false, CloseEmpty, kClose, S::kClosing},
		{"an unreadable book only moved", S::kUnreadable, false, Close, kClose, S::kClosing},
		{"an unreadable book's new records", S::kUnreadableChanged, false, Close,
			Closing(kAskUnsaved), S::kUnreadableChanged},
		{"an import's frame is nothing to save", S::kImported, false, Moved, kNothing,
			S::kImported},
		{"nor is its order", S::kImported, false, Sorted, kNothing, S::kImported},
		{"an import's name", S::kImported, false, Save, Do(Step::kShowSavePanel), S::kImported},
		{"an unchanged import just closes", S::kImported, false, Close, kClose, S::kClosing},
		{"a changed import asks", S::kImportedChanged, false, Close, Closing(kAskUnsaved),
			S::kImportedChanged},
		{"an import until written", S::kImportedChanged, false, Chosen,
			Closing(Step::kWriteWhole), S::kImportedChanged},
		{"the first panel cancelled", S::kNew, false, Cancelled, kClose, S::kClosing},
		{"a close's panel cancelled", S::kNewClosing, false, Cancelled, kNothing, S::kNewChanged},
		{"a file for a new book", S::kNewClosing, false, Chosen, Closing(Step::kWriteWhole),
			S::kChanged},
		{"unreadable until written", S::kUnreadableChanged, false, Chosen,
			Closing(Step::kWriteWhole), S::kUnreadableChanged},
		{"don't save", S::kUnreadableChanged, false, Answered(kAskUnsaved, Answer::kProceed),
			kClose, S::kClosing},
		{"save a new book to close it", S::kNewChanged, false,
			Answered(kAskUnsaved, Answer::kSaveElsewhere), Closing(Step::kShowSavePanel),
			S::kNewClosing},
		{"replace", S::kChanged, true, Answered(kAskShorten, Answer::kProceed),
			Closing(Step::kWriteWhole), S::kChanged},
		{"save elsewhere", S::kChanged, true, Answered(kAskShorten, Answer::kSaveElsewhere),
			Closing(Step::kShowSavePanel), S::kChanged},
		{"cancel", S::kChanged, true, Answered(kAskShorten, Answer::kCancel), kNothing,
			S::kChanged},
		{"close without saving", S::kChanged, false,
			Answered(Step::kReportFailure, Answer::kProceed), kClose, S::kClosing},
	};
	for (const Row& row : rows) {
		BookSaveFlow flow = From(row.from, row.lossy);
		EXPECT_EQ(row.event(flow), row.expected) << row.rule;
		EXPECT_EQ(flow.CurrentState(), row.after) << row.rule;
	}
}

// What a write leaves: losses go only with a whole write, a failure changes
// nothing, and a write that is part of a close ends it, once a merge is told.
TEST(BookSaveFlowTest, WritesEndAsTheyWent)
{
	BookSaveFlow flow = From(State::kChanged, true);
	EXPECT_EQ(flow.WriteFailed(true), Closing(Step::kReportFailure));
	EXPECT_EQ(flow.CurrentState(), State::kChanged);
	flow.FrameWritten(false);
	flow.RecordsChanged();
	EXPECT_EQ(flow.SaveAsked(true).step, Step::kAskBeforeShortening) << "a frame write keeps them";
	EXPECT_EQ(flow.BookWritten(false), kNothing);
	flow.RecordsChanged();
	EXPECT_EQ(flow.SaveAsked(true).step, Step::kWriteWhole) << "a whole write ends them";
	EXPECT_EQ(flow.BookWritten(true), kClose);

	// A file changed on disk is read anew only over nothing unsaved but the
	// frame, which stays unsaved; a merged write is reported before a close.
	for (const State state : {State::kSorted, State::kChanged, State::kNew, State::kImported})
		EXPECT_FALSE(From(state).MayReload()) << int(state);
	BookSaveFlow moved = From(State::kFrameChanged);
	ASSERT_TRUE(moved.MayReload());
	moved.Reloaded(book_read_losses{});
	EXPECT_EQ(moved.CurrentState(), State::kFrameChanged);
	EXPECT_EQ(From(State::kChanged).BookWritten(false, true), Do(Step::kReportMerge));
	BookSaveFlow merged = From(State::kChanged);
	EXPECT_EQ(merged.BookWritten(true, true), Closing(Step::kReportMerge));
	EXPECT_TRUE(merged.MayReload());
	EXPECT_EQ(merged.Answered(Step::kReportMerge, Answer::kProceed, true), kClose);

	// A new book named but not written stays unsaved only if it was changed.
	BookSaveFlow untouched = From(State::kNew);
	untouched.FileChosen(false);
	EXPECT_EQ(untouched.CloseAsked(false, false), kClose);
}

}  // namespace
