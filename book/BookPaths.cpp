#include "BookPaths.h"

#include "Sha256.h"

const char kJournalSuffix[] = ".cvabjournal";
const char kBackupSuffix[] = ".cvabbackup-";

namespace {

// File systems allow 255 bytes a name; this leaves room for any suffix here.
constexpr size_t kLongestKeptLeaf = 200;

}  // namespace

std::string_view LeafOf(std::string_view path)
{
	const size_t slash = path.rfind('/');
	return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string HiddenNameBeside(std::string_view leaf, std::string_view suffix)
{
	std::string name = ".";
	if (leaf.size() <= kLongestKeptLeaf) {
		name += leaf;
	} else {
		name += leaf.substr(0, kLongestKeptLeaf);
		name += "-" + Sha256Text(Sha256Of(leaf)).substr(0, 16);
	}
	name += suffix;
	return name;
}

std::string HiddenPathBeside(const std::string& bookPath, std::string_view suffix)
{
	const std::string_view leaf = LeafOf(bookPath);
	return bookPath.substr(0, bookPath.size() - leaf.size()) + HiddenNameBeside(leaf, suffix);
}
