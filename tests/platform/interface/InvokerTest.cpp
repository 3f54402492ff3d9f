// Invokers: where the message goes for each kind of target, what the copy carries,
// and who owns the message.
#include <Invoker.h>

#include <Errors.h>
#include <Handler.h>
#include <Looper.h>
#include <Message.h>

#include "LooperRegistry.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

namespace {

struct Received {
	std::string where;
	BMessage message;
};

std::mutex gMutex;
std::vector<Received> gReceived;

class RecordingHandler : public BHandler {
public:
	explicit RecordingHandler(const char* name) : BHandler(name) {}
	void MessageReceived(BMessage* message) override
	{
		std::lock_guard<std::mutex> lock(gMutex);
		gReceived.push_back({Name(), *message});
	}
};

class RecordingLooper : public BLooper {
public:
	RecordingLooper() : BLooper("looper") {}
	void MessageReceived(BMessage* message) override
	{
		std::lock_guard<std::mutex> lock(gMutex);
		gReceived.push_back({"looper", *message});
	}
};

class CountedMessage : public BMessage {
public:
	CountedMessage(uint32 what, int* deletions) : BMessage(what), fDeletions(deletions) {}
	~CountedMessage() override { (*fDeletions)++; }

private:
	int* fDeletions;
};

class InvokerTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		gReceived.clear();
		looper = new RecordingLooper();
		handler = new RecordingHandler("handler");
		looper->Lock();
		looper->AddHandler(handler);
		looper->Unlock();
		looper->Run();
	}
	void TearDown() override
	{
		looper->Lock();
		looper->RemoveHandler(handler);
		looper->Quit();
		delete handler;
	}
	std::vector<Received> Drain()
	{
		EXPECT_EQ(BPrivate::LooperRegistry::WaitForIdle(5000000), B_OK);
		std::lock_guard<std::mutex> lock(gMutex);
		return gReceived;
	}

	RecordingLooper* looper = nullptr;
	RecordingHandler* handler = nullptr;
};

TEST_F(InvokerTest, EachKindOfTargetReceivesTheInvocationOrTheMessageGivenInstead)
{
	BInvoker toHandler(new BMessage('hndl'), handler);
	BInvoker toLooper(new BMessage('loop'), nullptr, looper);
	BInvoker toMessenger(new BMessage('msgr'), BMessenger(handler));
	EXPECT_TRUE(toHandler.IsTargetLocal());
	BLooper* targetLooper = nullptr;
	EXPECT_EQ(toHandler.Target(&targetLooper), handler);
	EXPECT_EQ(targetLooper, looper);

	ASSERT_EQ(toHandler.Invoke(), B_OK);
	ASSERT_EQ(toLooper.Invoke(), B_OK);
	ASSERT_EQ(toMessenger.Invoke(), B_OK);
	BMessage other('othr');
	ASSERT_EQ(toLooper.Invoke(&other), B_OK);
	const auto received = Drain();
	ASSERT_EQ(received.size(), 4u);
	EXPECT_EQ(received[0].where, "handler");
	EXPECT_EQ(received[0].message.what, 'hndl');
	EXPECT_EQ(received[1].where, "looper");
	EXPECT_EQ(received[1].message.what, 'loop');
	EXPECT_EQ(received[2].where, "handler");
	EXPECT_EQ(received[2].message.what, 'msgr');
	EXPECT_EQ(received[3].message.what, 'othr');
}

TEST_F(InvokerTest, CopyCarriesWhenAndSourceAndLeavesTheOriginalAlone)
{
	BMessage* message = new BMessage('stmu');
	message->AddInt32("FieldIndex", 3);
	BInvoker invoker(message, handler);
	const bigtime_t before = system_time();
	ASSERT_EQ(invoker.Invoke(), B_OK);
	ASSERT_EQ(invoker.Invoke(), B_OK);
	const auto received = Drain();
	ASSERT_EQ(received.size(), 2u);
	for (const Received& r : received) {
		EXPECT_EQ(r.message.GetInt32("FieldIndex", -1), 3);
		EXPECT_GE(r.message.GetInt64("when", 0), before);
		void* source = nullptr;
		ASSERT_EQ(r.message.FindPointer("source", &source), B_OK);
		EXPECT_EQ(source, &invoker);
		// Repeated invocations must not pile up stamps.
		int32 count = 0;
		type_code type;
		r.message.GetInfo("when", &type, &count);
		EXPECT_EQ(count, 1);
	}
	EXPECT_FALSE(invoker.Message()->HasInt64("when"));
	EXPECT_EQ(invoker.Command(), 'stmu');
}

TEST_F(InvokerTest, AMissingMessageOrTargetFailsAndATargetOutsideALooperIsRefused)
{
	BInvoker noMessage;
	noMessage.SetTarget(handler);
	EXPECT_EQ(noMessage.Invoke(), B_BAD_VALUE);
	EXPECT_EQ(noMessage.Command(), 0u);
	BInvoker noTarget(new BMessage('none'), nullptr);
	EXPECT_NE(noTarget.Invoke(), B_OK);
	EXPECT_TRUE(Drain().empty());

	RecordingHandler loose("loose");
	BInvoker invoker(new BMessage('x   '), handler);
	EXPECT_NE(invoker.SetTarget(&loose), B_OK);
	EXPECT_FALSE(invoker.Messenger().IsValid());
	EXPECT_EQ(invoker.SetTarget(nullptr, nullptr), B_OK);
	EXPECT_EQ(invoker.Target(), nullptr);
}

TEST(InvokerOwnership, TheInvokerDeletesItsMessages)
{
	int deletions = 0;
	{
		BInvoker invoker(new CountedMessage('a   ', &deletions), nullptr);
		invoker.SetMessage(new CountedMessage('b   ', &deletions));
		EXPECT_EQ(deletions, 1);
		invoker.SetMessage(invoker.Message());  // the same message is kept, not freed
		EXPECT_EQ(deletions, 1);
		EXPECT_EQ(invoker.Command(), 'b   ');
	}
	EXPECT_EQ(deletions, 2);
}

}  // namespace
