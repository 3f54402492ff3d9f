#include "VCardWriter.h"

#include "DisplayName.h"

#include <algorithm>

namespace {

// One card's lines, each built in a buffer kept from line to line.
class CardText {
public:
	CardText(const std::string_view* fields, vcard_version version, std::string* out)
		: fFields(fields), fVersion(version), fOut(out)
	{
	}

	// Starts a line: its name and parameters; the value is appended to
	// what Value() gives, then End() writes the line folded.
	std::string* Begin(std::string_view name, std::string_view parameter1 = {},
		std::string_view parameter2 = {})
	{
		fLine.assign(name);
		for (const std::string_view parameter : {parameter1, parameter2}) {
			if (!parameter.empty())
				fLine.append(";").append(parameter);
		}
		fLine.push_back(':');
		return &fLine;
	}

	void End() { VCardValue::AppendFolded(fLine, "\r\n", fOut); }

	void Line(std::string_view name, std::string_view value)
	{
		Begin(name)->append(value);
		End();
	}

	// A field of a property of its own, left out when empty.
	void Field(int32 field)
	{
		if (fFields[field].empty())
			return;
		VCardProperties::ValueOf(field, fFields[field], fVersion, &fValue);
		Begin(VCardProperties::PlaceOf(field).property, fValue.valueParameter,
			fValue.typeParameter)->append(fValue.value);
		End();
	}

	// A field as a component of a structured value, appended to the line.
	void Part(int32 field)
	{
		VCardValue::AppendEscaped(fFields[field], vcard_value_type::kStructured, &fLine);
	}

	bool Has(int32 field) const { return !fFields[field].empty(); }

private:
	const std::string_view* const fFields;
	const vcard_version fVersion;
	std::string* const fOut;
	std::string fLine;
	vcard_value fValue;
};

// N: family, given and additional names, no prefix or suffix.
void AppendNames(CardText& card)
{
	std::string* line = card.Begin("N");
	card.Part(kLastNameField);
	line->push_back(';');
	card.Part(kFirstNameField);
	line->push_back(';');
	card.Part(kMiddleNameField);
	line->append(";;");
	card.End();
}

// ADR's seven components with both address lines in the street.
void AppendAddress(CardText& card)
{
	bool any = false;
	for (int32 field = kAddress1Field; field <= kCountryField; field++)
		any = any || card.Has(field);
	if (!any)
		return;
	std::string* line = card.Begin("ADR");
	line->append(";;");
	card.Part(kAddress1Field);
	if (card.Has(kAddress1Field) && card.Has(kAddress2Field))
		line->append("\\n");
	card.Part(kAddress2Field);
	for (const int32 field : {kCityField, kStateField, kZipField, kCountryField}) {
		line->push_back(';');
		card.Part(field);
	}
	card.End();
}

}  // namespace

void VCardWriter::AppendCard(const ABookRecord* record, std::string* out, vcard_version version)
{
	std::string_view fields[kBookFieldCount];
	for (int32 field = 0; field < kBookFieldCount; field++)
		fields[field] = record->Field(field);
	AppendCard(fields, version, vcard_extras{}, out);
}

void VCardWriter::AppendCard(const std::string_view* fields, vcard_version version,
	const vcard_extras& extras, std::string* out)
{
	CardText card(fields, version, out);
	out->append("BEGIN:VCARD\r\n");
	card.Line("VERSION", VCardProperties::VersionText(version));
	if (!extras.uid.empty()) {
		// A UID is read as it is written, without escapes; it cannot break the line.
		std::string* line = card.Begin("UID");
		const size_t at = line->size();
		line->append(extras.uid);
		std::replace(line->begin() + static_cast<ptrdiff_t>(at), line->end(), '\r', ' ');
		std::replace(line->begin() + static_cast<ptrdiff_t>(at), line->end(), '\n', ' ');
		card.End();
	}
	VCardValue::AppendEscaped(DisplayName(fields, kBookFieldCount), vcard_value_type::kText,
		card.Begin("FN"));
	card.End();
	AppendNames(card);
	for (const int32 field : {kNicknameField, kCompanyField}) {
		if (card.Has(field)) {
			card.Begin(VCardProperties::PlaceOf(field).property);
			card.Part(field);
			card.End();
		}
	}
	card.Field(kTitleField);
	AppendAddress(card);
	for (const int32 field : {kPhoneField, kCellField, kFaxField, kEmail1Field, kEmail2Field,
			kWebAddressField})
		card.Field(field);
	if (card.Has(kCommentsField) || card.Has(kComments2Field)) {
		std::string* line = card.Begin("NOTE");
		VCardValue::AppendEscaped(fields[kCommentsField], vcard_value_type::kText, line);
		if (card.Has(kCommentsField) && card.Has(kComments2Field))
			line->append("\\n");
		VCardValue::AppendEscaped(fields[kComments2Field], vcard_value_type::kText, line);
		card.End();
	}
	card.Field(kBirthdayField);
	if (!extras.rev.empty())
		card.Line("REV", extras.rev);
	out->append("END:VCARD\r\n");
}
