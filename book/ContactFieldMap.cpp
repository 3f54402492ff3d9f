// Sections: the tables of common headers, the styles, normalising a header,
// the map.
#include "ContactFieldMap.h"

#include "BookFields.h"
#include "AsciiText.h"
#include "ContactText.h"

#include <cstdlib>
#include <vector>

// --- the table of common headers

namespace {

struct known_header {
	const char* header;  // lower case; '#' stands for a number
	column_kind kind;
	int32 field;
};

constexpr column_kind kF = column_kind::kField;
constexpr column_kind kEmail = column_kind::kEmail;
constexpr column_kind kIgnore = column_kind::kIgnore;
constexpr column_kind kNote = column_kind::kNote;
constexpr column_kind kFullName = column_kind::kFullName;
constexpr column_kind kBirthday = column_kind::kBirthday;

const known_header kKnownHeaders[] = {
	{"surname", kF, kLastNameField},
	{"full name", column_kind::kFullName, -1},
	{"file as", column_kind::kIgnore, -1},
	{"organization name", kF, kCompanyField},
	{"organization title", kF, kTitleField},
	{"address # - formatted", column_kind::kIgnore, -1},
	{"address # - label", column_kind::kIgnore, -1},
	{"home street", kF, kAddress1Field},
	{"home address", kF, kAddress1Field},
	{"home street #", kF, kAddress2Field},
	{"home address #", kF, kAddress2Field},
	{"home city", kF, kCityField},
	{"home state", kF, kStateField},
	{"home postal code", kF, kZipField},
	{"home zipcode", kF, kZipField},
	{"home country", kF, kCountryField},
	{"home country/region", kF, kCountryField},
	{"street", kF, kAddress1Field},
	{"city", kF, kCityField},
	{"state", kF, kStateField},
	{"region", kF, kStateField},
	{"postal code", kF, kZipField},
	{"zip", kF, kZipField},
	{"zip code", kF, kZipField},
	{"phone # - label", column_kind::kIgnore, -1},
	{"phone", kF, kPhoneField},
	{"telephone", kF, kPhoneField},
	{"home phone", kF, kPhoneField},
	{"primary phone", kF, kPhoneField},
	{"other phone", kF, kPhoneField},
	{"home phone #", kF, kPhoneField},
	{"business phone #", kF, kPhoneField},
	{"mobile", kF, kCellField},
	{"cell phone", kF, kCellField},
	{"fax", kF, kFaxField},
	{"home fax", kF, kFaxField},
	{"other fax", kF, kFaxField},
	{"email", column_kind::kEmail, -1},
	{"e-mail", column_kind::kEmail, -1},
	{"email address", column_kind::kEmail, -1},
	{"e-mail # - label", column_kind::kIgnore, -1},
	{"website", kF, kWebAddressField},
	{"website # - type", column_kind::kIgnore, -1},
	{"website # - label", column_kind::kIgnore, -1},
	{"note", column_kind::kNote, -1},
	{"position", kF, kTitleField},
	{"e-mail type", kIgnore, -1},
	{"e-mail display name", kIgnore, -1},
	{"e-mail # type", kIgnore, -1},
	{"e-mail # display name", kIgnore, -1},
};

// --- the styles: the exports the writer can write, whose headers are read
// back by the same rules (a number in a header stands for any number)

constexpr csv_cell kCell = csv_cell::kField;

const csv_style_column kGoogleColumns[] = {
	{"Name", csv_cell::kNames},
	{"Given Name", kCell, kFirstNameField},
	{"Additional Name", kCell, kMiddleNameField},
	{"Family Name", kCell, kLastNameField},
	{"Nickname", kCell, kNicknameField},
	{"Birthday", kCell, kBirthdayField},
	{"Notes", csv_cell::kNotes},
	{"E-mail 1 - Type", csv_cell::kLabel, kEmail1Field, "* Home"},
	{"E-mail 1 - Value", kCell, kEmail1Field},
	{"E-mail 2 - Type", csv_cell::kLabel, kEmail2Field, "* Other"},
	{"E-mail 2 - Value", kCell, kEmail2Field},
	{"Phone 1 - Type", csv_cell::kLabel, kPhoneField, "Work"},
	{"Phone 1 - Value", kCell, kPhoneField},
	{"Phone 2 - Type", csv_cell::kLabel, kCellField, "Mobile"},
	{"Phone 2 - Value", kCell, kCellField},
	{"Phone 3 - Type", csv_cell::kLabel, kFaxField, "Work Fax"},
	{"Phone 3 - Value", kCell, kFaxField},
	{"Address 1 - Type", csv_cell::kLabel, kAddress1Field, "Work"},
	{"Address 1 - Street", kCell, kAddress1Field},
	{"Address 1 - Extended Address", kCell, kAddress2Field},
	{"Address 1 - City", kCell, kCityField},
	{"Address 1 - Region", kCell, kStateField},
	{"Address 1 - Postal Code", kCell, kZipField},
	{"Address 1 - Country", kCell, kCountryField},
	{"Organization 1 - Name", kCell, kCompanyField},
	{"Organization 1 - Title", kCell, kTitleField},
	{"Website 1 - Value", kCell, kWebAddressField},
};

const csv_style_column kOutlookColumns[] = {
	{"First Name", kCell, kFirstNameField},
	{"Middle Name", kCell, kMiddleNameField},
	{"Last Name", kCell, kLastNameField},
	{"Job Title", kCell, kTitleField},
	{"Company", kCell, kCompanyField},
	{"Business Street", kCell, kAddress1Field},
	{"Business Street 2", kCell, kAddress2Field},
	{"Business City", kCell, kCityField},
	{"Business State", kCell, kStateField},
	{"Business Postal Code", kCell, kZipField},
	{"Business Country/Region", kCell, kCountryField},
	{"Business Phone", kCell, kPhoneField},
	{"Mobile Phone", kCell, kCellField},
	{"Business Fax", kCell, kFaxField},
	{"E-mail Address", kCell, kEmail1Field},
	{"E-mail 2 Address", kCell, kEmail2Field},
	{"Web Page", kCell, kWebAddressField},
	{"Birthday", kCell, kBirthdayField},
	{"Notes", csv_cell::kNotes},
};

const csv_style_column kThunderbirdColumns[] = {
	{"First Name", kCell, kFirstNameField},
	{"Last Name", kCell, kLastNameField},
	{"Display Name", csv_cell::kNames},
	{"Nickname", kCell, kNicknameField},
	{"Primary Email", kCell, kEmail1Field},
	{"Secondary Email", kCell, kEmail2Field},
	{"Work Phone", kCell, kPhoneField},
	{"Fax Number", kCell, kFaxField},
	{"Mobile Number", kCell, kCellField},
	{"Work Address", kCell, kAddress1Field},
	{"Work Address 2", kCell, kAddress2Field},
	{"Work City", kCell, kCityField},
	{"Work State", kCell, kStateField},
	{"Work ZipCode", kCell, kZipField},
	{"Work Country", kCell, kCountryField},
	{"Job Title", kCell, kTitleField},
	{"Organization", kCell, kCompanyField},
	{"Web Page 1", kCell, kWebAddressField},
	{"Birth Year", csv_cell::kBirthYear},
	{"Birth Month", csv_cell::kBirthMonth},
	{"Birth Day", csv_cell::kBirthDay},
	{"Notes", csv_cell::kNotes},
};

const csv_style kStyles[] = {
	{"google", "a webmail's contacts export", kGoogleColumns, std::size(kGoogleColumns)},
	{"outlook", "a desktop mail client's CSV export", kOutlookColumns, std::size(kOutlookColumns)},
	{"thunderbird", "an open mail client's address book export", kThunderbirdColumns,
		std::size(kThunderbirdColumns)},
};

// How a style's column is read back.
column_rule RuleOf(const csv_style& style, const csv_style_column& column)
{
	switch (column.cell) {
		case csv_cell::kLabel: return {column_kind::kIgnore, -1};
		case csv_cell::kNames: return {column_kind::kFullName, -1};
		case csv_cell::kNotes: return {column_kind::kNote, -1};
		case csv_cell::kBirthYear: return {column_kind::kBirthYear, -1};
		case csv_cell::kBirthMonth: return {column_kind::kBirthMonth, -1};
		case csv_cell::kBirthDay: return {column_kind::kBirthDay, -1};
		case csv_cell::kField: break;
	}
	if (column.field == kEmail1Field || column.field == kEmail2Field)
		return {column_kind::kEmail, -1};
	if (column.field == kBirthdayField)
		return {column_kind::kBirthday, -1};
	// A number whose type is in a column of its own is placed by that type.
	for (size_t i = 0; i < style.count; i++) {
		if (style.columns[i].cell == csv_cell::kLabel && style.columns[i].field == column.field
			&& (column.field == kPhoneField || column.field == kCellField
				|| column.field == kFaxField))
			return {column_kind::kPhone, -1};
	}
	return {column_kind::kField, column.field};
}

// What the same exports write in the user's language. Written as they appear;
// compared folded (see FoldHeader).
const known_header kLocalHeaders[] = {
	// German: the desktop mail client, the Mac address book, the mail client's own export.
	{"Vorname", kF, kFirstNameField},
	{"Weitere Vornamen", kF, kMiddleNameField},
	{"Nachname", kF, kLastNameField},
	{"Spitzname", kF, kNicknameField},
	{"Anzeigename", kFullName, -1},
	{"Firma", kF, kCompanyField},
	{"Organisation", kF, kCompanyField},
	{"Position", kF, kTitleField},
	{"Berufsbezeichnung", kF, kTitleField},
	{"Arbeitstitel", kF, kTitleField},
	{"Straße geschäftlich", kF, kAddress1Field},
	{"Straße geschäftlich #", kF, kAddress2Field},
	{"Ort geschäftlich", kF, kCityField},
	{"Region geschäftlich", kF, kStateField},
	{"Postleitzahl geschäftlich", kF, kZipField},
	{"Land/Region geschäftlich", kF, kCountryField},
	{"Land geschäftlich", kF, kCountryField},
	{"Straße privat", kF, kAddress1Field},
	{"Straße privat #", kF, kAddress2Field},
	{"Ort privat", kF, kCityField},
	{"Bundesland/Kanton privat", kF, kStateField},
	{"Region privat", kF, kStateField},
	{"Postleitzahl privat", kF, kZipField},
	{"Land/Region privat", kF, kCountryField},
	{"Land privat", kF, kCountryField},
	{"Arbeitsadresse Straße", kF, kAddress1Field},
	{"Arbeitsadresse Stadt", kF, kCityField},
	{"Arbeitsadresse Bundesland", kF, kStateField},
	{"Arbeitsadresse PLZ", kF, kZipField},
	{"Arbeitsadresse Land", kF, kCountryField},
	{"Privatadresse Straße", kF, kAddress1Field},
	{"Privatadresse Stadt", kF, kCityField},
	{"Privatadresse Bundesland", kF, kStateField},
	{"Privatadresse PLZ", kF, kZipField},
	{"Privatadresse Land", kF, kCountryField},
	{"Dienstlich: Adresse", kF, kAddress1Field},
	{"Dienstlich: Adresse #", kF, kAddress2Field},
	{"Dienstlich: Ort", kF, kCityField},
	{"Dienstlich: Bundesland", kF, kStateField},
	{"Dienstlich: PLZ", kF, kZipField},
	{"Dienstlich: Land", kF, kCountryField},
	{"Privat: Adresse", kF, kAddress1Field},
	{"Privat: Adresse #", kF, kAddress2Field},
	{"Privat: Ort", kF, kCityField},
	{"Privat: Bundesland", kF, kStateField},
	{"Privat: PLZ", kF, kZipField},
	{"Privat: Land", kF, kCountryField},
	{"Telefon geschäftlich", kF, kPhoneField},
	{"Telefon geschäftlich #", kF, kPhoneField},
	{"Telefon privat", kF, kPhoneField},
	{"Telefon privat #", kF, kPhoneField},
	{"Telefon (privat)", kF, kPhoneField},
	{"Telefon (privat #)", kF, kPhoneField},
	{"Telefon Firma", kF, kPhoneField},
	{"Haupttelefon", kF, kPhoneField},
	{"Weiteres Telefon", kF, kPhoneField},
	{"Arbeit Telefon", kF, kPhoneField},
	{"Privat Telefon", kF, kPhoneField},
	{"Hauptnummer", kF, kPhoneField},
	{"Andere Telefonnummer", kF, kPhoneField},
	{"Tel. dienstlich", kF, kPhoneField},
	{"Tel. privat", kF, kPhoneField},
	{"Mobiltelefon", kF, kCellField},
	{"Mobiltelefon #", kF, kCellField},
	{"Mobil-Tel.-Nr.", kF, kCellField},
	{"Fax geschäftlich", kF, kFaxField},
	{"Fax privat", kF, kFaxField},
	{"Weiteres Fax", kF, kFaxField},
	{"Arbeit Fax", kF, kFaxField},
	{"Privat Fax", kF, kFaxField},
	{"Fax-Nummer", kF, kFaxField},
	{"E-Mail-Adresse", kEmail, -1},
	{"E-Mail #: Adresse", kEmail, -1},
	{"E-Mail-Typ", kIgnore, -1},
	{"E-Mail: Angezeigter Name", kIgnore, -1},
	{"E-Mail #: Typ", kIgnore, -1},
	{"E-Mail #: Angezeigter Name", kIgnore, -1},
	{"Arbeit E-Mail", kEmail, -1},
	{"Privat E-Mail", kEmail, -1},
	{"Andere E-Mail", kEmail, -1},
	{"Primäre E-Mail-Adresse", kEmail, -1},
	{"Sekundäre E-Mail-Adresse", kEmail, -1},
	{"Webseite", kF, kWebAddressField},
	{"Webseite #", kF, kWebAddressField},
	{"Homepage", kF, kWebAddressField},
	{"Notizen", kNote, -1},
	{"Geburtstag", kBirthday, -1},
	{"Geburtsjahr", column_kind::kBirthYear, -1},
	{"Geburtsmonat", column_kind::kBirthMonth, -1},
	// French.
	{"Prénom", kF, kFirstNameField},
	{"Deuxième prénom", kF, kMiddleNameField},
	{"Nom", kF, kLastNameField},
	{"Nom de famille", kF, kLastNameField},
	{"Nom à afficher", kFullName, -1},
	{"Surnom", kF, kNicknameField},
	{"Société", kF, kCompanyField},
	{"Fonction", kF, kTitleField},
	{"Profession", kF, kTitleField},
	{"Rue (bureau)", kF, kAddress1Field},
	{"Rue (bureau) #", kF, kAddress2Field},
	{"Ville (bureau)", kF, kCityField},
	{"Dép/Région (bureau)", kF, kStateField},
	{"Code postal (bureau)", kF, kZipField},
	{"Pays/Région (bureau)", kF, kCountryField},
	{"Rue (domicile)", kF, kAddress1Field},
	{"Rue (domicile) #", kF, kAddress2Field},
	{"Ville (domicile)", kF, kCityField},
	{"Dép/Région (domicile)", kF, kStateField},
	{"Code postal (domicile)", kF, kZipField},
	{"Pays/Région (domicile)", kF, kCountryField},
	{"Adresse privée", kF, kAddress1Field},
	{"Adresse privée #", kF, kAddress2Field},
	{"Adresse professionnelle", kF, kAddress1Field},
	{"Adresse professionnelle #", kF, kAddress2Field},
	{"Ville", kF, kCityField},
	{"Code postal", kF, kZipField},
	{"Téléphone (bureau)", kF, kPhoneField},
	{"Téléphone # (bureau)", kF, kPhoneField},
	{"Téléphone (domicile)", kF, kPhoneField},
	{"Téléphone # (domicile)", kF, kPhoneField},
	{"Téléphone principal", kF, kPhoneField},
	{"Tél. professionnel", kF, kPhoneField},
	{"Tél. personnel", kF, kPhoneField},
	{"Tél. mobile", kF, kCellField},
	{"Portable", kF, kCellField},
	{"Télécopie (bureau)", kF, kFaxField},
	{"Télécopie (domicile)", kF, kFaxField},
	{"Adresse de messagerie", kEmail, -1},
	{"Adresse de messagerie #", kEmail, -1},
	{"Adresse électronique principale", kEmail, -1},
	{"Adresse électronique secondaire", kEmail, -1},
	{"Page Web", kF, kWebAddressField},
	{"Site Web #", kF, kWebAddressField},
	{"Anniversaire", kBirthday, -1},
	{"Année de naissance", column_kind::kBirthYear, -1},
	{"Mois", column_kind::kBirthMonth, -1},
	{"Jour", column_kind::kBirthDay, -1},
	// Spanish.
	{"Nombre", kF, kFirstNameField},
	{"Segundo nombre", kF, kMiddleNameField},
	{"Apellidos", kF, kLastNameField},
	{"Apodo", kF, kNicknameField},
	{"Nombre para mostrar", kFullName, -1},
	{"Organización", kF, kCompanyField},
	{"Compañía", kF, kCompanyField},
	{"Puesto", kF, kTitleField},
	{"Calle del trabajo", kF, kAddress1Field},
	{"Ciudad de trabajo", kF, kCityField},
	{"Provincia o estado de trabajo", kF, kStateField},
	{"Código postal del trabajo", kF, kZipField},
	{"País o región del trabajo", kF, kCountryField},
	{"Calle del domicilio", kF, kAddress1Field},
	{"Ciudad del domicilio", kF, kCityField},
	{"Provincia o estado del domicilio", kF, kStateField},
	{"Código postal del domicilio", kF, kZipField},
	{"País o región del domicilio", kF, kCountryField},
	{"Teléfono del trabajo", kF, kPhoneField},
	{"Teléfono particular", kF, kPhoneField},
	{"Particular", kF, kPhoneField},
	{"Teléfono principal", kF, kPhoneField},
	{"Teléfono móvil", kF, kCellField},
	{"Fax del trabajo", kF, kFaxField},
	{"Fax particular", kF, kFaxField},
	{"Dirección de correo electrónico", kEmail, -1},
	{"Dirección de correo electrónico #", kEmail, -1},
	{"Dirección del correo electrónico #", kEmail, -1},
	{"Página web", kF, kWebAddressField},
	{"Página web #", kF, kWebAddressField},
	{"Cumpleaños", kBirthday, -1},
	{"Notas", kNote, -1},
	// Italian.
	{"Nome", kF, kFirstNameField},
	{"Secondo nome", kF, kMiddleNameField},
	{"Cognome", kF, kLastNameField},
	{"Soprannome", kF, kNicknameField},
	{"Nome visualizzato", kFullName, -1},
	{"Società", kF, kCompanyField},
	{"Qualifica", kF, kTitleField},
	{"Indirizzo (ufficio)", kF, kAddress1Field},
	{"Indirizzo di lavoro", kF, kAddress1Field},
	{"Città (ufficio)", kF, kCityField},
	{"Città di lavoro", kF, kCityField},
	{"Provincia (ufficio)", kF, kStateField},
	{"Provincia di lavoro", kF, kStateField},
	{"CAP (ufficio)", kF, kZipField},
	{"CAP di lavoro", kF, kZipField},
	{"Paese/area geografica (ufficio)", kF, kCountryField},
	{"Nazione/Regione di lavoro", kF, kCountryField},
	{"Indirizzo (abitazione)", kF, kAddress1Field},
	{"Indirizzo di casa", kF, kAddress1Field},
	{"Città (abitazione)", kF, kCityField},
	{"Città di residenza", kF, kCityField},
	{"Provincia (abitazione)", kF, kStateField},
	{"Provincia di residenza", kF, kStateField},
	{"CAP (abitazione)", kF, kZipField},
	{"CAP di casa", kF, kZipField},
	{"Paese/area geografica (abitazione)", kF, kCountryField},
	{"Nazione/Regione di casa", kF, kCountryField},
	{"Telefono (ufficio)", kF, kPhoneField},
	{"Telefono di lavoro", kF, kPhoneField},
	{"Telefono (abitazione)", kF, kPhoneField},
	{"Telefono di casa", kF, kPhoneField},
	{"Telefono principale", kF, kPhoneField},
	{"Cellulare", kF, kCellField},
	{"Telefono mobile", kF, kCellField},
	{"Numero cellulare", kF, kCellField},
	{"Fax (ufficio)", kF, kFaxField},
	{"Fax di lavoro", kF, kFaxField},
	{"Fax (abitazione)", kF, kFaxField},
	{"Fax di casa", kF, kFaxField},
	{"Indirizzo posta elettronica", kEmail, -1},
	{"Indirizzo e-mail", kEmail, -1},
	{"Indirizzo e-mail #", kEmail, -1},
	{"Email principale", kEmail, -1},
	{"Email secondaria", kEmail, -1},
	{"Pagina Web", kF, kWebAddressField},
	{"Compleanno", kBirthday, -1},
	{"Giorno di nascita", column_kind::kBirthDay, -1},
	{"Mese di nascita", column_kind::kBirthMonth, -1},
	{"Anno di nascita", column_kind::kBirthYear, -1},
	// Dutch.
	{"Voornaam", kF, kFirstNameField},
	{"Middelste naam", kF, kMiddleNameField},
	{"Tweede voornaam", kF, kMiddleNameField},
	{"Achternaam", kF, kLastNameField},
	{"Bijnaam", kF, kNicknameField},
	{"Weergavenaam", kFullName, -1},
	{"Bedrijf", kF, kCompanyField},
	{"Functie", kF, kTitleField},
	{"Straat (werk)", kF, kAddress1Field},
	{"Plaats (werk)", kF, kCityField},
	{"Provincie (werk)", kF, kStateField},
	{"Postcode (werk)", kF, kZipField},
	{"Land/regio (werk)", kF, kCountryField},
	{"Straat (thuis)", kF, kAddress1Field},
	{"Plaats (thuis)", kF, kCityField},
	{"Provincie (thuis)", kF, kStateField},
	{"Postcode (thuis)", kF, kZipField},
	{"Land/regio (thuis)", kF, kCountryField},
	{"Telefoon op werk", kF, kPhoneField},
	{"Telefoon werk", kF, kPhoneField},
	{"Telefoon thuis", kF, kPhoneField},
	{"Hoofdtelefoon", kF, kPhoneField},
	{"Hoofdtelefoon bedrijf", kF, kPhoneField},
	{"Mobiele telefoon", kF, kCellField},
	{"Fax op werk", kF, kFaxField},
	{"Fax thuis", kF, kFaxField},
	{"E-mailadres", kEmail, -1},
	{"E-mailadres #", kEmail, -1},
	{"Webpagina", kF, kWebAddressField},
	{"Verjaardag", kBirthday, -1},
	{"Notities", kNote, -1},
	// Portuguese.
	{"Primeiro nome", kF, kFirstNameField},
	{"Nome do meio", kF, kMiddleNameField},
	{"Sobrenome", kF, kLastNameField},
	{"Último nome", kF, kLastNameField},
	{"Empresa", kF, kCompanyField},
	{"Cargo", kF, kTitleField},
	{"Rua comercial", kF, kAddress1Field},
	{"Cidade comercial", kF, kCityField},
	{"Estado comercial", kF, kStateField},
	{"CEP comercial", kF, kZipField},
	{"Código postal comercial", kF, kZipField},
	{"País/Região comercial", kF, kCountryField},
	{"Região/País comercial", kF, kCountryField},
	{"Rua residencial", kF, kAddress1Field},
	{"Cidade residencial", kF, kCityField},
	{"Estado residencial", kF, kStateField},
	{"CEP residencial", kF, kZipField},
	{"Código postal residencial", kF, kZipField},
	{"País/Região residencial", kF, kCountryField},
	{"Telefone comercial", kF, kPhoneField},
	{"Telefone residencial", kF, kPhoneField},
	{"Telefone principal", kF, kPhoneField},
	{"Fone comercial", kF, kPhoneField},
	{"Fone de casa", kF, kPhoneField},
	{"Celular", kF, kCellField},
	{"Telemóvel", kF, kCellField},
	{"Fax comercial", kF, kFaxField},
	{"Fax residencial", kF, kFaxField},
	{"Endereço de email", kEmail, -1},
	{"Endereço de e-mail", kEmail, -1},
	{"Endereço de e-mail #", kEmail, -1},
	{"Página da Web", kF, kWebAddressField},
	{"Aniversário", kBirthday, -1},
	{"Data de nascimento", kBirthday, -1},
};

// --- normalising a header

// The ASCII letters that Latin-1's accented letters U+00C0 to U+00FF fold
// to, as UTF-8 writes them after 0xC3 (0x80 to 0xBF); "" keeps the letter.
const char* const kAccentFolds[64] = {
	"a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
	"d", "n", "o", "o", "o", "o", "o", "", "o", "u", "u", "u", "u", "y", "th", "ss",
	"a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
	"d", "n", "o", "o", "o", "o", "o", "", "o", "u", "u", "u", "u", "y", "th", "y",
};

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// A header as it is compared: trimmed, ASCII in lower case, the accented
// letters of the headers above as their base letters ("Straße" is "strasse").
// masked instead turns every character outside ASCII into '?', for a header
// whose accents an earlier conversion replaced with U+FFFD.
std::string FoldHeader(std::string_view header, bool masked)
{
	header = TrimSpace(header);
	std::string out;
	out.reserve(header.size());
	for (size_t i = 0; i < header.size(); i++) {
		const auto c = static_cast<unsigned char>(header[i]);
		if (c < 0x80) {
			out += FoldAscii(header[i]);
			continue;
		}
		const auto next = i + 1 < header.size() ? static_cast<unsigned char>(header[i + 1]) : 0;
		size_t length = 1;
		while (i + length < header.size()
			&& (static_cast<unsigned char>(header[i + length]) & 0xC0) == 0x80)
			length++;
		if (masked)
			out += '?';
		else if (c == 0xC3 && length == 2 && *kAccentFolds[next - 0x80] != '\0')
			out += kAccentFolds[next - 0x80];
		else
			out.append(header.substr(i, length));
		i += length - 1;
	}
	return out;
}


std::string Lower(std::string_view text)
{
	return FoldHeader(text, false);
}

// Every run of digits as one '#'.
std::string WithoutNumbers(const std::string& header)
{
	std::string out;
	for (const char c : header) {
		if (c >= '0' && c <= '9') {
			if (out.empty() || out.back() != '#')
				out += '#';
		} else {
			out += c;
		}
	}
	return out;
}

// The field whose own name a folded header is, or -1.
int32 FieldByOwnName(const std::string& folded)
{
	for (int32 field = 0; field < kBookFieldCount; field++) {
		if (folded == FoldHeader(kBookFieldNames[field], false))
			return field;
	}
	return -1;
}

// The tables and the styles folded, each header both ways, once; a style's
// numbers stand for any number.
struct folded_header {
	std::string plain;
	std::string masked;
	column_rule rule;
};

const std::vector<folded_header>& FoldedHeaders()
{
	static const std::vector<folded_header> headers = [] {
		std::vector<folded_header> all;
		for (const known_header& known : kKnownHeaders)
			all.push_back({known.header, FoldHeader(known.header, true), {known.kind, known.field}});
		for (const known_header& known : kLocalHeaders) {
			all.push_back({FoldHeader(known.header, false), FoldHeader(known.header, true),
				{known.kind, known.field}});
		}
		for (const csv_style& style : kStyles) {
			for (size_t i = 0; i < style.count; i++) {
				const std::string header = FoldHeader(style.columns[i].header, false);
				if (FieldByOwnName(header) >= 0)
					continue;  // the book's own field names are read as such
				all.push_back({WithoutNumbers(header),
					WithoutNumbers(FoldHeader(style.columns[i].header, true)),
					RuleOf(style, style.columns[i])});
			}
		}
		return all;
	}();
	return headers;
}

}  // namespace

// --- the map

ContactFieldMap::ContactFieldMap() = default;

int32 ContactFieldMap::FieldByName(std::string_view name)
{
	name = TrimSpace(name);
	for (int32 field = 0; field < kBookFieldCount; field++) {
		if (EqualsIgnoringCase(name, kBookFieldNames[field]))
			return field;
	}
	if (!name.empty() && name.size() <= 2 && name.find_first_not_of("0123456789") == name.npos) {
		const int32 number = atoi(std::string(name).c_str());
		if (number < kBookFieldCount)
			return number;
	}
	return -1;
}

bool ContactFieldMap::AddMapping(std::string_view mapping, std::string* error)
{
	const size_t equals = mapping.rfind('=');
	if (equals == std::string_view::npos || TrimSpace(mapping.substr(0, equals)).empty()) {
		*error = "a mapping is written HEADER=FIELD, e.g. \"Mobile=Cell Number\"";
		return false;
	}
	const std::string_view target = TrimSpace(mapping.substr(equals + 1));
	column_rule rule{column_kind::kIgnore, -1};
	if (!target.empty()) {
		const int32 field = FieldByName(target);
		rule = {field == kBirthdayField ? column_kind::kBirthday : column_kind::kField, field};
		if (rule.field < 0) {
			std::string names;
			for (int32 field = 0; field < kBookFieldCount; field++)
				AppendSeparated(&names, ", ", kBookFieldNames[field]);
			std::string message(1, '"');
			message += target;
			message += "\" is not a field; the fields are ";
			*error = message + names;
			return false;
		}
	}
	const std::string_view header = TrimSpace(mapping.substr(0, equals));
	if (header.find_first_not_of("0123456789") == std::string_view::npos && header.size() <= 4) {
		const int32 column = atoi(std::string(header).c_str());
		if (column < 1) {
			*error = "columns are numbered from 1";
			return false;
		}
		fColumns[column] = rule;
		return true;
	}
	fUser[Lower(header)] = rule;
	return true;
}

column_rule ContactFieldMap::RuleForColumn(int32 column) const
{
	const auto found = fColumns.find(column);
	return found == fColumns.end() ? column_rule{} : found->second;
}

column_rule ContactFieldMap::RuleFor(std::string_view header) const
{
	const std::string key = Lower(header);
	if (const auto user = fUser.find(key); user != fUser.end())
		return user->second;
	if (const int32 field = FieldByName(key); field >= 0 && !key.empty()
		&& key.find_first_not_of("0123456789") != std::string::npos)
		return {field == kBirthdayField ? column_kind::kBirthday : column_kind::kField, field};
	const bool masked = header.find(kReplacementCharacter) != std::string_view::npos;
	const std::string folded = masked ? FoldHeader(header, true) : key;
	for (const std::string& candidate : {folded, WithoutNumbers(folded)}) {
		for (const folded_header& known : FoldedHeaders()) {
			if (candidate == (masked ? known.masked : known.plain))
				return known.rule;
		}
	}
	return {};
}

std::string PhoneTypeHeader(std::string_view valueHeader, std::string_view suffix)
{
	std::string header(TrimSpace(valueHeader));
	const size_t dash = header.rfind('-');
	if (dash == std::string::npos)
		return header;
	return header.substr(0, dash + 1) + " " + std::string(suffix);
}

const csv_style* ContactFieldMap::Styles(size_t* count)
{
	*count = std::size(kStyles);
	return kStyles;
}

const csv_style* ContactFieldMap::StyleNamed(std::string_view name)
{
	for (const csv_style& style : kStyles) {
		if (EqualsIgnoringCase(name, style.name))
			return &style;
	}
	return nullptr;
}

bool ContactFieldMap::StyleHasColumn(const csv_style& style, int32 field)
{
	for (size_t i = 0; i < style.count; i++) {
		const csv_style_column& column = style.columns[i];
		if ((column.cell == csv_cell::kField && column.field == field)
			|| (column.cell == csv_cell::kNotes
				&& (field == kCommentsField || field == kComments2Field))
			|| (column.cell == csv_cell::kBirthYear && field == kBirthdayField))
			return true;
	}
	return false;
}
