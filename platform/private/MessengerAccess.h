// Private access to a messenger's address: (team, port token, handler token).
// Threading: as BMessenger, a value.
#ifndef _CVAB_MESSENGER_ACCESS_H
#define _CVAB_MESSENGER_ACCESS_H

#include <Messenger.h>

namespace BPrivate {

class MessengerAccess {
public:
	static void Get(const BMessenger& m, team_id* team, int32* port, int32* handler)
	{
		*team = m.fTeam;
		*port = m.fPort;
		*handler = m.fHandlerToken;
	}
	static void Set(BMessenger* m, team_id team, int32 port, int32 handler)
	{
		m->fTeam = team;
		m->fPort = port;
		m->fHandlerToken = handler;
	}
	static BMessenger Make(team_id team, int32 port, int32 handler)
	{
		BMessenger messenger;
		Set(&messenger, team, port, handler);
		return messenger;
	}
	static team_id Team(const BMessenger& m) { return m.fTeam; }
	static int32 Port(const BMessenger& m) { return m.fPort; }
	static int32 HandlerToken(const BMessenger& m) { return m.fHandlerToken; }
};

}  // namespace BPrivate

#endif
