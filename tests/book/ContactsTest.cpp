// vCard and CSV in and out: the sample exports keep every field through a
// round trip, what does not fit is reported with its card and line, and
// malformed input names its line while the whole cards are still read.
#include "BookTestSupport.h"

#include <ConversionReport.h>
#include <CsvReader.h>
#include <ContactText.h>
#include <CsvWriter.h>
#include <VCardReader.h>
#include <VCardWriter.h>

#include <fstream>
#include <sstream>

namespace {

std::string Sample(const char* name)
{
	std::ifstream in(std::string(CVAB_TEST_DATA) + "/" + name, std::ios::binary);
	std::stringstream bytes;
	bytes << in.rdbuf();
	EXPECT_FALSE(bytes.str().empty()) << name;
	return bytes.str();
}

using Fields = std::vector<std::vector<std::string>>;

Fields AllFields(const CVABook& book)
{
	Fields all;
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next()) {
		all.emplace_back();
		for (int32 field = 0; field < kBookFieldCount; field++)
			all.back().push_back(r->Field(field));
	}
	return all;
}

std::string WriteVCards(const CVABook& book)
{
	std::string out;
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next())
		VCardWriter::AppendCard(r, &out);
	return out;
}

std::string WriteCsv(const CVABook& book)
{
	std::string out;
	CsvWriter::AppendHeader(&out);
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next())
		CsvWriter::AppendRow(r, &out);
	return out;
}

std::string Notes(const ConversionReport& report)
{
	return report.Describe("in");
}

// Reads the sample, writes it out and reads that again: the same records,
// and nothing reported the second time.
Fields RoundTrip(const std::string& bytes, bool csv, ConversionReport* first)
{
	CVABook book(nullptr), again(nullptr);
	ContactFieldMap map;
	ConversionReport second;
	if (csv) {
		CsvReader(map, first).Read(bytes, &book);
		CsvReader(map, &second).Read(WriteCsv(book), &again);
	} else {
		VCardReader(first).Read(bytes, &book);
		VCardReader(&second).Read(WriteVCards(book), &again);
	}
	EXPECT_EQ(first->CountMalformed(), 0) << Notes(*first);
	EXPECT_TRUE(second.IsEmpty()) << Notes(second);
	EXPECT_EQ(AllFields(again), AllFields(book));
	return AllFields(book);
}

}  // namespace

TEST(ContactsTest, VCardThreeSampleKeepsEveryFieldThroughARoundTrip)
{
	ConversionReport report;
	const Fields records = RoundTrip(Sample("contacts-3.vcf"), false, &report);
	ASSERT_EQ(records.size(), 3u);
	const std::vector<std::string>& ann = records[0];
	EXPECT_EQ(ann[kNicknameField], "annie");
	EXPECT_EQ(ann[kFirstNameField] + "|" + ann[kMiddleNameField] + "|" + ann[kLastNameField],
		"Ann|Marie|Lee");
	EXPECT_EQ(ann[kAddress1Field], "Pier 7");
	EXPECT_EQ(ann[kAddress2Field], "Building C");
	EXPECT_EQ(ann[kPhoneField] + "|" + ann[kCellField] + "|" + ann[kFaxField],
		"+1 503 555 0100|+1 503 555 0101|+1 503 555 0102");
	EXPECT_EQ(ann[kEmail1Field] + "|" + ann[kEmail2Field],
		"ann.lee@harbour.example|annie@home.example");
	EXPECT_EQ(ann[kBirthdayField], "1979-06-30");
	// The folded note runs on into the second comment field, whole.
	EXPECT_EQ(ann[kCommentsField] + ann[kComments2Field],
		"Call before noon. Met at the 2019 logistics fair; ask about the Seattle route.");

	EXPECT_EQ(records[1][kFirstNameField], "Émile");
	EXPECT_EQ(records[1][kLastNameField], "Müller-Łukasz");
	EXPECT_EQ(records[1][kEmail1Field], "emile@bureau.example");
	EXPECT_EQ(records[1][kBirthdayField], "--04-12");  // the stand-in year is no year
	EXPECT_EQ(records[2][kFirstNameField] + " " + records[2][kLastNameField], "José González");
	EXPECT_EQ(records[2][kCellField], "+34 600 555 010");
	EXPECT_EQ(records[2][kCommentsField], "Vive en Málaga, cerca del puerto.");

	// The prefix, the department and the long note's tail are reported, by card.
	const std::string notes = Notes(report);
	EXPECT_NE(notes.find("in:4: card 1 \"Ann Marie Lee\": N (prefix): \"Dr.\" dropped"),
		std::string::npos) << notes;
	EXPECT_NE(notes.find("in:7: card 1 \"Ann Marie Lee\": ORG (unit): \"Dispatch\""),
		std::string::npos) << notes;
	EXPECT_EQ(notes.find("FN"), std::string::npos) << "the prefix is reported once";
	EXPECT_EQ(report.CountLosses(), 2) << notes;
}

TEST(ContactsTest, VCardFourSampleKeepsEveryFieldThroughARoundTrip)
{
	ConversionReport report;
	const Fields records = RoundTrip(Sample("contacts-4.vcf"), false, &report);
	ASSERT_EQ(records.size(), 2u);
	EXPECT_EQ(records[0][kPhoneField], "+81-3-5555-0123");
	EXPECT_EQ(records[0][kCellField], "+81-90-5555-0456");
	EXPECT_EQ(records[0][kAddress1Field], "2-1 Ginza");
	EXPECT_EQ(records[0][kAddress2Field], "Apt 4");
	EXPECT_EQ(records[0][kBirthdayField], "--04-12");
	EXPECT_EQ(records[1][kBirthdayField], "1965-11-21");
	EXPECT_EQ(records[1][kFirstNameField], "Björk");
	// The Japanese note is cut between characters, never inside one.
	const std::string& comment = records[0][kCommentsField];
	EXPECT_EQ(comment.rfind("佐藤さんは月曜日に電話", 0), 0u) << comment;
	EXPECT_TRUE(IsValidUTF8(comment) && IsValidUTF8(records[0][kComments2Field]));
	EXPECT_EQ(report.CountLosses(), 1) << Notes(report);  // what the comments cannot hold
}

TEST(ContactsTest, CsvSamplesKeepEveryFieldThroughARoundTrip)
{
	ConversionReport web;
	const Fields fromWeb = RoundTrip(Sample("contacts-web.csv"), true, &web);
	ASSERT_EQ(fromWeb.size(), 2u);
	EXPECT_EQ(fromWeb[0][kPhoneField] + "|" + fromWeb[0][kCellField] + "|" + fromWeb[0][kFaxField],
		"+1 503 555 0100|+1 503 555 0101|+1 503 555 0102");
	EXPECT_EQ(fromWeb[0][kAddress2Field], "Building C");
	EXPECT_EQ(fromWeb[0][kCommentsField], "Prefers calls before noon.");
	EXPECT_EQ(fromWeb[0][kComments2Field], "Ask about the Seattle route.");
	EXPECT_EQ(fromWeb[1][kMiddleNameField], "Zoë");
	EXPECT_EQ(fromWeb[1][kBirthdayField], "--04-12");
	EXPECT_TRUE(web.IsEmpty()) << Notes(web);

	ConversionReport desktop;
	const Fields fromDesktop = RoundTrip(Sample("contacts-desktop.csv"), true, &desktop);
	ASSERT_EQ(fromDesktop.size(), 2u);
	EXPECT_EQ(fromDesktop[0][kCompanyField], "Sato & Sons, Ltd.");
	EXPECT_EQ(fromDesktop[0][kTitleField], "Director");  // "Job Title", not the prefix column
	EXPECT_EQ(fromDesktop[0][kCommentsField], "Says \"call me Ken\". 佐藤さん");
	EXPECT_EQ(fromDesktop[0][kEmail2Field], "k.sato@office.example");
	EXPECT_EQ(fromDesktop[1][kFaxField], "+354 555 1299");
	EXPECT_TRUE(desktop.IsEmpty()) << Notes(desktop);
}

TEST(ContactsTest, ValuesThatDoNotFitAreReportedWithCardAndProperty)
{
	const std::string card =
		"BEGIN:VCARD\nVERSION:3.0\nFN:Ola Nordmann\nN:Nordmann;Ola;;;\n"
		"TEL;TYPE=home:111\nTEL;TYPE=work:222\n"
		"EMAIL:a@x.example\nEMAIL:b@x.example\nEMAIL:c@x.example\n"
		"TITLE:Ansvarlig for kundeservice Mid-Norge Trøndelag\n"
		"X-SPOUSE:Kari\nEND:VCARD\n";
	ConversionReport report;
	CVABook book(nullptr);
	ASSERT_EQ(VCardReader(&report).Read(card, &book), 1);
	const std::string notes = Notes(report);
	EXPECT_NE(notes.find("in:6: card 1 \"Ola Nordmann\": TEL;TYPE=work: \"222\" dropped: "
		"Phone Number already taken"), std::string::npos) << notes;
	EXPECT_NE(notes.find("in:9: card 1 \"Ola Nordmann\": EMAIL: \"c@x.example\""),
		std::string::npos) << notes;
	EXPECT_NE(notes.find("in:10: card 1 \"Ola Nordmann\": TITLE: Title cut to 39 bytes, "
		"dropped \"øndelag\""), std::string::npos) << notes;  // not inside the ø
	EXPECT_NE(notes.find("in:11: card 1 \"Ola Nordmann\": X-SPOUSE: \"Kari\" dropped: no field"),
		std::string::npos) << notes;
	EXPECT_EQ(report.CountLosses(), 4);
	EXPECT_EQ(book.FirstRecord()->Field(kTitleField), std::string("Ansvarlig for kundeservice Mid-Norge Tr"));
}

TEST(ContactsTest, MalformedVCardsNameTheirLineAndWholeCardsAreKept)
{
	const std::string input =
		"BEGIN:VCARD\nVERSION:3.0\nFN:Good One\nEND:VCARD\n"           // lines 1-4
		"BEGIN:VCARD\nVERSION:3.0\nFN:Broken Fold\nNOTE:first half\n"  // lines 5-8
		"second half without its space\nEND:VCARD\n"                  // lines 9-10
		"BEGIN:VCARD\nFN:Bad \xC3\x28 Bytes\nEND:VCARD\n"              // lines 11-13
		"BEGIN:VCARD\nFN:Good Two\nEND:VCARD\n"                        // lines 14-16
		"BEGIN:VCARD\nFN:Never Ended\n";                               // lines 17-18
	ConversionReport report;
	CVABook book(nullptr);
	EXPECT_EQ(VCardReader(&report).Read(input, &book), 2);
	EXPECT_EQ(ListedField(book, kFirstNameField), (std::vector<std::string>{"Good", "Good"}));
	const std::string notes = Notes(report);
	EXPECT_NE(notes.find("in:9: card 2 \"Broken Fold\": the line has no ':'"), std::string::npos)
		<< notes;
	EXPECT_NE(notes.find("in:12: card 3: FN: the value is not valid UTF-8"), std::string::npos)
		<< notes;
	EXPECT_NE(notes.find("in:17: card 5 \"Never Ended\": the card has no END:VCARD"),
		std::string::npos) << notes;
	EXPECT_EQ(report.CountMalformed(), 3);
}

TEST(ContactsTest, CsvRowWithAnUnbalancedQuoteIsReportedAndTheRestRead)
{
	const std::string input =
		"First Name,Last Name,Notes\r\n"
		"Ann,Lee,\"two\r\nlines\"\r\n"     // lines 2-3
		"Bob,\"Bad,quote\r\n"              // line 4: never closed
		"Cy,Doe,\"said \"\"hi\"\"\"\r\n"   // line 5
		"Di;x,\"Ray\"s,\r\n";              // line 6: a stray quote after a quoted value
	ConversionReport report;
	CVABook book(nullptr);
	ContactFieldMap map;
	EXPECT_EQ(CsvReader(map, &report).Read(input, &book), 2);
	EXPECT_EQ(ListedField(book, kFirstNameField), (std::vector<std::string>{"Ann", "Cy"}));
	EXPECT_EQ(book.LastRecord()->Field(kCommentsField), std::string("said \"hi\""));
	const std::string notes = Notes(report);
	EXPECT_NE(notes.find("in:4: row 2: unbalanced quotes: the quoted value that starts on this line"),
		std::string::npos) << notes;
	EXPECT_NE(notes.find("in:6: row 4: a quote inside a quoted value must be doubled"),
		std::string::npos) << notes;
}

TEST(ContactsTest, CsvMappingsChooseFieldsAndUnknownColumnsAreReported)
{
	const std::string input = "Vorname,Handy,Labels\nJörg,+49 170 555,friends\n";
	ContactFieldMap map;
	std::string error;
	ASSERT_TRUE(map.AddMapping("vorname=First Name", &error));
	ASSERT_TRUE(map.AddMapping("Handy = 13", &error));
	EXPECT_FALSE(map.AddMapping("Handy=Pager", &error));
	EXPECT_NE(error.find("Cell Number"), std::string::npos);
	ConversionReport report;
	CVABook book(nullptr);
	ASSERT_EQ(CsvReader(map, &report).Read(input, &book), 1);
	EXPECT_EQ(book.FirstRecord()->Field(kFirstNameField), std::string("Jörg"));
	EXPECT_EQ(book.FirstRecord()->Field(kCellField), std::string("+49 170 555"));
	EXPECT_EQ(Notes(report), "in:2: row 1 \"Jörg\": Labels: \"friends\" dropped: no field holds it\n");

	ASSERT_TRUE(map.AddMapping("Labels=", &error));  // left out on purpose: no report
	ConversionReport quiet;
	CVABook again(nullptr);
	CsvReader(map, &quiet).Read(input, &again);
	EXPECT_TRUE(quiet.IsEmpty()) << Notes(quiet);
}

TEST(ContactsTest, WritersEscapeAndFoldWithoutSplittingCharacters)
{
	CVABook book(nullptr);
	ABookRecord* record = book.AppendRecord();
	book.RaiseCount();
	record->SetField(kCompanyField, "Smith; Jones, and \"Co\"");
	record->SetField(kCommentsField, "ééééééééééééééééééé");  // 38 bytes of two-byte letters
	record->SetField(kComments2Field, "ééééééééééééééééééé");
	record->SetField(kBirthdayField, "next spring");
	record->SetField(kCellField, "tel:555");  // texts that look like a URI scheme
	record->SetField(kEmail1Field, "mailto:x");
	std::string card;
	VCardWriter::AppendCard(record, &card);
	EXPECT_NE(card.find("ORG:Smith\\; Jones\\, and \"Co\"\r\n"), std::string::npos) << card;
	CVABook again(nullptr);
	ConversionReport report;
	VCardReader(&report).Read(card, &again);
	EXPECT_EQ(AllFields(again), AllFields(book));
	EXPECT_NE(card.find("BDAY;VALUE=text:next spring\r\n"), std::string::npos);
	size_t start = 0;
	for (size_t end; (end = card.find("\r\n", start)) != std::string::npos; start = end + 2) {
		const std::string line = card.substr(start, end - start);
		EXPECT_LE(line.size(), 75u) << line;
		EXPECT_TRUE(IsValidUTF8(line)) << line;
	}
	std::string csv;
	CsvWriter::AppendRow(record, &csv);
	EXPECT_EQ(csv.rfind(",,,,,\"Smith; Jones, and \"\"Co\"\"\",", 0), 0u) << csv;
}
