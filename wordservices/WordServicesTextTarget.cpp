#include "WordServicesTextTarget.h"

#include "WordServicesDefs.h"

#include <AppDefs.h>
#include <Message.h>

#include <algorithm>
#include <cstring>

WordServicesTextTarget::WordServicesTextTarget(TextStore* store, const char* name)
	: BHandler(name),
	  fStore(store)
{
}

BHandler* WordServicesTextTarget::ResolveSpecifier(BMessage* message, int32 index,
	BMessage* specifier, int32 what, const char* property)
{
	if (property != nullptr
		&& (strcmp(property, kSizeProperty) == 0 || strcmp(property, kTextProperty) == 0
			|| strcmp(property, kHiliteProperty) == 0)) {
		return this;
	}
	return BHandler::ResolveSpecifier(message, index, specifier, what, property);
}

void WordServicesTextTarget::_Reply(BMessage* message, status_t error,
	const std::string* result, const int32* size)
{
	BMessage reply(error == B_OK ? B_REPLY : B_MESSAGE_NOT_UNDERSTOOD);
	reply.AddInt32("error", error);
	if (result != nullptr)
		reply.AddString("result", result->c_str());
	if (size != nullptr)
		reply.AddInt32("result", *size);
	message->SendReply(&reply);
}

void WordServicesTextTarget::MessageReceived(BMessage* message)
{
	int32 index = 0;
	BMessage specifier;
	int32 what = 0;
	const char* property = nullptr;
	if ((message->what != B_GET_PROPERTY && message->what != B_SET_PROPERTY)
		|| message->GetCurrentSpecifier(&index, &specifier, &what, &property) != B_OK
		|| property == nullptr) {
		BHandler::MessageReceived(message);
		return;
	}
	_Answer(message, property, _StretchOf(specifier, what));
}

// The stretch a specifier names, as offset and length from the start; a direct
// specifier names the whole text.
WordServicesTextTarget::Stretch WordServicesTextTarget::_StretchOf(const BMessage& specifier,
	int32 what) const
{
	const int32 length = fStore->Length();
	if (what == B_DIRECT_SPECIFIER)
		return Stretch{0, length, false, true};
	if (what != B_RANGE_SPECIFIER && what != B_REVERSE_RANGE_SPECIFIER)
		return Stretch{};
	const int32 at = specifier.GetInt32("index", -1);
	const int32 range = specifier.GetInt32("range", 0);
	const int32 offset = what == B_RANGE_SPECIFIER ? at : length - at;
	const bool valid = at >= 0 && at <= length && offset >= 0 && offset <= length && range >= 0;
	return Stretch{offset, range, valid, false};
}

void WordServicesTextTarget::_Answer(BMessage* message, const std::string& property,
	const Stretch& stretch)
{
	const int32 length = fStore->Length();
	const bool get = message->what == B_GET_PROPERTY;
	if (get && property == kSizeProperty) {
		_Reply(message, B_OK, nullptr, &length);
	} else if (get && property == kTextProperty) {
		if (!stretch.ranged && !stretch.direct) {
			_Reply(message, B_BAD_INDEX);
		} else {
			const std::string text = fStore->Get(stretch.offset,
				std::min(stretch.length, length - stretch.offset));
			_Reply(message, B_OK, &text);
		}
	} else if (!get && property == kTextProperty && stretch.ranged) {
		const char* data = nullptr;
		if (message->FindString("data", &data) == B_OK)
			_Reply(message, fStore->Insert(stretch.offset, data));
		else if (stretch.offset + stretch.length > length)
			_Reply(message, B_BAD_INDEX);
		else
			_Reply(message, fStore->Delete(stretch.offset, stretch.length));
	} else if (!get && property == kHiliteProperty && stretch.ranged) {
		bool on = false;
		message->FindBool("data", &on);
		_Reply(message, fStore->Hilite(stretch.offset,
			std::min(stretch.length, length - stretch.offset), on));
	} else {
		_Reply(message, B_BAD_VALUE);
	}
}
