// Brings a card up to date with its record by rewriting only what changed:
// the properties the changed fields were read from, FN when the display name
// changes, and a new property for a field that had none. Every other byte of
// the card stays as it was: its VERSION (a 3.0 card stays 3.0), the
// properties no field holds (PHOTO, a third TEL, CATEGORIES, X- properties),
// groups, parameters, folding and order. Within a structured property (N,
// ADR, ORG) only the changed components are rewritten; a field emptied
// removes its value (and the property when nothing else is left in it).
// Values are written as the property table (vcard/VCardProperties.h) says for
// the card's version; with a revision given, a card that changes gets it as
// its REV.
// Threading: an object per card, used by one thread.
#ifndef _CARD_PATCHER_H
#define _CARD_PATCHER_H

#include <VCardReader.h>
#include <vcard/VCardLexer.h>
#include <vcard/VCardProperties.h>

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using card_fields = std::array<std::string, kBookFieldCount>;

struct card_patch {
	std::string bytes;
	// The first card's lines (as ReadCard counts them) rewritten or removed.
	std::vector<int32> touched;
	std::string error;  // why the card could not be patched
};

class CardPatcher {
public:
	// bytes are a card file's; card is what ReadCard read of them.
	CardPatcher(std::string_view bytes, const VCardReader::card& card);

	// The REV a changed card gets ("20240501T101500Z"); none by default.
	void SetRevision(std::string revision) { fRevision = std::move(revision); }

	// The card with fields in place of card.fields. False, with an error and
	// the card left alone, when a field's property cannot be found or its
	// value not decoded.
	bool Patch(const card_fields& fields, card_patch* patch);

	// A field's text as a card holds it: UTF-8, a field in another set
	// (a book from before UTF-8) read as Windows-1252, as the reader would.
	static std::string CardText(std::string_view field);

private:
	static constexpr size_t kNone = static_cast<size_t>(-1);

	bool _Changed(int32 field) const { return (*fOld)[field] != (*fNew)[field]; }
	size_t _SourceLine(int32 field) const;
	std::vector<size_t> _LinesNamed(const char* name) const;
	size_t _FirstLineNamed(const char* name) const;
	const lexed_line& _Lexed(size_t position) const { return fLines[position]; }
	VCardLine* _Edit(size_t position);
	void _Remove(size_t position) { fEdits[position].reset(); }
	void _Add(const std::string& name, std::vector<std::string> parameters, std::string value);

	bool _CheckSources();
	void _PatchNames();
	void _PatchFullName();
	void _PatchNickname();
	void _PatchCompany();
	void _PatchValue(int32 field);
	void _PatchRevision();
	void _PatchAddress();
	void _PatchStreet(std::vector<std::string>* components);
	void _PatchNote();
	std::string _NoteTail() const;
	bool _JoinsWithoutIt(size_t position) const;
	std::string _Assemble() const;
	std::string _LineText(VCardLine line) const;

	const std::string fMark;  // a byte order mark, kept
	const std::string fText;
	std::vector<lexed_line> fLines;  // as the lexer gives them
	std::string_view fLineBreak;
	const VCardReader::card& fCard;
	const vcard_version fVersion;
	std::string fRevision;
	const card_fields* fOld = nullptr;
	const card_fields* fNew = nullptr;  // the new fields' card texts
	card_fields fNewText;
	// Rewritten lines by position in fLines; an empty one is removed.
	std::map<size_t, std::optional<VCardLine>> fEdits;
	std::vector<VCardLine> fAdded;  // at the first card's insertion point
	std::string fError;
};

#endif
