#include "InstanceHandover.h"

#include "CVABapp.h"
#include "CommandCodes.h"

#include <Entry.h>
#include <List.h>
#include <Message.h>
#include <Messenger.h>
#include <Roster.h>

#include <cstdlib>

namespace {

// The instance of ours that runs on this display, or an invalid messenger.
BMessenger FindInstance(bigtime_t timeout)
{
	BList teams;
	be_roster->GetAppList(kAppSignature, &teams);
	const std::string display = CurrentDisplayName();
	for (int32 i = 0; i < teams.CountItems(); i++) {
		const team_id team = static_cast<team_id>(reinterpret_cast<intptr_t>(teams.ItemAt(i)));
		BMessenger messenger(kAppSignature, team);
		if (!messenger.IsValid())
			continue;
		BMessage question(kAppIdentify);
		BMessage reply;
		const char* theirs = nullptr;
		if (messenger.SendMessage(&question, &reply, timeout, timeout) == B_OK
			&& reply.FindString("display", 0, &theirs) == B_OK && display == theirs)
			return messenger;
	}
	return BMessenger();
}

}  // namespace

std::string CurrentDisplayName()
{
	const char* display = getenv("DISPLAY");
	return display != nullptr ? display : "";
}

bool HandOverToRunningInstance(const std::vector<std::string>& documents, bigtime_t timeout)
{
	const BMessenger instance = FindInstance(timeout);
	if (!instance.IsValid())
		return false;
	BMessage message(kAppActivate);
	if (!documents.empty()) {
		entry_ref ref;
		if (get_ref_for_path(documents.front().c_str(), &ref) != B_OK)
			return false;
		message.what = B_REFS_RECEIVED;
		message.AddRef("refs", &ref);
	}
	BMessage reply;
	return instance.SendMessage(&message, &reply, timeout, timeout) == B_OK;
}
