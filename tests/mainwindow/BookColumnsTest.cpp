// The column set of a book window without a window: which fields the View
// menu's commands show, in which order, and where each column stands.
#include "BookColumns.h"
#include "CommandCodes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int32> Shown(const BookColumns& columns)
{
	std::vector<int32> fields;
	for (int32 column = 0; column < columns.Count(); column++)
		fields.push_back(columns.FieldAt(column));
	return fields;
}

std::vector<int32> AllFields()
{
	std::vector<int32> fields;
	for (int32 field = 0; field < kBookFieldCount; field++)
		fields.push_back(field);
	return fields;
}

struct Commands {
	const char* what;
	std::vector<std::pair<uint32, int32>> commands;
	bool lastChanged;
	std::vector<int32> shown;
};

}  // namespace

TEST(BookColumnsTest, ViewCommandsChooseTheColumnsInFieldOrder)
{
	const std::vector<Commands> cases = {
		{"nothing yet", {}, true, AllFields()},
		{"name and e-mail", {{kViewNameEmailCommand, -1}}, true,
			{kFirstNameField, kLastNameField, kEmail1Field, kEmail2Field}},
		{"name and phone", {{kViewNamePhoneCommand, -1}}, true,
			{kFirstNameField, kLastNameField, kPhoneField, kCellField, kFaxField}},
		{"name and address", {{kViewNameAddressCommand, -1}}, true,
			{kFirstNameField, kLastNameField, kAddress1Field, kAddress2Field, kCityField,
				kStateField, kZipField, kCountryField}},
		{"a field added joins in field order", {{kViewNamePhoneCommand, -1},
			{kViewFieldCommand, kNicknameField}}, true,
			{kNicknameField, kFirstNameField, kLastNameField, kPhoneField, kCellField, kFaxField}},
		{"a field toggled twice", {{kViewNameEmailCommand, -1}, {kViewFieldCommand, kEmail2Field},
			{kViewFieldCommand, kEmail2Field}}, true,
			{kFirstNameField, kLastNameField, kEmail1Field, kEmail2Field}},
		{"all after a preset", {{kViewNameEmailCommand, -1}, {kViewAllCommand, -1}}, true,
			AllFields()},
		{"no such field", {{kViewNameEmailCommand, -1}, {kViewFieldCommand, kBookFieldCount}},
			false, {kFirstNameField, kLastNameField, kEmail1Field, kEmail2Field}},
		{"no such command", {{kViewNameEmailCommand, -1}, {kSortCommand, 0}}, false,
			{kFirstNameField, kLastNameField, kEmail1Field, kEmail2Field}},
	};
	for (const Commands& each : cases) {
		BookColumns columns;
		bool changed = true;
		for (const auto& [command, field] : each.commands)
			changed = columns.Apply(command, field);
		EXPECT_EQ(changed, each.lastChanged) << each.what;
		EXPECT_EQ(Shown(columns), each.shown) << each.what;
		for (int32 field = 0; field < kBookFieldCount; field++) {
			const bool listed = std::find(each.shown.begin(), each.shown.end(), field)
				!= each.shown.end();
			EXPECT_EQ(columns.IsShown(field), listed) << each.what << ", field " << field;
		}
	}
}

TEST(BookColumnsTest, EveryFieldHiddenLeavesNoColumnAndColumnsStandEightyApart)
{
	BookColumns columns;
	for (int32 field = 0; field < kBookFieldCount; field++)
		columns.Apply(kViewFieldCommand, field);
	EXPECT_EQ(columns.Count(), 0);
	EXPECT_EQ(columns.FieldAt(0), -1);
	EXPECT_EQ(BookColumns::Left(0), 0);
	EXPECT_EQ(BookColumns::Left(4), 320);
}
