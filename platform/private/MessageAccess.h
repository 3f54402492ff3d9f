// Private access to a message's addressing header, for the looper, the messenger and
// the link between processes. Not part of the public API.
// Threading: as BMessage: the caller owns the message.
#ifndef _CVAB_MESSAGE_ACCESS_H
#define _CVAB_MESSAGE_ACCESS_H

#include <Message.h>

#include <string>

namespace BPrivate {

// Header flags of a message.
enum : uint32 {
	kMessageSourceWaiting = 0x01,  // a synchronous sender waits for the reply
	kMessageReplyDone = 0x02,      // a reply was sent
	kMessageIsReply = 0x04,
	kMessageDelivered = 0x08,      // taken off a looper's queue
	kMessageSourceRemote = 0x10,   // sent from another team
};

class MessageAccess {
public:
	static int32 TargetToken(const BMessage& m) { return m.fTargetToken; }
	static void SetTargetToken(BMessage& m, int32 token) { m.fTargetToken = token; }

	static void SetReplyAddress(BMessage& m, team_id team, int32 port, int32 handler)
	{
		m.fReplyTeam = team;
		m.fReplyPort = port;
		m.fReplyHandler = handler;
	}
	static team_id ReplyTeam(const BMessage& m) { return m.fReplyTeam; }
	static int32 ReplyPort(const BMessage& m) { return m.fReplyPort; }
	static int32 ReplyHandler(const BMessage& m) { return m.fReplyHandler; }

	static int32 CurrentSpecifier(const BMessage& m) { return m.fCurrentSpecifier; }
	static void SetCurrentSpecifier(BMessage& m, int32 index) { m.fCurrentSpecifier = index; }

	// Moves everything, the reply duty included, from one message into another.
	static void MoveInto(BMessage& to, BMessage& from)
	{
		to.fFlags &= ~kMessageSourceWaiting;
		to = from;
		to.fFlags = from.fFlags;
		from.fFlags = 0;
	}

	static uint32 Flags(const BMessage& m) { return m.fFlags; }
	static void SetFlags(BMessage& m, uint32 flags) { m.fFlags = flags; }
	static void AddFlags(BMessage& m, uint32 flags) { m.fFlags |= flags; }
	static void ClearFlags(BMessage& m, uint32 flags) { m.fFlags &= ~flags; }

	// Flattens into a string (for frames between processes).
	static status_t FlattenTo(const BMessage& m, std::string* out)
	{
		const ssize_t size = m.FlattenedSize();
		out->resize(size_t(size));
		return m.Flatten(out->data(), size);
	}
};

}  // namespace BPrivate

#endif
