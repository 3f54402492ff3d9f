#include <InterfaceDefs.h>

#include "DisplayServer.h"

uint32 modifiers()
{
	return DisplayServer::Get().Modifiers();
}
