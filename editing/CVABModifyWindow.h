// The editor form for one existing record, loaded with its texts. Done writes
// into that same record wherever it now stands (found by its serial number); if
// it was deleted meanwhile, the texts become a new record, so nothing typed is
// lost and no other record is overwritten.
// Threading: as its base.
#ifndef _CVAB_MODIFY_WINDOW_H
#define _CVAB_MODIFY_WINDOW_H

#include "CVABEditRecordsWindow.h"

class CVABModifyWindow : public CVABEditRecordsWindow {
public:
	// Called with owner locked (from its own thread); index is the position of
	// the record in owner's book. A position without a record leaves the fields
	// empty, and Done then adds them as a new record.
	CVABModifyWindow(int32 index, CVABWindow* owner);
	~CVABModifyWindow() override;

protected:
	void Done() override;

private:
	uint64 fSerial = 0;
};

#endif
