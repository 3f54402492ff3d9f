#include "BookColumns.h"

#include "CommandCodes.h"

#include <iterator>

namespace {

// The View menu's presets, in column order.
const int32 kNameEmailFields[] = {kFirstNameField, kLastNameField, kEmail1Field, kEmail2Field};
const int32 kNamePhoneFields[] = {kFirstNameField, kLastNameField, kPhoneField, kCellField,
	kFaxField};
const int32 kNameAddressFields[] = {kFirstNameField, kLastNameField, kAddress1Field,
	kAddress2Field, kCityField, kStateField, kZipField, kCountryField};

}  // namespace

BookColumns::BookColumns()
{
	for (bool& shown : fShown)
		shown = true;
	_Collect();
}

bool BookColumns::IsShown(int32 field) const
{
	return field >= 0 && field < kBookFieldCount && fShown[field];
}

int32 BookColumns::FieldAt(int32 column) const
{
	return column >= 0 && column < Count() ? fFields[column] : -1;
}

void BookColumns::_Collect()
{
	fFields.clear();
	for (int32 field = 0; field < kBookFieldCount; field++) {
		if (fShown[field])
			fFields.push_back(field);
	}
}

void BookColumns::_ShowOnly(const int32* fields, int32 count)
{
	for (bool& shown : fShown)
		shown = false;
	for (int32 i = 0; i < count; i++)
		fShown[fields[i]] = true;
}

bool BookColumns::Apply(uint32 command, int32 field)
{
	switch (command) {
		case kViewAllCommand:
			for (bool& shown : fShown)
				shown = true;
			break;
		case kViewNameEmailCommand:
			_ShowOnly(kNameEmailFields, std::size(kNameEmailFields));
			break;
		case kViewNamePhoneCommand:
			_ShowOnly(kNamePhoneFields, std::size(kNamePhoneFields));
			break;
		case kViewNameAddressCommand:
			_ShowOnly(kNameAddressFields, std::size(kNameAddressFields));
			break;
		case kViewFieldCommand:
			if (field < 0 || field >= kBookFieldCount)
				return false;
			fShown[field] = !fShown[field];
			break;
		default:
			return false;
	}
	_Collect();
	return true;
}
