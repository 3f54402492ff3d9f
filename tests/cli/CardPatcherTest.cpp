// The card patcher, case by case: each case changes some fields of a card
// and names lines the result must hold and must not; every case also checks
// that the result reads back as the new fields and that each line it did not
// touch is still there, byte for byte and in order.
#include <CardPatcher.h>

#include <gtest/gtest.h>

#include <map>

namespace {

struct patch_case {
	const char* name;
	std::string card;
	std::map<int32, std::string> changes;
	std::vector<std::string> present;  // substrings of the result
	std::vector<std::string> absent;
	std::map<int32, std::string> readBack = {};  // where reading back differs from the change
};

std::string Crlf(const std::vector<std::string>& lines)
{
	std::string text;
	for (const std::string& line : lines)
		text += line + "\r\n";
	return text;
}

const std::string kPhoto = "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAgGBgcGBQgHBwcJ\r\n"
						   " CQgKDBQNDAsLDBkSEw8UHR8eHR0aHBwgJC4nICIsIxwcKDcpLDAxNDQ0Hyc5PTgyPC4zNDL/\r\n";

const std::vector<patch_case> kCases = {
	{"a phone's 3.0 card keeps what the book cannot hold",
		"BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Phone//EN\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\n"
			+ kPhoto
			+ Crlf({"TEL;TYPE=HOME,VOICE:+1 555 0100", "TEL;TYPE=CELL:+1 555 0101",
				"TEL;TYPE=WORK:+1 555 0102", "item1.EMAIL;TYPE=INTERNET:ann@example.org",
				"item1.X-ABLabel:_$!<Other>!$_", "CATEGORIES:friends,climbing",
				"X-SOCIAL;TYPE=x:ann", "END:VCARD"}),
		{{kLastNameField, "Smith"}, {kCellField, "+1 555 0199"}},
		{"VERSION:3.0\r\n", "N:Smith;Ann;;;\r\n", "FN:Ann Smith\r\n",
			"TEL;TYPE=CELL:+1 555 0199\r\n", kPhoto},
		{"Lee", "0101"}},
	{"vCard 2.1: quoted-printable and a legacy set are decoded where rewritten",
		Crlf({"BEGIN:VCARD", "VERSION:2.1",
			"N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FCrgen",
			"ADR;HOME;ENCODING=QUOTED-PRINTABLE:;;Hauptstr. 1;K=F6ln;;50667;Germany",
			"TEL;CELL:0170 1234", "END:VCARD"}),
		{{kCityField, "Bonn"}, {kPhoneField, "0228 99"}, {kFirstNameField, "Jörg"}},
		{"ADR;HOME:;;Hauptstr. 1;Bonn;;50667;Germany\r\n", "N;CHARSET=UTF-8:Müller;Jörg\r\n",
			"TEL;VOICE:0228 99\r\n", "TEL;CELL:0170 1234\r\n", "VERSION:2.1\r\n"},
		{"QUOTED-PRINTABLE"}},
	{"structured values: only the changed components, prefix and units kept",
		Crlf({"BEGIN:VCARD", "VERSION:4.0", "N:Lee;Ann;B.;Dr.;Jr.", "FN:Dr. Ann B. Lee Jr.",
			"ORG:Acme;Sales;EMEA", "ADR;TYPE=work:PO Box 7;;1 Main St\\nFloor 2;Springfield;IL;62701;USA",
			"END:VCARD"}),
		{{kFirstNameField, "Anna"}, {kZipField, "62702"}, {kCompanyField, ""}},
		{"N:Lee;Anna;B.;Dr.;Jr.\r\n", "FN:Dr. Anna B. Lee Jr.\r\n", "ORG:;Sales;EMEA\r\n",
			"ADR;TYPE=work:PO Box 7;;1 Main St\\nFloor 2;Springfield;IL;62702;USA\r\n"},
		{}},
	{"address lines: a second line added; text not in UTF-8 written as UTF-8",
		Crlf({"BEGIN:VCARD", "VERSION:3.0", "N:Lee;Ann;;;", "ADR:;;1 Main St;Town;;;",
			"END:VCARD"}),
		{{kAddress2Field, "Flat 3"}, {kCountryField, "France"}, {kCityField, "K\xF6ln"}},
		{"ADR:;;1 Main St\\nFlat 3;K\xC3\xB6ln;;;France\r\n"}, {},
		{{kCityField, "K\xC3\xB6ln"}}},  // a book's Latin-1 text goes out as UTF-8
	{"fields emptied and added; folded lines stay folded",
		Crlf({"BEGIN:VCARD", "VERSION:4.0", "FN:Bo", "N:;Bo;;;", "EMAIL:a@example.org",
			"EMAIL:b@example.org",
			"NOTE:a note long enough to be folded by its writer at seventy-five byt",
			" es, and some more", "TITLE:Boss", "END:VCARD"}),
		{{kEmail1Field, ""}, {kTitleField, ""}, {kBirthdayField, "1990-05-01"},
			{kWebAddressField, "https://bo.example"}, {kNicknameField, "bobo"}},
		{"NOTE:a note long enough to be folded by its writer at seventy-five byt\r\n es, and "
		 "some more\r\n",
			"NICKNAME:bobo\r\nURL:https://bo.example\r\nBDAY:19900501\r\nEND:VCARD"},
		{"a@example.org", "TITLE"},
		{{kEmail1Field, "b@example.org"}, {kEmail2Field, ""}}},
	{"names only in FN get an N; a nickname list keeps its other items",
		"\xEF\xBB\xBF" "BEGIN:VCARD\nVERSION:3.0\nFN:Robert Lee\nNICKNAME:Bob,Rob\n"
		"BDAY;X-APPLE-OMIT-YEAR=1604:1604-02-03\nEND:VCARD\n",
		{{kLastNameField, "Kim"}, {kNicknameField, "Bert"}, {kBirthdayField, "1970-02-03"}},
		{"\xEF\xBB\xBF" "BEGIN:VCARD\n", "FN:Robert Kim\n", "NICKNAME:Bert,Rob\n",
			"BDAY:1970-02-03\n", "N:Kim;Robert;;;\nEND:VCARD\n"},
		{"\r"}},
	{"a head that only mentions quoted-printable loses the mention, or a value ending in '=' "
	 "would take in the next line",
		Crlf({"BEGIN:VCARD", "VERSION:2.1", "N;X-ENC=QUOTED-PRINTABLE-ISH:Lee;Ann",
			"quoted-printable.ORG:Acme", "TEL;CELL:1", "END:VCARD"}),
		{{kFirstNameField, "Ann="}, {kCompanyField, "Acme="}},
		{"N:Lee;Ann=\r\n", "\r\nORG:Acme=\r\n", "TEL;CELL:1\r\n"}, {"QUOTED", "quoted"}},
	{"a telephone URI stays one, a text that looks like one is marked text, a web address "
	 "is escaped",
		Crlf({"BEGIN:VCARD", "VERSION:4.0", "N:Lee;Ann;;;",
			"TEL;VALUE=uri;TYPE=cell:tel:+1-555-0101", "URL:http://old.example", "END:VCARD"}),
		{{kCellField, "+1-555-0199"}, {kFaxField, "tel:+1-555-0100"},
			{kWebAddressField, "http://h.test/?a=1,2;b"}},
		{"TEL;VALUE=uri;TYPE=cell:tel:+1-555-0199\r\n", "TEL;VALUE=text;TYPE=fax:tel:+1-555-0100\r\n",
			"URL:http://h.test/?a=1\\,2\\;b\r\n"},
		{"tel:tel:"}},
	{"a long note keeps what the comment fields could not hold",
		Crlf({"BEGIN:VCARD", "VERSION:4.0", "N:Lee;Ann;;;",
			"NOTE:Met at the climbing gym\\nShe prefers mornings and has two dogs called Rex and "
			"Tinkerbell who like long walks",
			"END:VCARD"}),
		{{kCommentsField, "Met at the wall"}},
		{"NOTE:Met at the wall\\nShe prefers mornings and has two dogs called Rex and \r\n"
		 " Tinkerbell who like long walks\r\n"},
		{"gym"}},
};

std::string Fields(const card_fields& fields)
{
	std::string text;
	for (int32 field = 0; field < kBookFieldCount; field++)
		text += std::string(kBookFieldNames[field]) + "=" + fields[field] + "; ";
	return text;
}

}  // namespace

TEST(CardPatcherTest, RewritesOnlyWhatChanged)
{
	for (const patch_case& test : kCases) {
		SCOPED_TRACE(test.name);
		ConversionReport report;
		VCardReader::card card;
		ASSERT_TRUE(VCardReader(&report).ReadCard(test.card, &card));
		card_fields fields = card.fields;
		for (const auto& [field, value] : test.changes)
			fields[field] = value;
		card_patch patch;
		ASSERT_TRUE(CardPatcher(test.card, card).Patch(fields, &patch)) << patch.error;
		const std::string& out = patch.bytes;
		for (const std::string& text : test.present)
			EXPECT_NE(out.find(text), std::string::npos) << text << " is not in\n" << out;
		for (const std::string& text : test.absent)
			EXPECT_EQ(out.find(text), std::string::npos) << text << " is still in\n" << out;

		VCardReader::card again;
		ASSERT_TRUE(VCardReader(&report).ReadCard(out, &again));
		card_fields expected = fields;
		for (const auto& [field, value] : test.readBack)
			expected[field] = value;
		EXPECT_EQ(Fields(again.fields), Fields(expected));
		EXPECT_EQ(again.version, card.version);

		// Each untouched line, as it was written, in its order.
		const std::string text = test.card.substr(test.card.starts_with("\xEF\xBB\xBF") ? 3 : 0);
		const std::vector<lexed_line> lexed = VCardLexer(text).Rest();
		size_t at = 0;
		for (size_t index = 0; index < card.lines.size(); index++) {
			if (std::find(patch.touched.begin(), patch.touched.end(), index) != patch.touched.end())
				continue;
			const lexed_line& line = lexed[card.lines[index].position];
			const std::string bytes = text.substr(line.begin, line.end - line.begin);
			at = out.find(bytes, at);
			ASSERT_NE(at, std::string::npos) << "line " << index << " lost: " << bytes;
			at += bytes.size();
		}
	}
}

TEST(CardPatcherTest, UnchangedFieldsGiveTheSameBytesAndBadSourcesFail)
{
	const std::string text = Crlf({"BEGIN:VCARD", "VERSION:3.0", "N:Lee;Ann;;;",
		"TEL:1", "END:VCARD"});
	ConversionReport report;
	VCardReader::card card;
	ASSERT_TRUE(VCardReader(&report).ReadCard(text, &card));
	card_patch patch;
	ASSERT_TRUE(CardPatcher(text, card).Patch(card.fields, &patch));
	EXPECT_EQ(patch.bytes, text);
	EXPECT_TRUE(patch.touched.empty());

	// A revision goes in only with a change, in place of the old REV.
	const std::string stamped = Crlf({"BEGIN:VCARD", "VERSION:3.0", "REV:2001-01-01T00:00:00Z",
		"N:Lee;Ann;;;", "TEL:1", "END:VCARD"});
	ASSERT_TRUE(VCardReader(&report).ReadCard(stamped, &card));
	CardPatcher stamping(stamped, card);
	stamping.SetRevision("20240501T101500Z");
	ASSERT_TRUE(stamping.Patch(card.fields, &patch));
	EXPECT_EQ(patch.bytes, stamped);
	card_fields changed = card.fields;
	changed[kPhoneField] = "2";
	ASSERT_TRUE(stamping.Patch(changed, &patch));
	EXPECT_EQ(patch.bytes, Crlf({"BEGIN:VCARD", "VERSION:3.0", "REV:20240501T101500Z",
		"N:Lee;Ann;;;", "TEL:2", "END:VCARD"}));

	// A reading that does not belong to these bytes is refused, not guessed at.
	ASSERT_TRUE(VCardReader(&report).ReadCard(text, &card));
	card.sources[kPhoneField].index = 1;
	card_fields fields = card.fields;
	fields[kPhoneField] = "2";
	EXPECT_FALSE(CardPatcher(text, card).Patch(fields, &patch));
	EXPECT_FALSE(patch.error.empty());
	EXPECT_TRUE(patch.bytes.empty());
}
