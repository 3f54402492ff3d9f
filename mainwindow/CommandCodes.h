// The four-character command codes of the main window, the application and the
// messages between them.
// Threading: constants only.
#ifndef _COMMAND_CODES_H
#define _COMMAND_CODES_H

#include "CVABSavePanel.h"

#include <SupportDefs.h>

// File menu.
constexpr uint32 kNewBookCommand = 'fmnw';
constexpr uint32 kOpenBookCommand = 'fmop';
constexpr uint32 kCloseBookCommand = 'fmcl';
constexpr uint32 kSaveBookCommand = 'fmsv';
constexpr uint32 kSaveBookAsCommand = 'fmsa';
constexpr uint32 kImportBookCommand = 'fmim';
constexpr uint32 kExportBookCommand = 'fmex';
constexpr uint32 kPrintCommand = 'fmpr';
constexpr uint32 kQuitCommand = 'fmqt';

// Edit menu.
constexpr uint32 kUndoCommand = 'edun';
constexpr uint32 kCutCommand = 'edct';
constexpr uint32 kCopyCommand = 'edcp';
constexpr uint32 kPasteCommand = 'edps';
constexpr uint32 kClearCommand = 'edcl';
constexpr uint32 kSelectAllCommand = 'edsa';

// View menu; 'vmnu' carries the int32 "index" of its field.
constexpr uint32 kViewAllCommand = 'vall';
constexpr uint32 kViewNameEmailCommand = 'vnem';
constexpr uint32 kViewNamePhoneCommand = 'vnph';
constexpr uint32 kViewNameAddressCommand = 'vnad';
constexpr uint32 kViewFieldCommand = 'vmnu';

// Search menu.
constexpr uint32 kFindCommand = 'srfd';
constexpr uint32 kFindNextCommand = 'srfn';

// Records menu.
constexpr uint32 kNewRecordCommand = 'emen';
constexpr uint32 kModifyRecordCommand = 'emmd';
constexpr uint32 kDeleteRecordCommand = 'emdl';

// Action menu.
constexpr uint32 kCopyRecordCommand = 'aclp';
constexpr uint32 kCopyAddressCommand = 'acfc';
constexpr uint32 kSendEmailCommand = 'acem';
constexpr uint32 kEnvelopeCommand = 'acen';
constexpr uint32 kLetterCommand = 'acml';
constexpr uint32 kMailMergeCommand = 'acmm';
constexpr uint32 kFaxCommand = 'acfx';
constexpr uint32 kOpenWebPageCommand = 'acwb';

// Info menu; 'imts' and 'imwb' carry the string "URL".
constexpr uint32 kAboutCommand = 'imab';
constexpr uint32 kSupportCommand = 'imts';
constexpr uint32 kVisitMakerCommand = 'imwb';

// From the views: a header button ("FieldIndex"), the list's selection and
// invocation, the save panel's choice; any sender: empty or reload the list.
constexpr uint32 kSortCommand = 'stmu';
constexpr uint32 kSelectionCommand = 'mlsc';
constexpr uint32 kInvocationCommand = 'mldc';
constexpr uint32 kSaveChosenCommand = kSavePanelReply;
constexpr uint32 kEmptyListCommand = 'lwcl';
constexpr uint32 kReloadListCommand = 'lwrd';

// Answers of the window's own alerts ("which" is the button chosen).
constexpr uint32 kSaveFailedAnswer = 'svfl';
constexpr uint32 kUnsavedBookAnswer = 'svun';
constexpr uint32 kShortenAnswer = 'svsh';
constexpr uint32 kMergeReportAnswer = 'svmg';
constexpr uint32 kRecoveryAnswer = 'svrc';
// From the book's file watcher: the file may have changed on disk.
constexpr uint32 kBookFileChangedCommand = 'bfch';
// From the journal keeper: a snapshot of the unsaved changes is wanted.
constexpr uint32 kJournalSnapshotCommand = 'jnsn';
// Bring the window forward (from the application, for a book already open).
constexpr uint32 kBringForwardCommand = 'cvfw';
// The window reads the book named by "refs" in its own thread.
constexpr uint32 kReadBookCommand = 'cvrd';

// To the application.
constexpr uint32 kAppNewBook = 'abmn';
constexpr uint32 kAppAbout = 'abma';
constexpr uint32 kAppSupport = 'abmt';
// From another instance: the display it runs on is asked for ("display" in the
// reply); with no file to hand over, the newest window comes forward.
constexpr uint32 kAppIdentify = 'cvid';
constexpr uint32 kAppActivate = 'cvac';

#endif
