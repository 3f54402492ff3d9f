// BMessenger and the routing of messages to ports. Sections: construction; targets;
// sending; routing.
#include <Messenger.h>

#include <Application.h>
#include <Looper.h>

#include "LinkManager.h"
#include "LooperAccess.h"
#include "LooperRegistry.h"
#include "MessageAccess.h"
#include "MessageRouter.h"
#include "MessengerAccess.h"

#include <atomic>
#include <cstring>
#include <tuple>
#include <unistd.h>

using BPrivate::HandlerAccess;
using BPrivate::LooperRegistry;
using BPrivate::MessageAccess;

namespace {

std::atomic<BPrivate::RemoteLink*> sRemoteLink{nullptr};

team_id CurrentTeam()
{
	static const team_id team = getpid();
	return team;
}

int32 PortTokenOf(const BLooper* looper)
{
	return BPrivate::LooperAccess::PortToken(looper);
}

}  // namespace

// #pragma mark - construction

BMessenger::BMessenger() = default;

BMessenger::BMessenger(const BHandler* handler, const BLooper* looper, status_t* result)
{
	status_t status = B_OK;
	if (handler != nullptr) {
		const BLooper* owner = handler->Looper();
		if (owner == nullptr)
			status = B_BAD_HANDLER;
		else if (looper != nullptr && looper != owner)
			status = B_MISMATCHED_VALUES;
		else {
			fTeam = CurrentTeam();
			fPort = PortTokenOf(owner);
			fHandlerToken = HandlerAccess::Token(*handler);
		}
	} else if (looper != nullptr) {
		fTeam = CurrentTeam();
		fPort = PortTokenOf(looper);
		fHandlerToken = B_PREFERRED_TOKEN;
	} else {
		status = B_BAD_VALUE;
	}
	if (result != nullptr)
		*result = status;
}

BMessenger::BMessenger(const char* signature, team_id team, status_t* result)
{
	status_t status = B_BAD_VALUE;
	if (signature != nullptr && be_app != nullptr && strcasecmp(signature, be_app->Signature()) == 0
		&& (team < 0 || team == CurrentTeam())) {
		*this = be_app_messenger;
		status = B_OK;
	} else if (signature != nullptr) {
		status = BPrivate::find_remote_application(signature, team, this);
	}
	if (result != nullptr)
		*result = status;
}

// #pragma mark - targets

bool BMessenger::IsTargetLocal() const
{
	return fTeam == CurrentTeam();
}

BHandler* BMessenger::Target(BLooper** looper) const
{
	if (looper != nullptr)
		*looper = nullptr;
	if (!IsTargetLocal())
		return nullptr;
	auto port = LooperRegistry::Find(fPort);
	if (port == nullptr || port->Looper() == nullptr || port->IsClosed())
		return nullptr;
	if (looper != nullptr)
		*looper = port->Looper();
	if (fHandlerToken == B_PREFERRED_TOKEN)
		return nullptr;
	return BPrivate::HandlerTokens::Find(fHandlerToken);
}

bool BMessenger::LockTarget() const
{
	return LockTargetWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

status_t BMessenger::LockTargetWithTimeout(bigtime_t timeout) const
{
	if (!IsTargetLocal())
		return B_BAD_VALUE;
	auto port = LooperRegistry::Find(fPort);
	if (port == nullptr || port->Looper() == nullptr)
		return B_BAD_PORT_ID;
	const status_t status = port->LooperLock().LockWithTimeout(timeout);
	if (status != B_OK)
		return status;
	if (port->IsClosed()) {
		port->LooperLock().Unlock();
		return B_BAD_PORT_ID;
	}
	return B_OK;
}

bool BMessenger::IsValid() const
{
	if (fPort < 0)
		return false;
	if (!IsTargetLocal()) {
		BPrivate::RemoteLink* link = BPrivate::remote_link();
		return link != nullptr && link->IsValid(fTeam, fPort, fHandlerToken);
	}
	auto port = LooperRegistry::Find(fPort);
	if (port == nullptr || port->IsClosed())
		return false;
	if (fHandlerToken == B_PREFERRED_TOKEN || fHandlerToken == B_NULL_TOKEN)
		return true;
	return BPrivate::HandlerTokens::Find(fHandlerToken) != nullptr;
}

team_id BMessenger::Team() const
{
	return fTeam;
}

bool BMessenger::operator==(const BMessenger& other) const
{
	return fTeam == other.fTeam && fPort == other.fPort && fHandlerToken == other.fHandlerToken;
}

bool BMessenger::operator<(const BMessenger& other) const
{
	return std::tie(fTeam, fPort, fHandlerToken)
		< std::tie(other.fTeam, other.fPort, other.fHandlerToken);
}

// #pragma mark - sending

status_t BMessenger::SendMessage(uint32 command, BHandler* replyTo) const
{
	BMessage message(command);
	return SendMessage(&message, replyTo);
}

status_t BMessenger::SendMessage(BMessage* message, BHandler* replyTo, bigtime_t timeout) const
{
	if (message == nullptr)
		return B_BAD_VALUE;
	BMessenger replyMessenger;
	if (replyTo != nullptr)
		replyMessenger = BMessenger(replyTo);
	else if (be_app != nullptr)
		replyMessenger = be_app_messenger;
	return SendMessage(message, replyMessenger, timeout);
}

status_t BMessenger::SendMessage(BMessage* message, BMessenger replyTo, bigtime_t timeout) const
{
	if (message == nullptr)
		return B_BAD_VALUE;
	return BPrivate::route_message(*this, std::make_unique<BMessage>(*message), &replyTo,
		timeout);
}

status_t BMessenger::SendMessage(uint32 command, BMessage* reply) const
{
	BMessage message(command);
	return SendMessage(&message, reply);
}

status_t BMessenger::SendMessage(BMessage* message, BMessage* reply,
	bigtime_t deliveryTimeout, bigtime_t replyTimeout) const
{
	if (message == nullptr || reply == nullptr)
		return B_BAD_VALUE;
	if (fPort < 0)
		return B_BAD_PORT_ID;
	if (IsTargetLocal()) {
		auto port = LooperRegistry::Find(fPort);
		if (port == nullptr || port->IsClosed())
			return B_BAD_PORT_ID;
		if (port->Looper() != nullptr && port->LooperThread() == find_thread(nullptr))
			return B_MESSAGE_TO_SELF;
	}

	// A port of our own receives the one reply; it goes when this call returns.
	auto replyPort = std::make_shared<BPrivate::MessagePort>(2, nullptr);
	const int32 replyToken = LooperRegistry::Add(replyPort);
	struct Cleanup {
		std::shared_ptr<BPrivate::MessagePort>& port;
		int32 token;
		const BMessenger& target;
		~Cleanup()
		{
			if (!target.IsTargetLocal()) {
				if (BPrivate::RemoteLink* link = BPrivate::remote_link())
					link->UnwatchReply(target.fTeam, token);
			}
			LooperRegistry::Remove(token);
			port->Close();
		}
	} cleanup{replyPort, replyToken, *this};

	auto outgoing = std::make_unique<BMessage>(*message);
	MessageAccess::AddFlags(*outgoing, BPrivate::kMessageSourceWaiting);
	const BMessenger replyAddress = BPrivate::MessengerAccess::Make(CurrentTeam(), replyToken,
		B_NULL_TOKEN);
	if (!IsTargetLocal()) {
		if (BPrivate::RemoteLink* link = BPrivate::remote_link())
			link->WatchReply(fTeam, replyToken);
	}
	status_t status = BPrivate::route_message(*this, std::move(outgoing), &replyAddress,
		deliveryTimeout);
	if (status != B_OK)
		return status == B_WOULD_BLOCK ? B_TIMED_OUT : status;

	std::unique_ptr<BMessage> answer = replyPort->Pop(replyTimeout, &status);
	if (answer == nullptr)
		return status == B_WOULD_BLOCK ? B_TIMED_OUT : status;
	MessageAccess::ClearFlags(*answer, BPrivate::kMessageDelivered);
	MessageAccess::MoveInto(*reply, *answer);
	return B_OK;
}

// #pragma mark - routing

namespace BPrivate {

status_t route_message(const BMessenger& target, std::unique_ptr<BMessage> message,
	const BMessenger* replyTo, bigtime_t timeout)
{
	team_id team;
	int32 portToken;
	int32 handler;
	MessengerAccess::Get(target, &team, &portToken, &handler);
	if (portToken < 0)
		return B_BAD_PORT_ID;
	MessageAccess::SetTargetToken(*message, handler);
	if (replyTo != nullptr) {
		team_id replyTeam;
		int32 replyPort;
		int32 replyHandler;
		MessengerAccess::Get(*replyTo, &replyTeam, &replyPort, &replyHandler);
		if (replyPort < 0)
			MessageAccess::SetReplyAddress(*message, -1, -1, B_NULL_TOKEN);
		else
			MessageAccess::SetReplyAddress(*message, replyTeam, replyPort, replyHandler);
	}
	// A message not delivered answers nobody: the sender learns from the status.
	auto undelivered = [&](status_t status) {
		if (message != nullptr)
			MessageAccess::ClearFlags(*message, kMessageSourceWaiting);
		return status;
	};

	if (team != CurrentTeam()) {
		// The link flattens the message; this side's copy owes no reply.
		return remote_link()->Deliver(team, portToken, std::move(message), timeout);
	}
	auto port = LooperRegistry::Find(portToken);
	if (port == nullptr)
		return undelivered(B_BAD_PORT_ID);
	MessageAccess::ClearFlags(*message, kMessageDelivered | kMessageSourceRemote);
	const status_t status = port->Push(message, timeout);
	return status == B_OK ? B_OK : undelivered(status);
}

void set_remote_link(RemoteLink* link)
{
	sRemoteLink.store(link);
}

RemoteLink* remote_link()
{
	RemoteLink* link = sRemoteLink.load();
	return link != nullptr ? link : &LinkManager::Default();
}

status_t find_remote_application(const char* signature, team_id team, BMessenger* messenger)
{
	return remote_link()->FindApplication(signature, team, messenger);
}

}  // namespace BPrivate
