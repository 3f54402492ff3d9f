// The editor form that appends new records one after another: Add stores the
// fields as a new record at the end of the book and clears them for the next.
// Threading: as its base.
#ifndef _CVAB_ENTRY_WINDOW_H
#define _CVAB_ENTRY_WINDOW_H

#include "CVABEditRecordsWindow.h"

class CVABEntryWindow : public CVABEditRecordsWindow {
public:
	explicit CVABEntryWindow(const BMessenger& bookWindow);
	~CVABEntryWindow() override;

protected:
	void Add() override;
};

#endif
