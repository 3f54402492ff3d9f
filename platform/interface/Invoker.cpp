#include <Invoker.h>

#include <Errors.h>
#include <Handler.h>
#include <Looper.h>
#include <Message.h>

BInvoker::BInvoker() = default;

BInvoker::BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper)
	: fMessage(message)
{
	SetTarget(handler, looper);
}

BInvoker::BInvoker(BMessage* message, BMessenger target)
	: fMessage(message), fMessenger(target)
{
}

BInvoker::~BInvoker()
{
	delete fMessage;
}

status_t BInvoker::SetMessage(BMessage* message)
{
	if (message == fMessage)
		return B_OK;
	delete fMessage;
	fMessage = message;
	return B_OK;
}

BMessage* BInvoker::Message() const
{
	return fMessage;
}

uint32 BInvoker::Command() const
{
	return fMessage != nullptr ? fMessage->what : 0;
}

status_t BInvoker::SetTarget(const BHandler* handler, const BLooper* looper)
{
	fMessenger = BMessenger();
	if (handler == nullptr && looper == nullptr)
		return B_OK;
	status_t result = B_OK;
	BMessenger messenger(handler, looper, &result);
	if (result == B_OK)
		fMessenger = messenger;
	return result;
}

status_t BInvoker::SetTarget(BMessenger messenger)
{
	fMessenger = messenger;
	return B_OK;
}

bool BInvoker::IsTargetLocal() const
{
	return fMessenger.IsTargetLocal();
}

BHandler* BInvoker::Target(BLooper** looper) const
{
	return fMessenger.Target(looper);
}

BMessenger BInvoker::Messenger() const
{
	return fMessenger;
}

status_t BInvoker::SetHandlerForReply(BHandler* handler)
{
	fReplyTo = handler;
	return B_OK;
}

BHandler* BInvoker::HandlerForReply() const
{
	return fReplyTo;
}

status_t BInvoker::SetTimeout(bigtime_t timeout)
{
	fTimeout = timeout;
	return B_OK;
}

bigtime_t BInvoker::Timeout() const
{
	return fTimeout;
}

status_t BInvoker::Invoke(BMessage* message)
{
	return InvokeFrom(this, message);
}

status_t BInvoker::InvokeFrom(const void* source, BMessage* message)
{
	const BMessage* original = message != nullptr ? message : fMessage;
	if (original == nullptr)
		return B_BAD_VALUE;
	BMessage copy(*original);
	copy.RemoveName("when");
	copy.RemoveName("source");
	copy.AddInt64("when", system_time());
	copy.AddPointer("source", source);
	return fMessenger.SendMessage(&copy, fReplyTo, fTimeout);
}
