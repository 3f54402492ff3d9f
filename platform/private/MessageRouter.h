// Where every message the kit sends goes through: to a port of this team, or to the
// link that carries it to another team.
// Threading: any thread.
#ifndef _CVAB_MESSAGE_ROUTER_H
#define _CVAB_MESSAGE_ROUTER_H

#include <Message.h>
#include <Messenger.h>

#include <memory>

namespace BPrivate {

// Delivers an owned message to target, with replyTo as its return address (none when
// replyTo names no port; a null replyTo keeps the message's own, for forwarding). On failure the message is dropped without answering a
// waiting sender, since that sender learns of the failure from the status.
// Timeouts: 0 fails at once with B_WOULD_BLOCK on a full queue, others with
// B_TIMED_OUT. A target that is gone gives B_BAD_PORT_ID.
status_t route_message(const BMessenger& target, std::unique_ptr<BMessage> message,
	const BMessenger* replyTo, bigtime_t timeout);

// The link between processes; the socket link is installed on first use, tests may
// put another in its place.
class RemoteLink {
public:
	virtual ~RemoteLink() = default;
	virtual status_t Deliver(team_id team, int32 port, std::unique_ptr<BMessage> message,
		bigtime_t timeout) = 0;
	virtual bool IsValid(team_id team, int32 port, int32 handler) = 0;
	// A synchronous sender waits on the local reply port; if the team dies first,
	// the link answers that port with B_NO_REPLY.
	virtual void WatchReply(team_id team, int32 replyPort) = 0;
	virtual void UnwatchReply(team_id team, int32 replyPort) = 0;
	// The be_app of a running application of another team, by signature.
	virtual status_t FindApplication(const char* signature, team_id team,
		BMessenger* messenger) = 0;
};

void set_remote_link(RemoteLink* link);
// Without a link, no application of another team can be found: B_BAD_VALUE.
status_t find_remote_application(const char* signature, team_id team, BMessenger* messenger);
RemoteLink* remote_link();

}  // namespace BPrivate

#endif
