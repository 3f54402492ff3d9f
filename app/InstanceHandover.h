// One address book per user and display: a second start hands its document to
// the one already running (or brings that one's window forward) instead of
// opening a rival that would fight over the same settings and requests.
// Threading: called from main before the application object exists.
#ifndef _INSTANCE_HANDOVER_H
#define _INSTANCE_HANDOVER_H

#include <SupportDefs.h>

#include <string>
#include <vector>

// The display this process shows its windows on, as the running instance
// compares it.
std::string CurrentDisplayName();

// True when a running instance on this display took the first document (or,
// with none, brought its newest window forward). An instance that does not
// answer within timeout is passed over.
bool HandOverToRunningInstance(const std::vector<std::string>& documents, bigtime_t timeout);

#endif
