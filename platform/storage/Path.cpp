#include <Path.h>

#include <Directory.h>
#include <Entry.h>
#include <StoragePaths.h>

#include <cstring>

namespace {

// Whether a path can be taken as it is: absolute, without ".", ".." components,
// doubled slashes or a trailing slash.
bool needs_normalizing(const std::string& path)
{
	if (path.empty() || path[0] != '/')
		return true;
	if (path == "/")
		return false;
	if (path.back() == '/' || path.find("//") != std::string::npos)
		return true;
	size_t start = 1;
	while (start <= path.size()) {
		size_t end = path.find('/', start);
		if (end == std::string::npos)
			end = path.size();
		const std::string_view part(path.data() + start, end - start);
		if (part == "." || part == "..")
			return true;
		start = end + 1;
	}
	return false;
}

}  // namespace

BPath::BPath()
	: fStatus(B_NO_INIT)
{
}

BPath::BPath(const char* path, const char* leaf, bool normalize)
	: fStatus(B_NO_INIT)
{
	SetTo(path, leaf, normalize);
}

BPath::BPath(const BDirectory* directory, const char* leaf, bool normalize)
	: fStatus(B_NO_INIT)
{
	SetTo(directory, leaf, normalize);
}

BPath::BPath(const entry_ref* ref)
	: fStatus(B_NO_INIT)
{
	SetTo(ref);
}

BPath::BPath(const BEntry* entry)
	: fStatus(B_NO_INIT)
{
	SetTo(entry);
}

BPath::BPath(const BPath& other) = default;
BPath::~BPath() = default;
BPath& BPath::operator=(const BPath& other) = default;

BPath& BPath::operator=(const char* path)
{
	if (path == nullptr)
		Unset();
	else
		SetTo(path);
	return *this;
}

bool BPath::operator==(const BPath& other) const
{
	if (fStatus != B_OK || other.fStatus != B_OK)
		return fStatus != B_OK && other.fStatus != B_OK;
	return fPath == other.fPath;
}

bool BPath::operator==(const char* path) const
{
	if (fStatus != B_OK || path == nullptr)
		return fStatus != B_OK && path == nullptr;
	return fPath == path;
}

status_t BPath::SetTo(const char* path, const char* leaf, bool normalize)
{
	if (path == nullptr || path[0] == '\0' || (leaf != nullptr && leaf[0] == '/')) {
		Unset();
		return fStatus = B_BAD_VALUE;
	}
	// The arguments may point into this path itself: build the new one first.
	std::string combined;
	if (status_t status = BPrivate::make_absolute(path, &combined); status != B_OK) {
		Unset();
		return fStatus = status;
	}
	if (leaf != nullptr && leaf[0] != '\0')
		combined += "/" + std::string(leaf);
	Unset();
	if (combined.size() >= B_PATH_NAME_LENGTH)
		return fStatus = B_NAME_TOO_LONG;

	if (normalize || needs_normalizing(combined)) {
		BPrivate::ResolvedEntry entry;
		if (status_t status = BPrivate::resolve_entry(combined.c_str(), false, &entry);
				status != B_OK) {
			return fStatus = status;
		}
		combined = entry.Path();
	}
	fPath = std::move(combined);
	return fStatus = B_OK;
}

status_t BPath::SetTo(const BDirectory* directory, const char* leaf, bool normalize)
{
	Unset();
	if (directory == nullptr || directory->InitCheck() != B_OK)
		return fStatus = B_BAD_VALUE;
	BEntry entry;
	if (status_t status = directory->GetEntry(&entry); status != B_OK)
		return fStatus = status;
	BPath directoryPath(&entry);
	if (directoryPath.InitCheck() != B_OK)
		return fStatus = directoryPath.InitCheck();
	return SetTo(directoryPath.Path(), leaf, normalize);
}

status_t BPath::SetTo(const entry_ref* ref)
{
	Unset();
	if (ref == nullptr)
		return fStatus = B_BAD_VALUE;
	BEntry entry(ref);
	if (entry.InitCheck() != B_OK)
		return fStatus = entry.InitCheck();
	return entry.GetPath(this);
}

status_t BPath::SetTo(const BEntry* entry)
{
	Unset();
	if (entry == nullptr)
		return fStatus = B_BAD_VALUE;
	return entry->GetPath(this);
}

void BPath::Unset()
{
	fPath.clear();
	fStatus = B_NO_INIT;
}

status_t BPath::InitCheck() const
{
	return fStatus;
}

status_t BPath::Append(const char* path, bool normalize)
{
	if (fStatus != B_OK)
		return fStatus;
	if (path == nullptr || path[0] == '/')
		return B_BAD_VALUE;
	return SetTo(fPath.c_str(), path, normalize);
}

const char* BPath::Path() const
{
	return fStatus == B_OK ? fPath.c_str() : nullptr;
}

const char* BPath::Leaf() const
{
	if (fStatus != B_OK)
		return nullptr;
	if (fPath == "/")
		return fPath.c_str() + 1;
	return fPath.c_str() + fPath.rfind('/') + 1;
}

status_t BPath::GetParent(BPath* parent) const
{
	if (parent == nullptr)
		return B_BAD_VALUE;
	if (fStatus != B_OK) {
		parent->Unset();
		return fStatus;
	}
	if (fPath == "/") {
		parent->Unset();
		return B_ENTRY_NOT_FOUND;
	}
	const size_t slash = fPath.rfind('/');
	// The parent of a path that needed no normalising needs none either.
	return parent->SetTo(slash == 0 ? "/" : fPath.substr(0, slash).c_str());
}
