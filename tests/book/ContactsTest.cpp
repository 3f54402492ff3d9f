// vCard and CSV in and out: the sample exports keep every field through a
// round trip, what does not fit is reported with its card and line, and
// malformed input names its line while the whole cards are still read.
#include "BookTestSupport.h"
#include "HostileRecords.h"

#include <ContactImport.h>
#include <ConversionReport.h>
#include <CsvReader.h>
#include <ContactText.h>
#include <CsvWriter.h>
#include <VCardReader.h>
#include <VCardWriter.h>

#include <cstring>
#include <fstream>
#include <iconv.h>
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

TEST(ContactsTest, SampleExportsInTheirDialectsKeepEveryFieldThroughARoundTrip)
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
		// Latin-1, quoted headers in German, a quoted street of two lines, the
		// date forms of that exporter ("0.0.00" is none).
		{"outlook-de-latin1.csv", {
			"|Käthe||Groß|Inhaberin|Bäckerei Süß|Hauptstraße 5||München||80331|Deutschland|"
			"+49 89 5550100|+49 170 5550101|+49 89 5550102|kaethe@example.de||www.example.de|"
			"Öffnet um 6 Uhr||1970-04-15",
			"|Jörg||Maier|||||||||||||||||"},
			"in: the file is not UTF-8: read as Windows-1252 (cvab-convert --encoding NAME says "
			"which it is)\n"
			"in:2: row 1 \"Käthe Groß\": Anrede: \"Frau\" dropped: no field holds it\n"
			"in:2: row 1 \"Käthe Groß\": Straße geschäftlich: \"Hinterhaus\" dropped: a field holds "
			"one line, without TABs\n"},
		{"thunderbird-sjis.csv", {
			"|花子||山田||||||||||090-5555-0199||hanako@example.jp|||||"},
			"in: the file is not UTF-8: read as Shift_JIS (CP932) (cvab-convert --encoding NAME "
			"says which it is)\n"},
		// UTF-16 with a mark, semicolons, French headers.
		{"outlook-fr-utf16le.csv", {
			"|Renée||Dubois||||||||||+33 6 55 55 01 02||renee@example.fr|||||1970-04-15"}, ""},
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

// Each kind of fault real exports hold costs only what cannot be read: the
// card keeps everything else, and the note names line, card and property.
TEST(ContactsTest, FaultsCostOnlyWhatCannotBeRead)
{
	ConversionReport report;
	CVABook book(nullptr);
	EXPECT_EQ(VCardReader(&report).Read(Sample("faults.vcf"), &book), 6);
	EXPECT_EQ(AllFields(book), (Texts{
		// Shift_JIS names; a raw line break inside a quoted-printable address.
		"|花子||山田|||1-2-3 Sakura|Building 5|Osaka||530-0001|Japan||+81 90 5555 0199|||||||",
		// Latin-1 without a CHARSET; the line without ':' costs only itself.
		"|Jürgen||Weiß|||||||||+49 30 555 0147|||juergen@example.de|||first half||",
		// A card inside a card is a card of its own, read in the order they began.
		"|Paula||Parent|||||||||555 0100||||||||", "|Carl||Child|||||||||||||||||",
		"|Olga||Orphan|||||||||||||||||",  // no BEGIN:VCARD
		"|Larry||Last|Sales Ã( Lead|Москва|||||||||||||||"}));  // no END:VCARD
	EXPECT_EQ(Notes(report),
		"in:5: card 1 \"花子 山田\": a comment line (#); skipped\n"
		"in:8: card 1 \"花子 山田\": LABEL;CHARSET=WINDOWS-1250: \"Kraków, ul. Łazienki\" dropped: "
		"no field holds it\n"
		"in:12: card 2 \"Jürgen Weiß\": N: the value is not UTF-8 and names no character set: read "
		"as Windows-1252, \"Weiß;Jürgen;;;\"\n"
		"in:13: card 2 \"Jürgen Weiß\": FN: the value is not UTF-8 and names no character set: read "
		"as Windows-1252, \"Jürgen Weiß\"\n"
		"in:14: card 2 \"Jürgen Weiß\": TEL;TYPE=WORK: the value is not UTF-8 and names no character "
		"set: read as Windows-1252, \"+49 30 555 0147\"; 1 byte that Windows-1252 does not define "
		"dropped\n"
		"in:16: card 2 \"Jürgen Weiß\": the line has no ':' (a folded line that lost its leading "
		"space?); left out \"second half without its space\"\n"
		"in:28: card 5 \"Olga Orphan\": the card has no BEGIN:VCARD line; read from here\n"
		"in:31: card 6 \"Larry Last\": the card has no END:VCARD line; read to the end of the file\n"
		"in:35: card 6 \"Larry Last\": TITLE;CHARSET=UTF-8: the value is not valid UTF-8: read as "
		"Windows-1252, \"Sales Ã( Lead\"\n"
		"in:36: card 6 \"Larry Last\": URL;CHARSET=BIG5: the value is not valid BIG5 text; dropped\n");
	EXPECT_EQ(report.CountLosses(), 1);
	EXPECT_EQ(report.CountMalformed(), 2);

	// A card with nothing readable is the one thing left out, and says so.
	ConversionReport empty;
	EXPECT_EQ(VCardReader(&empty).Read("BEGIN:VCARD\nPHOTO;BASE64:AAAA\nEND:VCARD\n", &book), 0);
	EXPECT_NE(Notes(empty).find("in:1: card 1: the card holds nothing a field can keep"),
		std::string::npos) << Notes(empty);

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

namespace {

// text (UTF-8) in another encoding, as an exporter would have written it.
std::string Encoded(const std::string& text, const char* encoding)
{
	iconv_t cd = iconv_open(encoding, "UTF-8");
	std::string out(text.size() * 4 + 4, '\0');
	char* in = const_cast<char*>(text.data());
	char* next = out.data();
	size_t inLeft = text.size(), outLeft = out.size();
	EXPECT_NE(iconv(cd, &in, &inLeft, &next, &outLeft), static_cast<size_t>(-1)) << encoding;
	iconv_close(cd);
	out.resize(out.size() - outLeft);
	return out;
}

Texts ReadVCards(const std::string& bytes, ConversionReport* report)
{
	CVABook book(nullptr);
	VCardReader(report).Read(bytes, &book);
	return AllFields(book);
}

Texts ReadCsv(const std::string& bytes, ConversionReport* report, const ContactFieldMap& map = {},
	const char* encoding = "", char separator = 0)
{
	CVABook book(nullptr);
	CsvReader reader(map, report);
	reader.SetEncoding(encoding);
	reader.SetSeparator(separator);
	reader.Read(bytes, &book);
	return AllFields(book);
}

}  // namespace

TEST(ContactsTest, LegacyAndUnicodeEncodingsBecomeUTF8)
{
	const std::string card = "BEGIN:VCARD\r\nN:Ødegård;Åse;;;\r\nEND:VCARD\r\n";
	const std::string ase = "|Åse||Ødegård|||||||||||||||||";
	for (const std::string& bytes : {Encoded(card, "UTF-16LE"), Encoded(card, "UTF-16BE"),
			 "\xFF\xFE" + Encoded(card, "UTF-16LE"), "\xFE\xFF" + Encoded(card, "UTF-16BE"),
			 "\xEF\xBB\xBF" + card}) {
		ConversionReport report;
		EXPECT_EQ(ReadVCards(bytes, &report), Texts{ase}) << Notes(report);
		EXPECT_TRUE(report.IsEmpty()) << Notes(report);
	}

	// Each CHARSET an exporter names, in the set it really wrote.
	const struct {
		const char* charset;
		const char* name;
		const char* converter;
	} values[] = {
		{"ISO-8859-2", "Łódź", "ISO-8859-2"}, {"windows-1250", "Kraków", "WINDOWS-1250"},
		{"KOI8-R", "Москва", "KOI8-R"}, {"Shift_JIS", "①髙橋", "CP932"},
		{"GB2312", "张伟", "GB18030"}, {"Big5", "陳大文", "BIG5-HKSCS"},
		{"ISO-8859-1", "€uro", "WINDOWS-1252"}, {"ISO-8859-7", "Ζεύς", "ISO-8859-7"},
	};
	for (const auto& value : values) {
		ConversionReport report;
		const std::string bytes = std::string("BEGIN:VCARD\nN;CHARSET=") + value.charset + ":"
			+ Encoded(value.name, value.converter) + "\nEND:VCARD\n";
		const Texts read = ReadVCards(bytes, &report);
		ASSERT_EQ(read.size(), 1u) << value.charset << Notes(report);
		EXPECT_EQ(read[0].substr(0, read[0].find('|', 4)), "|||" + std::string(value.name))
			<< value.charset;
		EXPECT_TRUE(report.IsEmpty()) << Notes(report);
	}

	// A mostly UTF-8 CSV with one value in Windows-1252: that value alone is converted.
	ConversionReport mixed;
	EXPECT_EQ(ReadCsv("First Name,Last Name\nZoë,Brontë\nRenée,Noël\nJos\xE9,Le\xF3n\n", &mixed),
		(Texts{"|Zoë||Brontë|||||||||||||||||", "|Renée||Noël|||||||||||||||||",
			"|José||León|||||||||||||||||"}));
	EXPECT_EQ(Notes(mixed), "in:4: row 3 \"José León\": the value is not UTF-8: read as "
		"Windows-1252, \"José\"; the value is not UTF-8: read as Windows-1252, \"León\"\n");
	// The user's word on the encoding wins over the guess.
	ConversionReport told;
	EXPECT_EQ(ReadCsv(Encoded("First Name\nŁucja\n", "ISO-8859-2"), &told, {}, "iso-8859-2"),
		(Texts{"|Łucja|||||||||||||||||||"}));
	EXPECT_TRUE(told.IsEmpty()) << Notes(told);
}

TEST(ContactsTest, LocalisedHeaderRowsMapLikeEnglishOnesAndSeparatorsAreFoundOrTold)
{
	// Each row: a header line, a data line, what the record holds.
	const struct {
		const char* header;
		const char* row;
		const char* fields;
	} exports[] = {
		{"Vorname,Nachname,Firma,E-Mail-Adresse,Straße geschäftlich,Mobiltelefon,Geburtstag",
			"Anna,Berg,Berg AG,anna@berg.example,Ring 1,0170 555,1.2.1980",
			"|Anna||Berg||Berg AG|Ring 1|||||||0170 555||anna@berg.example|||||1980-02-01"},
		// A header whose accents an earlier conversion lost.
		{"Nachname,Stra\xEF\xBF\xBD" "e gesch\xEF\xBF\xBD" "ftlich,Ort gesch\xEF\xBF\xBD" "ftlich",
			"Berg,Ring 1,Köln", "|||Berg|||Ring 1||Köln||||||||||||"},
		// The German mail client: the birthday in three columns, "Geburtstag" the day.
		{"Vorname,Geburtsjahr,Geburtsmonat,Geburtstag,Tel. dienstlich,Mobil-Tel.-Nr.",
			"Jan,1975,3,9,030 555,0171 555", "|Jan|||||||||||030 555|0171 555|||||||1975-03-09"},
		{"Vorname\tNachname\tArbeitsadresse Strasse\tArbeitsadresse PLZ\tArbeit E-Mail",
			"Max\tMuster\tWeg 2\t22767\tmax@muster.example",
			"|Max||Muster|||Weg 2||||22767|||||max@muster.example|||||"},
		{"Prénom;Nom;Société;Rue (bureau);Ville (bureau);Téléphone (bureau);Anniversaire",
			"Luc;Roy;Roy SA;1 rue Haute;Lyon;04 55 55;15/04/1970",
			"|Luc||Roy||Roy SA|1 rue Haute||Lyon||||04 55 55||||||||1970-04-15"},
	};
	for (const auto& file : exports) {
		ConversionReport report;
		EXPECT_EQ(ReadCsv(std::string(file.header) + "\n" + file.row + "\n", &report),
			Texts{file.fields}) << file.header;
		EXPECT_TRUE(report.IsEmpty()) << file.header << "\n" << Notes(report);
	}

	// TABs: found from the header, or told; a quoted TAB keeps what is before it.
	const std::string tabs = "First Name\tLast Name\tCompany\nAnn\tLee\t\"Acme\tWest\"\n";
	ConversionReport tabReport;
	EXPECT_EQ(ReadCsv(tabs, &tabReport), (Texts{"|Ann||Lee||Acme|||||||||||||||"}));
	EXPECT_EQ(Notes(tabReport), "in:2: row 1 \"Ann Lee\": Company: \"West\" dropped: a field holds "
		"one line, without TABs\n");
	// As many commas as semicolons: a comma, unless told.
	ConversionReport told;
	EXPECT_EQ(ReadCsv("First Name;Company, Inc.\nAnn;Acme, Inc.\n", &told, {}, "", ';'),
		(Texts{"|Ann|||||||||||||||||||"}));
	EXPECT_EQ(Notes(told), "in:2: row 1 \"Ann\": Company, Inc.: \"Acme, Inc.\" dropped: no field "
		"holds it\n");
}

TEST(ContactsTest, MappingsAndFilesWithoutHeaderRowReadByColumnNumberOrContent)
{
	// Mixed separators as well: the second row changes to TABs.
	const std::string bytes = Sample("no-header.csv");
	ConversionReport byContent;
	EXPECT_EQ(ReadCsv(bytes, &byContent), (Texts{
		"||||||||||||+1 503 555 0100|||ann@example.com|||||",
		"||||||||||||+1 503 555 0101|||bob@example.com|||||"}));
	EXPECT_EQ(Notes(byContent).substr(0, Notes(byContent).find('\n')), "in:1: the first row holds "
		"no known column name, so the file has no header row: columns are read by number (--map "
		"3=\"Email 1\" reads column 3 into Email 1) and by content: column 3 holds e-mail "
		"addresses, column 4 holds telephone numbers");
	EXPECT_EQ(byContent.CountLosses(), 4);  // the names, which no column number places

	ContactFieldMap map;
	std::string error;
	ASSERT_TRUE(map.AddMapping("1=First Name", &error));
	ASSERT_TRUE(map.AddMapping(" 2 = Last Name", &error));
	ASSERT_TRUE(map.AddMapping("4=Cell Number", &error));
	EXPECT_FALSE(map.AddMapping("0=Email 1", &error));
	EXPECT_EQ(error, "columns are numbered from 1");
	ConversionReport byNumber;
	EXPECT_EQ(ReadCsv(bytes, &byNumber, map), (Texts{
		"|Ann||Lee||||||||||+1 503 555 0100||ann@example.com|||||",
		"|Bob||Ray||||||||||+1 503 555 0101||bob@example.com|||||"}));
	EXPECT_EQ(byNumber.CountLosses(), 0) << Notes(byNumber);
	// A column number wins over a header row's name too.
	ContactFieldMap second;
	ASSERT_TRUE(second.AddMapping("2=Cell Number", &error));
	ConversionReport header;
	EXPECT_EQ(ReadCsv("First Name,Phone\nAnn,555 0100\n", &header, second),
		(Texts{"|Ann||||||||||||555 0100|||||||"}));

	// Mappings by a header's name choose fields; unknown columns are reported
	// unless mapped to nothing.
	const std::string input = "Vorname,Handy,Labels\nJörg,+49 170 555,friends\n";
	ContactFieldMap named;
	ASSERT_TRUE(named.AddMapping("vorname=First Name", &error));
	ASSERT_TRUE(named.AddMapping("Handy = 13", &error));
	EXPECT_FALSE(named.AddMapping("Handy=Pager", &error));
	EXPECT_NE(error.find("Cell Number"), std::string::npos);
	ConversionReport report;
	EXPECT_EQ(ReadCsv(input, &report, named), Texts{"|Jörg||||||||||||+49 170 555|||||||"});
	EXPECT_EQ(Notes(report), "in:2: row 1 \"Jörg\": Labels: \"friends\" dropped: no field holds it\n");
	ASSERT_TRUE(named.AddMapping("Labels=", &error));  // left out on purpose: no report
	ConversionReport quiet;
	ReadCsv(input, &quiet, named);
	EXPECT_TRUE(quiet.IsEmpty()) << Notes(quiet);
}

TEST(ContactsTest, BirthdaysInEveryFormBecomeOneTextAndGoBackOut)
{
	ConversionReport report;
	CVABook book(nullptr);
	VCardReader(&report).Read(Sample("birthdays.vcf"), &book);
	EXPECT_EQ(ListedField(book, kBirthdayField), (Texts{"--04-15", "--04-15", "1970-04-15",
		"1970-04-15", "--04-15", "--04-15", "circa 1970"}));
	EXPECT_TRUE(report.IsEmpty()) << Notes(report);
	std::string cards;
	for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next())
		VCardWriter::AppendCard(r, &cards);
	// No day 32: what is not a date goes out as text, so that it comes back.
	AddRecord(book, "1979-06-32", kBirthdayField);
	VCardWriter::AppendCard(book.LastRecord(), &cards);
	for (const char* written : {"BDAY:--0415\r\n", "BDAY:19700415\r\n",
			"BDAY;VALUE=text:circa 1970\r\n", "BDAY;VALUE=text:1979-06-32\r\n"})
		EXPECT_NE(cards.find(written), std::string::npos) << written;

	const struct {
		const char* text;
		const char* book;
	} forms[] = {
		{"15.04.1970", "1970-04-15"}, {"4/25/1970", "1970-04-25"}, {"25/4/1970", "1970-04-25"},
		{"4/5/1970", "4/5/1970"},  // which is the month cannot be told: kept as it is
		{"   1-01-01", "--01-01"}, {"0.0.00", ""}, {"--04-15", "--04-15"},
		{"19701315", "19701315"}, {"2021-02-03T10:00:00", "2021-02-03"}, {"spring", "spring"},
	};
	for (const auto& form : forms)
		EXPECT_EQ(NormalizeBirthday(form.text), form.book) << form.text;
}

TEST(ContactsTest, DetectionReadingSummaryAndThePerCardReaderForOtherCallers)
{
	const struct {
		const char* name;
		std::string bytes;
		contact_file_kind kind;
	} files[] = {
		{"a.vcf", "BEGIN:VCARD\nEND:VCARD\n", contact_file_kind::kVCard},
		{"a.txt", "\xEF\xBB\xBF\n\nENCODING:UTF-8\nhome.begin:vcard\n", contact_file_kind::kVCard},
		{"a", Encoded("Begin:VCard\r\n", "UTF-16BE"), contact_file_kind::kVCard},
		{"a", "\xFF\xFE" + Encoded("BEGIN:VCARD\r\n", "UTF-16LE"), contact_file_kind::kVCard},
		{"b.CSV", "First Name;E-mail Address;Labels\n", contact_file_kind::kCsv},
		{"b.csv", "\"Vorname\",\"Nachname\"\r\n", contact_file_kind::kCsv},
		{"b.csv", "Name,Labels\n", contact_file_kind::kNone},  // one known name is not enough
		{"b.txt", "First Name,Last Name\n", contact_file_kind::kNone},
		{"c.vcf", "VERSION:3.0\nFN:Nobody\n", contact_file_kind::kNone},
	};
	for (const auto& file : files)
		EXPECT_EQ(ContactImport::Detect(file.name, file.bytes), file.kind) << file.bytes;

	ConversionReport report;
	CVABook book(nullptr);
	const std::string bytes = Sample("faults.vcf");
	const int32 read = ContactImport::Read(ContactImport::Detect("x", bytes), bytes, &book,
		&report);
	EXPECT_EQ(read, 6);
	EXPECT_EQ(ContactImport::Summary(read, report, 2),
		"6 contacts read; 1 value did not fit, 2 parts could not be read, 7 warnings:\n"
		"line 5: card 1 \"花子 山田\": a comment line (#); skipped\n"
		"line 8: card 1 \"花子 山田\": LABEL;CHARSET=WINDOWS-1250: \"Kraków, ul. Łazienki\" "
		"dropped: no field holds it\n(and 8 more)");
	EXPECT_EQ(ContactImport::Summary(1, ConversionReport()), "1 contact read.");

	// The per-card reader tells where each field came from.
	const std::string card =
		"BEGIN:VCARD\r\n"                           // 0
		"VERSION:4.0\r\n"                           // 1
		"UID:urn:uuid:4fbe8971\r\n"                 // 2
		"FN:Ann Lee\r\n"                            // 3
		"item1.EMAIL;TYPE=work:ann@\r\n example.com\r\n"  // 4, folded
		"NOTE:Likes tea\r\n"                        // 5
		"TEL;TYPE=cell:+1 555 0101\r\n"             // 6
		"END:VCARD\r\n"
		"BEGIN:VCARD\r\nFN:Second Card\r\nEND:VCARD\r\n";
	report = ConversionReport();
	VCardReader::card one;
	ASSERT_TRUE(VCardReader(&report).ReadCard(card, &one));
	EXPECT_EQ(one.uid, "urn:uuid:4fbe8971");
	EXPECT_EQ(one.version, "4.0");
	EXPECT_EQ(one.fields[kFirstNameField], "Ann");
	EXPECT_EQ(one.fields[kEmail1Field], "ann@example.com");
	const std::pair<int32, VCardReader::field_source> sources[] = {
		{kFirstNameField, {"FN", 3}}, {kLastNameField, {"FN", 3}}, {kEmail1Field, {"EMAIL", 4}},
		{kCommentsField, {"NOTE", 5}}, {kCellField, {"TEL", 6}}, {kPhoneField, {"", -1}},
	};
	for (const auto& [field, source] : sources) {
		EXPECT_EQ(one.sources[field].property, source.property) << field;
		EXPECT_EQ(one.sources[field].index, source.index) << field;
	}
	EXPECT_TRUE(report.IsEmpty()) << Notes(report);
	EXPECT_FALSE(VCardReader(&report).ReadCard("BEGIN:VCARD\nPHOTO;BASE64:AA\nEND:VCARD\n", &one));
}

TEST(ContactsTest, EachCsvStyleIsReadBackWithEveryValueInItsField)
{
	std::mt19937 random(7);
	CVABook book(nullptr);
	for (int i = 0; i < 400; i++) {
		const record_texts texts = RandomRecord(random);
		ABookRecord* record = book.AddRecord();
		for (int32 field = 0; field < kBookFieldCount; field++)
			record->SetField(field, texts[field].c_str());
	}
	// The reader trims what it reads; that is all it may change.
	Texts expected = AllFields(book);
	for (std::string& line : expected) {
		std::string trimmed;
		for (size_t start = 0, end; start <= line.size(); start = end + 1) {
			end = std::min(line.find('|', start), line.size());
			trimmed += FlattenFieldText(std::string_view(line).substr(start, end - start));
			trimmed += end < line.size() ? "|" : "";
		}
		line = trimmed;
	}
	size_t count = 0;
	const csv_style* styles = ContactFieldMap::Styles(&count);
	ASSERT_EQ(count, 3u);
	for (size_t i = 0; i < count; i++) {
		SCOPED_TRACE(styles[i].name);
		std::string csv;
		CsvWriter::AppendHeader(&csv, &styles[i]);
		for (const ABookRecord* r = book.FirstRecord(); r != nullptr; r = r->Next())
			CsvWriter::AppendRow(r, &csv, &styles[i]);
		CVABook again(nullptr);
		ConversionReport report;
		CsvReader(ContactFieldMap(), &report).Read(csv, &again);
		EXPECT_EQ(report.CountLosses() + report.CountMalformed(), 0) << Notes(report);
		const Texts read = AllFields(again);
		ASSERT_EQ(read.size(), expected.size());
		for (size_t r = 0; r < read.size(); r++)
			EXPECT_EQ(read[r], expected[r]) << "record " << r;
	}
}
