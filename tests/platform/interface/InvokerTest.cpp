// Invokers: what the copy carries, a message given instead, and who owns the
// message. (Targets of each kind are what every button, menu item and list sends
// to in the window tests.)
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

// Records what reaches it, under its name; the looper records as "looper".
template <class Base>
class Recording : public Base {
public:
	using Base::Base;
	void MessageReceived(BMessage* message) override
	{
		std::lock_guard<std::mutex> lock(gMutex);
		gReceived.push_back({this->Name(), *message});
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
		looper = new Recording<BLooper>("looper");
		handler = new Recording<BHandler>("handler");
		looper->AddHandler(handler);
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

	BLooper* looper = nullptr;
	BHandler* handler = nullptr;
};

TEST_F(InvokerTest, TheTargetReceivesAStampedCopyOrTheMessageGivenInstead)
{
	auto* message = new BMessage('hndl');
	message->AddInt32("FieldIndex", 3);
	BInvoker toHandler(message, handler);
	BInvoker toLooper(new BMessage('loop'), nullptr, looper);
	const bigtime_t before = system_time();
	ASSERT_EQ(toHandler.Invoke(), B_OK);
	ASSERT_EQ(toHandler.Invoke(), B_OK);
	BMessage other('othr');
	ASSERT_EQ(toLooper.Invoke(&other), B_OK);
	const auto received = Drain();
	ASSERT_EQ(received.size(), 3u);
	const std::pair<const char*, uint32> expected[] = {{"handler", 'hndl'}, {"handler", 'hndl'},
		{"looper", 'othr'}};
	for (size_t i = 0; i < received.size(); i++) {
		EXPECT_EQ(received[i].where, expected[i].first) << i;
		EXPECT_EQ(received[i].message.what, expected[i].second) << i;
	}
	// The copies carry the time and the invoker; repeated invocations do not pile
	// up stamps, and the original stays as it was.
	for (size_t i = 0; i < 2; i++) {
		const BMessage& copy = received[i].message;
		EXPECT_EQ(copy.GetInt32("FieldIndex", -1), 3);
		EXPECT_GE(copy.GetInt64("when", 0), before);
		void* source = nullptr;
		ASSERT_EQ(copy.FindPointer("source", &source), B_OK);
		EXPECT_EQ(source, &toHandler);
		int32 count = 0;
		type_code type;
		copy.GetInfo("when", &type, &count);
		EXPECT_EQ(count, 1);
	}
	EXPECT_FALSE(toHandler.Message()->HasInt64("when"));
}

TEST_F(InvokerTest, AMissingMessageOrTargetFailsATargetOutsideALooperIsRefusedAndMessagesAreOwned)
{
	BInvoker noMessage;
	noMessage.SetTarget(handler);
	EXPECT_EQ(noMessage.Invoke(), B_BAD_VALUE);
	EXPECT_EQ(noMessage.Command(), 0u);
	BInvoker noTarget(new BMessage('none'), nullptr);
	EXPECT_NE(noTarget.Invoke(), B_OK);
	EXPECT_TRUE(Drain().empty());
	Recording<BHandler> loose("loose");
	EXPECT_NE(noTarget.SetTarget(&loose), B_OK);
	EXPECT_FALSE(noTarget.Messenger().IsValid());

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
