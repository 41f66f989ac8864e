/* Fuzz target: the whole import of one file's bytes (sniff, decode, cut, every
 * card through every step) against the recording fake host, with the overwrite
 * prompt answered from the input. Input: one byte of prompt answers, one byte
 * choosing which contacts the host already holds, then the file's bytes. */
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <string>

#include "fake_host.h"
#include "file_reader.h"
#include "fuzz_input.h"
#include "zamo_win32_ext.h"

namespace {

std::string g_path;
unsigned g_answers = 0;
unsigned g_prompts = 0;

int AnswerPrompt(void*, HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
    if (!text || !caption) FuzzFail("prompt without text or caption");
    if (type == (MB_OK | MB_ICONERROR)) {
        // Only memory may run out (the fuzzer limits it); any other failure is a fault.
        if (Utf8(WString(text)).find("not enough memory") == std::string::npos)
            FuzzFail("the import failed: " + Utf8(WString(text)));
        return IDOK;
    }
    if (type != (MB_YESNOCANCEL | MB_ICONEXCLAMATION)) FuzzFail("prompt of another style");
    unsigned k = g_prompts++;
    if (g_answers >> (k % 8) & 1) return IDYES;
    return k % 2 ? IDCANCEL : IDNO;
}

// Contacts the host may already hold: UIDs as files give them, with and without
// the line feed that lines of UTF-8 files keep, one of them with communications.
void AddPresets(unsigned choice) {
    FakeHost& host = FakeHost::Get();
    const char* const uids[] = {"1", "1\n", "u1", "u1\n", "uid-1", "uid-2", "a;b", "x"};
    for (unsigned i = 0; i < 8; ++i) {
        if (!(choice >> i & 1)) continue;
        WString uid = host.Add(TEXT("root"), Utf16(uids[i]), {{"LastName", TEXT("Old")}});
        host.Contact(uid).communications.push_back({TEXT("tel"), TEXT("123"), TEXT(""), false});
        host.Contact(uid).communications.push_back({TEXT("msg"), TEXT("555\n"), TEXT("ICQ"), true});
    }
}

bool Contains(const std::string& line, const char* marker) {
    return line.find(marker) != std::string::npos;
}

// Cards as the reader cuts them, counted on the raw bytes: a card starts at a
// line holding the start marker and ends at the first line holding the end
// marker, that same line included; lines outside cards are passed over. Valid
// where byte lines and decoded lines coincide (see ComparableFile).
size_t CountCards(const std::string& bytes) {
    size_t cards = 0, start = 0;
    bool inCard = false;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!inCard && Contains(line, "BEGIN:VCARD")) {
            ++cards;
            inCard = true;
        }
        if (inCard && Contains(line, "END:VCARD")) inCard = false;
        start = end + 1;
    }
    return cards;
}

// Byte lines and decoded lines coincide when there is no UTF-16 byte-order mark,
// no NUL and no line long enough to arrive in pieces.
bool ComparableFile(const std::string& bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return false;
    if (bytes.find('\0') != std::string::npos) return false;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        if (end - start > 16000) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("TZ", "<+04>-4", 1);
    tzset();
    g_path = MakeTempFile("");
    ZamoWin32_SetMessageBoxHandler(AnswerPrompt, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    g_answers = in.Byte();
    unsigned presets = in.Byte();
    std::string bytes(reinterpret_cast<const char*>(data) + (size - in.Left()), in.Left());

    std::FILE* f = std::fopen(g_path.c_str(), "wb");
    if (!f) FuzzFail("cannot write the temporary file");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);

    FakeHost& host = FakeHost::Get();
    host.Reset();
    AddPresets(presets);
    host.quiet = {""};  // keep no log; count through the hook
    size_t starts = 0, ends = 0, cards = 0;
    host.beforeCall = [&](const std::string& entry) {
        if (entry == "ChangesStart()") ++starts;
        else if (entry == "ChangesEnd()") ++ends;
        // The second look-up of a card from a UTF-8 file (its UID and a line feed)
        // is no card of its own.
        else if (entry.compare(0, 10, "IsPresent(") == 0 &&
                 entry.compare(entry.size() - 2, 2, "\n)") != 0)
            ++cards;
    };
    g_prompts = 0;

    try {
        ImportVCardFile(Utf16(g_path));
    } catch (const std::exception& e) {
        FuzzFail(std::string("the import threw: ") + e.what());
    }
    host.beforeCall = nullptr;
    if (starts != 1 || ends != 1) FuzzFail("the host's change bracket is not one pair");
    if (ComparableFile(bytes) && cards != CountCards(bytes))
        FuzzFail("cards reached the importer: " + std::to_string(cards) + ", in the file: " +
                 std::to_string(CountCards(bytes)));
    return 0;
}
