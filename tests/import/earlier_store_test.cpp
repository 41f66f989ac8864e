// Re-importing into an address book that the earlier importer filled from UTF-8
// files, which kept a line feed at the end of every value, the UID included:
// the card finds its stored contact (prompt, then overwrite on Yes under the
// stored UID) and adds none of the communications the contact already has.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "card_test_support.h"
#include "file_reader.h"

namespace {

// The contact "u1" as the earlier importer stored it from a UTF-8 file.
void FillTheEarlierWay(FakeHost& host) {
    host.Add(TEXT("root"), TEXT("u1\n"), {{"Title", TEXT("Ann Lee\n")}, {"LastName", TEXT("Lee\n")}});
    host.Contact(TEXT("u1\n")).communications = {
        {TEXT("tel"), TEXT("123\n"), TEXT(""), false},
        {TEXT("eml"), TEXT("ann@example.org\n"), TEXT(""), false},
    };
}

std::string WriteFile(const std::string& name, const std::string& bytes) {
    std::string folder = testing::TempDir();
    std::string path = folder + (folder.back() == '/' ? "" : "/") + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(EarlierStore, AReimportFindsTheContactAndAddsNoDuplicate) {
    const std::string card =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u1\r\nFN:Ann Lee\r\nN:Lee;Ann\r\nTEL:123\r\n"
        "TEL:456\r\nEMAIL:ann@example.org\r\nREV:20100615T093000Z\r\nEND:VCARD\r\n";
    struct Case {
        std::string file;
        bool earlierStore;
        int answer;
        std::vector<std::string> calls;  // IsPresent, Insert, SetTitle, SaveChanges, AddCommunication
        size_t prompts;
        const char* why;
    } cases[] = {
        {card, true, IDYES,
         {"IsPresent(u1)", "IsPresent(u1\n)", "SetTitle(u1\n,Ann Lee)", "SaveChanges(u1\n)",
          "AddCommunication(u1\n,tel,456,null)"},
         1, "UTF-8 file, stored with line feeds, Yes: overwritten under the stored UID; only "
            "the new number is added"},
        {card, true, IDNO, {"IsPresent(u1)", "IsPresent(u1\n)"}, 1,
         "UTF-8 file, stored with line feeds, No: nothing written"},
        {card, false, IDYES,
         {"IsPresent(u1)", "IsPresent(u1\n)", "Insert(u1,root,,40344.5)", "SetTitle(u1,Ann Lee)",
          "SaveChanges(u1)", "AddCommunication(u1,tel,123,null)",
          "AddCommunication(u1,tel,456,null)", "AddCommunication(u1,eml,ann@example.org,null)"},
         0, "UTF-8 file, contact absent in both forms: a new contact under the card's UID"},
        {"X-CHARSET:windows-1251\r\n" + card, true, IDYES,
         {"IsPresent(u1)", "Insert(u1,root,,40344.5)", "SetTitle(u1,Ann Lee)", "SaveChanges(u1)",
          "AddCommunication(u1,tel,123,null)", "AddCommunication(u1,tel,456,null)",
          "AddCommunication(u1,eml,ann@example.org,null)"},
         0, "a windows-1251 file: the earlier importer stored its values as they are"},
    };
    FakeHost& host = FakeHost::Get();
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        host.Reset();
        if (c.earlierStore) FillTheEarlierWay(host);
        PromptRecorder prompt(c.answer);
        const std::string path = WriteFile("earlier" + std::to_string(n++) + ".vcf", c.file);
        ImportVCardFile(Utf16(path));
        std::remove(path.c_str());
        EXPECT_EQ(JoinLines(CallsNamed({"IsPresent", "Insert", "SetTitle", "SaveChanges",
                                        "AddCommunication"})),
                  JoinLines(c.calls));
        EXPECT_EQ(prompt.shown.size(), c.prompts);
        EXPECT_EQ(host.contacts.size(), c.earlierStore ? 2u + (c.prompts == 0) : 2u)
            << "root and one contact per UID, no duplicate of u1";
    }
}

}  // namespace
