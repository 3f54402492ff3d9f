// Messengers: synchronous sends answered, the reply time-out, a target that goes
// away unanswered, and the addressing rules. (A full queue's delivery time-out is the
// cross-process tests'.)
#include <Handler.h>
#include <Looper.h>
#include <Messenger.h>
#include <OS.h>

#include "LooperRegistry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace {

// Answers 'ping' with 'pong' carrying the request's value plus one; keeps 'hold'
// unanswered (detached) until told; quits on 'quit' without answering it; sleeps on
// 'slow'.
class Responder : public BLooper {
public:
	Responder() : BLooper("responder", B_NORMAL_PRIORITY, 1000000) {}

	void MessageReceived(BMessage* message) override
	{
		switch (message->what) {
			case 'ping': {
				BMessage reply('pong');
				reply.AddInt32("value", message->GetInt32("value", 0) + 1);
				reply.AddBool("waiting", message->IsSourceWaiting());
				message->SendReply(&reply);
				break;
			}
			case 'twce': {
				message->SendReply('one ');
				duplicate = message->SendReply('two ');
				break;
			}
			case 'hold':
				held.reset(DetachCurrentMessage());
				break;
			case 'drop':
				held.reset();
				break;
			case 'quit':
				Quit();
				break;
			case 'slow':
				snooze(message->GetInt64("for", 0));
				break;
			case 'self': {
				BMessage reply;
				selfStatus = BMessenger(this).SendMessage('ping', &reply);
				break;
			}
			case 'pong':
				pongs++;
				break;
			default:
				BLooper::MessageReceived(message);
		}
	}

	std::unique_ptr<BMessage> held;
	std::atomic<status_t> duplicate{B_OK};
	std::atomic<status_t> selfStatus{B_OK};
	std::atomic<int> pongs{0};
};

Responder* Start()
{
	auto* responder = new Responder();
	responder->Run();
	return responder;
}

void Stop(BLooper* looper)
{
	ASSERT_TRUE(looper->Lock());
	looper->Quit();
}

}  // namespace

TEST(Messenger, AnsweredWithTheReplyNotUnderstoodOnceOnlyNeverToItsOwnThreadAsynchronouslyAndPerThread)
{
	Responder* responder = Start();
	BMessenger messenger(responder);
	BMessage request('ping');
	request.AddInt32("value", 41);
	BMessage reply;
	ASSERT_EQ(messenger.SendMessage(&request, &reply), B_OK);
	EXPECT_EQ(reply.what, uint32('pong'));
	EXPECT_EQ(reply.GetInt32("value", 0), 42);
	EXPECT_TRUE(reply.GetBool("waiting", false));
	EXPECT_TRUE(reply.IsReply());
	// The request stays the caller's and is unchanged.
	EXPECT_EQ(request.GetInt32("value", 0), 41);
	EXPECT_FALSE(request.IsSourceWaiting());

	// A message nobody handles is answered "not understood".
	ASSERT_EQ(messenger.SendMessage('unkn', &reply), B_OK);
	EXPECT_EQ(reply.what, uint32(B_MESSAGE_NOT_UNDERSTOOD));
	EXPECT_TRUE(reply.HasString("message"));
	EXPECT_TRUE(reply.HasInt32("error"));
	// A second reply is a duplicate; the first one is the answer.
	ASSERT_EQ(messenger.SendMessage('twce', &reply), B_OK);
	EXPECT_EQ(reply.what, uint32('one '));
	// Waiting on the looper's own thread would never end: refused.
	responder->PostMessage('self');
	ASSERT_EQ(BPrivate::LooperRegistry::WaitForIdle(5000000), B_OK);
	EXPECT_EQ(responder->duplicate.load(), B_DUPLICATE_REPLY);
	EXPECT_EQ(responder->selfStatus.load(), B_MESSAGE_TO_SELF);

	// Without waiting, the reply goes to the handler named for it.
	Responder* client = Start();
	ASSERT_EQ(messenger.SendMessage(&request, client), B_OK);
	ASSERT_EQ(BPrivate::LooperRegistry::WaitForIdle(5000000), B_OK);
	EXPECT_EQ(client->pongs.load(), 1);
	Stop(client);

	// Many threads waiting at once each get their own answer.
	std::vector<std::thread> threads;
	std::atomic<int> wrong{0};
	for (int t = 0; t < 4; t++) {
		threads.emplace_back([&, t] {
			for (int i = 0; i < 200; i++) {
				BMessage numbered('ping');
				numbered.AddInt32("value", t * 1000 + i);
				BMessage answer;
				if (messenger.SendMessage(&numbered, &answer) != B_OK
					|| answer.GetInt32("value", 0) != t * 1000 + i + 1)
					wrong++;
			}
		});
	}
	for (auto& thread : threads)
		thread.join();
	EXPECT_EQ(wrong.load(), 0);
	Stop(responder);
}

TEST(MessengerSync, AKeptMessageTimesOutAndADeletedOneOrAQuittingTargetGivesNoReply)
{
	Responder* responder = Start();
	BMessenger messenger(responder);
	BMessage reply;
	BMessage hold('hold');
	const bigtime_t start = system_time();
	EXPECT_EQ(messenger.SendMessage(&hold, &reply, B_INFINITE_TIMEOUT, 50000), B_TIMED_OUT);
	const bigtime_t waited = system_time() - start;
	EXPECT_GE(waited, 50000);
	EXPECT_LT(waited, 2000000);
	// A late reply after the time-out goes nowhere and does no harm.
	responder->PostMessage('drop');

	std::thread dropper([&] {
		snooze(30000);
		responder->PostMessage('drop');
	});
	ASSERT_EQ(messenger.SendMessage(&hold, &reply), B_OK);
	EXPECT_EQ(reply.what, uint32(B_NO_REPLY));
	dropper.join();

	// 'slow' keeps the looper busy so 'quit' and our request are queued behind it;
	// quitting then deletes the request unanswered, and the caller hears so at once.
	BMessage slow('slow');
	slow.AddInt64("for", 50000);
	messenger.SendMessage(&slow);
	messenger.SendMessage('quit');
	reply.what = 'none';  // not still B_NO_REPLY from above
	const bigtime_t quitStart = system_time();
	BMessage ping('ping');
	const status_t status = messenger.SendMessage(&ping, &reply);
	if (status == B_OK) {
		EXPECT_EQ(reply.what, uint32(B_NO_REPLY));
	} else {
		EXPECT_EQ(status, B_BAD_PORT_ID);  // already gone when we tried to deliver
	}
	EXPECT_LT(system_time() - quitStart, 1000000);
	for (int i = 0; i < 100 && messenger.IsValid(); i++)
		snooze(5000);
	EXPECT_FALSE(messenger.IsValid());
}

TEST(MessengerAddress, ConstructionRulesAndLockingTheTarget)
{
	status_t result = B_OK;
	BMessenger none(nullptr, nullptr, &result);
	EXPECT_EQ(result, B_BAD_VALUE);
	EXPECT_EQ(none.SendMessage('x'), B_BAD_PORT_ID);
	BHandler loose("loose");
	BMessenger(&loose, nullptr, &result);
	EXPECT_EQ(result, B_BAD_HANDLER);

	Responder* a = Start();
	BMessenger toA(a);
	EXPECT_TRUE(toA.IsTargetLocal());
	EXPECT_EQ(toA, BMessenger(a));
	ASSERT_TRUE(toA.LockTarget());
	EXPECT_TRUE(a->IsLocked());
	a->Unlock();
	Stop(a);
	EXPECT_FALSE(toA.LockTarget());
	BLooper* looper = nullptr;
	EXPECT_EQ(toA.Target(&looper), nullptr);
}
