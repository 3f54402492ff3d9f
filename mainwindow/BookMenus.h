// The main window's menu bar: seven menus with their items, codes and shortcuts,
// the items kept for later enabling and marking, and the group changes of menu
// state that loading, saving and selecting make. The View menu's field items
// show which fields the list shows as columns (its BookColumns).
// Threading: its window's thread, or with the window locked.
#ifndef _BOOK_MENUS_H
#define _BOOK_MENUS_H

#include "BookFields.h"

#include <SupportDefs.h>

class ABookRecord;
class BookColumns;
class BMenu;
class BMenuBar;
class BMenuItem;
class BMessage;
class BView;

class BookMenus {
public:
	// Builds the bar, width wide, into parent; every field item starts marked.
	BookMenus(BView* parent, float width);

	BookMenus(const BookMenus&) = delete;
	BookMenus& operator=(const BookMenus&) = delete;

	BMenuBar* Bar() const { return fBar; }

	// Enables the Search, Edit, Records, Action and View menus as wholes.
	void EnableBookMenus();
	// New, Open, Close and Save As enabled; Save as the book's modified flag says.
	void EnableFileCommands(bool modified);
	// Find Next, Modify, Delete, both copies and the web page off (not Send E-mail).
	void DisableRecordCommands();
	// After a selection change: the record items on for a selected record, with the
	// web page and Send E-mail by its fields; everything off for none.
	void ApplySelection(const ABookRecord* selected);
	void SetSaveEnabled(bool enabled);
	void SetFindNextEnabled(bool enabled);

	// Marks the View menu's field items of the fields shown as columns.
	void ShowColumns(const BookColumns& columns);

private:
	void _BuildFileMenu();
	void _BuildEditMenu();
	void _BuildViewMenu();
	void _BuildSearchMenu();
	void _BuildRecordsMenu();
	void _BuildActionMenu();
	void _BuildInfoMenu();
	BMenuItem* _Add(BMenu* menu, const char* label, uint32 command, char shortcut = 0,
		bool enabled = true);
	// Every change of state needs the window's lock (other windows' threads make
	// some of them); debug builds check it.
	void _AssertLocked() const;

	BMenuBar* fBar = nullptr;
	BMenu* fFileMenu = nullptr;
	BMenu* fEditMenu = nullptr;
	BMenu* fViewMenu = nullptr;
	BMenu* fSearchMenu = nullptr;
	BMenu* fRecordsMenu = nullptr;
	BMenu* fActionMenu = nullptr;

	BMenuItem* fNewItem = nullptr;
	BMenuItem* fOpenItem = nullptr;
	BMenuItem* fCloseItem = nullptr;
	BMenuItem* fSaveItem = nullptr;
	BMenuItem* fSaveAsItem = nullptr;
	BMenuItem* fModifyItem = nullptr;
	BMenuItem* fDeleteItem = nullptr;
	BMenuItem* fFindNextItem = nullptr;
	BMenuItem* fCopyRecordItem = nullptr;
	BMenuItem* fCopyAddressItem = nullptr;
	BMenuItem* fSendEmailItem = nullptr;
	BMenuItem* fWebPageItem = nullptr;
	BMenuItem* fFieldItems[kBookFieldCount] = {};
};

#endif
