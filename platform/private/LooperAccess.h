// Private access to a looper's port, for the messenger and the link between processes.
// Threading: the port is shared and thread-safe; the looper pointer must be alive.
#ifndef _CVAB_LOOPER_ACCESS_H
#define _CVAB_LOOPER_ACCESS_H

#include <Looper.h>

#include "MessagePort.h"

namespace BPrivate {

class LooperAccess {
public:
	static int32 PortToken(const BLooper* looper) { return looper->fPort->Token(); }
	static std::shared_ptr<MessagePort> Port(const BLooper* looper) { return looper->fPort; }
};

}  // namespace BPrivate

#endif
