// Loopers: message order across threads, locking, handler targeting, quitting, the
// queue, detaching the current message, and the idle point.
#include <Handler.h>
#include <Looper.h>
#include <MessageQueue.h>
#include <Messenger.h>
#include <OS.h>

#include "LooperRegistry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Records what it receives; tests read the record after the looper is idle. 'keep'
// is detached, 'slow' takes a while, 'quit' quits from the looper's own thread.
class RecordingLooper : public BLooper {
public:
	explicit RecordingLooper(std::atomic<bool>* deleted = nullptr)
		: BLooper("recorder", B_NORMAL_PRIORITY, 1000000), fDeleted(deleted)
	{
	}
	~RecordingLooper() override
	{
		if (fDeleted != nullptr)
			*fDeleted = true;
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'quit') {
			Quit();
			return;
		}
		if (message->what == 'slow')
			snooze(100000);
		if (message->what == 'keep') {
			EXPECT_EQ(CurrentMessage(), message);
			kept.reset(DetachCurrentMessage());
			EXPECT_EQ(CurrentMessage(), nullptr);
		}
		std::lock_guard<std::mutex> lock(mutex);
		if (message->what == 'seq ') {
			sequences.push_back({message->GetInt32("sender", -1), message->GetInt32("n", -1)});
			lockedWhileDispatching = lockedWhileDispatching && IsLocked();
		} else {
			whats.push_back(message->what);
		}
	}
	bool QuitRequested() override { return allowQuit.load(); }

	std::vector<uint32> Whats()
	{
		std::lock_guard<std::mutex> lock(mutex);
		return whats;
	}

	std::mutex mutex;
	std::vector<std::pair<int32, int32>> sequences;
	std::vector<uint32> whats;
	std::unique_ptr<BMessage> kept;
	bool lockedWhileDispatching = true;
	std::atomic<bool> allowQuit{true};

private:
	std::atomic<bool>* fDeleted;
};

class NamedHandler : public BHandler {
public:
	explicit NamedHandler(const char* name) : BHandler(name) {}
	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'pass')
			BHandler::MessageReceived(message);
		else
			received.push_back(message->what);
	}
	std::vector<uint32> received;
};

RecordingLooper* Start(std::atomic<bool>* deleted = nullptr)
{
	auto* looper = new RecordingLooper(deleted);
	looper->Run();
	return looper;
}

void WaitIdle()
{
	ASSERT_EQ(BPrivate::LooperRegistry::WaitForIdle(5000000), B_OK);
}

void QuitLooper(BLooper* looper)
{
	ASSERT_TRUE(looper->Lock());
	looper->Quit();
}

using Whats = std::vector<uint32>;

}  // namespace

TEST(Looper, MessagesFromSeveralThreadsKeepEachSendersOrderAndWaitForIdleWaitsForTheLast)
{
	RecordingLooper* looper = Start();
	looper->PostMessage('slow');
	BMessage keep('keep');
	keep.AddString("text", "still here");
	looper->PostMessage(&keep);
	EXPECT_EQ(BPrivate::LooperRegistry::WaitForIdle(10000), B_TIMED_OUT);
	constexpr int kSenders = 4;
	constexpr int kEach = 2000;
	std::vector<std::thread> senders;
	for (int s = 0; s < kSenders; s++) {
		senders.emplace_back([looper, s] {
			for (int n = 0; n < kEach; n++) {
				BMessage message('seq ');
				message.AddInt32("sender", s);
				message.AddInt32("n", n);
				ASSERT_EQ(looper->PostMessage(&message), B_OK);
			}
		});
	}
	for (auto& sender : senders)
		sender.join();
	WaitIdle();
	{
		std::lock_guard<std::mutex> lock(looper->mutex);
		ASSERT_EQ(looper->sequences.size(), size_t(kSenders * kEach));
		std::vector<int32> next(kSenders, 0);
		for (const auto& [sender, n] : looper->sequences)
			ASSERT_EQ(n, next[sender]++) << "sender " << sender;
		EXPECT_TRUE(looper->lockedWhileDispatching);
	}
	EXPECT_TRUE(BPrivate::LooperRegistry::IsIdle());
	EXPECT_EQ(looper->Whats(), (Whats{'slow', 'keep'}));
	EXPECT_EQ(BLooper::LooperForThread(looper->Thread()), looper);
	// A detached message belongs to the handler and outlives the dispatch.
	ASSERT_TRUE(looper->Lock());
	ASSERT_NE(looper->kept, nullptr);
	EXPECT_STREQ(looper->kept->GetString("text"), "still here");
	EXPECT_TRUE(looper->kept->WasDelivered());
	looper->Quit();
}

// The lock itself is a BLocker (tested on its own); this checks that holding it
// holds back the dispatching.
TEST(Looper, HoldingTheLockHoldsBackDispatchingAndLeavesMessagesQueued)
{
	RecordingLooper* looper = Start();
	ASSERT_TRUE(looper->Lock());
	for (uint32 what : {'mmv1', 'mmv2', 'mmv1'})
		looper->PostMessage(what);
	// The loop may already have taken the first message off the queue and be
	// waiting for the lock; what remains is still queued.
	snooze(50000);
	EXPECT_TRUE(looper->Whats().empty());
	EXPECT_NE(looper->MessageQueue()->FindMessage(uint32('mmv2')), nullptr);
	EXPECT_TRUE(looper->IsMessageWaiting());
	looper->Unlock();
	WaitIdle();
	EXPECT_EQ(looper->Whats(), (Whats{'mmv1', 'mmv2', 'mmv1'}));
	QuitLooper(looper);
}

TEST(Looper, LockedByItsCreatorUntilRunMessagesReachTheirHandlerOrThePreferredOneWhileItIsThere)
{
	auto* looper = new RecordingLooper;
	EXPECT_TRUE(looper->IsLocked());
	// A handler of no looper, or of another, cannot be targeted.
	NamedHandler stray("stray");
	EXPECT_EQ(looper->PostMessage('x', &stray), B_MISMATCHED_VALUES);
	NamedHandler first("first");
	NamedHandler second("second");
	looper->AddHandler(&first);
	looper->AddHandler(&second);
	looper->Run();
	EXPECT_FALSE(looper->IsLocked());

	looper->PostMessage('to2 ', &second);
	looper->PostMessage('dflt');
	// The preferred handler is looked up when the message is dispatched.
	WaitIdle();
	ASSERT_TRUE(looper->Lock());
	looper->SetPreferredHandler(&first);
	looper->Unlock();
	looper->PostMessage('pref');
	BMessenger(&second).SendMessage('msgr');
	// A handler that passes a message on lets it travel to its next handler.
	looper->PostMessage('pass', &second);
	WaitIdle();

	ASSERT_TRUE(looper->Lock());
	EXPECT_EQ(second.received, (Whats{'to2 ', 'msgr'}));
	EXPECT_EQ(first.received, (Whats{'pref'}));
	EXPECT_EQ(looper->Whats(), (Whats{'dflt', 'pass'}));
	EXPECT_TRUE(looper->RemoveHandler(&first));
	EXPECT_TRUE(looper->RemoveHandler(&second));
	EXPECT_EQ(looper->PreferredHandler(), nullptr);

	// A handler removed with a message still queued for it: the message is dropped,
	// not delivered to freed memory, and its messenger becomes invalid.
	auto* handler = new NamedHandler("gone");
	looper->AddHandler(handler);
	BMessenger messenger(handler);
	EXPECT_TRUE(messenger.IsValid());
	looper->PostMessage('late', handler);
	looper->RemoveHandler(handler);
	delete handler;
	looper->Unlock();
	EXPECT_FALSE(messenger.IsValid());
	WaitIdle();
	EXPECT_EQ(looper->Whats(), (Whats{'dflt', 'pass'}));
	QuitLooper(looper);
}

TEST(Looper, QuitFromAnotherThreadItsOwnByRequestOrBeforeRunDeletesTheLooper)
{
	std::atomic<bool> deleted{false};
	RecordingLooper* looper = Start(&deleted);
	BMessenger messenger(looper);
	EXPECT_TRUE(messenger.IsValid());
	for (int i = 0; i < 100; i++)
		looper->PostMessage('fill');
	QuitLooper(looper);
	EXPECT_TRUE(deleted.load());
	EXPECT_FALSE(messenger.IsValid());
	EXPECT_EQ(messenger.SendMessage('dead'), B_BAD_PORT_ID);

	// From its own thread, it is deleted once the dispatch returns.
	deleted = false;
	looper = Start(&deleted);
	const thread_id thread = looper->Thread();
	ASSERT_GT(thread, 0);
	looper->PostMessage('quit');
	status_t exitValue = B_ERROR;
	ASSERT_EQ(wait_for_thread(thread, &exitValue), B_OK);
	EXPECT_TRUE(deleted.load());

	// B_QUIT_REQUESTED quits only if QuitRequested agrees, and says so in the reply.
	deleted = false;
	looper = Start(&deleted);
	looper->allowQuit = false;
	messenger = BMessenger(looper);
	BMessage reply;
	ASSERT_EQ(messenger.SendMessage(B_QUIT_REQUESTED, &reply), B_OK);
	EXPECT_EQ(reply.what, uint32(B_REPLY));
	EXPECT_FALSE(reply.GetBool("result", true));
	EXPECT_FALSE(deleted.load());
	looper->allowQuit = true;
	ASSERT_EQ(messenger.SendMessage(B_QUIT_REQUESTED, &reply), B_OK);
	EXPECT_TRUE(reply.GetBool("result", false));
	for (int i = 0; i < 200 && !deleted.load(); i++)
		snooze(5000);
	EXPECT_TRUE(deleted.load());
	EXPECT_FALSE(messenger.IsValid());

	// Quit before Run deletes at once.
	deleted = false;
	(new RecordingLooper(&deleted))->Quit();
	EXPECT_TRUE(deleted.load());
}
