/* WriteCard (see card_writer.h): the card's fixed lines as a table of template
 * and host getters, then birthday, note, revision and communications, each line
 * built in place in the output's buffer. */
#include "card_writer.h"

#include <cstdint>
#include <cstring>
#include <string_view>

#include "output_file.h"
#include "value_encoding.h"
#include "vcard_date_format.h"
#include "zamo_host.h"

namespace {

using TextGetter = const WCHAR* (*)(const WCHAR* uid);

// A line's fixed text, padded so that it is copied as one block of known size.
struct Template {
    char text[64];
    size_t size;
};

constexpr Template MakeTemplate(std::string_view text) {
    Template t{{}, text.size()};
    if (text.size() > sizeof t.text) throw "a template longer than its padding";
    for (size_t i = 0; i < text.size(); ++i) t.text[i] = text[i];
    return t;
}

void PutTemplate(OutputBytes& out, const Template& t) {
    std::memcpy(Room(out, sizeof t.text), t.text, sizeof t.text);
    out.size += t.size;
}

// A line made of a template and up to five host values joined by a separator.
struct TextLine {
    Template prefix;
    ValueForm form;
    char separator;
    TextGetter getters[5];  // unused slots are null
};

const TextLine kTextLines[] = {
    {MakeTemplate("FN;CHARSET=windows-1251:"), ValueForm::Text, ' ',
     {AddinZamo_Contact_GetFirstName, AddinZamo_Contact_GetMiddleName,
      AddinZamo_Contact_GetLastName}},
    {MakeTemplate("N;CHARSET=windows-1251:"), ValueForm::Escaped, ';',
     {AddinZamo_Contact_GetLastName, AddinZamo_Contact_GetFirstName,
      AddinZamo_Contact_GetMiddleName}},
    {MakeTemplate("ORG;CHARSET=windows-1251:"), ValueForm::Escaped, 0, {AddinZamo_Contact_GetCompanyName}},
    {MakeTemplate("TITLE;CHARSET=windows-1251:"), ValueForm::Escaped, 0, {AddinZamo_Contact_GetJobTitle}},
    {MakeTemplate("ROLE;CHARSET=windows-1251:"), ValueForm::Escaped, 0, {AddinZamo_Contact_GetProfession}},
    {MakeTemplate("PRODID:Velmora export plugin"), ValueForm::Text, 0, {}},
    {MakeTemplate("X-ASSISTANT;CHARSET=windows-1251:"), ValueForm::Escaped, 0,
     {AddinZamo_Contact_GetAssistantName}},
    {MakeTemplate("X-MANAGER;CHARSET=windows-1251:"), ValueForm::Escaped, 0,
     {AddinZamo_Contact_GetManagerName}},
    {MakeTemplate("ADR;CHARSET=windows-1251;TYPE=HOME:;;"), ValueForm::Escaped, ';',
     {AddinZamo_Contact_GetHomeAddressStreet, AddinZamo_Contact_GetHomeAddressCity,
      AddinZamo_Contact_GetHomeAddressProvince, AddinZamo_Contact_GetHomeAddressPostalCode,
      AddinZamo_Contact_GetHomeAddressCountry}},
    {MakeTemplate("ADR;CHARSET=windows-1251;TYPE=WORK:;;"), ValueForm::Escaped, ';',
     {AddinZamo_Contact_GetBusinessAddressStreet, AddinZamo_Contact_GetBusinessAddressCity,
      AddinZamo_Contact_GetBusinessAddressProvince,
      AddinZamo_Contact_GetBusinessAddressPostalCode,
      AddinZamo_Contact_GetBusinessAddressCountry}},
};

// A kind of one to three units as a number, unit k in bits 16k to 16k + 15;
// the empty kind and kinds of four units or more as 0, which no known kind is.
constexpr uint64_t KindKey(const WCHAR* kind) {
    uint64_t key = 0;
    for (unsigned i = 0; i < 4; ++i) {
        if (kind[i] == 0) return key;
        key |= static_cast<uint64_t>(static_cast<uint16_t>(kind[i])) << (16 * i);
    }
    return 0;
}

struct CommunicationLine {
    uint64_t kind;  // KindKey of the kind
    Template prefix;
};

// Kinds compared whole and case-sensitively; other kinds give no line.
constexpr CommunicationLine kCommunicationLines[] = {
    {KindKey(TEXT("tel")), MakeTemplate("TEL;TYPE=WORK:")},
    {KindKey(TEXT("www")), MakeTemplate("URL:")},
    {KindKey(TEXT("fax")), MakeTemplate("TEL;TYPE=FAX:")},
    {KindKey(TEXT("eml")), MakeTemplate("EMAIL;TYPE=INTERNET:")},
    {KindKey(TEXT("msg")), MakeTemplate("X-ICQ:")},
};

constexpr Template kNotePrefix = MakeTemplate("NOTE;CHARSET=windows-1251;ENCODING=QUOTED-PRINTABLE:");
constexpr Template kBegin = MakeTemplate("BEGIN:VCARD");
constexpr Template kVersion = MakeTemplate("VERSION:3.0");
constexpr Template kUid = MakeTemplate("UID:");
constexpr Template kBirthday = MakeTemplate("BDAY:");
constexpr Template kRevision = MakeTemplate("REV:");
constexpr Template kEnd = MakeTemplate("END:VCARD");

// A line without a value from the host.
void WriteFixedLine(const Template& text) {
    PutTemplate(LineBytes(), text);
    EndLine();
}

void WriteTextLine(const TextLine& row, const WCHAR* uid) {
    OutputBytes& out = LineBytes();
    PutTemplate(out, row.prefix);
    for (size_t i = 0; i < sizeof row.getters / sizeof row.getters[0] && row.getters[i]; ++i) {
        if (i > 0) *Room(out, 1) = row.separator, ++out.size;
        PutValue(out, row.getters[i](uid), row.form);
    }
    EndLine();
}

void WriteDateLine(const Template& prefix, SYSTEMTIME time, bool dateOnly) {
    OutputBytes& out = LineBytes();
    PutTemplate(out, prefix);
    out.size = static_cast<size_t>(PutVCardDate(Room(out, kMaxVCardDate), time, dateOnly) -
                                   out.data.get());
    EndLine();
}

void WriteBirthday(const WCHAR* uid) {
    if (AddinZamo_IsMaxDate(AddinZamo_Contact_GetBirthDate(uid))) return;
    WriteDateLine(kBirthday, AddinZamo_GetSystemTimeFromOleDate(AddinZamo_Contact_GetBirthDate(uid)),
                  true);
}

void WriteNote(const WCHAR* uid) {
    OutputBytes& out = LineBytes();
    PutTemplate(out, kNotePrefix);
    PutValue(out, AddinZamo_Contact_GetDetails(uid), ValueForm::Note);
    EndLine();
}

void WriteRevision(const WCHAR* uid) {
    WriteDateLine(kRevision,
                  AddinZamo_GetSystemTimeFromOleDate(AddinZamo_Contact_GetDateModification(uid)),
                  false);
}

const CommunicationLine* FindCommunicationLine(const WCHAR* kind) {
    if (kind == nullptr) return nullptr;
    const uint64_t key = KindKey(kind);
    for (const CommunicationLine& c : kCommunicationLines)
        if (key == c.kind) return &c;
    return nullptr;
}

void WriteCommunications(const WCHAR* uid) {
    const int count = AddinZamo_Contact_GetCommunicationsCount(uid);
    for (int index = 0; index < count; ++index) {
        const WCHAR* kind = nullptr;
        const WCHAR* value = nullptr;
        const WCHAR* subKind = nullptr;
        if (!AddinZamo_Contact_GetCommunication(uid, index, &kind, &value, &subKind)) continue;
        const CommunicationLine* line = FindCommunicationLine(kind);
        if (line == nullptr) continue;
        OutputBytes& out = LineBytes();
        PutTemplate(out, line->prefix);
        PutValue(out, value, ValueForm::Text);
        EndLine();
    }
}

}  // namespace

void WriteCard(const WCHAR* uid) {
    WriteFixedLine(kBegin);
    WriteFixedLine(kVersion);
    PutTemplate(LineBytes(), kUid);
    PutValue(LineBytes(), uid, ValueForm::Text);
    EndLine();
    for (const TextLine& row : kTextLines) WriteTextLine(row, uid);
    WriteBirthday(uid);
    WriteNote(uid);
    WriteRevision(uid);
    WriteCommunications(uid);
    WriteFixedLine(kEnd);
}
