#include "SearchKey.h"

#include "AsciiText.h"

#include <glib.h>

#include <memory>
#include <optional>

namespace {

struct GLibFree {
	void operator()(gchar* text) const { g_free(text); }
};
using GLibText = std::unique_ptr<gchar, GLibFree>;

// valid (UTF-8 without NUL) in the folded form; never null.
GLibText Fold(std::string_view valid)
{
	// Folding a text that is not canonically ordered could move a mark
	// (U+0345 folds to a letter), hence the decomposition first.
	const GLibText decomposed(g_utf8_normalize(valid.data(), gssize(valid.size()),
		G_NORMALIZE_NFD));
	const GLibText folded(g_utf8_casefold(decomposed.get(), -1));
	return GLibText(g_utf8_normalize(folded.get(), -1, G_NORMALIZE_NFC));
}

// How many bytes text starts with that are valid UTF-8 (a NUL is not).
size_t ValidLength(std::string_view text)
{
	const gchar* end = nullptr;
	g_utf8_validate_len(text.data(), text.size(), &end);
	return size_t(end - text.data());
}

// Whether found(folded run) holds for one of text's runs of valid UTF-8, each
// folded alone; the bytes between them are passed over.
template <typename Found>
bool AnyValidRun(std::string_view text, Found found)
{
	while (!text.empty()) {
		const size_t valid = ValidLength(text);
		if (valid > 0 && found(std::string_view(Fold(text.substr(0, valid)).get())))
			return true;
		text.remove_prefix(valid < text.size() ? valid + 1 : valid);
	}
	return false;
}

// Whether text holds folded (not empty), in one pass that also makes sure
// text is ASCII, where folding is byte by byte: nothing when it is not.
std::optional<bool> FoundInAscii(std::string_view text, std::string_view folded)
{
	const size_t size = text.size();
	const size_t length = folded.size();
	for (size_t i = 0; i < size; i++) {
		const char c = text[i];
		if (static_cast<unsigned char>(c) >= 0x80)
			return std::nullopt;
		if (FoldAscii(c) != folded[0] || size - i < length)
			continue;
		size_t j = 1;
		while (j < length && FoldAscii(text[i + j]) == folded[j])
			j++;
		if (j == length)
			return IsAscii(text.substr(i + 1)) ? std::optional(true) : std::nullopt;
	}
	return false;
}

}  // namespace

SearchKey::SearchKey(std::string_view text)
{
	if (IsAscii(text) || ValidLength(text) != text.size()) {
		fFolded = FoldAscii(text);
		fComparesBytes = !IsAscii(text);
		return;
	}
	fFolded = Fold(text).get();
}

bool SearchKey::IsIn(std::string_view text) const
{
	if (fFolded.empty())
		return true;
	if (fComparesBytes)
		return ContainsFolded(text, fFolded);
	if (const std::optional<bool> found = FoundInAscii(text, fFolded))
		return *found;
	return AnyValidRun(text, [this](std::string_view folded) {
		return folded.find(fFolded) != std::string_view::npos;
	});
}

bool SearchKey::Is(std::string_view text) const
{
	if (fComparesBytes || IsAscii(text))
		return EqualsIgnoringCase(text, fFolded);
	return ValidLength(text) == text.size() && std::string_view(Fold(text).get()) == fFolded;
}
