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

#include <cstring>
#include <fstream>
#include <sstream>

namespace {

using Texts = std::vector<std::string>;

std::string Sample(const char* name)
{
	std::ifstream in(std::string(CVAB_TEST_DATA) + "/" + name, std::ios::binary);
	std::stringstream bytes;
	bytes << in.rdbuf();
	EXPECT_FALSE(bytes.str().empty()) << name;
	return bytes.str();
}

// Each record's 21 fields joined by "|", Nickname to Birthday.
Texts AllFields(const CVABook& book)
{
	Texts all;
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next()) {
		all.emplace_back(r->Field(0));
		for (int32 field = 1; field < kBookFieldCount; field++)
			all.back() += std::string("|") + r->Field(field);
	}
	return all;
}

std::string Notes(const ConversionReport& report)
{
	return report.Describe("in");
}

// Reads the sample, writes it out and reads that again: the same records,
// and nothing reported the second time.
Texts RoundTrip(const std::string& bytes, bool csv, ConversionReport* first)
{
	CVABook book(nullptr), again(nullptr);
	ContactFieldMap map;
	ConversionReport second;
	std::string written;
	if (csv) {
		CsvReader(map, first).Read(bytes, &book);
		CsvWriter::AppendHeader(&written);
		for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next())
			CsvWriter::AppendRow(r, &written);
		CsvReader(map, &second).Read(written, &again);
	} else {
		VCardReader(first).Read(bytes, &book);
		for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next())
			VCardWriter::AppendCard(r, &written);
		VCardReader(&second).Read(written, &again);
	}
	EXPECT_EQ(first->CountMalformed(), 0) << Notes(*first);
	EXPECT_TRUE(second.IsEmpty()) << Notes(second);
	EXPECT_EQ(AllFields(again), AllFields(book));
	return AllFields(book);
}

}  // namespace

TEST(ContactsTest, SampleExportsKeepEveryFieldThroughARoundTrip)
{
	const struct {
		const char* name;
		Texts records;
		std::string notes;
	} samples[] = {
		{"contacts-3.vcf", {
			// The folded note runs on into the second comment field, whole.
			"annie|Ann|Marie|Lee|Fleet Manager|Harbour Freight Lines|Pier 7|Building C|Portland|"
			"OR|97209|USA|+1 503 555 0100|+1 503 555 0101|+1 503 555 0102|ann.lee@harbour.example|"
			"annie@home.example|https://harbour.example/ann|Call before noon. Met at the 2019 "
			"logist|ics fair; ask about the Seattle route.|1979-06-30",
			// The stand-in year is no year.
			"|Émile|Zoë|Müller-Łukasz|||12 rue de l'Église||Besançon||25000|France|"
			"+33 1 45 55 01 02|||emile@bureau.example|||||--04-12",
			"|José||González||||||||||+34 600 555 010|||||Vive en Málaga, cerca del puerto.||"},
			// The prefix and the department, once each (not again for FN).
			"in:4: card 1 \"Ann Marie Lee\": N (prefix): \"Dr.\" dropped: no field holds it\n"
			"in:7: card 1 \"Ann Marie Lee\": ORG (unit): \"Dispatch\" dropped: no field holds it\n"},
		{"contacts-4.vcf", {
			// The Japanese note is cut between characters, never inside one.
			"ken|Kenji||Sato|||2-1 Ginza|Apt 4|Chuo-ku|Tokyo|104-0061|Japan|+81-3-5555-0123|"
			"+81-90-5555-0456||kenji@sato.example|k.sato@office.example||佐藤さんは月曜日に電話して|"
			"ください。Long-time customer since|--04-12",
			"|Björk||Guðmundsdóttir|Owner|Sveitin ehf.|||||||+354 555 1234|||||"
			"https://sveitin.example|||1965-11-21"},
			"in:12: card 1 \"Kenji Sato\": NOTE: Comments 2 cut to 39 bytes, dropped \" the "
			"opening of the Osaka branch; prefers e-mail.\"\n"},
		{"contacts-web.csv", {
			"annie|Ann||Lee|Fleet Manager|Harbour Freight Lines|Pier 7|Building C|Portland|OR|"
			"97209|USA|+1 503 555 0100|+1 503 555 0101|+1 503 555 0102|ann.lee@harbour.example|"
			"annie@home.example|https://harbour.example/ann|Prefers calls before noon.|"
			"Ask about the Seattle route.|1979-06-30",
			"|Émile|Zoë|Müller-Łukasz|||12 rue de l'Église||Besançon||25000|France|"
			"+33 1 45 55 01 02|||emile@bureau.example|||||--04-12"}, ""},
		{"contacts-desktop.csv", {
			// "Job Title" is the title, not the prefix column "Title".
			"ken|Kenji||Sato|Director|Sato & Sons, Ltd.|2-1 Ginza|Apt 4|Chuo-ku|Tokyo|104-0061|"
			"Japan|+81-3-5555-0123|+81-90-5555-0456||kenji@sato.example|k.sato@office.example|"
			"https://sato.example|Says \"call me Ken\". 佐藤さん||--04-12",
			"|Björk||Guðmundsdóttir|Owner|Sveitin ehf.||||||Iceland|+354 555 1234||+354 555 1299|"
			"bjork@sveitin.example|||||1965-11-21"}, ""},
	};
	for (const auto& sample : samples) {
		ConversionReport report;
		const bool csv = std::strstr(sample.name, ".csv") != nullptr;
		EXPECT_EQ(RoundTrip(Sample(sample.name), csv, &report), sample.records) << sample.name;
		EXPECT_EQ(Notes(report), sample.notes) << sample.name;
	}
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
	// The title is cut before the "ø", not inside it.
	EXPECT_EQ(Notes(report),
		"in:6: card 1 \"Ola Nordmann\": TEL;TYPE=work: \"222\" dropped: Phone Number already taken\n"
		"in:9: card 1 \"Ola Nordmann\": EMAIL: \"c@x.example\" dropped: Email 1, Email 2 already "
		"taken\n"
		"in:10: card 1 \"Ola Nordmann\": TITLE: Title cut to 39 bytes, dropped \"øndelag\"\n"
		"in:11: card 1 \"Ola Nordmann\": X-SPOUSE: \"Kari\" dropped: no field holds it\n");
	EXPECT_EQ(report.CountLosses(), 4);
	EXPECT_STREQ(book.FirstRecord()->Field(kTitleField), "Ansvarlig for kundeservice Mid-Norge Tr");
}

TEST(ContactsTest, MalformedInputNamesItsLineAndTheWholeCardsAndRowsAreKept)
{
	const std::string cards =
		"BEGIN:VCARD\nVERSION:3.0\nFN:Good One\nEND:VCARD\n"           // lines 1-4
		"BEGIN:VCARD\nVERSION:3.0\nFN:Broken Fold\nNOTE:first half\n"  // lines 5-8
		"second half without its space\nEND:VCARD\n"                  // lines 9-10
		"BEGIN:VCARD\nFN:Bad \xC3\x28 Bytes\nEND:VCARD\n"              // lines 11-13
		"BEGIN:VCARD\nFN:Good Two\nEND:VCARD\n"                        // lines 14-16
		"BEGIN:VCARD\nFN:Never Ended\n";                               // lines 17-18
	ConversionReport report;
	CVABook book(nullptr);
	EXPECT_EQ(VCardReader(&report).Read(cards, &book), 2);
	EXPECT_EQ(ListedField(book, kFirstNameField), (Texts{"Good", "Good"}));
	EXPECT_EQ(Notes(report),
		"in:9: card 2 \"Broken Fold\": the line has no ':' (a folded line that lost its leading "
		"space?); the card is left out\n"
		"in:12: card 3: FN: the value is not valid UTF-8 (add a CHARSET parameter, or save the "
		"file as UTF-8); the card is left out\n"
		"in:17: card 5 \"Never Ended\": the card has no END:VCARD line; the card is left out\n");
	EXPECT_EQ(report.CountMalformed(), 3);

	const std::string rows =
		"First Name,Last Name,Notes\r\n"
		"Ann,Lee,\"two\r\nlines\"\r\n"     // lines 2-3
		"Bob,\"Bad,quote\r\n"              // line 4: never closed
		"Cy,Doe,\"said \"\"hi\"\"\"\r\n"   // line 5
		"Di;x,\"Ray\"s,\r\n";              // line 6: a stray quote after a quoted value
	ConversionReport csvReport;
	CVABook csvBook(nullptr);
	EXPECT_EQ(CsvReader(ContactFieldMap(), &csvReport).Read(rows, &csvBook), 2);
	EXPECT_EQ(ListedField(csvBook, kFirstNameField), (Texts{"Ann", "Cy"}));
	EXPECT_STREQ(csvBook.LastRecord()->Field(kCommentsField), "said \"hi\"");
	EXPECT_EQ(Notes(csvReport),
		"in:4: row 2: unbalanced quotes: the quoted value that starts on this line is not "
		"closed; the row is left out\n"
		"in:6: row 4: a quote inside a quoted value must be doubled (\"\"); the row is left out\n");
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
	EXPECT_STREQ(book.FirstRecord()->Field(kFirstNameField), "Jörg");
	EXPECT_STREQ(book.FirstRecord()->Field(kCellField), "+49 170 555");
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
	ABookRecord* record = AddRecord(book, "", kCompanyField);
	record->SetField(kCompanyField, "Smith; Jones, and \"Co\"");
	record->SetField(kCommentsField, "ééééééééééééééééééé");  // 38 bytes of two-byte letters
	record->SetField(kComments2Field, "ééééééééééééééééééé");
	record->SetField(kBirthdayField, "next spring");
	record->SetField(kCellField, "tel:555");  // texts that look like a URI scheme
	record->SetField(kEmail1Field, "mailto:x");
	std::string card;
	VCardWriter::AppendCard(record, &card);
	EXPECT_NE(card.find("ORG:Smith\\; Jones\\, and \"Co\"\r\n"), std::string::npos) << card;
	EXPECT_NE(card.find("BDAY;VALUE=text:next spring\r\n"), std::string::npos);
	CVABook again(nullptr);
	ConversionReport report;
	VCardReader(&report).Read(card, &again);
	EXPECT_EQ(AllFields(again), AllFields(book));
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
