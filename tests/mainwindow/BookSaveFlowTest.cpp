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
	else if (state != State::kNotOpen)
		flow.BookRead(!unreadable, losses);
	if (state == State::kNewChanged || state == State::kNewClosing
		|| state == State::kUnreadableChanged || state == State::kChanged)
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

TEST(BookSaveFlowTest, EachStateAnswersEachEventAsTheRulesSay)
{
	const Row rows[] = {
		{"nothing to move yet", State::kNotOpen, false, Moved, kNothing, State::kNotOpen},
		{"a move", State::kClean, false, Moved, kNothing, State::kFrameChanged},
		{"a sort, then a move", State::kSorted, false, Moved, kNothing, State::kChanged},
		{"a move, then a sort", State::kFrameChanged, false, Sorted, kNothing, State::kChanged},
		{"the frame alone over the body", State::kFrameChanged, true, Save,
			{Step::kWriteFrame, false}, State::kFrameChanged},
		{"no body on disk", State::kClean, false, SaveWithoutBody, {Step::kWriteWhole, false},
			State::kClean},
		{"a sort is saved", State::kSorted, false, Save, {Step::kWriteWhole, false},
			State::kSorted},
		{"shortening asks", State::kChanged, true, Save, {Step::kAskBeforeShortening, false},
			State::kChanged},
		{"a new book needs a name", State::kNew, false, Save, {Step::kShowSavePanel, false},
			State::kNew},
		{"an unreadable book needs a name", State::kUnreadableChanged, false, Save,
			{Step::kShowSavePanel, false}, State::kUnreadableChanged},
		{"close", State::kClean, false, Close, kClose, State::kClosing},
		{"a sort alone is not saved at closing", State::kSorted, false, Close, kClose,
			State::kClosing},
		{"closing keeps a move", State::kFrameChanged, false, Close, {Step::kWriteFrame, true},
			State::kFrameChanged},
		{"closing keeps a change", State::kChanged, false, Close, {Step::kWriteWhole, true},
			State::kChanged},
		{"closing asks before shortening", State::kChanged, true, Close,
			{Step::kAskBeforeShortening, true}, State::kChanged},
		{"closing a new book with records asks", State::kNewChanged, false, Close,
			{Step::kAskAboutUnsavedBook, true}, State::kNewChanged},
		{"a new book without records closes", State::kNewChanged, false, CloseEmpty, kClose,
			State::kClosing},
		{"an unreadable book only moved closes", State::kUnreadable, false, Close, kClose,
			State::kClosing},
		{"an unreadable book with records asks", State::kUnreadableChanged, false, Close,
			{Step::kAskAboutUnsavedBook, true}, State::kUnreadableChanged},
		{"the first panel's cancel closes an empty new book", State::kNew, false, Cancelled,
			kClose, State::kClosing},
		{"a close's panel cancelled keeps the window", State::kNewClosing, false, Cancelled,
			kNothing, State::kNewChanged},
		{"a chosen file takes a new book", State::kNewClosing, false, Chosen,
			{Step::kWriteWhole, true}, State::kChanged},
		{"unreadable until written", State::kUnreadableChanged, false, Chosen,
			{Step::kWriteWhole, true}, State::kUnreadableChanged},
		{"don't save", State::kUnreadableChanged, false,
			Answered(Step::kAskAboutUnsavedBook, Answer::kProceed), kClose, State::kClosing},
		{"save a new book to close it", State::kNewChanged, false,
			Answered(Step::kAskAboutUnsavedBook, Answer::kSaveElsewhere),
			{Step::kShowSavePanel, true}, State::kNewClosing},
		{"replace", State::kChanged, true, Answered(Step::kAskBeforeShortening, Answer::kProceed),
			{Step::kWriteWhole, true}, State::kChanged},
		{"save elsewhere", State::kChanged, true,
			Answered(Step::kAskBeforeShortening, Answer::kSaveElsewhere),
			{Step::kShowSavePanel, true}, State::kChanged},
		{"cancel", State::kChanged, true, Answered(Step::kAskBeforeShortening, Answer::kCancel),
			kNothing, State::kChanged},
		{"close without saving", State::kChanged, false,
			Answered(Step::kReportFailure, Answer::kProceed), kClose, State::kClosing},
	};
	for (const Row& row : rows) {
		BookSaveFlow flow = From(row.from, row.lossy);
		EXPECT_EQ(row.event(flow), row.expected) << row.rule;
		EXPECT_EQ(flow.CurrentState(), row.after) << row.rule;
	}
}

// What a write leaves: losses go only with a whole write, a failure changes
// nothing, and a write that is part of a close ends it.
TEST(BookSaveFlowTest, WritesEndAsTheyWent)
{
	BookSaveFlow flow = From(State::kChanged, true);
	EXPECT_EQ(flow.WriteFailed(true), (Action{Step::kReportFailure, true}));
	EXPECT_EQ(flow.CurrentState(), State::kChanged);
	flow.FrameWritten(false);
	flow.RecordsChanged();
	EXPECT_EQ(flow.SaveAsked(true).step, Step::kAskBeforeShortening) << "a frame write keeps them";
	EXPECT_EQ(flow.BookWritten(false), kNothing);
	flow.RecordsChanged();
	EXPECT_EQ(flow.SaveAsked(true).step, Step::kWriteWhole) << "a whole write ends them";
	EXPECT_EQ(flow.BookWritten(true), kClose);

	// A new book named but not written stays unsaved only if it was changed.
	BookSaveFlow untouched = From(State::kNew);
	untouched.FileChosen(false);
	EXPECT_EQ(untouched.CloseAsked(false, false), kClose);
}

}  // namespace
