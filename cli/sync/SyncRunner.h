// One run of cvab-sync: a book and a vCard folder brought into agreement.
// In order, so that a run killed at any point and run again converges with
// nothing doubled and nothing lost:
//  1. the pair's lock (two runs on one pair wait for each other no more than
//     a moment: the second fails);
//  2. the state, the book (with its ids, under the book's lock, so a window
//     saving it is never read half-way) and the folder (cards whose stat is
//     the state's are not read);
//  3. the plan (SyncPlanner), each card to write made and read back in
//     memory, the guard against mass deletion;
//  4. the book, saved with the merging save (a window's save meanwhile is
//     merged, not overwritten), then the cards, each through a temporary file
//     and a rename, then the folder flushed, then the state.
// Nothing is written before step 4; an unchanged pair writes nothing at all.
// Threading: the program's one thread.
#ifndef _SYNC_RUNNER_H
#define _SYNC_RUNNER_H

#include "CardFolder.h"
#include "SyncPlanner.h"
#include "SyncProgress.h"
#include "SyncReport.h"
#include "SyncState.h"

#include <BookAncestor.h>
#include <CVABook.h>
#include <VCardReader.h>
#include <vcard/VCardProperties.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

struct sync_options {
	std::string book;
	std::string folder;
	bool dryRun = false;
	bool verbose = false;
	bool allowDeletes = false;
};

// Exit statuses; bad usage is 64, as for every command.
constexpr int kSyncDone = 0;
constexpr int kSyncConflicts = 1;  // synced, with conflicts or cards left for next time
constexpr int kSyncFailed = 2;     // nothing written (or, failing half-way, what the next run completes)

class SyncRunner {
public:
	SyncRunner(const sync_options& options, FILE* out, FILE* err);
	~SyncRunner();

	SyncRunner(const SyncRunner&) = delete;
	SyncRunner& operator=(const SyncRunner&) = delete;

	int Run();

private:
	// A card read whole, as a patch needs it.
	struct card_text {
		bool read = false;
		std::string bytes;
		VCardReader::card card;
	};
	// A card to write for a planned item.
	struct card_output {
		std::string file;
		std::string uid;
		std::string bytes;
		card_stat stat;
		bool failed = false;  // not brought up to date: its state entry stays
	};

	int _Sync();
	bool _ResolvePaths();
	bool _ReadState();
	bool _ReadBook();
	bool _ScanFolder();
	void _ReadCard(size_t index);
	void _FindRenamed(const std::vector<bool>& entryHasFile);
	void _FollowRecord(size_t index);
	bool _PrepareCards();
	bool _PrepareCard(planned_item& item, card_output* output);
	vcard_version _NewCardVersion();
	void _NameNewCard(const planned_item& item, card_output* output);
	void _ReadBack(planned_item& item, const card_output& output);
	void _List();
	bool _SaveBook();
	bool _WriteCards();
	bool _WriteCard(const planned_item& item, card_output* output);
	bool _WriteState();
	std::vector<sync_entry> _NewEntries() const;
	const book_record* _BookRecord(const record_id& id) const;

	const sync_options fOptions;
	SyncReport fReport;
	SyncProgress fProgress;
	std::string fBookPath;
	std::string fFolderPath;
	std::unique_ptr<SyncState> fState;
	std::unique_ptr<CardFolder> fFolder;
	bool fStateRead = false;
	CVABook fBook;
	BookAncestor fAncestor;
	std::vector<sync_entry> fEntries;
	std::vector<book_record> fRecords;
	std::unique_ptr<RecordIdIndex> fRecordIndex;  // of fRecords
	std::vector<folder_card> fCards;
	std::vector<std::unique_ptr<card_text>> fCardTexts;  // cards read whole
	sync_plan fPlan;
	std::vector<card_output> fOutputs;  // by planned item
	std::unordered_set<std::string> fTakenNames;  // the folder's names and the new cards'
	const std::string fRevision;  // the REV of the cards this run changes
	std::optional<vcard_version> fNewCardVersion;  // once a new card needs it
	bool fCardsLeft = false;  // some card was not brought up to date
	bool fFolderChanged = false;  // a card was read, or is new or gone
};

#endif
