// The vCard rules that other programs see: how each field's value is written
// in 3.0 and 4.0 and read back, values other writers escape their own way,
// the display name, and book -> card -> book as the identity for generated
// records with hostile text and for every contact of the sample exports.
#include "HostileRecords.h"

#include <ContactImport.h>
#include <ContactText.h>
#include <ConversionReport.h>
#include <DisplayName.h>
#include <FieldPlacement.h>
#include <VCardReader.h>
#include <VCardWriter.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using fields_map = std::map<int32, std::string>;

record_texts Texts(const fields_map& given)
{
	record_texts texts;
	for (const auto& [field, text] : given)
		texts[field] = text;
	return texts;
}

std::string Card(const record_texts& texts, vcard_version version)
{
	std::string_view views[kBookFieldCount];
	for (int32 field = 0; field < kBookFieldCount; field++)
		views[field] = texts[field];
	std::string card;
	VCardWriter::AppendCard(views, version, vcard_extras{}, &card);
	return card;
}

record_texts ReadBack(const std::string& card, ConversionReport* report)
{
	VCardReader::card read;
	EXPECT_TRUE(VCardReader(report).ReadCard(card, &read)) << card;
	return read.fields;
}

std::string Joined(const record_texts& texts)
{
	std::string out;
	for (int32 field = 0; field < kBookFieldCount; field++)
		out += std::string(kBookFieldNames[field]) + "=" + texts[field] + "|";
	return out;
}

}  // namespace

TEST(VCardTest, EachFieldIsWrittenAsOtherReadersExpectAndReadBackEqual)
{
	const struct {
		fields_map fields;
		const char* line3;  // in the 3.0 card
		const char* line4;  // in the 4.0 card
	} cases[] = {
		// A URI is escaped like text: bare commas cut it for the common readers.
		{{{kWebAddressField, "http://h.test/?a=1,2;b\\c"}},
			"URL:http://h.test/?a=1\\,2\\;b\\\\c\r\n", "URL:http://h.test/?a=1\\,2\\;b\\\\c\r\n"},
		// A phone's text that looks like a URI is text, never "tel:tel:".
		{{{kFaxField, "tel:+1-555-0100"}},
			"TEL;TYPE=FAX:tel:+1-555-0100\r\n", "TEL;VALUE=text;TYPE=fax:tel:+1-555-0100\r\n"},
		{{{kCellField, "+1 555, ext 2"}},
			"TEL;TYPE=CELL:+1 555\\, ext 2\r\n", "TEL;TYPE=cell:+1 555\\, ext 2\r\n"},
		{{{kEmail2Field, "mailto:x@example.org"}},
			"EMAIL:mailto:x@example.org\r\n", "EMAIL:mailto:x@example.org\r\n"},
		{{{kBirthdayField, "1990-05-01"}}, "BDAY:1990-05-01\r\n", "BDAY:19900501\r\n"},
		{{{kBirthdayField, "--02-29"}}, "BDAY:--02-29\r\n", "BDAY:--0229\r\n"},
		{{{kBirthdayField, "5.6.1990"}}, "BDAY;VALUE=text:5.6.1990\r\n",
			"BDAY;VALUE=text:5.6.1990\r\n"},
		// No card without a name: the stand-in is never split into names.
		{{{kComments2Field, "only a comment"}}, "FN:only a comment\r\nN:;;;;\r\n",
			"FN:only a comment\r\nN:;;;;\r\n"},
		{{{kEmail2Field, "b@example.org"}, {kPhoneField, "1"}}, "FN:b@example.org\r\n",
			"FN:b@example.org\r\n"},
		{{{kFirstNameField, "Ann"}, {kCompanyField, "A;B, C"}}, "FN:Ann\r\nN:;Ann;;;\r\nORG:A\\;B\\, C\r\n",
			"FN:Ann\r\nN:;Ann;;;\r\nORG:A\\;B\\, C\r\n"},
	};
	for (const auto& test : cases) {
		const record_texts texts = Texts(test.fields);
		for (const vcard_version version : {vcard_version::k30, vcard_version::k40}) {
			const std::string card = Card(texts, version);
			SCOPED_TRACE(card);
			EXPECT_NE(card.find(version == vcard_version::k30 ? test.line3 : test.line4),
				std::string::npos);
			ConversionReport report;
			EXPECT_EQ(Joined(FieldPlacement::Follow(ReadBack(card, &report), texts)), Joined(texts));
			EXPECT_TRUE(report.IsEmpty()) << report.Describe("card");
		}
	}
}

TEST(VCardTest, ValuesOtherWritersEscapeTheirWayAreReadAsMeant)
{
	const struct {
		const char* line;
		const char* version;
		int32 field;
		const char* text;
	} cases[] = {
		{"URL:http\\://www.example.com", "3.0", kWebAddressField, "http://www.example.com"},
		{"URL:http://h.test/?a=1\\,2\\;b", "3.0", kWebAddressField, "http://h.test/?a=1,2;b"},
		{"URL;VALUE=uri:http://h.test/a\\b?x=1,2", "4.0", kWebAddressField, "http://h.test/a\\b?x=1,2"},
		{"TEL;VALUE=uri;TYPE=cell:tel:+1-418-262-6501", "4.0", kCellField, "+1-418-262-6501"},
		{"TEL:tel:+1-555", "4.0", kPhoneField, "+1-555"},
		{"TEL;VALUE=text:tel:+1-555", "4.0", kPhoneField, "tel:+1-555"},
		{"TEL;TYPE=FAX:tel:+1-555", "3.0", kFaxField, "tel:+1-555"},
		{"EMAIL;VALUE=uri:mailto:a@example.org", "4.0", kEmail1Field, "a@example.org"},
		{"BDAY;X-APPLE-OMIT-YEAR=1604:1604-02-03", "3.0", kBirthdayField, "--02-03"},
	};
	for (const auto& test : cases) {
		SCOPED_TRACE(test.line);
		const std::string card = std::string("BEGIN:VCARD\r\nVERSION:") + test.version
			+ "\r\nN:Lee;Ann;;;\r\n" + test.line + "\r\nEND:VCARD\r\n";
		ConversionReport report;
		EXPECT_EQ(ReadBack(card, &report)[test.field], test.text);
	}
}

TEST(VCardTest, TheDisplayNameStandsInInAFixedOrder)
{
	const struct {
		fields_map fields;
		const char* name;
	} cases[] = {
		{{{kFirstNameField, "Ann"}, {kLastNameField, "Lee"}, {kCompanyField, "Acme"}}, "Ann Lee"},
		{{{kMiddleNameField, "B."}, {kCompanyField, "Acme"}}, "B."},
		{{{kCompanyField, "Acme"}, {kNicknameField, "ace"}}, "Acme"},
		{{{kNicknameField, "ace"}, {kEmail1Field, "a@x"}}, "ace"},
		{{{kEmail2Field, "b@x"}, {kCellField, "2"}}, "b@x"},
		{{{kFaxField, "3"}, {kWebAddressField, "w"}}, "3"},
		{{{kBirthdayField, "1990-01-02"}, {kTitleField, "Dr"}}, "Dr"},
		{{}, ""},
	};
	for (const auto& test : cases) {
		EXPECT_EQ(DisplayName(Texts(test.fields).data(), kBookFieldCount), test.name);
	}
}

TEST(VCardTest, WhatIsReadFillsTheFieldsTheRecordUses)
{
	const struct {
		fields_map read;
		fields_map record;
		fields_map placed;
	} cases[] = {
		{{{kEmail1Field, "a@x"}}, {{kEmail2Field, "a@x"}}, {{kEmail2Field, "a@x"}}},
		// Changed elsewhere: the new address still goes where the record keeps one.
		{{{kEmail1Field, "new@x"}}, {{kEmail2Field, "a@x"}}, {{kEmail2Field, "new@x"}}},
		{{{kEmail1Field, "n@x"}, {kEmail2Field, "m@x"}}, {{kEmail2Field, "a@x"}},
			{{kEmail2Field, "n@x"}, {kEmail1Field, "m@x"}}},
		{{{kAddress1Field, "1 Main St"}, {kCommentsField, "hi"}},
			{{kAddress2Field, "1 Main St"}, {kComments2Field, "hi"}},
			{{kAddress2Field, "1 Main St"}, {kComments2Field, "hi"}}},
		// Spaces the reading drops are the record's.
		{{{kCityField, "Paris"}}, {{kCityField, " Paris "}}, {{kCityField, " Paris "}}},
		{{{kCityField, "Lyon"}}, {{kCityField, " Paris "}}, {{kCityField, "Lyon"}}},
		{{{kPhoneField, "1"}}, {{kCellField, "1"}}, {{kPhoneField, "1"}}},
	};
	for (const auto& test : cases) {
		EXPECT_EQ(Joined(FieldPlacement::Follow(Texts(test.read), Texts(test.record))),
			Joined(Texts(test.placed)));
	}
}

namespace {

void ExpectIdentity(const record_texts& texts, const std::string& where)
{
	for (const vcard_version version : {vcard_version::k30, vcard_version::k40}) {
		const std::string card = Card(texts, version);
		ConversionReport report;
		VCardReader::card read;
		const bool any = std::any_of(texts.begin(), texts.end(),
			[](const std::string& text) { return !FlattenFieldText(text).empty(); });
		ASSERT_EQ(VCardReader(&report).ReadCard(card, &read), any) << where << card;
		if (!any)
			continue;
		EXPECT_EQ(Joined(FieldPlacement::Follow(read.fields, texts)), Joined(texts))
			<< where << "\n" << card;
		EXPECT_TRUE(report.IsEmpty()) << where << report.Describe("card") << card;
	}
}

}  // namespace

TEST(VCardTest, BookToCardToBookIsTheIdentityForGeneratedRecords)
{
	std::mt19937 random(20240501);
	for (int i = 0; i < 2000; i++)
		ExpectIdentity(RandomRecord(random), "record " + std::to_string(i));
}

// Every contact of the shared corpus of real vCard and CSV exports.
TEST(VCardTest, BookToCardToBookIsTheIdentityForTheSampleExports)
{
	const std::filesystem::path corpus = CVAB_CONTACTS_CORPUS;
	if (!std::filesystem::is_directory(corpus))
		GTEST_SKIP() << "no contacts corpus at " << corpus;
	int32 contacts = 0;
	for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
		std::ifstream in(entry.path(), std::ios::binary);
		std::stringstream bytes;
		bytes << in.rdbuf();
		const contact_file_kind kind = ContactImport::Detect(entry.path().string(), bytes.str());
		if (kind == contact_file_kind::kNone)
			continue;
		CVABook book(nullptr);
		ConversionReport report;
		ContactImport::Read(kind, bytes.str(), &book, &report);
		for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next(), contacts++) {
			record_texts texts;
			for (int32 field = 0; field < kBookFieldCount; field++)
				texts[field] = r->Field(field);
			ExpectIdentity(texts, entry.path().filename().string());
		}
	}
	EXPECT_GT(contacts, 150);
}
