#include "ContactFileOpener.h"

#include "BookBody.h"
#include "BookOwner.h"
#include "CVABook.h"
#include "ContactImport.h"
#include "ConversionReport.h"
#include "ReadOnlyBookFile.h"

#include <Entry.h>
#include <Node.h>
#include <Path.h>

#include <algorithm>
#include <cstdint>

namespace {

// More than ContactImport::Detect looks at: a file is only read whole once it
// is known to be one of contacts.
constexpr size_t kDetectedFrom = 128 * 1024;

// A type that names either layout of ours: such a file is read as a book,
// whatever its bytes look like.
bool IsBookType(BNode& node)
{
	attr_info info;
	if (node.GetAttrInfo(kTypeAttrName, &info) != B_OK || info.size <= 0)
		return false;
	std::string value(static_cast<size_t>(std::min<off_t>(info.size, 256)), '\0');
	const ssize_t read = node.ReadAttr(kTypeAttrName, info.type, 0, value.data(), value.size());
	if (read <= 0)
		return false;
	value.resize(static_cast<size_t>(read));
	const std::string type = value.c_str();  // the stored type holds its NUL
	return type == kBookFileType || type == kOriginalBookFileType;
}

// Appends up to limit more bytes of file; false on a read error.
bool ReadMore(ReadOnlyBookFile& file, size_t limit, std::string* bytes)
{
	constexpr size_t kChunk = 64 * 1024;
	while (limit > 0) {
		const size_t start = bytes->size();
		const size_t wanted = std::min(kChunk, limit);
		bytes->resize(start + wanted);
		const ssize_t read = file.Read(bytes->data() + start, wanted);
		bytes->resize(start + static_cast<size_t>(std::max<ssize_t>(read, 0)));
		if (read <= 0)
			return read == 0;
		limit -= static_cast<size_t>(read);
	}
	return true;
}

}  // namespace

bool ContactFileOpener::Read(const entry_ref& ref, CVABook* book, outcome* result)
{
	BPath path;
	if (ref.name == nullptr || BEntry(&ref, true).GetPath(&path) != B_OK)
		return false;
	ReadOnlyBookFile file(path.Path());
	BNode node(path.Path());
	if (file.InitCheck() != B_OK || IsBookType(node))
		return false;
	std::string bytes;
	if (!ReadMore(file, kDetectedFrom, &bytes))
		return false;
	const contact_file_kind kind = ContactImport::Detect(ref.name, bytes);
	if (kind == contact_file_kind::kNone || !ReadMore(file, SIZE_MAX, &bytes))
		return false;

	ConversionReport report;
	BookOwnerLocker lock(book->Owner());
	result->contacts = ContactImport::Read(kind, bytes, book, &report);
	result->summary = report.IsEmpty() ? std::string()
		: ContactImport::Summary(result->contacts, report);
	return true;
}
