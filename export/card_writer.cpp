/* WriteCard (see card_writer.h): the card's fixed lines as a table of template
 * and host getters, then birthday, note, revision and communications. */
#include "card_writer.h"

#include "output_file.h"
#include "value_encoding.h"
#include "wide_text.h"
#include "vcard_date_format.h"
#include "zamo_host.h"

namespace {

using TextGetter = const WCHAR* (*)(const WCHAR* uid);

enum class ValueForm { Text, Escaped };

// A line made of a template and up to five host values joined by a separator.
struct TextLine {
    const char* prefix;
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
    const char* prefix;
};

// Kinds compared whole and case-sensitively; other kinds give no line.
const CommunicationLine kCommunicationLines[] = {
    {TEXT("tel"), "TEL;TYPE=WORK:"},
    {TEXT("www"), "URL:"},
    {TEXT("fax"), "TEL;TYPE=FAX:"},
    {TEXT("eml"), "EMAIL;TYPE=INTERNET:"},
    {TEXT("msg"), "X-ICQ:"},
};

const char kNotePrefix[] = "NOTE;CHARSET=windows-1251;ENCODING=QUOTED-PRINTABLE:";

void WriteTextLine(const TextLine& row, const WCHAR* uid, CardBuffers& b) {
    b.line.assign(row.prefix);
    for (size_t i = 0; i < sizeof row.getters / sizeof row.getters[0] && row.getters[i]; ++i) {
        if (i > 0) b.line += row.separator;
        const WCHAR* text = row.getters[i](uid);
        if (row.form == ValueForm::Text) {
            AppendAnsiText(b.line, text);
        } else {
            b.value.clear();
            AppendAnsiText(b.value, text);
            AppendEscapedText(b.line, b.value);
        }
    }
    WriteLine(b.line);
}

void WriteBirthday(const WCHAR* uid, CardBuffers& b) {
    if (AddinZamo_IsMaxDate(AddinZamo_Contact_GetBirthDate(uid))) return;
    SYSTEMTIME birth = AddinZamo_GetSystemTimeFromOleDate(AddinZamo_Contact_GetBirthDate(uid));
    b.line.assign("BDAY:");
    AppendVCardDate(b.line, birth, true);
    WriteLine(b.line);
}

void WriteNote(const WCHAR* uid, CardBuffers& b) {
    b.value.clear();
    AppendAnsiText(b.value, AddinZamo_Contact_GetDetails(uid));
    b.line.assign(kNotePrefix);
    AppendNoteText(b.line, b.value);
    WriteLine(b.line);
}

void WriteRevision(const WCHAR* uid, CardBuffers& b) {
    SYSTEMTIME modified =
        AddinZamo_GetSystemTimeFromOleDate(AddinZamo_Contact_GetDateModification(uid));
    b.line.assign("REV:");
    AppendVCardDate(b.line, modified, false);
    WriteLine(b.line);
}

const CommunicationLine* FindCommunicationLine(const WCHAR* kind) {
    if (kind == nullptr) return nullptr;
    for (const CommunicationLine& c : kCommunicationLines)
        if (WStringView(kind) == c.kind) return &c;
    return nullptr;
}

void WriteCommunications(const WCHAR* uid, CardBuffers& b) {
    const int count = AddinZamo_Contact_GetCommunicationsCount(uid);
    for (int index = 0; index < count; ++index) {
        const WCHAR* kind = nullptr;
        const WCHAR* value = nullptr;
        const WCHAR* subKind = nullptr;
        if (!AddinZamo_Contact_GetCommunication(uid, index, &kind, &value, &subKind)) continue;
        const CommunicationLine* line = FindCommunicationLine(kind);
        if (line == nullptr) continue;
        b.line.assign(line->prefix);
        AppendAnsiText(b.line, value);
        WriteLine(b.line);
    }
}

}  // namespace

void WriteCard(const WCHAR* uid, CardBuffers& b) {
    WriteLine("BEGIN:VCARD");
    WriteLine("VERSION:3.0");
    b.line.assign("UID:");
    AppendAnsiText(b.line, uid);
    WriteLine(b.line);
    for (const TextLine& row : kTextLines) WriteTextLine(row, uid, b);
    WriteBirthday(uid, b);
    WriteNote(uid, b);
    WriteRevision(uid, b);
    WriteCommunications(uid, b);
    WriteLine("END:VCARD");
}

void WriteCard(const WCHAR* uid) {
    CardBuffers buffers;
    WriteCard(uid, buffers);
}
