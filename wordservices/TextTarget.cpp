// Sections: the string store; the handler.
#include "TextTarget.h"

#include "WordServicesDefs.h"

#include <AppDefs.h>
#include <Message.h>

#include <cstring>

// --- the string store

std::string StringTextStore::Get(int32 offset, int32 length) const
{
	return fText.substr(offset, length);
}

status_t StringTextStore::Delete(int32 offset, int32 length)
{
	fText.erase(offset, length);
	return B_OK;
}

status_t StringTextStore::Insert(int32 offset, const std::string& text)
{
	fText.insert(offset, text);
	return B_OK;
}

// --- the handler

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
	const std::string name = property;
	const int32 length = fStore->Length();

	// The stretch a range names, as offset and length from the start.
	int32 offset = 0;
	int32 range = 0;
	bool ranged = false;
	if (what == B_RANGE_SPECIFIER || what == B_REVERSE_RANGE_SPECIFIER) {
		const int32 at = specifier.GetInt32("index", -1);
		range = specifier.GetInt32("range", 0);
		offset = what == B_RANGE_SPECIFIER ? at : length - at;
		ranged = at >= 0 && at <= length && offset >= 0 && offset <= length && range >= 0;
	}

	if (message->what == B_GET_PROPERTY && name == kSizeProperty) {
		_Reply(message, B_OK, nullptr, &length);
	} else if (message->what == B_GET_PROPERTY && name == kTextProperty) {
		if (what == B_DIRECT_SPECIFIER) {
			ranged = true;
			range = length;
		}
		if (!ranged) {
			_Reply(message, B_BAD_INDEX);
		} else {
			const std::string text = fStore->Get(offset, std::min(range, length - offset));
			_Reply(message, B_OK, &text);
		}
	} else if (message->what == B_SET_PROPERTY && name == kTextProperty && ranged) {
		const char* data = nullptr;
		if (message->FindString("data", &data) == B_OK) {
			_Reply(message, fStore->Insert(offset, data));
		} else if (offset + range > length) {
			_Reply(message, B_BAD_INDEX);
		} else {
			_Reply(message, fStore->Delete(offset, range));
		}
	} else if (message->what == B_SET_PROPERTY && name == kHiliteProperty && ranged) {
		bool on = false;
		message->FindBool("data", &on);
		_Reply(message, fStore->Hilite(offset, std::min(range, length - offset), on));
	} else {
		_Reply(message, B_BAD_VALUE);
	}
	if (fObserver)
		fObserver(*message);
}
