// Sections: the three versions as lines; writing and applying the merge; the
// save.
#include "MergingSave.h"

#include "BookFilePrivate.h"
#include "ConflictLog.h"
#include "RecordIdFile.h"
#include "RecordIdIndex.h"
#include "RewrittenLines.h"

#include <cstring>
#include <deque>
#include <memory>

// --- the three versions as lines

namespace {

// One version of the book as the merge sees it: a body in the writer's form
// and a record for each of its lines (an ancestor's may also point into
// rebuilt).
struct book_lines {
	std::string body;
	std::vector<merge_record> records;
	std::deque<std::string> rebuilt;
};

// Pairs lines (of lines->body) with ids; false when their counts differ.
bool PairLines(const std::vector<record_id>& ids, const std::vector<std::string_view>& split,
	book_lines* lines)
{
	if (split.size() != ids.size())
		return false;
	lines->records.resize(ids.size());
	for (size_t i = 0; i < ids.size(); i++)
		lines->records[i] = merge_record{ids[i], split[i]};
	return true;
}

bool PairLines(const std::vector<record_id>& ids, book_lines* lines)
{
	return PairLines(ids, BodyLines(lines->body.data(), lines->body.size()), lines);
}

std::vector<uint64> HashesOf(const std::vector<std::string_view>& lines)
{
	std::vector<uint64> hashes;
	hashes.reserve(lines.size());
	for (const std::string_view line : lines)
		hashes.push_back(BookLineHash(line));
	return hashes;
}

// Whether text begins one of body's lines.
bool BeginsALine(std::string_view body, std::string_view text)
{
	for (size_t at = body.find(text); at != std::string_view::npos; at = body.find(text, at + 1)) {
		if (at == 0 || body[at - 1] == '\n')
			return true;
	}
	return false;
}

// A last line without its line feed leaves the version in doubt; when it is
// the start of a line mine or the ancestor has (in 21 columns), another
// program was still writing it or cut the file there, and it is left out so
// that the record stays as it was rather than cut.
void DropCutLine(std::string* body, book_layout layout, std::string_view mine,
	std::string_view ancestor, body_damage* damage)
{
	if (body->empty() || body->back() == '\n')
		return;
	damage->cutLastLine = true;
	const size_t feed = body->rfind('\n');
	const size_t start = feed == std::string::npos ? 0 : feed + 1;
	std::string text = body->substr(start);
	if (layout == book_layout::kNoNickname)
		text.insert(0, 1, '\t');
	if (BeginsALine(mine, text) || BeginsALine(ancestor, text))
		body->resize(start);
}

// Their version with its ids: from their id file when it is trusted (read
// without line digests), else by finding the ancestor's unchanged lines.
// What kept it from being read whole goes to damage; lines holding a NUL
// are left out (the lines after them are read), and so is a cut last line.
// A version without a type is read in the columns most of its lines have.
void TheirLines(const std::string& path, book_file_bytes* file, record_id_file* trusted,
	const BookAncestor& ancestor, const book_lines& mine, std::string_view ancestorBody,
	book_lines* theirs, body_damage* damage)
{
	theirs->body = std::move(file->body);
	DropNulLines(&theirs->body, damage);
	if (!file->typed) {
		file->layout = LayoutForTypelessMerge(
			CountColumns(theirs->body.data(), theirs->body.size()), ancestor.Layout());
	}
	DropCutLine(&theirs->body, file->layout, mine.body, ancestorBody, damage);
	std::vector<std::string_view> lines = BodyLines(theirs->body.data(), theirs->body.size());
	record_ids_found found;
	std::vector<record_id> ids = SettleRecordIds(path, file->idsAttr, trusted, lines,
		file->state.body, &found);
	// A body whose ids all match was written by the writer, ids and all.
	if (file->layout != book_layout::kAllColumns || (found != record_ids_found::kAll
			&& !IsWriterForm(theirs->body.data(), theirs->body.size()))) {
		if (file->layout == book_layout::kAllColumns)
			damage->shortLines = CountColumns(theirs->body.data(), theirs->body.size()).fewer;
		CVABook book(nullptr);
		ReadBookBody(&book, theirs->body.data(), theirs->body.size(), file->layout,
			&damage->losses);
		theirs->body = BookBodyBytes(&book);
		lines = BodyLines(theirs->body.data(), theirs->body.size());
	}
	if (found == record_ids_found::kNone && ancestor.CountRecords() > 0)
		ids = MatchIdsByKey(HashesOf(lines), ancestor.LineHashes(), ancestor.Ids());
	if (!PairLines(ids, lines, theirs)) {
		// Never a version without its records: new ids rather than none.
		ids.resize(lines.size());
		NewRecordIds(ids.data(), ids.size());
		PairLines(ids, lines, theirs);
	}
}

const record_id* IdsIn(const book_lines& lines)
{
	return lines.records.empty() ? nullptr : &lines.records[0].id;
}

// The text of an ancestor record that the file no longer gives back: the line
// of whichever side still has one with its hash, or unknown.
std::string_view RecoveredLine(const record_id& id, uint64 hash, const book_lines& side,
	const RecordIdIndex& index)
{
	const uint32 at = index.Find(id);
	if (at == RecordIdIndex::kNone || BookLineHash(side.records[at].line) != hash)
		return std::string_view();
	return side.records[at].line;
}

// The ancestor's records: read back from its file when it is still there
// unchanged (lines->body holds what TakeBody gave), else recovered.
void AncestorLines(const BookAncestor& ancestor, const book_lines& mine, const book_lines& theirs,
	book_lines* lines)
{
	if (!lines->body.empty() && PairLines(ancestor.Ids(), lines))
		return;
	lines->body.clear();
	const RecordIdIndex inMine(IdsIn(mine), mine.records.size(), sizeof(merge_record));
	const RecordIdIndex inTheirs(IdsIn(theirs), theirs.records.size(), sizeof(merge_record));
	lines->records.resize(ancestor.CountRecords());
	for (size_t i = 0; i < ancestor.CountRecords(); i++) {
		const record_id& id = ancestor.Ids()[i];
		const uint64 hash = ancestor.LineHashes()[i];
		std::string_view line = RecoveredLine(id, hash, mine, inMine);
		if (line.data() == nullptr)
			line = RecoveredLine(id, hash, theirs, inTheirs);
		lines->records[i] = merge_record{id, line};
	}
}

// The ancestor's text of a record both sides changed, when it is known only
// by its hash (the file was written over in place): the one mix of mine's and
// theirs' fields with that hash, as when the two changed different fields.
// False when none has it, or too many fields differ to try every mix.
bool RebuildAncestorLine(uint64 hash, std::string_view mine, std::string_view theirs,
	std::string* line)
{
	constexpr size_t kMostFieldsTried = 12;
	std::string_view m[kBookFieldCount];
	std::string_view t[kBookFieldCount];
	SplitBookLine(mine, m);
	SplitBookLine(theirs, t);
	std::vector<int32> differing;
	for (int32 field = 0; field < kBookFieldCount; field++) {
		if (m[field] != t[field])
			differing.push_back(field);
	}
	if (differing.size() > kMostFieldsTried)
		return false;
	for (uint32 mix = 0; mix < (1u << differing.size()); mix++) {
		line->clear();
		for (int32 field = 0, d = 0; field < kBookFieldCount; field++) {
			bool fromTheirs = false;
			if (static_cast<size_t>(d) < differing.size() && differing[d] == field)
				fromTheirs = ((mix >> d++) & 1) != 0;
			line->append(fromTheirs ? t[field] : m[field]);
			if (field + 1 < kBookFieldCount)
				*line += '\t';
		}
		if (BookLineHash(*line) == hash)
			return true;
	}
	return false;
}

// A line another program rewrote (an editor, a script) comes back with a new
// id. Each of their new lines that alone names the person of an ancestor
// record they lack (the ancestor's text, or mine's where it is not known)
// takes that record's id, so that the two are merged field by field rather
// than kept twice; an ancestor text lost meanwhile is rebuilt from both.
void PairRewritten(const BookAncestor& ancestor, const book_lines& mine,
	book_lines* ancestorLines, book_lines* theirs)
{
	const RecordIdIndex inMine(IdsIn(mine), mine.records.size(), sizeof(merge_record));
	const RecordIdIndex inTheirs(IdsIn(*theirs), theirs->records.size(), sizeof(merge_record));
	std::vector<size_t> left;
	std::vector<std::string_view> gone;
	for (size_t i = 0; i < ancestorLines->records.size(); i++) {
		const merge_record& record = ancestorLines->records[i];
		const uint32 inMineAt = inMine.Find(record.id);
		if (inTheirs.Find(record.id) != RecordIdIndex::kNone
			|| (record.line.data() == nullptr && inMineAt == RecordIdIndex::kNone))
			continue;
		left.push_back(i);
		gone.push_back(record.line.data() != nullptr ? record.line : mine.records[inMineAt].line);
	}
	if (left.empty())
		return;
	const RecordIdIndex inAncestor(IdsIn(*ancestorLines), ancestorLines->records.size(),
		sizeof(merge_record));
	std::vector<size_t> newcomers;
	std::vector<std::string_view> arrived;
	for (size_t i = 0; i < theirs->records.size(); i++) {
		const record_id& id = theirs->records[i].id;
		if (inAncestor.Find(id) == RecordIdIndex::kNone && inMine.Find(id) == RecordIdIndex::kNone) {
			newcomers.push_back(i);
			arrived.push_back(theirs->records[i].line);
		}
	}
	for (const auto& [a, t] : PairRewrittenLines(gone, arrived)) {
		merge_record& before = ancestorLines->records[left[a]];
		merge_record& rewritten = theirs->records[newcomers[t]];
		rewritten.id = before.id;
		const uint32 m = inMine.Find(before.id);
		std::string line;
		if (before.line.data() == nullptr && m != RecordIdIndex::kNone
			&& RebuildAncestorLine(ancestor.LineHashes()[left[a]], mine.records[m].line,
				rewritten.line, &line))
			before.line = ancestorLines->rebuilt.emplace_back(std::move(line));
	}
}

// --- writing and applying the merge

book_body_source MergedBody(const book_merge& merge)
{
	book_body_source source;
	source.lines = merge.records.size();
	source.write = [&merge](const BookBodySink& sink, std::vector<record_id>* ids) {
		constexpr size_t kChunk = 256 * 1024;
		std::string chunk;
		chunk.reserve(kChunk + kBookTextBufferSize);
		for (const merge_record& record : merge.records) {
			chunk.append(record.line);
			chunk += '\n';
			ids->push_back(record.id);
			if (chunk.size() >= kChunk) {
				if (const status_t status = sink(chunk.data(), chunk.size()); status != B_OK)
					return status;
				chunk.clear();
			}
		}
		return chunk.empty() ? B_OK : sink(chunk.data(), chunk.size());
	};
	return source;
}

// Makes book (whose lines are mine) the merge: its records that the merge
// keeps stay where they are (their serials too), changed where it changed
// them; the others go; the merge's records from theirs follow.
void ApplyMerge(const book_merge& merge, const book_lines& mine, CVABook* book)
{
	size_t kept = 0;
	size_t line = 0;
	for (ABookRecord* record = book->FirstRecord(); record != nullptr; line++) {
		ABookRecord* next = record->Next();
		if (kept < merge.records.size() && merge.records[kept].id == record->Id()) {
			if (merge.records[kept].line != mine.records[line].line)
				SetRecordFields(record, merge.records[kept].line);
			kept++;
		} else {
			book->RemoveRecord(record);
		}
		record = next;
	}
	for (; kept < merge.records.size(); kept++)
		SetRecordFields(book->AddRecord(merge.records[kept].id), merge.records[kept].line);
}

}  // namespace

// --- the save

namespace {

// Whether the file at path, as it is now, is still the ancestor's.
bool Unchanged(const BookAncestor& ancestor, const book_file_state& now)
{
	return ancestor.State().exists && ancestor.State().SameFile(now);
}

// Mine as lines: the book's body, written where it fits without growing.
void MyLines(const CVABook* book, size_t expectedSize, book_lines* mine)
{
	mine->body.reserve(expectedSize + expectedSize / 8 + 4096);
	std::vector<record_id> ids;
	ids.reserve(static_cast<size_t>(book->CountRecords()));
	WriteBookBody(book, [mine](const char* bytes, size_t size) {
		mine->body.append(bytes, size);
		return B_OK;
	}, &ids);
	PairLines(ids, mine);
}

// What a merge starts from: the three versions as lines.
struct merge_inputs {
	book_lines mine;
	book_lines theirs;
	book_lines ancestor;
	bool theirsIsAncestor = false;  // the file changed, its body did not
	body_damage theirsDamage;
};

// Digests are all the other thread works out: what a thread allocates stays
// with its memory pool after it ends, so the large lists are made here.
void PrepareMerge(const std::string& path, book_file_bytes* file, const CVABook* book,
	const BookAncestor& ancestor, merge_inputs* inputs)
{
	ancestor.ReadBack(&inputs->ancestor.body);
	sha256_digest ancestorDigest;
	record_id_file ids;
	bool trusted = false;
	RunSideBySide(
		[&] {
			Sha256 calculator;
			calculator.Update(file->body.data(), file->body.size());
			file->state.body = calculator.Finish();
			calculator.Update(inputs->ancestor.body.data(), inputs->ancestor.body.size());
			ancestorDigest = calculator.Finish();
		},
		[&] {
			MyLines(book, file->body.size(), &inputs->mine);
			trusted = ReadRecordIdFile(path, file->idsAttr, false, &ids);
		});
	inputs->theirsIsAncestor = ancestor.State().exists
		&& file->state.body == ancestor.State().body;
	if (inputs->theirsIsAncestor)
		return;
	ancestor.TakeBody(&inputs->ancestor.body, ancestorDigest);
	TheirLines(path, file, trusted ? &ids : nullptr, ancestor, inputs->mine,
		inputs->ancestor.body, &inputs->theirs, &inputs->theirsDamage);
	AncestorLines(ancestor, inputs->mine, inputs->theirs, &inputs->ancestor);
	PairRewritten(ancestor, inputs->mine, &inputs->ancestor, &inputs->theirs);
}

status_t MergeAndSave(const std::string& path, const merge_inputs& inputs, CVABook* book,
	const book_frame& frame, BookAncestor* ancestor, const book_save_options& options,
	book_save_result* result)
{
	const book_merge merge = MergeBooks(inputs.ancestor.records, inputs.mine.records,
		inputs.theirs.records, options.winner, !inputs.theirsDamage.Any());
	BookAncestor saved;
	if (const status_t status = WriteBookLocked(path, MergedBody(merge), frame, &saved);
		status != B_OK)
		return status;
	ApplyMerge(merge, inputs.mine, book);
	if (book->Owner() != nullptr)
		book->Owner()->ReloadList();
	*ancestor = std::move(saved);
	if (options.logConflicts)
		AppendConflictLog(path, merge.conflicts);  // the book is saved either way
	result->merged = true;
	result->conflicts = merge.conflicts;
	result->theirsDamage = inputs.theirsDamage;
	return B_OK;
}

}  // namespace

status_t SaveBookMerging(const entry_ref* ref, CVABook* book, const book_frame& frame,
	BookAncestor* ancestor, const book_save_options& options, book_save_result* result)
{
	book_save_result ignored;
	if (result == nullptr)
		result = &ignored;
	*result = book_save_result();
	status_t status = ResolveSaveTarget(ref, &result->path);
	if (status != B_OK)
		return status;
	const std::string& path = result->path;
	BookLock lock(path);
	if (status = lock.Acquire(options.lockTimeout); status != B_OK)
		return status;
	// Nothing may change the book between reading it and applying the merge.
	BookOwnerLocker owner(book->Owner());

	book_file_state now;
	if (status = StatBookFile(path, &now); status != B_OK)
		return status;
	if (now.exists && !Unchanged(*ancestor, now)) {
		book_file_bytes file;
		if (status = ReadBookFileBytes(path, &file); status != B_OK)
			return status;
		// An emptied book is far likelier a writer that failed half-way than a
		// wish to delete every record: it is written anew, like a missing one.
		const bool emptied = file.body.empty() && ancestor->CountRecords() > 0;
		merge_inputs inputs;
		if (!emptied)
			PrepareMerge(path, &file, book, *ancestor, &inputs);
		if (!emptied && !inputs.theirsIsAncestor)
			return MergeAndSave(path, inputs, book, frame, ancestor, options, result);
	}
	BookAncestor saved;
	status = WriteBookLocked(path, BodySourceOf(book), frame, &saved);
	if (status == B_OK)
		*ancestor = std::move(saved);
	return status;
}

void SetRecordFields(ABookRecord* record, std::string_view line)
{
	std::string_view fields[kBookFieldCount];
	SplitBookLine(line, fields);
	for (int32 field = 0; field < kBookFieldCount; field++)
		record->SetField(field, fields[field].data(), fields[field].size());
}
