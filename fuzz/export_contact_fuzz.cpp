/* Fuzz target: the export of one contact whose host strings (any UTF-16, unpaired
 * surrogates and very long values included), dates (any double) and
 * communications come from the input. The file must hold one whole card, every
 * line ended by CR LF, or nothing when the contact has no name. */
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>

#include "export_commands.h"
#include "fake_host.h"
#include "fuzz_input.h"
#include "zamo_host.h"
#include "zamo_win32_ext.h"

namespace {

std::string g_path;
WString g_answer;  // the dialog's list: one path, NUL, NUL

BOOL AnswerSave(void*, BOOL save, const OPENFILENAMEW*, const WCHAR** files) {
    if (!save) FuzzFail("the export showed an open dialog");
    *files = g_answer.c_str();
    return TRUE;
}

// The export writes to a writable temporary folder: any error box is a fault.
int RefuseBox(void*, HWND, LPCWSTR, LPCWSTR, UINT) {
    FuzzFail("the export reported a failure");
    return IDOK;
}

// A text of Byte() units, or of Word() units when that byte is 255.
WString FieldText(FuzzInput& in) {
    size_t n = in.Byte();
    if (n == 255) n = in.Word();
    WString text;
    for (size_t i = 0; i < n && in.Left() > 0; ++i) text += static_cast<WCHAR>(in.Word());
    return text;
}

const char* const kFieldNames[] = {
#define ZAMO_FIELD_NAME(Field) #Field,
    ZAMO_CONTACT_GETTER_FIELDS(ZAMO_FIELD_NAME)
#undef ZAMO_FIELD_NAME
};

const WCHAR* const kKinds[] = {TEXT("tel"), TEXT("fax"), TEXT("eml"), TEXT("www"),
                               TEXT("msg"), TEXT("TEL"), TEXT("")};

bool HasName(const FakeContact& c) {
    for (const char* field : {"FirstName", "LastName", "MiddleName"}) {
        auto it = c.fields.find(field);
        if (it != c.fields.end() && !it->second.empty() && it->second[0] != 0) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
    tzset();
    g_path = MakeTempFile(".vcf");
    g_answer = Utf16(g_path);
    g_answer.append(2, 0);
    ZamoWin32_SetFileDialogHandler(AnswerSave, nullptr);
    ZamoWin32_SetMessageBoxHandler(RefuseBox, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    FakeHost& host = FakeHost::Get();
    host.Reset();
    host.quiet = {""};
    WString uid = FieldText(in);
    if (uid.empty() || uid == TEXT("root") || uid.find(WCHAR(0)) != WString::npos) uid = TEXT("x");
    std::map<std::string, WString> fields;
    for (const char* field : kFieldNames) fields[field] = FieldText(in);
    uid = host.Add(TEXT("root"), uid, fields);
    FakeContact& contact = host.Contact(uid);
    contact.birthDate = in.Double();
    contact.modified = in.Double();
    unsigned count = in.Byte() % 16;
    for (unsigned i = 0; i < count; ++i) {
        unsigned kind = in.Byte();
        FakeCommunication comm;
        comm.kind = kind < 7 ? WString(kKinds[kind]) : FieldText(in);
        comm.value = FieldText(in);
        contact.communications.push_back(comm);
    }
    bool named = HasName(contact);

    std::remove(g_path.c_str());
    try {
        ExportSelectedContact(uid.c_str());
    } catch (const std::exception& e) {
        FuzzFail(std::string("the export threw: ") + e.what());
    }

    std::ifstream file(g_path, std::ios::binary);
    std::ostringstream read;
    read << file.rdbuf();
    const std::string bytes = read.str();
    if (!named) {
        if (!bytes.empty()) FuzzFail("a contact without name was written");
        return 0;
    }
    const std::string head = "BEGIN:VCARD\r\nVERSION:3.0\r\n", tail = "\r\nEND:VCARD\r\n";
    if (bytes.compare(0, head.size(), head) != 0) FuzzFail("the card does not begin whole");
    if (bytes.size() < head.size() + tail.size() ||
        bytes.compare(bytes.size() - tail.size(), tail.size(), tail) != 0)
        FuzzFail("the card does not end with END:VCARD and CR LF");
    for (size_t i = bytes.find('\n'); i != std::string::npos; i = bytes.find('\n', i + 1))
        if (i == 0 || bytes[i - 1] != '\r') FuzzFail("a line end without CR at byte " + std::to_string(i));
    return 0;
}
