/* WriteCard (see card_writer.h): the card's fixed lines as a table of template
 * and host getters, then birthday, note, revision and communications, each line
 * built in place in the output's buffer. */
#include "card_writer.h"

#include <string_view>

#include "output_file.h"
#include "value_encoding.h"
#include "vcard_date_format.h"
#include "zamo_host.h"

namespace {

using TextGetter = const WCHAR* (*)(const WCHAR* uid);

// A line made of a template and up to five host values joined by a separator.
struct TextLine {
    std::string_view prefix;
    ValueForm form;
    char separator;
    TextGetter getters[5];  // unused slots are null
};

const TextLine kTextLines[] = {
    {"FN;CHARSET=windows-1251:", ValueForm::Text, ' ',
     {AddinZamo_Contact_GetFirstName, AddinZamo_Contact_GetMiddleName,
      AddinZamo_Contact_GetLastName}},
    {"N;CHARSET=windows-1251:", ValueForm::Escaped, ';',
     {AddinZamo_Contact_GetLastName, AddinZamo_Contact_GetFirstName,
      AddinZamo_Contact_GetMiddleName}},
    {"ORG;CHARSET=windows-1251:", ValueForm::Escaped, 0, {AddinZamo_Contact_GetCompanyName}},
    {"TITLE;CHARSET=windows-1251:", ValueForm::Escaped, 0, {AddinZamo_Contact_GetJobTitle}},
    {"ROLE;CHARSET=windows-1251:", ValueForm::Escaped, 0, {AddinZamo_Contact_GetProfession}},
    {"PRODID:Velmora export plugin", ValueForm::Text, 0, {}},
    {"X-ASSISTANT;CHARSET=windows-1251:", ValueForm::Escaped, 0,
     {AddinZamo_Contact_GetAssistantName}},
    {"X-MANAGER;CHARSET=windows-1251:", ValueForm::Escaped, 0,
     {AddinZamo_Contact_GetManagerName}},
    {"ADR;CHARSET=windows-1251;TYPE=HOME:;;", ValueForm::Escaped, ';',
     {AddinZamo_Contact_GetHomeAddressStreet, AddinZamo_Contact_GetHomeAddressCity,
      AddinZamo_Contact_GetHomeAddressProvince, AddinZamo_Contact_GetHomeAddressPostalCode,
      AddinZamo_Contact_GetHomeAddressCountry}},
    {"ADR;CHARSET=windows-1251;TYPE=WORK:;;", ValueForm::Escaped, ';',
     {AddinZamo_Contact_GetBusinessAddressStreet, AddinZamo_Contact_GetBusinessAddressCity,
      AddinZamo_Contact_GetBusinessAddressProvince,
      AddinZamo_Contact_GetBusinessAddressPostalCode,
      AddinZamo_Contact_GetBusinessAddressCountry}},
};

struct CommunicationLine {
    const WCHAR* kind;
    std::string_view prefix;
};

// Kinds compared whole and case-sensitively; other kinds give no line.
const CommunicationLine kCommunicationLines[] = {
    {TEXT("tel"), "TEL;TYPE=WORK:"},
    {TEXT("www"), "URL:"},
    {TEXT("fax"), "TEL;TYPE=FAX:"},
    {TEXT("eml"), "EMAIL;TYPE=INTERNET:"},
    {TEXT("msg"), "X-ICQ:"},
};

constexpr std::string_view kNotePrefix = "NOTE;CHARSET=windows-1251;ENCODING=QUOTED-PRINTABLE:";

void PutText(OutputBytes& out, std::string_view text) { Put(out, text.data(), text.size()); }

// A line without a value from the host.
void WriteFixedLine(std::string_view text) {
    PutText(LineBytes(), text);
    EndLine();
}

void WriteTextLine(const TextLine& row, const WCHAR* uid) {
    OutputBytes& out = LineBytes();
    PutText(out, row.prefix);
    for (size_t i = 0; i < sizeof row.getters / sizeof row.getters[0] && row.getters[i]; ++i) {
        if (i > 0) Put(out, &row.separator, 1);
        PutValue(out, row.getters[i](uid), row.form);
    }
    EndLine();
}

void WriteDateLine(std::string_view prefix, SYSTEMTIME time, bool dateOnly) {
    OutputBytes& out = LineBytes();
    PutText(out, prefix);
    out.size = static_cast<size_t>(PutVCardDate(Room(out, kMaxVCardDate), time, dateOnly) -
                                   out.data.get());
    EndLine();
}

void WriteBirthday(const WCHAR* uid) {
    if (AddinZamo_IsMaxDate(AddinZamo_Contact_GetBirthDate(uid))) return;
    WriteDateLine("BDAY:", AddinZamo_GetSystemTimeFromOleDate(AddinZamo_Contact_GetBirthDate(uid)),
                  true);
}

void WriteNote(const WCHAR* uid) {
    OutputBytes& out = LineBytes();
    PutText(out, kNotePrefix);
    PutValue(out, AddinZamo_Contact_GetDetails(uid), ValueForm::Note);
    EndLine();
}

void WriteRevision(const WCHAR* uid) {
    WriteDateLine("REV:",
                  AddinZamo_GetSystemTimeFromOleDate(AddinZamo_Contact_GetDateModification(uid)),
                  false);
}

bool SameText(const WCHAR* a, const WCHAR* b) {
    while (*a != 0 && *a == *b) ++a, ++b;
    return *a == *b;
}

const CommunicationLine* FindCommunicationLine(const WCHAR* kind) {
    if (kind == nullptr) return nullptr;
    for (const CommunicationLine& c : kCommunicationLines)
        if (SameText(kind, c.kind)) return &c;
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
        PutText(out, line->prefix);
        PutValue(out, value, ValueForm::Text);
        EndLine();
    }
}

}  // namespace

void WriteCard(const WCHAR* uid) {
    WriteFixedLine("BEGIN:VCARD");
    WriteFixedLine("VERSION:3.0");
    PutText(LineBytes(), "UID:");
    PutValue(LineBytes(), uid, ValueForm::Text);
    EndLine();
    for (const TextLine& row : kTextLines) WriteTextLine(row, uid);
    WriteBirthday(uid);
    WriteNote(uid);
    WriteRevision(uid);
    WriteCommunications(uid);
    WriteFixedLine("END:VCARD");
}
