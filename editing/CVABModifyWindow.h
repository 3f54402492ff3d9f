// The editor form for one existing record, loaded with its texts. Done writes
// the fields the user changed into that same record wherever it now stands
// (found by its id, which outlives the book being read anew when another
// program changed its file), leaving the others as they now are there; if it
// was deleted meanwhile, the texts become a new record, so nothing typed is
// lost and no other record is overwritten.
// Threading: as its base.
#ifndef _CVAB_MODIFY_WINDOW_H
#define _CVAB_MODIFY_WINDOW_H

#include "CVABEditRecordsWindow.h"
#include "RecordId.h"

#include <string>

class CVABModifyWindow : public CVABEditRecordsWindow {
public:
	// Called with the book window locked (from its own thread), record being
	// one of its book's. A null record leaves the fields empty, and Done then
	// adds them as a new record.
	CVABModifyWindow(const BMessenger& bookWindow, const ABookRecord* record);
	~CVABModifyWindow() override;

protected:
	void Done() override;

private:
	record_id fId;
	std::string fLoaded[kBookFieldCount];
};

#endif
