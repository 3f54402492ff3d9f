// Loopers: message order across threads, locking, handler targeting, quitting, the
// queue, and the idle point.
#include <Autolock.h>
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

// Records what it receives; tests read the record after the looper is idle.
class RecordingLooper : public BLooper {
public:
	explicit RecordingLooper(std::atomic<bool>* deleted = nullptr, int32 capacity = 1000000)
		: BLooper("recorder", B_NORMAL_PRIORITY, capacity), fDeleted(deleted)
	{
	}
	~RecordingLooper() override
	{
		if (fDeleted != nullptr)
			*fDeleted = true;
	}

	void MessageReceived(BMessage* message) override
	{
		std::lock_guard<std::mutex> lock(mutex);
		if (message->what == 'seq ') {
			sequences.push_back({message->GetInt32("sender", -1), message->GetInt32("n", -1)});
			lockedWhileDispatching = lockedWhileDispatching && IsLocked();
		} else {
			whats.push_back(message->what);
		}
	}
	bool QuitRequested() override { return allowQuit.load(); }

	std::mutex mutex;
	std::vector<std::pair<int32, int32>> sequences;
	std::vector<uint32> whats;
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
		if (message->what == 'pass') {
			BHandler::MessageReceived(message);
			return;
		}
		received.push_back(message->what);
	}
	std::vector<uint32> received;
};

void WaitIdle()
{
	ASSERT_EQ(BPrivate::LooperRegistry::WaitForIdle(5000000), B_OK);
}

void QuitLooper(BLooper* looper)
{
	ASSERT_TRUE(looper->Lock());
	looper->Quit();
}

}  // namespace

TEST(Looper, MessagesFromSeveralThreadsKeepEachSendersOrder)
{
	auto* looper = new RecordingLooper;
	looper->Run();
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
		for (const auto& [sender, n] : looper->sequences) {
			ASSERT_EQ(n, next[sender]) << "sender " << sender;
			next[sender]++;
		}
		EXPECT_TRUE(looper->lockedWhileDispatching);
	}
	QuitLooper(looper);
}

TEST(Looper, HoldingTheLockHoldsBackDispatching)
{
	auto* looper = new RecordingLooper;
	looper->Run();
	ASSERT_TRUE(looper->Lock());
	looper->PostMessage('held');
	snooze(50000);
	{
		std::lock_guard<std::mutex> lock(looper->mutex);
		EXPECT_TRUE(looper->whats.empty());
	}
	looper->Unlock();
	WaitIdle();
	{
		std::lock_guard<std::mutex> lock(looper->mutex);
		ASSERT_EQ(looper->whats.size(), 1u);
	}
	QuitLooper(looper);
}

TEST(Looper, LockIsRecursiveForItsOwnerAndTimesOutForOthers)
{
	auto* looper = new RecordingLooper;
	looper->Run();
	ASSERT_TRUE(looper->Lock());
	ASSERT_TRUE(looper->Lock());
	EXPECT_EQ(looper->CountLocks(), 2);
	EXPECT_EQ(looper->LockingThread(), find_thread(nullptr));

	status_t other = B_OK;
	std::thread([&] { other = looper->LockWithTimeout(20000); }).join();
	EXPECT_EQ(other, B_TIMED_OUT);

	looper->Unlock();
	std::thread([&] { other = looper->LockWithTimeout(20000); }).join();
	EXPECT_EQ(other, B_TIMED_OUT);  // still held once
	looper->Unlock();
	EXPECT_FALSE(looper->IsLocked());

	bool otherLocked = false;
	std::thread([&] {
		otherLocked = looper->LockWithTimeout(1000000) == B_OK;
		if (otherLocked) {
			EXPECT_TRUE(looper->IsLocked());
			looper->Unlock();
		}
	}).join();
	EXPECT_TRUE(otherLocked);
	{
		BAutolock autolock(looper);
		EXPECT_TRUE(autolock.IsLocked());
		EXPECT_TRUE(looper->IsLocked());
	}
	EXPECT_FALSE(looper->IsLocked());
	QuitLooper(looper);
}

TEST(Looper, ANewLooperIsLockedByItsCreatorUntilRunAndQuitBeforeRunDeletesAtOnce)
{
	auto* looper = new RecordingLooper;
	EXPECT_TRUE(looper->IsLocked());
	// A handler of no looper, or of another, cannot be targeted.
	NamedHandler stray("stray");
	EXPECT_EQ(looper->PostMessage('x', &stray), B_MISMATCHED_VALUES);
	looper->Run();
	EXPECT_FALSE(looper->IsLocked());
	QuitLooper(looper);

	std::atomic<bool> deleted{false};
	looper = new RecordingLooper(&deleted);
	looper->Quit();
	EXPECT_TRUE(deleted.load());
}

TEST(Looper, MessagesReachTheirHandlerOrThePreferredOne)
{
	auto* looper = new RecordingLooper;
	NamedHandler first("first");
	NamedHandler second("second");
	looper->AddHandler(&first);
	looper->AddHandler(&second);
	EXPECT_EQ(first.Looper(), looper);
	EXPECT_EQ(first.NextHandler(), looper);
	EXPECT_EQ(looper->CountHandlers(), 3);
	looper->Run();

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
	EXPECT_EQ(second.received, (std::vector<uint32>{'to2 ', 'msgr'}));
	EXPECT_EQ(first.received, (std::vector<uint32>{'pref'}));
	{
		std::lock_guard<std::mutex> lock(looper->mutex);
		EXPECT_EQ(looper->whats, (std::vector<uint32>{'dflt', 'pass'}));
	}
	EXPECT_TRUE(looper->RemoveHandler(&first));
	EXPECT_TRUE(looper->RemoveHandler(&second));
	EXPECT_EQ(looper->PreferredHandler(), nullptr);
	looper->Unlock();
	QuitLooper(looper);
}

TEST(Looper, RemovedHandlerStopsReceivingAndItsMessengerBecomesInvalid)
{
	auto* looper = new RecordingLooper;
	auto* handler = new NamedHandler("gone");
	looper->AddHandler(handler);
	BMessenger messenger(handler);
	EXPECT_TRUE(messenger.IsValid());
	looper->Run();

	ASSERT_TRUE(looper->Lock());
	looper->PostMessage('late', handler);  // queued while we hold the lock
	looper->RemoveHandler(handler);
	delete handler;
	looper->Unlock();
	EXPECT_FALSE(messenger.IsValid());
	WaitIdle();  // the queued message is dropped, not delivered to freed memory
	{
		std::lock_guard<std::mutex> lock(looper->mutex);
		EXPECT_TRUE(looper->whats.empty());
	}
	QuitLooper(looper);
}

TEST(Looper, QuitFromAnotherThreadEndsTheThreadAndDeletesTheLooper)
{
	std::atomic<bool> deleted{false};
	auto* looper = new RecordingLooper(&deleted);
	const thread_id thread = looper->Run();
	ASSERT_GT(thread, 0);
	BMessenger messenger(looper);
	EXPECT_TRUE(messenger.IsValid());
	for (int i = 0; i < 100; i++)
		looper->PostMessage('fill');
	ASSERT_TRUE(looper->Lock());
	looper->Quit();
	EXPECT_TRUE(deleted.load());
	EXPECT_FALSE(messenger.IsValid());
	EXPECT_EQ(messenger.SendMessage('dead'), B_BAD_PORT_ID);
}

TEST(Looper, QuitRequestedDecidesWhetherTheLooperQuits)
{
	std::atomic<bool> deleted{false};
	auto* looper = new RecordingLooper(&deleted);
	looper->allowQuit = false;
	looper->Run();
	BMessenger messenger(looper);

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
}

namespace {

class DetachingLooper : public BLooper {
public:
	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'keep') {
			EXPECT_EQ(CurrentMessage(), message);
			kept.reset(DetachCurrentMessage());
			EXPECT_EQ(CurrentMessage(), nullptr);
		}
	}
	std::unique_ptr<BMessage> kept;
};

}  // namespace

TEST(Looper, DetachedMessageBelongsToTheHandler)
{
	auto* looper = new DetachingLooper;
	looper->Run();
	BMessage message('keep');
	message.AddString("text", "still here");
	looper->PostMessage(&message);
	WaitIdle();
	ASSERT_TRUE(looper->Lock());
	ASSERT_NE(looper->kept, nullptr);
	EXPECT_STREQ(looper->kept->GetString("text"), "still here");
	EXPECT_TRUE(looper->kept->WasDelivered());
	looper->Quit();
}

TEST(MessageQueue, FindsQueuedMessagesByCodeInOrder)
{
	BMessageQueue queue;
	for (uint32 what : {'a', 'b', 'a', 'c', 'a'}) {
		auto* message = new BMessage(what);
		message->AddInt32("i", queue.CountMessages());
		queue.AddMessage(message);
	}
	EXPECT_EQ(queue.CountMessages(), 5);
	ASSERT_NE(queue.FindMessage(uint32('a'), 2), nullptr);
	EXPECT_EQ(queue.FindMessage(uint32('a'), 2)->GetInt32("i", -1), 4);
	EXPECT_EQ(queue.FindMessage(uint32('a'), 3), nullptr);
	EXPECT_EQ(queue.FindMessage(int32(3))->what, uint32('c'));

	BMessage* b = queue.FindMessage(uint32('b'));
	queue.RemoveMessage(b);
	delete b;
	std::unique_ptr<BMessage> next(queue.NextMessage());
	EXPECT_EQ(next->GetInt32("i", -1), 0);
	next.reset(queue.NextMessage());
	EXPECT_EQ(next->GetInt32("i", -1), 2);
	EXPECT_EQ(queue.CountMessages(), 2);
}

TEST(Looper, QueuedMessagesAreVisibleInItsQueue)
{
	auto* looper = new RecordingLooper;
	looper->Run();
	ASSERT_TRUE(looper->Lock());
	looper->PostMessage('mmv1');
	looper->PostMessage('mmv2');
	looper->PostMessage('mmv1');
	// The loop may already have taken the first message off the queue and be
	// waiting for the lock; what remains is still in order.
	snooze(20000);
	BMessageQueue* queue = looper->MessageQueue();
	EXPECT_GE(queue->CountMessages(), 2);
	EXPECT_NE(queue->FindMessage(uint32('mmv2')), nullptr);
	EXPECT_TRUE(looper->IsMessageWaiting());
	looper->Unlock();
	QuitLooper(looper);
}

namespace {

class SlowLooper : public BLooper {
public:
	void MessageReceived(BMessage*) override
	{
		snooze(100000);
		done = true;
	}
	std::atomic<bool> done{false};
};

}  // namespace

TEST(LooperRegistry, WaitForIdleWaitsForTheDispatchToFinish)
{
	auto* looper = new SlowLooper;
	looper->Run();
	looper->PostMessage('slow');
	EXPECT_EQ(BPrivate::LooperRegistry::WaitForIdle(10000), B_TIMED_OUT);
	EXPECT_EQ(BPrivate::LooperRegistry::WaitForIdle(5000000), B_OK);
	EXPECT_TRUE(looper->done.load());
	EXPECT_TRUE(BPrivate::LooperRegistry::IsIdle());
	EXPECT_EQ(BLooper::LooperForThread(looper->Thread()), looper);
	QuitLooper(looper);
}

namespace {

class SelfQuittingLooper : public BLooper {
public:
	explicit SelfQuittingLooper(std::atomic<bool>* deleted) : fDeleted(deleted) {}
	~SelfQuittingLooper() override { *fDeleted = true; }
	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'quit')
			Quit();
	}

private:
	std::atomic<bool>* fDeleted;
};

}  // namespace

TEST(Looper, QuitFromItsOwnThreadDeletesItAfterTheDispatch)
{
	std::atomic<bool> deleted{false};
	auto* looper = new SelfQuittingLooper(&deleted);
	const thread_id thread = looper->Run();
	looper->PostMessage('quit');
	status_t exitValue = B_ERROR;
	ASSERT_EQ(wait_for_thread(thread, &exitValue), B_OK);
	EXPECT_TRUE(deleted.load());
}
