#include <Handler.h>

#include <Looper.h>
#include <Messenger.h>

#include "LooperRegistry.h"

#include <cstring>

BHandler::BHandler(const char* name)
	: fToken(BPrivate::HandlerTokens::Add(this))
{
	SetName(name);
}

BHandler::~BHandler()
{
	if (fLooper != nullptr && fLooper != this)
		fLooper->RemoveHandler(this);
	BPrivate::HandlerTokens::Remove(fToken);
}

void BHandler::MessageReceived(BMessage* message)
{
	if (message->what == B_GET_PROPERTY && message->HasSpecifiers()) {
		int32 index = 0;
		BMessage specifier;
		int32 what = 0;
		const char* property = nullptr;
		if (message->GetCurrentSpecifier(&index, &specifier, &what, &property) == B_OK
			&& what == B_DIRECT_SPECIFIER) {
			BMessage reply(B_REPLY);
			bool answered = true;
			if (strcmp(property, "Suites") == 0)
				GetSupportedSuites(&reply);
			else if (strcmp(property, "Messenger") == 0)
				reply.AddMessenger("result", BMessenger(this));
			else if (strcmp(property, "InternalName") == 0)
				reply.AddString("result", Name() != nullptr ? Name() : "");
			else
				answered = false;
			if (answered) {
				reply.AddInt32("error", B_OK);
				message->SendReply(&reply);
				return;
			}
		}
	}
	if (fNextHandler != nullptr) {
		fNextHandler->MessageReceived(message);
		return;
	}
	// The end of the chain: never leave a waiting sender, or a script, in silence.
	if (message->what != B_MESSAGE_NOT_UNDERSTOOD && !message->IsReply()
		&& (message->IsSourceWaiting() || message->HasSpecifiers())) {
		BMessage reply(B_MESSAGE_NOT_UNDERSTOOD);
		const bool scripted = message->HasSpecifiers();
		reply.AddInt32("error", scripted ? B_BAD_SCRIPT_SYNTAX : B_ERROR);
		reply.AddString("message",
			scripted ? "Didn't understand the specifier(s)" : "Didn't understand the message");
		message->SendReply(&reply);
	}
}

BLooper* BHandler::Looper() const
{
	return fLooper;
}

void BHandler::SetName(const char* name)
{
	fHasName = name != nullptr;
	fName = name != nullptr ? name : "";
}

const char* BHandler::Name() const
{
	return fHasName ? fName.c_str() : nullptr;
}

void BHandler::SetNextHandler(BHandler* handler)
{
	fNextHandler = handler;
}

BHandler* BHandler::NextHandler() const
{
	return fNextHandler;
}

bool BHandler::LockLooper()
{
	return LockLooperWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

status_t BHandler::LockLooperWithTimeout(bigtime_t timeout)
{
	BLooper* looper = fLooper;
	if (looper == nullptr)
		return B_BAD_VALUE;
	const status_t status = looper->LockWithTimeout(timeout);
	if (status != B_OK)
		return status;
	// The handler may have moved while this thread waited for the lock.
	if (fLooper != looper) {
		looper->Unlock();
		return B_MISMATCHED_VALUES;
	}
	return B_OK;
}

void BHandler::UnlockLooper()
{
	if (fLooper != nullptr)
		fLooper->Unlock();
}

BHandler* BHandler::ResolveSpecifier(BMessage* message, int32, BMessage*, int32 what,
	const char* property)
{
	if (what == B_DIRECT_SPECIFIER && property != nullptr
		&& (strcmp(property, "Suites") == 0 || strcmp(property, "Messenger") == 0
			|| strcmp(property, "InternalName") == 0)) {
		return this;
	}
	BMessage reply(B_MESSAGE_NOT_UNDERSTOOD);
	reply.AddInt32("error", B_BAD_SCRIPT_SYNTAX);
	reply.AddString("message", "Didn't understand the specifier(s)");
	message->SendReply(&reply);
	return nullptr;
}

status_t BHandler::GetSupportedSuites(BMessage* data)
{
	if (data == nullptr)
		return B_BAD_VALUE;
	return data->AddString("suites", "suite/vnd.Be-handler");
}

void BHandler::_SetLooper(BLooper* looper)
{
	fLooper = looper;
}
