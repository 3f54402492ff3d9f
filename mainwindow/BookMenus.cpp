// Sections: building; group changes; the field items.
#include "BookMenus.h"

#include "ABookRecord.h"
#include "BookColumns.h"
#include "CommandCodes.h"
#include "RecordActions.h"

#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Message.h>
#include <View.h>
#include <Window.h>

#include <cassert>

#include <cstring>

// --- building

BookMenus::BookMenus(BView* parent, float width)
{
	fBar = new BMenuBar(BRect(0, 0, width, 20), "menu bar", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
		B_ITEMS_IN_ROW, true);
	_BuildFileMenu();
	_BuildEditMenu();
	_BuildViewMenu();
	_BuildSearchMenu();
	_BuildRecordsMenu();
	_BuildActionMenu();
	_BuildInfoMenu();
	parent->AddChild(fBar);
	// Until a book is loaded or saved these menus cannot be chosen as wholes.
	for (BMenu* menu : {fEditMenu, fViewMenu, fSearchMenu, fRecordsMenu, fActionMenu})
		menu->SetEnabled(false);
}

BMenuItem* BookMenus::_Add(BMenu* menu, const char* label, uint32 command, char shortcut,
	bool enabled)
{
	BMenuItem* item = new BMenuItem(label, new BMessage(command), shortcut);
	item->SetEnabled(enabled);
	menu->AddItem(item);
	return item;
}

void BookMenus::_BuildFileMenu()
{
	fFileMenu = new BMenu("File");
	fNewItem = _Add(fFileMenu, "New Address Book...", kNewBookCommand, 'N');
	fOpenItem = _Add(fFileMenu, "Open an Address Book...", kOpenBookCommand, 'O');
	fCloseItem = _Add(fFileMenu, "Close this Address Book", kCloseBookCommand, 'W');
	fFileMenu->AddSeparatorItem();
	fSaveItem = _Add(fFileMenu, "Save this Address Book", kSaveBookCommand, 'S', false);
	fSaveAsItem = _Add(fFileMenu, "Save this Address Book As...", kSaveBookAsCommand, 0, false);
	_Add(fFileMenu, "Import an Address Book...", kImportBookCommand, 0, false);
	_Add(fFileMenu, "Export this Address Book", kExportBookCommand, 0, false);
	fFileMenu->AddSeparatorItem();
	_Add(fFileMenu, "Print", kPrintCommand, 'P', false);
	fFileMenu->AddSeparatorItem();
	_Add(fFileMenu, "Quit", kQuitCommand, 'Q');
	fBar->AddItem(fFileMenu);
}

void BookMenus::_BuildEditMenu()
{
	fEditMenu = new BMenu("Edit");
	_Add(fEditMenu, "Undo", kUndoCommand, 'Z', false);
	_Add(fEditMenu, "Cut", kCutCommand, 'X');
	_Add(fEditMenu, "Copy", kCopyCommand, 'C');
	_Add(fEditMenu, "Paste", kPasteCommand, 'V');
	_Add(fEditMenu, "Clear", kClearCommand, 'B');
	fEditMenu->AddSeparatorItem();
	_Add(fEditMenu, "Select All", kSelectAllCommand);
	_Add(fEditMenu, "Deselect", kSelectAllCommand, 0, false);
	fBar->AddItem(fEditMenu);
}

void BookMenus::_BuildViewMenu()
{
	fViewMenu = new BMenu("View");
	_Add(fViewMenu, "All", kViewAllCommand);
	_Add(fViewMenu, "Name and E-mail", kViewNameEmailCommand);
	_Add(fViewMenu, "Name and Phone", kViewNamePhoneCommand);
	_Add(fViewMenu, "Name and Address", kViewNameAddressCommand);
	for (int32 field = 0; field < kBookFieldCount; field++) {
		BMessage* message = new BMessage(kViewFieldCommand);
		message->AddInt32("index", field);
		fFieldItems[field] = new BMenuItem(kBookFieldNames[field], message);
		fFieldItems[field]->SetMarked(true);
		fViewMenu->AddItem(fFieldItems[field]);
	}
	fBar->AddItem(fViewMenu);
}

void BookMenus::_BuildSearchMenu()
{
	fSearchMenu = new BMenu("Search");
	_Add(fSearchMenu, "Find...", kFindCommand, 'F');
	fFindNextItem = _Add(fSearchMenu, "Find Next", kFindNextCommand, 'G', false);
	fBar->AddItem(fSearchMenu);
}

void BookMenus::_BuildRecordsMenu()
{
	fRecordsMenu = new BMenu("Records");
	_Add(fRecordsMenu, "Make a New Record", kNewRecordCommand);
	fModifyItem = _Add(fRecordsMenu, "Modify the Selected Record", kModifyRecordCommand, 0, false);
	fDeleteItem = _Add(fRecordsMenu, "Delete the Selected Record", kDeleteRecordCommand, 0, false);
	fBar->AddItem(fRecordsMenu);
}

void BookMenus::_BuildActionMenu()
{
	fActionMenu = new BMenu("Action");
	fCopyRecordItem = _Add(fActionMenu, "Copy this Record to the Clipboard", kCopyRecordCommand,
		0, false);
	fCopyAddressItem = _Add(fActionMenu, "Copy this Address to the Clipboard",
		kCopyAddressCommand, 0, false);
	fSendEmailItem = _Add(fActionMenu, "Send E-mail", kSendEmailCommand, 0, false);
	_Add(fActionMenu, "Address an Envelope", kEnvelopeCommand, 0, false);
	_Add(fActionMenu, "Make a Letter", kLetterCommand, 0, false);
	_Add(fActionMenu, "Mail Merge", kMailMergeCommand, 0, false);
	_Add(fActionMenu, "Send a Fax", kFaxCommand, 0, false);
	fWebPageItem = _Add(fActionMenu, "Open this Record's Web Page", kOpenWebPageCommand, 0,
		false);
	fBar->AddItem(fActionMenu);
}

void BookMenus::_BuildInfoMenu()
{
	BMenu* infoMenu = new BMenu("Info");
	_Add(infoMenu, "About Corvane Address Book LITE", kAboutCommand);
	BMessage* support = new BMessage(kSupportCommand);
	support->AddString("URL", kMakerSupportAddress);
	infoMenu->AddItem(new BMenuItem("Instructions and Tech Support", support));
	BMessage* visit = new BMessage(kVisitMakerCommand);
	visit->AddString("URL", kMakerWebAddress);
	infoMenu->AddItem(new BMenuItem("Visit Tarvish Software's Web Page", visit));
	fBar->AddItem(infoMenu);
}

// --- group changes

void BookMenus::_AssertLocked() const
{
	assert(fBar->Window() == nullptr || fBar->Window()->IsLocked());
}

void BookMenus::EnableBookMenus()
{
	_AssertLocked();
	for (BMenu* menu : {fSearchMenu, fEditMenu, fRecordsMenu, fActionMenu, fViewMenu})
		menu->SetEnabled(true);
}

void BookMenus::EnableFileCommands(bool modified)
{
	_AssertLocked();
	fNewItem->SetEnabled(true);
	fOpenItem->SetEnabled(true);
	fCloseItem->SetEnabled(true);
	fSaveItem->SetEnabled(modified);
	fSaveAsItem->SetEnabled(true);
}

void BookMenus::DisableRecordCommands()
{
	_AssertLocked();
	for (BMenuItem* item : {fFindNextItem, fModifyItem, fDeleteItem, fCopyRecordItem,
			 fCopyAddressItem, fWebPageItem})
		item->SetEnabled(false);
}

void BookMenus::ApplySelection(const ABookRecord* selected)
{
	_AssertLocked();
	const bool any = selected != nullptr;
	for (BMenuItem* item : {fModifyItem, fDeleteItem, fCopyRecordItem, fCopyAddressItem})
		item->SetEnabled(any);
	auto longerThanTwo = [selected](int32 field) {
		return strlen(selected->Field(field)) > 2;
	};
	fWebPageItem->SetEnabled(any && longerThanTwo(kWebAddressField));
	fSendEmailItem->SetEnabled(
		any && (longerThanTwo(kEmail1Field) || longerThanTwo(kEmail2Field)));
}

void BookMenus::SetSaveEnabled(bool enabled)
{
	_AssertLocked();
	fSaveItem->SetEnabled(enabled);
}

void BookMenus::SetFindNextEnabled(bool enabled)
{
	_AssertLocked();
	fFindNextItem->SetEnabled(enabled);
}

// --- the field items

void BookMenus::ShowColumns(const BookColumns& columns)
{
	_AssertLocked();
	for (int32 field = 0; field < kBookFieldCount; field++)
		fFieldItems[field]->SetMarked(columns.IsShown(field));
}
