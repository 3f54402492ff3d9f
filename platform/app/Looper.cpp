// BLooper. Sections: construction and deletion; posting; the loop and dispatching;
// handlers; running and quitting; locking; scripting.
#include <Looper.h>

#include <Application.h>
#include <Messenger.h>

#include "LooperAccess.h"
#include "LooperRegistry.h"
#include "MessageAccess.h"
#include "MessageRouter.h"
#include "MessengerAccess.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <unistd.h>

using BPrivate::LooperRegistry;
using BPrivate::MessageAccess;

namespace {

// Posted by Quit from another thread; never dispatched.
constexpr uint32 kQuitLooper = '_QIT';

}  // namespace

// #pragma mark - construction and deletion

BLooper::BLooper(const char* name, int32 priority, int32 portCapacity)
	: BHandler(name),
	  fPort(std::make_shared<BPrivate::MessagePort>(portCapacity, this)),
	  fPriority(priority)
{
	LooperRegistry::Add(fPort);
	fHandlers.push_back(this);
	_SetLooper(this);
	// A new looper is locked by its creator until Run, as on the platform.
	Lock();
}

// Runs with the looper locked (by Quit, or by the loop's end).
BLooper::~BLooper()
{
	fPort->Close();
	LooperRegistry::Remove(fPort->Token());
	for (BHandler* handler : fHandlers) {
		if (handler != this) {
			handler->_SetLooper(nullptr);
			handler->SetNextHandler(nullptr);
		}
	}
	fHandlers.clear();
	_SetLooper(nullptr);
	delete fCurrentMessage;
	fCurrentMessage = nullptr;
	_UnlockFully();
}

// #pragma mark - posting

status_t BLooper::PostMessage(uint32 command)
{
	BMessage message(command);
	return _Post(&message, nullptr, nullptr);
}

status_t BLooper::PostMessage(BMessage* message)
{
	return _Post(message, nullptr, nullptr);
}

status_t BLooper::PostMessage(uint32 command, BHandler* handler, BHandler* replyTo)
{
	BMessage message(command);
	return _Post(&message, handler, replyTo);
}

status_t BLooper::PostMessage(BMessage* message, BHandler* handler, BHandler* replyTo)
{
	return _Post(message, handler, replyTo);
}

status_t BLooper::_Post(BMessage* message, BHandler* handler, BHandler* replyTo)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	if (handler != nullptr && handler->Looper() != this)
		return B_MISMATCHED_VALUES;
	BMessenger target = handler != nullptr ? BMessenger(handler) : BMessenger(nullptr, this);
	return target.SendMessage(message, replyTo);
}

// #pragma mark - the loop and dispatching

int32 BLooper::_ThreadEntry(void* data)
{
	BLooper* looper = static_cast<BLooper*>(data);
	looper->_Loop();
	// The loop ended by Quit: the thread deletes its looper, holding its lock.
	looper->Lock();
	delete looper;
	return B_OK;
}

void BLooper::_Loop()
{
	while (!fTerminating.load()) {
		status_t status = B_OK;
		std::unique_ptr<BMessage> message = fPort->Pop(B_INFINITE_TIMEOUT, &status);
		if (message == nullptr)
			break;
		if (message->what == kQuitLooper && MessageAccess::TargetToken(*message) == B_NULL_TOKEN
			&& MessageAccess::ReplyPort(*message) == -2) {
			fTerminating = true;
			fPort->DoneDispatching();
			break;
		}
		_DispatchOne(std::move(message));
		fPort->DoneDispatching();
	}
}

void BLooper::_DispatchOne(std::unique_ptr<BMessage> message)
{
	Lock();
	fCurrentMessage = message.release();
	BHandler* handler = _TargetOf(fCurrentMessage);
	if (handler != nullptr && fCurrentMessage->HasSpecifiers())
		handler = _ResolveScripting(fCurrentMessage, handler);
	if (handler != nullptr && fCurrentMessage != nullptr)
		DispatchMessage(fCurrentMessage, handler);
	std::unique_ptr<BMessage> done(fCurrentMessage);
	fCurrentMessage = nullptr;
	Unlock();
	// Deleted unlocked: an unanswered synchronous sender hears B_NO_REPLY now.
	done.reset();
}

BHandler* BLooper::_TargetOf(BMessage* message)
{
	const int32 token = MessageAccess::TargetToken(*message);
	if (token == B_PREFERRED_TOKEN || token == B_NULL_TOKEN)
		return fPreferred != nullptr ? fPreferred : this;
	BHandler* handler = BPrivate::HandlerTokens::Find(token);
	if (handler == nullptr || handler->Looper() != this)
		return nullptr;  // the handler left or died; the message is dropped
	return handler;
}

void BLooper::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (message->what == B_QUIT_REQUESTED && handler == this) {
		const bool quit = QuitRequested();
		if (message->IsSourceWaiting()) {
			BMessage reply(B_REPLY);
			reply.AddBool("result", quit);
			message->SendReply(&reply);
		}
		if (quit)
			Quit();
		return;
	}
	handler->MessageReceived(message);
}

void BLooper::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}

BMessage* BLooper::CurrentMessage() const
{
	return fCurrentMessage;
}

BMessage* BLooper::DetachCurrentMessage()
{
	BMessage* message = fCurrentMessage;
	fCurrentMessage = nullptr;
	return message;
}

BMessageQueue* BLooper::MessageQueue() const
{
	return &fPort->Queue();
}

bool BLooper::IsMessageWaiting() const
{
	return !fPort->Queue().IsEmpty();
}

// #pragma mark - handlers

void BLooper::AddHandler(BHandler* handler)
{
	assert(IsLocked());
	if (handler == nullptr || handler->Looper() != nullptr)
		return;
	handler->_SetLooper(this);
	if (handler->NextHandler() == nullptr)
		handler->SetNextHandler(this);
	fHandlers.push_back(handler);
}

bool BLooper::RemoveHandler(BHandler* handler)
{
	assert(IsLocked());
	if (handler == nullptr || handler == this || handler->Looper() != this)
		return false;
	auto found = std::find(fHandlers.begin(), fHandlers.end(), handler);
	if (found == fHandlers.end())
		return false;
	fHandlers.erase(found);
	handler->_SetLooper(nullptr);
	handler->SetNextHandler(nullptr);
	if (fPreferred == handler)
		fPreferred = nullptr;
	return true;
}

int32 BLooper::CountHandlers() const
{
	return int32(fHandlers.size());
}

BHandler* BLooper::HandlerAt(int32 index) const
{
	if (index < 0 || size_t(index) >= fHandlers.size())
		return nullptr;
	return fHandlers[index];
}

int32 BLooper::IndexOf(BHandler* handler) const
{
	auto found = std::find(fHandlers.begin(), fHandlers.end(), handler);
	return found == fHandlers.end() ? -1 : int32(found - fHandlers.begin());
}

BHandler* BLooper::PreferredHandler() const
{
	return fPreferred;
}

void BLooper::SetPreferredHandler(BHandler* handler)
{
	assert(IsLocked());
	fPreferred = handler != nullptr && handler->Looper() == this ? handler : nullptr;
}

// #pragma mark - running and quitting

thread_id BLooper::Run()
{
	if (fRunCalled)
		return B_ERROR;
	fRunCalled = true;
	const char* name = Name() != nullptr ? Name() : "looper";
	fThread = spawn_thread(_ThreadEntry, name, fPriority, this);
	if (fThread < 0)
		return fThread;
	fPort->SetLooperThread(fThread);
	// Release the lock the constructor took; the thread locks around each dispatch.
	Unlock();
	resume_thread(fThread);
	return fThread;
}

void BLooper::Quit()
{
	if (!fRunCalled) {
		// Never ran: no thread to end, delete at once.
		Lock();
		delete this;
		return;
	}
	if (find_thread(nullptr) == fThread) {
		fTerminating = true;
		return;
	}
	assert(IsLocked());  // the platform requires the caller to hold the lock
	const thread_id thread = fThread;
	std::shared_ptr<BPrivate::MessagePort> port = fPort;
	_PostQuit();
	// The looper's thread needs the lock to finish its dispatch and to delete itself.
	while (port->LooperLock().IsLocked())
		port->LooperLock().Unlock();
	status_t exitValue = B_OK;
	wait_for_thread(thread, &exitValue);
}

void BLooper::_PostQuit()
{
	auto quit = std::make_unique<BMessage>(kQuitLooper);
	MessageAccess::SetReplyAddress(*quit, -1, -2, B_NULL_TOKEN);
	fPort->Push(quit, B_INFINITE_TIMEOUT);
}

bool BLooper::QuitRequested()
{
	return true;
}

// #pragma mark - locking

bool BLooper::Lock()
{
	return LockWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

status_t BLooper::LockWithTimeout(bigtime_t timeout)
{
	// Hold the port, so the lock survives the looper's deletion while this waits.
	std::shared_ptr<BPrivate::MessagePort> port = fPort;
	fLockRequests++;
	const status_t status = port->LooperLock().LockWithTimeout(timeout);
	fLockRequests--;
	if (status != B_OK)
		return status;
	return B_OK;
}

void BLooper::Unlock()
{
	fPort->LooperLock().Unlock();
}

bool BLooper::IsLocked() const
{
	return fPort->LooperLock().IsLocked();
}

int32 BLooper::_UnlockFully()
{
	int32 count = 0;
	while (fPort->LooperLock().IsLocked()) {
		fPort->LooperLock().Unlock();
		count++;
	}
	return count;
}

thread_id BLooper::Thread() const
{
	return fThread;
}

team_id BLooper::Team() const
{
	return getpid();
}

thread_id BLooper::LockingThread() const
{
	return fPort->LooperLock().LockingThread();
}

int32 BLooper::CountLocks() const
{
	return fPort->LooperLock().CountLocks();
}

int32 BLooper::CountLockRequests() const
{
	return fLockRequests.load() + (LockingThread() >= 0 ? 1 : 0);
}

BLooper* BLooper::LooperForThread(thread_id thread)
{
	return LooperRegistry::LooperForThread(thread);
}

// #pragma mark - scripting

BHandler* BLooper::_ResolveScripting(BMessage* message, BHandler* target)
{
	BHandler* handler = target;
	while (message->HasSpecifiers()) {
		int32 index = 0;
		BMessage specifier;
		int32 what = 0;
		const char* property = nullptr;
		if (message->GetCurrentSpecifier(&index, &specifier, &what, &property) != B_OK)
			return nullptr;
		const std::string name = property;
		BHandler* next = handler->ResolveSpecifier(message, index, &specifier, what,
			name.c_str());
		if (next == nullptr)
			return nullptr;
		if (next->Looper() != this) {
			// The answer lives in another looper: the message moves there, reply
			// duty included.
			std::unique_ptr<BMessage> forwarded(DetachCurrentMessage());
			BPrivate::route_message(BMessenger(next), std::move(forwarded), nullptr,
				B_INFINITE_TIMEOUT);
			return nullptr;
		}
		int32 now = 0;
		message->GetCurrentSpecifier(&now);
		if (next == handler && now == index)
			break;  // the handler answers this specifier itself
		handler = next;
	}
	return handler;
}

BHandler* BLooper::ResolveSpecifier(BMessage* message, int32 index, BMessage* specifier,
	int32 what, const char* property)
{
	if (property != nullptr && strcmp(property, "Handler") == 0) {
		BHandler* handler = nullptr;
		if (what == B_INDEX_SPECIFIER) {
			handler = HandlerAt(specifier->GetInt32("index", -1));
		} else if (what == B_REVERSE_INDEX_SPECIFIER) {
			handler = HandlerAt(CountHandlers() - 1 - specifier->GetInt32("index", -1));
		} else if (what == B_NAME_SPECIFIER) {
			const char* wanted = specifier->GetString("name", "");
			for (BHandler* candidate : fHandlers) {
				if (candidate->Name() != nullptr && strcmp(candidate->Name(), wanted) == 0) {
					handler = candidate;
					break;
				}
			}
		}
		if (handler != nullptr) {
			message->PopSpecifier();
			return handler;
		}
		BMessage reply(B_MESSAGE_NOT_UNDERSTOOD);
		reply.AddInt32("error", B_BAD_INDEX);
		reply.AddString("message", "No such handler");
		message->SendReply(&reply);
		return nullptr;
	}
	(void)index;
	return BHandler::ResolveSpecifier(message, index, specifier, what, property);
}

status_t BLooper::GetSupportedSuites(BMessage* data)
{
	if (data == nullptr)
		return B_BAD_VALUE;
	const status_t status = data->AddString("suites", "suite/vnd.Be-looper");
	return status != B_OK ? status : BHandler::GetSupportedSuites(data);
}
