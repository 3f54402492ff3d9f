// Sections: helpers, the run, reading, preparing the cards, writing.
#include "SyncRunner.h"

#include "CardPatcher.h"

#include <BookFile.h>
#include <BookLock.h>
#include <ConflictLog.h>
#include <ContactText.h>
#include <FieldPlacement.h>
#include <MergingSave.h>
#include <VCardWriter.h>
#include <vcard/VCardLexer.h>

#include <Entry.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
#include <sys/stat.h>

// --- helpers

namespace {

// How long a run waits for a window or another program saving the book.
constexpr bigtime_t kBookWait = 10000000;
// How long a second run of one pair waits for the first before giving up.
constexpr bigtime_t kPairWait = 500000;

std::string LineOf(const card_fields& fields)
{
	std::string line;
	for (int32 field = 0; field < kBookFieldCount; field++) {
		line += fields[field];
		if (field + 1 < kBookFieldCount)
			line += '\t';
	}
	return line;
}

std::string LineOf(const ABookRecord* record)
{
	std::string line;
	for (int32 field = 0; field < kBookFieldCount; field++) {
		line += record->Field(field);
		if (field + 1 < kBookFieldCount)
			line += '\t';
	}
	return line;
}

card_fields FieldsOf(std::string_view line)
{
	std::string_view split[kBookFieldCount];
	SplitBookLine(line, split);
	card_fields fields;
	for (int32 field = 0; field < kBookFieldCount; field++)
		fields[field] = split[field];
	return fields;
}

// A card as cvab-convert writes it, with its UID and REV, and its texts in
// UTF-8 whatever the book's are.
std::string NewCardBytes(std::string_view line, const std::string& uid, vcard_version version,
	std::string_view revision)
{
	std::string_view split[kBookFieldCount];
	SplitBookLine(line, split);
	std::string texts[kBookFieldCount];
	std::string_view fields[kBookFieldCount];
	for (int32 field = 0; field < kBookFieldCount; field++)
		fields[field] = texts[field] = CardPatcher::CardText(split[field]);
	std::string card;
	VCardWriter::AppendCard(fields, version, vcard_extras{uid, revision}, &card);
	return card;
}

// The VERSION of the first card in bytes, "" without one.
std::string CardVersion(std::string_view bytes)
{
	VCardLexer lexer(bytes);
	lexed_line line;
	while (lexer.Next(&line)) {
		const std::optional<VCardLine> content = VCardLine::Parse(line.text);
		if (content && content->Name() == "VERSION")
			return std::string(TrimSpace(content->Value()));
		if (content && content->Name() == "END")
			break;
	}
	return std::string();
}

// A card's bytes without its REV and PRODID lines, which say when and by
// what it was written, not what it holds.
std::string WithoutStamps(std::string_view bytes)
{
	VCardLexer lexer(bytes);
	std::string out;
	size_t copied = 0;
	lexed_line line;
	while (lexer.Next(&line)) {
		const std::optional<VCardLine> content = VCardLine::Parse(line.text);
		if (!content || (content->Name() != "REV" && content->Name() != "PRODID"))
			continue;
		out.append(bytes.substr(copied, line.begin - copied));
		copied = line.end;
	}
	return out.append(bytes.substr(copied));
}

// Now as a vCard timestamp, the REV of the cards a run changes.
std::string Revision()
{
	const time_t now = time(nullptr);
	struct tm utc;
	char text[32];
	gmtime_r(&now, &utc);
	strftime(text, sizeof(text), "%Y%m%dT%H%M%SZ", &utc);
	return text;
}

std::string RealPath(const std::string& path)
{
	char resolved[PATH_MAX];
	return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

}  // namespace

// --- the run

SyncRunner::SyncRunner(const sync_options& options, FILE* out, FILE* err)
	: fOptions(options),
	  fReport(out, err, options.verbose || options.dryRun),
	  fProgress(err),
	  fBook(nullptr),
	  fRevision(Revision())
{
}

SyncRunner::~SyncRunner() = default;

int SyncRunner::Run()
{
	const int status = _Sync();
	fProgress.Done();
	return status;
}

int SyncRunner::_Sync()
{
	if (!_ResolvePaths())
		return kSyncFailed;
	fState = std::make_unique<SyncState>(fBookPath, fFolderPath);
	BookLock pairLock(fState->Path());
	if (!fOptions.dryRun) {
		status_t status = fState->MakeFolder();
		if (status == B_OK)
			status = pairLock.Acquire(kPairWait);
		if (status != B_OK) {
			fReport.Problem(status == kBookBusyError
				? "another cvab-sync is syncing this book and folder; nothing was changed"
				: "cannot lock the sync state beside " + fState->Path() + " because "
					+ DescribeFileError(status));
			return kSyncFailed;
		}
	}
	if (!_ReadState() || !_ReadBook() || !_ScanFolder())
		return kSyncFailed;
	fPlan = SyncPlanner::Plan(fRecords, fEntries, fCards);
	// Without a state the book's ids may be new ones of this reading (a book
	// never saved with them): saved, they are the ones its cards are named by.
	fPlan.repaired = fPlan.repaired || (!fStateRead && fBook.CountRecords() > 0);
	if (!_PrepareCards())
		return kSyncFailed;
	_List();
	const int32 cards = static_cast<int32>(fCards.size());
	if (!fOptions.allowDeletes && fPlan.TooManyDeletions(fBook.CountRecords(), cards)) {
		fReport.Problem("this run would delete " + std::to_string(fPlan.recordsDeleted) + " of "
			+ std::to_string(fBook.CountRecords()) + " records and "
			+ std::to_string(fPlan.cardsDeleted) + " of " + std::to_string(cards)
			+ " cards, which looks like a lost book or folder rather than deletions; nothing "
			  "was changed (give --allow-deletes if they are meant)");
		return kSyncFailed;
	}
	if (fOptions.dryRun) {
		fReport.Note(fPlan.Changes() ? "(a dry run: nothing was changed)" : "in sync");
		return kSyncDone;
	}
	if (!_SaveBook())
		return kSyncFailed;
	// The book's value of a conflict is gone only once the book is saved.
	AppendConflictLog(fBookPath, fPlan.conflicts);
	for (const merge_conflict& conflict : fPlan.conflicts)
		fReport.Conflict(conflict, false);
	if (!_WriteCards() || !_WriteState())
		return kSyncFailed;
	return fReport.Conflicts() > 0 || fCardsLeft ? kSyncConflicts : kSyncDone;
}

// --- reading

bool SyncRunner::_ResolvePaths()
{
	fFolderPath = RealPath(fOptions.folder);
	fFolder = std::make_unique<CardFolder>(fFolderPath);
	if (fFolderPath.empty() || fFolder->Open() != B_OK) {
		fReport.Problem(fOptions.folder + ": " + strerror(errno) + " (FOLDER is a vCard folder)");
		return false;
	}
	fBookPath = RealPath(fOptions.book);
	if (fBookPath.empty() && errno == ENOENT) {
		// A book not made yet is made from the folder's cards.
		const size_t slash = fOptions.book.rfind('/');
		const std::string folder = slash == std::string::npos ? "." : fOptions.book.substr(0, slash + 1);
		const std::string real = RealPath(folder);
		const std::string leaf = fOptions.book.substr(slash == std::string::npos ? 0 : slash + 1);
		if (!real.empty() && !leaf.empty())
			fBookPath = (real == "/" ? "" : real) + "/" + leaf;
	}
	struct stat info;
	if (fBookPath.empty() || (stat(fBookPath.c_str(), &info) == 0 && !S_ISREG(info.st_mode))) {
		fReport.Problem(fOptions.book + ": " + (fBookPath.empty() ? strerror(errno)
			: "not an address book file"));
		return false;
	}
	return true;
}

bool SyncRunner::_ReadState()
{
	std::string problem;
	const status_t status = fState->Read(&fEntries, &problem);
	fStateRead = status == B_OK;
	if (status == B_BAD_DATA) {
		fReport.Problem("the sync state " + fState->Path() + " is damaged (" + problem
			+ "): this run pairs the book and the folder afresh and deletes nothing");
	} else if (status != B_OK && status != B_ENTRY_NOT_FOUND) {
		fReport.Problem("cannot read the sync state " + fState->Path() + ": "
			+ DescribeFileError(status));
		return false;
	}
	return true;
}

bool SyncRunner::_ReadBook()
{
	struct stat info;
	if (stat(fBookPath.c_str(), &info) == 0) {
		BookLock lock(fBookPath);
		status_t status = lock.Acquire(kBookWait);
		entry_ref ref;
		if (status == B_OK)
			status = get_ref_for_path(fBookPath.c_str(), &ref);
		book_read_losses losses;
		if (status == B_OK)
			status = LoadBookFile(&ref, &fBook, nullptr, &losses, &fAncestor);
		if (status != B_OK) {
			fReport.Problem("cannot read the book " + fBookPath + " because "
				+ DescribeFileError(status));
			return false;
		}
		if (losses.Any()) {
			// Saving it would make that loss for good: the window asks first.
			fReport.Problem("in the book " + fBookPath + ", " + DescribeLosses(losses)
				+ " if it were saved; open it in the address book first");
			return false;
		}
	}
	fRecords.reserve(static_cast<size_t>(fBook.CountRecords()));
	for (const ABookRecord* record = fBook.FirstRecord(); record != nullptr;
		 record = record->Next())
		fRecords.push_back({record->Id(), LineOf(record)});
	fRecordIndex = std::make_unique<RecordIdIndex>(fRecords.empty() ? nullptr : &fRecords[0].id,
		fRecords.size(), sizeof(book_record));
	return true;
}

bool SyncRunner::_ScanFolder()
{
	std::vector<folder_file> files;
	if (const status_t status = fFolder->List(&files); status != B_OK) {
		fReport.Problem("cannot list the folder " + fFolderPath + " because "
			+ DescribeFileError(status));
		return false;
	}
	std::unordered_map<std::string_view, int32> entryOfFile;
	entryOfFile.reserve(fEntries.size());
	for (size_t i = 0; i < fEntries.size(); i++)
		entryOfFile.emplace(fEntries[i].file, static_cast<int32>(i));
	std::vector<bool> entryHasFile(fEntries.size(), false);
	fCards.resize(files.size());
	fCardTexts.resize(files.size());
	fFolderChanged = fEntries.size() != files.size();
	for (size_t i = 0; i < files.size(); i++) {
		folder_card& card = fCards[i];
		card.file = std::move(files[i].name);
		card.stat = files[i].stat;
		const auto found = entryOfFile.find(card.file);
		card.entry = found != entryOfFile.end() ? found->second : -1;
		const sync_entry* entry = card.entry >= 0 ? &fEntries[card.entry] : nullptr;
		if (entry != nullptr)
			entryHasFile[card.entry] = true;
		// A card stat finds as the state has it is not read.
		const bool read = entry == nullptr || entry->stat != card.stat;
		if (read)
			_ReadCard(i);
		fFolderChanged = fFolderChanged || read;
		card.changed = entry == nullptr || (read && card.digest != entry->digest);
		if (entry != nullptr && !card.changed && card.readable) {
			card.line = entry->fields;
			card.uid = entry->uid;
			card.digest = entry->digest;
		}
		fProgress.Step("reading cards", i + 1, files.size());
	}
	_FindRenamed(entryHasFile);
	for (size_t i = 0; i < fCards.size(); i++)
		_FollowRecord(i);
	for (const folder_card& card : fCards) {
		if (!card.readable)
			fReport.Problem(card.file + " in " + fFolderPath + " holds no contact that can be read; "
				+ (card.entry >= 0 ? "it and its record are" : "it is") + " left as they are");
	}
	return true;
}

void SyncRunner::_ReadCard(size_t index)
{
	folder_card& card = fCards[index];
	if (fCardTexts[index] == nullptr)
		fCardTexts[index] = std::make_unique<card_text>();
	card_text& text = *fCardTexts[index];
	if (fFolder->Read(card.file, &text.bytes, &card.stat) != B_OK) {
		card.readable = false;
		return;
	}
	text.read = true;
	card.digest = Sha256Of(text.bytes);
	ConversionReport report;  // what a record cannot hold stays in the card: no error
	card.readable = VCardReader(&report).ReadCard(text.bytes, &text.card);
	if (card.readable) {
		card.uid = text.card.uid;
		card.line = LineOf(text.card.fields);
	}
}

// A card the state knew under another name is found again by its UID.
void SyncRunner::_FindRenamed(const std::vector<bool>& entryHasFile)
{
	std::unordered_map<std::string_view, size_t> newCards;
	for (size_t i = 0; i < fCards.size(); i++) {
		if (fCards[i].entry < 0 && fCards[i].readable && !fCards[i].uid.empty())
			newCards.emplace(fCards[i].uid, i);
	}
	for (size_t i = 0; i < fEntries.size(); i++) {
		const auto found = entryHasFile[i] || fEntries[i].uid.empty() ? newCards.end()
			: newCards.find(fEntries[i].uid);
		if (found == newCards.end())
			continue;
		folder_card& card = fCards[found->second];
		card.entry = static_cast<int32>(i);
		card.changed = card.digest != fEntries[i].digest;
		if (!card.changed)
			card.line = fEntries[i].fields;
		newCards.erase(found);
	}
}

// A card read anew is taken as its record's fields are placed: one the sync
// wrote from the record and nobody changed since is the record, whatever the
// reader would make of it; one changed elsewhere fills the fields the record
// uses. The record is the book's of the card's entry, or, without an entry,
// the one whose id is the card's UID; else the entry's fields.
void SyncRunner::_FollowRecord(size_t index)
{
	folder_card& card = fCards[index];
	const card_text* text = fCardTexts[index].get();
	if (!card.readable || !card.changed || text == nullptr || !text->read)
		return;
	const sync_entry* entry = card.entry >= 0 ? &fEntries[card.entry] : nullptr;
	record_id id;
	const book_record* record = entry != nullptr ? _BookRecord(entry->id)
		: ParseRecordId(card.uid, &id) ? _BookRecord(id) : nullptr;
	if (record == nullptr && entry == nullptr)
		return;
	const std::string& line = record != nullptr ? record->line : entry->fields;
	const vcard_version version = VCardProperties::VersionOf(text->card.version);
	if (WithoutStamps(text->bytes) == WithoutStamps(NewCardBytes(line, card.uid, version, "")))
		card.line = line;
	else
		card.line = LineOf(FieldPlacement::Follow(text->card.fields, FieldsOf(line)));
}

// --- preparing the cards

bool SyncRunner::_PrepareCards()
{
	fOutputs.resize(fPlan.items.size());
	for (size_t i = 0; i < fPlan.items.size(); i++) {
		planned_item& item = fPlan.items[i];
		if (item.card == card_action::kCreate || item.card == card_action::kPatch) {
			if (!_PrepareCard(item, &fOutputs[i]))
				return false;
		}
		fProgress.Step("preparing cards", i + 1, fPlan.items.size());
	}
	return true;
}

bool SyncRunner::_PrepareCard(planned_item& item, card_output* output)
{
	if (item.card == card_action::kCreate) {
		_NameNewCard(item, output);
		output->bytes = NewCardBytes(item.line, output->uid, _NewCardVersion(), fRevision);
		_ReadBack(item, *output);
		return true;
	}
	const size_t index = static_cast<size_t>(item.cardIndex);
	folder_card& card = fCards[index];
	if (fCardTexts[index] == nullptr || !fCardTexts[index]->read) {
		const sha256_digest expected = card.digest;
		_ReadCard(index);
		if (!card.readable || card.digest != expected) {
			fReport.Problem(card.file + " changed while it was being synced; nothing was "
				"changed: run cvab-sync again");
			return false;
		}
	}
	output->file = card.file;
	output->uid = card.uid;
	const card_text& text = *fCardTexts[index];
	card_patch patch;
	CardPatcher patcher(text.bytes, text.card);
	patcher.SetRevision(fRevision);
	if (!patcher.Patch(FieldsOf(item.line), &patch)) {
		fReport.Problem("cannot update " + card.file + ": " + patch.error
			+ "; the record keeps its changes and the card is left as it is");
		output->failed = true;
		fCardsLeft = true;
		return true;
	}
	output->bytes = std::move(patch.bytes);
	_ReadBack(item, *output);
	return true;
}

// New cards are written in the version most of the folder's cards have
// (4.0 in an empty folder, or when as many are 4.0 as 3.0).
vcard_version SyncRunner::_NewCardVersion()
{
	if (fNewCardVersion)
		return *fNewCardVersion;
	int32 counts[3] = {0, 0, 0};
	std::string bytes;
	for (size_t i = 0; i < fCards.size(); i++) {
		std::string version;
		if (fCardTexts[i] != nullptr && fCardTexts[i]->read) {
			version = fCardTexts[i]->card.version;
		} else {
			card_stat ignored;
			if (fFolder->Read(fCards[i].file, &bytes, &ignored) != B_OK)
				continue;
			version = CardVersion(bytes);
		}
		if (!version.empty())
			counts[static_cast<int>(VCardProperties::VersionOf(version))]++;
	}
	const int32 k30 = counts[static_cast<int>(vcard_version::k30)]
		+ counts[static_cast<int>(vcard_version::k21)];
	fNewCardVersion = k30 > counts[static_cast<int>(vcard_version::k40)] ? vcard_version::k30
		: vcard_version::k40;
	return *fNewCardVersion;
}

void SyncRunner::_NameNewCard(const planned_item& item, card_output* output)
{
	if (fTakenNames.empty()) {
		fTakenNames.reserve(fCards.size() * 2);
		for (const folder_card& card : fCards)
			fTakenNames.insert(card.file);
	}
	output->uid = RecordIdText(item.id);
	if (item.entry >= 0) {
		// A card deleted while its record changed comes back as it was named.
		const sync_entry& entry = fEntries[item.entry];
		if (!entry.uid.empty())
			output->uid = entry.uid;
		if (fTakenNames.count(entry.file) == 0)
			output->file = entry.file;
	}
	if (output->file.empty()) {
		output->file = CardFolder::NameFor(output->uid,
			[this](const std::string& name) { return fTakenNames.count(name) > 0; });
	}
	fTakenNames.insert(output->file);
}

// The card as it will be read is what both sides hold: a value the card
// gives back otherwise (trimmed, moved to the first free field) is the
// record's too, so the next run finds nothing changed.
void SyncRunner::_ReadBack(planned_item& item, const card_output& output)
{
	ConversionReport report;
	VCardReader::card card;
	if (!VCardReader(&report).ReadCard(output.bytes, &card))
		return;
	std::string line = LineOf(FieldPlacement::Follow(card.fields, FieldsOf(item.line)));
	if (line == item.line)
		return;
	item.line = std::move(line);
	if (item.record != record_action::kAdd) {
		const book_record* record = _BookRecord(item.id);
		item.record = record != nullptr && record->line == item.line ? record_action::kNone
			: record_action::kChange;
	}
}

const book_record* SyncRunner::_BookRecord(const record_id& id) const
{
	const uint32 found = fRecordIndex->Find(id);
	return found != RecordIdIndex::kNone ? &fRecords[found] : nullptr;
}

void SyncRunner::_List()
{
	for (size_t i = 0; i < fPlan.items.size(); i++) {
		const planned_item& item = fPlan.items[i];
		const book_record* record = _BookRecord(item.id);
		const folder_card* card = item.cardIndex >= 0 ? &fCards[item.cardIndex] : nullptr;
		if (item.record == record_action::kAdd)
			fReport.BookChange("add", item.line, "", card != nullptr ? card->file : "");
		else if (item.record == record_action::kChange)
			fReport.BookChange("change", item.line, record->line, "");
		else if (item.record == record_action::kDelete)
			fReport.BookChange("delete", record->line, "", "");
		if (item.card == card_action::kCreate)
			fReport.CardChange("add", fOutputs[i].file, item.line, "");
		else if (item.card == card_action::kPatch && !fOutputs[i].failed)
			fReport.CardChange("change", card->file, item.line, card->line);
		else if (item.card == card_action::kDelete)
			fReport.CardChange("delete", card->file, card->line, "");
	}
}

// --- writing

bool SyncRunner::_SaveBook()
{
	bool changed = fPlan.repaired;
	for (const planned_item& item : fPlan.items)
		changed = changed || item.record != record_action::kNone;
	if (!changed)
		return true;
	std::unordered_map<record_id, ABookRecord*, record_id_hash> records;
	for (ABookRecord* record = fBook.FirstRecord(); record != nullptr; record = record->Next())
		records.emplace(record->Id(), record);
	for (const planned_item& item : fPlan.items) {
		if (item.record == record_action::kAdd)
			SetRecordFields(fBook.AddRecord(item.id), item.line);
		else if (item.record == record_action::kChange)
			SetRecordFields(records.at(item.id), item.line);
		else if (item.record == record_action::kDelete)
			fBook.RemoveRecord(records.at(item.id));
	}
	entry_ref ref;
	status_t status = get_ref_for_path(fBookPath.c_str(), &ref);
	book_frame frame;
	if (status != B_OK || ReadBookFrame(&ref, &frame) != B_OK)
		frame = book_frame{0, 0, -1, -1};  // the window chooses its own
	book_save_options options;
	options.winner = merge_side::kMine;  // the cards' values, as the sync's merge decided
	options.lockTimeout = kBookWait;
	book_save_result result;
	if (status == B_OK)
		status = SaveBookMerging(&ref, &fBook, frame, &fAncestor, options, &result);
	if (status != B_OK) {
		fReport.Problem("cannot save the book " + fBookPath + " because "
			+ DescribeFileError(status) + "; nothing was changed");
		return false;
	}
	for (const merge_conflict& conflict : result.conflicts)
		fReport.Conflict(conflict, true);
	return true;
}

bool SyncRunner::_WriteCards()
{
	bool wrote = false;
	for (size_t i = 0; i < fPlan.items.size(); i++) {
		const planned_item& item = fPlan.items[i];
		card_output& output = fOutputs[i];
		if (item.card == card_action::kCreate || item.card == card_action::kPatch) {
			if (!output.failed && !_WriteCard(item, &output))
				return false;
			wrote = true;
		} else if (item.card == card_action::kDelete) {
			const folder_card& card = fCards[item.cardIndex];
			card_stat now;
			if (fFolder->Stat(card.file, &now) == B_OK && now != card.stat) {
				fReport.Problem(card.file + " changed while it was being synced: it stays, "
					"and comes back in the book next time");
				fCardsLeft = true;
				continue;
			}
			if (const status_t status = fFolder->Remove(card.file); status != B_OK) {
				fReport.Problem("cannot delete " + card.file + " because "
					+ DescribeFileError(status) + "; the next run finishes the sync");
				return false;
			}
			wrote = true;
		}
		fProgress.Step("writing cards", i + 1, fPlan.items.size());
	}
	// The state may name only cards that are on the disk.
	if (wrote && fFolder->Flush() != B_OK) {
		fReport.Problem("cannot flush the folder " + fFolderPath + ": " + strerror(errno));
		return false;
	}
	return true;
}

bool SyncRunner::_WriteCard(const planned_item& item, card_output* output)
{
	if (item.card == card_action::kPatch) {
		// Another program's change since it was read is not written over.
		card_stat now;
		if (fFolder->Stat(output->file, &now) != B_OK || now != fCards[item.cardIndex].stat) {
			fReport.Problem(output->file + " changed while it was being synced: it is synced "
				"next time");
			output->failed = true;
			fCardsLeft = true;
			return true;
		}
	}
	bool replacedLink = false;
	const status_t status = item.card == card_action::kCreate
		? fFolder->WriteNew(output->file, output->bytes, &output->stat)
		: fFolder->Write(output->file, output->bytes, &output->stat, &replacedLink);
	if (replacedLink) {
		fReport.Problem(output->file + " was a symbolic link: it is now a card of its own, "
			"and the file it pointed to is left as it was");
	}
	if (status != B_OK) {
		fReport.Problem("cannot write " + output->file + " in " + fFolderPath + " because "
			+ DescribeFileError(status) + "; the next run finishes the sync");
		return false;
	}
	return true;
}

bool SyncRunner::_WriteState()
{
	// Nothing read, nothing changed: the state would be written as it is.
	if (fStateRead && !fFolderChanged && !fPlan.Changes() && fPlan.untouched.empty()
		&& fPlan.items.size() == fEntries.size())
		return true;
	const std::vector<sync_entry> entries = _NewEntries();
	if (fStateRead && entries == fEntries)
		return true;
	if (const status_t status = fState->Write(entries); status != B_OK) {
		fReport.Problem("cannot write the sync state " + fState->Path() + " because "
			+ DescribeFileError(status) + "; the next run pairs what this one did");
		return false;
	}
	return true;
}

std::vector<sync_entry> SyncRunner::_NewEntries() const
{
	std::vector<sync_entry> entries;
	entries.reserve(fPlan.items.size() + fPlan.untouched.size());
	for (size_t i = 0; i < fPlan.items.size(); i++) {
		const planned_item& item = fPlan.items[i];
		const card_output& output = fOutputs[i];
		if (item.record == record_action::kDelete || item.card == card_action::kDelete)
			continue;
		if (item.card != card_action::kNone && output.failed) {
			if (item.entry >= 0) {
				entries.push_back(fEntries[item.entry]);
				entries.back().id = item.id;
			}
			continue;
		}
		if (item.card != card_action::kNone) {
			entries.push_back({item.id, output.uid, output.file, Sha256Of(output.bytes),
				output.stat, item.line});
			continue;
		}
		const folder_card& card = fCards[item.cardIndex];
		entries.push_back({item.id, card.uid, card.file, card.digest, card.stat, item.line});
	}
	for (const int32 entry : fPlan.untouched)
		entries.push_back(fEntries[entry]);
	return entries;
}
