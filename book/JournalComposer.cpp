#include "JournalComposer.h"

#include "ReplacingFile.h"

#include <algorithm>
#include <cerrno>
#include <utility>
#include <unordered_set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The whole file fd names, from its start; short when it cannot be read.
std::string ReadAllAt(int fd)
{
	std::string bytes;
	if (lseek(fd, 0, SEEK_SET) != 0 || ReadWholeFd(fd, &bytes) != B_OK)
		bytes.clear();
	return bytes;
}

}  // namespace

journal_base::~journal_base()
{
	if (fd >= 0)
		close(fd);
}

journal_base::journal_base(journal_base&& other) noexcept
{
	*this = std::move(other);
}

journal_base& journal_base::operator=(journal_base&& other) noexcept
{
	if (this == &other)
		return *this;
	if (fd >= 0)
		close(fd);
	exists = other.exists;
	book = std::move(other.book);
	digest = other.digest;
	ids = std::move(other.ids);
	fd = std::exchange(other.fd, -1);
	layout = other.layout;
	writerForm = other.writerForm;
	return *this;
}

JournalComposer::~JournalComposer() = default;

void JournalComposer::Start(journal_base base)
{
	fBase = std::move(base);
	fOrderIsBase = true;
	fBaseIndex = std::make_unique<RecordIdIndex>(fBase.ids.data(), fBase.ids.size());
	fBaseRead = false;
	fBaseBody.clear();
	fBaseLines.clear();
	fOrder = fBase.ids;
	fChanged.clear();
}

void JournalComposer::Take(journal_snapshot snapshot)
{
	fOrderIsBase = fOrderIsBase && !snapshot.orderChanged && snapshot.added.empty()
		&& snapshot.removed.empty();
	if (snapshot.orderChanged) {
		fOrder = std::move(snapshot.order);
	} else if (!snapshot.removed.empty()) {
		std::unordered_set<record_id, record_id_hash> removed(snapshot.removed.begin(),
			snapshot.removed.end());
		std::erase_if(fOrder, [&removed](const record_id& id) { return removed.count(id) > 0; });
	}
	if (!snapshot.orderChanged)
		fOrder.insert(fOrder.end(), snapshot.added.begin(), snapshot.added.end());
	for (auto& [id, line] : snapshot.changed)
		fChanged[id] = std::move(line);
}

// Once, when an old line is first needed: the body as the records were read
// from it, one line a record.
void JournalComposer::_ReadBase()
{
	fBaseRead = true;
	if (fBase.fd < 0)
		return;
	fBaseBody = ReadAllAt(fBase.fd);
	close(std::exchange(fBase.fd, -1));
	if (Sha256Of(fBaseBody) != fBase.digest) {
		fBaseBody.clear();
		return;
	}
	if (!fBase.writerForm) {
		CVABook book(nullptr);
		ReadBookBody(&book, fBaseBody.data(), fBaseBody.size(), fBase.layout);
		fBaseBody = BookBodyBytes(&book);
	}
	fBaseLines = BodyLines(fBaseBody.data(), fBaseBody.size());
	if (fBaseLines.size() != fBase.ids.size())
		fBaseLines.clear();
}

const std::string_view* JournalComposer::_BaseLine(uint32 position) const
{
	return position < fBaseLines.size() ? &fBaseLines[position] : nullptr;
}

void JournalComposer::_AddChange(journal_item_kind kind, uint32 position, const record_id& id,
	const std::string* line, book_journal* journal) const
{
	journal_item item;
	item.kind = kind;
	item.first = item.last = position;
	item.id = id;
	if (line != nullptr)
		item.line = *line;
	if (const std::string_view* before = _BaseLine(position)) {
		item.beforeKnown = true;
		item.before = *before;
	}
	journal->items.push_back(std::move(item));
}

namespace {

// Extends the run of kept base records the items end with to last, or starts
// one (from first).
void Keep(uint32 last, std::vector<journal_item>* items, uint32 first)
{
	if (!items->empty() && items->back().kind == journal_item_kind::kKept
		&& items->back().last + 1 == first) {
		items->back().last = last;
		return;
	}
	journal_item run;
	run.first = first;
	run.last = last;
	items->push_back(run);
}

void Keep(uint32 position, std::vector<journal_item>* items)
{
	Keep(position, items, position);
}

// Whether the journal holds nothing its base does not: every base record kept
// in its place, none added.
bool SameAsBase(const book_journal& journal)
{
	if (journal.items.empty())
		return journal.baseRecords == 0;
	const journal_item& only = journal.items.front();
	return journal.items.size() == 1 && only.kind == journal_item_kind::kKept && only.first == 0
		&& only.last + 1 == journal.baseRecords;
}

}  // namespace

// The book's records in order, each kept, changed or added; then the base
// records no longer there.
bool JournalComposer::Compose(book_journal* journal)
{
	*journal = book_journal();
	journal->book = fBase.book;
	journal->hasBase = fBase.exists;
	journal->base = fBase.digest;
	journal->baseRecords = static_cast<uint32>(fBase.ids.size());
	journal->writer = ThisWriter();
	if (fBase.exists && !fBaseRead && !fChanged.empty())
		_ReadBase();
	if (fOrderIsBase)
		_ComposeInBaseOrder(journal);
	else
		_ComposeByOrder(journal);
	return !SameAsBase(*journal);
}

// The record at position of the base, told changed (line) or not.
void JournalComposer::_AddAt(uint32 position, const record_id& id, const std::string* line,
	book_journal* journal) const
{
	const std::string_view* before = _BaseLine(position);
	// One changed back to what the base holds is kept.
	if (line != nullptr && (before == nullptr || *before != *line))
		_AddChange(journal_item_kind::kChanged, position, id, line, journal);
	else
		Keep(position, &journal->items);
}

// Nothing added, removed or moved (fields changed only, the most common):
// runs of kept records between the changed ones, the rest never looked at.
void JournalComposer::_ComposeInBaseOrder(book_journal* journal) const
{
	std::vector<std::pair<uint32, const std::string*>> changed;
	for (const auto& [id, line] : fChanged) {
		if (const uint32 position = fBaseIndex->Find(id); position != RecordIdIndex::kNone)
			changed.emplace_back(position, &line);
	}
	std::sort(changed.begin(), changed.end());
	uint32 next = 0;
	for (const auto& [position, line] : changed) {
		if (position > next)
			Keep(position - 1, &journal->items, next);
		_AddAt(position, fBase.ids[position], line, journal);
		next = position + 1;
	}
	if (next < fBase.ids.size())
		Keep(static_cast<uint32>(fBase.ids.size() - 1), &journal->items, next);
}

// Records mostly stay in their base order, so the base record after the last
// one found is tried before the index.
void JournalComposer::_ComposeByOrder(book_journal* journal) const
{
	const size_t count = fBase.ids.size();
	std::vector<bool> changedAt(count, false);
	for (const auto& [id, line] : fChanged) {
		if (const uint32 position = fBaseIndex->Find(id); position != RecordIdIndex::kNone)
			changedAt[position] = true;
	}
	std::vector<bool> present(count, false);
	uint32 next = 0;
	for (const record_id& id : fOrder) {
		const uint32 position = next < count && fBase.ids[next] == id ? next : fBaseIndex->Find(id);
		if (position == RecordIdIndex::kNone) {
			_AddNew(id, journal);
			continue;
		}
		next = position + 1;
		present[position] = true;
		_AddAt(position, id, changedAt[position] ? &fChanged.find(id)->second : nullptr, journal);
	}
	for (uint32 position = 0; position < count; position++) {
		if (!present[position])
			_AddChange(journal_item_kind::kDeleted, position, fBase.ids[position], nullptr, journal);
	}
}

void JournalComposer::_AddNew(const record_id& id, book_journal* journal) const
{
	const auto changed = fChanged.find(id);
	if (changed == fChanged.end())
		return;  // a record never told of
	journal_item item;
	item.kind = journal_item_kind::kAdded;
	item.id = id;
	item.line = changed->second;
	journal->items.push_back(std::move(item));
}
