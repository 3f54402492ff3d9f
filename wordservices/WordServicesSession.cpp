// Sections: the request; the exchanges with the client.
#include "WordServicesSession.h"

#include "WordServicesDefs.h"

#include <AppDefs.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

BMessage ReverseRange(const char* property, int32 fromEnd, int32 length)
{
	BMessage specifier(B_REVERSE_RANGE_SPECIFIER);
	specifier.AddString("property", property);
	specifier.AddInt32("index", fromEnd);
	specifier.AddInt32("range", length);
	return specifier;
}

// A set request counts as done only when the client answered with "error" 0.
status_t ReplyError(status_t sendStatus, const BMessage& reply)
{
	if (sendStatus != B_OK)
		return sendStatus;
	if (reply.what == B_NO_REPLY)
		return B_BAD_REPLY;
	int32 error = B_OK;
	if (reply.FindInt32("error", &error) != B_OK)
		return B_BAD_REPLY;
	return error;
}

}  // namespace

// --- the request

WordServicesSession::WordServicesSession(const BMessage* request)
{
	fReplyTo = request->ReturnAddress();
	if (request->FindInt32("Index", &fIndex) != B_OK)
		fIndex = 0;
	type_code type = 0;
	int32 count = 0;
	fStatus = request->GetInfo("Target", &type, &count);
	if (fStatus != B_OK)
		return;
	if (type != B_MESSENGER_TYPE) {
		fStatus = B_BAD_TYPE;
		return;
	}
	for (int32 i = 0; i < count; i++) {
		BMessenger target;
		fStatus = request->FindMessenger("Target", i, &target);
		if (fStatus != B_OK)
			return;
		fTargets.push_back(target);
	}
}

WordServicesSession::~WordServicesSession()
{
	if (fReplyTo.IsValid()) {
		BMessage stop(kWordServicesStop);
		fReplyTo.SendMessage(&stop, static_cast<BHandler*>(nullptr), kStopNoticeTimeout);
	}
}

status_t WordServicesSession::Execute()
{
	return B_OK;
}

status_t WordServicesSession::SelectTarget(int32 i)
{
	if (i < 0 || i >= CountTargets()) {
		Stop();
		return B_BAD_INDEX;
	}
	fText.reset();
	fTextLength = 0;
	fCurrentTarget = std::make_unique<BMessenger>(fTargets[i]);
	if (_ClientSilent(*fCurrentTarget))
		return B_TIMED_OUT;
	return FetchText();
}

// --- the exchanges with the client

bool WordServicesSession::_ClientSilent(const BMessenger& target) const
{
	return std::find(fSilentTeams.begin(), fSilentTeams.end(), target.Team())
		!= fSilentTeams.end();
}

status_t WordServicesSession::_Exchange(BMessage* message, BMessage* reply, bigtime_t timeout)
{
	if (fCurrentTarget == nullptr)
		return B_NO_INIT;
	if (_ClientSilent(*fCurrentTarget))
		return B_TIMED_OUT;
	const status_t status = fCurrentTarget->SendMessage(message, reply, timeout, timeout);
	// A client that let a message wait, or that is gone, answers nothing more in
	// this session: its remaining stretches are skipped without waiting again.
	if (status != B_OK || reply->what == B_NO_REPLY)
		fSilentTeams.push_back(fCurrentTarget->Team());
	return status;
}

status_t WordServicesSession::FetchText()
{
	fText.reset();
	fTextLength = 0;
	BMessage sizeQuery(B_GET_PROPERTY);
	sizeQuery.AddSpecifier(kSizeProperty);
	BMessage reply;
	status_t status = _Exchange(&sizeQuery, &reply, kSizeQueryTimeout);
	if (status != B_OK)
		return status;
	int32 size = 0;
	status = reply.FindInt32("result", &size);
	if (status != B_OK)
		return status;
	if (size < 0 || size > kMaxTargetTextSize)
		return B_BAD_DATA;

	BMessage textQuery(B_GET_PROPERTY);
	textQuery.AddSpecifier(kTextProperty, 0, size);
	BMessage textReply;
	status = _Exchange(&textQuery, &textReply, kExchangeTimeout);
	if (status != B_OK)
		return status;
	return TakeResultText(&textReply);
}

status_t WordServicesSession::TakeResultText(const BMessage* reply)
{
	fText.reset();
	fTextLength = 0;
	const void* data = nullptr;
	ssize_t size = 0;
	status_t status = reply->FindData("result", B_STRING_TYPE, &data, &size);
	if (status != B_OK)
		return status;
	// The string and its NUL; anything past a sane bound is refused unread.
	if (size < 1 || size > kMaxTargetTextSize + 1)
		return B_BAD_DATA;
	const char* string = static_cast<const char*>(data);
	const size_t length = strnlen(string, size);
	char* copy = new (std::nothrow) char[length + 1];
	if (copy == nullptr)
		return B_NO_MEMORY;
	memcpy(copy, string, length);
	copy[length] = '\0';
	fText.reset(copy);
	fTextLength = length;
	return B_OK;
}

status_t WordServicesSession::ReplaceText(const char* newText, int32 fromEnd, int32 restFromEnd)
{
	BMessage deletion(B_SET_PROPERTY);
	const BMessage deleted = ReverseRange(kTextProperty, fromEnd, fromEnd - restFromEnd);
	deletion.AddSpecifier(&deleted);
	BMessage reply;
	const status_t deleteStatus = ReplyError(
		_Exchange(&deletion, &reply, kExchangeTimeout), reply);
	// Without the deletion an insertion would double the stretch.
	if (deleteStatus != B_OK)
		return deleteStatus;

	SetHilite(false, 0, 0);
	if (_ClientSilent(*fCurrentTarget))
		return B_TIMED_OUT;

	BMessage insertion(B_SET_PROPERTY);
	insertion.AddString("data", newText);
	const BMessage inserted = ReverseRange(kTextProperty, restFromEnd,
		static_cast<int32>(strlen(newText)));
	insertion.AddSpecifier(&inserted);
	BMessage insertReply;
	return ReplyError(_Exchange(&insertion, &insertReply, kExchangeTimeout), insertReply);
}

bool WordServicesSession::SetHilite(bool on, int32 fromEnd, int32 restFromEnd)
{
	BMessage hilite(B_SET_PROPERTY);
	hilite.AddBool("data", on);
	const BMessage stretch = ReverseRange(kHiliteProperty, fromEnd, fromEnd - restFromEnd);
	hilite.AddSpecifier(&stretch);
	BMessage reply;
	return ReplyError(_Exchange(&hilite, &reply, kExchangeTimeout), reply) == B_OK;
}
