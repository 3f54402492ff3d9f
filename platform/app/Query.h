// BQuery: the entries of a volume whose indexed attributes satisfy a predicate, read
// from the volume's indexes (shared on disk, so nodes indexed by any process are
// found). Predicates compare an attribute with ==, !=, <, >, <= or >= to an integer
// or a double-quoted string, and combine terms with &&, || and parentheses:
//   (Age>=18) && (Name=="Ada" || Name=="Grace")
// Threading: one thread at a time.
#ifndef _QUERY_H
#define _QUERY_H

#include <EntryRef.h>
#include <Volume.h>

#include <string>
#include <vector>

class BEntry;

class BQuery {
public:
	BQuery();
	virtual ~BQuery();

	// Forget the predicate, volume and results.
	status_t Clear();
	status_t SetVolume(const BVolume* volume);
	status_t SetPredicate(const char* expression);
	size_t PredicateLength() const;  // with the terminating NUL
	status_t GetPredicate(char* buffer, size_t length) const;
	status_t GetPredicate(std::string* predicate) const;

	// Runs the query. B_NO_INIT without a volume or predicate, B_BAD_VALUE for a
	// predicate that does not parse, B_NOT_ALLOWED when already fetched.
	status_t Fetch();
	// B_ENTRY_NOT_FOUND after the last entry.
	status_t GetNextRef(entry_ref* ref);
	status_t GetNextEntry(BEntry* entry, bool traverse = false);
	status_t Rewind();
	int32 CountEntries() const;

private:
	BQuery(const BQuery&) = delete;
	BQuery& operator=(const BQuery&) = delete;

	std::string fPredicate;
	bool fHasPredicate = false;
	dev_t fDevice = 0;
	bool fHasVolume = false;
	bool fFetched = false;
	std::vector<entry_ref> fResults;
	size_t fNext = 0;
};

#endif
