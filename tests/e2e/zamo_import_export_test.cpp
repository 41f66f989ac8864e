/* The zamo program with the real plug-in modules: the samples imported, listed
 * and shown; exported and read back into a fresh database with the same
 * contacts; re-imported with and without overwriting; selections larger than
 * the open dialog; files of several folders; captions by language. */
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "zamo_process.h"

namespace {

const std::string kExamples = std::string(ZAMO_SOURCE_DIR) + "/examples/";
const std::string kSample1251 = kExamples + "contacts-windows-1251.vcf";
const std::string kSamplePhone = kExamples + "phone-utf8.vcf";

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

int Lines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

/* The raw JSON value of `key` in `show --json` output (one key a line). */
std::string JsonValue(const std::string& json, const std::string& key) {
    size_t at = json.find("\"" + key + "\": ");
    if (at == std::string::npos) return "<missing " + key + ">";
    at += key.size() + 4;
    size_t end = json.find('\n', at);
    std::string value = json.substr(at, end == std::string::npos ? std::string::npos : end - at);
    while (!value.empty() && (value.back() == ',' || value.back() == '}')) value.pop_back();
    return value;
}

/* The objects of a one-line JSON array, sorted. */
std::vector<std::string> SortedEntries(const std::string& array) {
    std::vector<std::string> entries;
    for (size_t at = 0; (at = array.find('{', at)) != std::string::npos;) {
        size_t end = array.find('}', at);
        entries.push_back(array.substr(at, end - at + 1));
        at = end;
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::vector<std::string> Uids(const std::string& listJson) {
    std::vector<std::string> uids;
    for (size_t at = 0; (at = listJson.find("{\"uid\": \"", at)) != std::string::npos;) {
        at += 9;
        uids.push_back(listJson.substr(at, listJson.find('"', at) - at));
    }
    return uids;
}

ZamoResult Zamo(const std::string& db, std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), {"--db", db});
    return RunZamo(args, input);
}

TEST(ZamoImportExport, SamplesImportListAndShow) {
    TempFolder tmp;
    std::string db = tmp.File("c.db");
    ZamoResult r = Zamo(db, {"import", kSample1251, kSamplePhone});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Counted by hand in the two files: 3 + 3 cards; communications 5 + 2 + 3
    // in the windows-1251 file and 3 + 5 + 2 in the phone's.
    EXPECT_EQ(r.out, kSample1251 + ": 3 contacts created, 0 existing contacts "
                     "overwritten, 0 cards skipped, 10 communications added\n" + kSamplePhone +
                     ": 3 contacts created, 0 existing contacts overwritten, 0 cards skipped, "
                     "10 communications added\ntotal: 6 contacts created, 0 existing contacts "
                     "overwritten, 0 cards skipped, 20 communications added\n");
    ZamoResult list = Zamo(db, {"list"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    // Name cells between the UID and the telephone columns.
    for (const char* line : {"sample-0001  ", "  Ольга Сергеевна Кузнецова  ", "sample-0002  ",
                             "  Peter Brown  ", "sample-0003  ", "  Алексей Смирнов  ",
                             "  Марина Васильева  ", "  Lucía García  ", "  Дмитрий Ким  "}) {
        SCOPED_TRACE(line);
        EXPECT_TRUE(Contains(list.out, line)) << list.out;
    }
    EXPECT_EQ(Lines(list.out), 6);
    ZamoResult show = Zamo(db, {"show", "sample-0001"});
    ASSERT_EQ(show.exitCode, 0) << show.err;
    for (const char* line : {"Company: ООО \"Северный ветер\"\n", "Job title: Главный бухгалтер\n",
                             "Home street: ул. Садовая, д. 12, кв. 5\n", "Business postal code: 191186\n",
                             "Birthday: 1975-04-12\n", "  fax: +7 812 555-01-24\n",
                             "  msg (ICQ): 123456789\n"}) {
        SCOPED_TRACE(line);
        EXPECT_TRUE(Contains(show.out, line)) << show.out;
    }
}

TEST(ZamoImportExport, ExportReadsBackIntoAFreshDatabase) {
    TempFolder tmp;
    std::string first = tmp.File("first.db"), second = tmp.File("second.db");
    ASSERT_EQ(Zamo(first, {"import", kSample1251}).exitCode, 0);
    ASSERT_EQ(Zamo(first, {"add", "--uid", "added-1", "--first", "Nina", "--last", "Orlova",
                           "--company", "Орлов и сыновья", "--job-title", "Engineer",
                           "--profession", "Physicist", "--birthday", "1991-11-30",
                           "--work-street", "Main 1", "--work-city", "Kazan",
                           "--tel", "+7 843 000", "--email", "nina@example.ru",
                           "--url", "http://nina.example", "--fax", "+7 843 001",
                           "--msg", "ICQ:424242"})
                  .exitCode,
              0);
    ZamoResult exported = Zamo(first, {"export", tmp.File("all.vcf")});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    // The three cards of the sample and the contact added above.
    EXPECT_EQ(exported.out, "exported 4 contacts to " + tmp.File("all.vcf") + "\n");
    std::string file = tmp.Read("all.vcf");
    EXPECT_TRUE(Contains(file, "UID:sample-0001\r\n"));
    // "Кузнецова" in windows-1251 (code page table: К = CA, у = F3, з = E7, ...).
    EXPECT_TRUE(Contains(file, "\xCA\xF3\xE7\xED\xE5\xF6\xEE\xE2\xE0"));

    ZamoResult back = Zamo(second, {"import", tmp.File("all.vcf")});
    ASSERT_EQ(back.exitCode, 0) << back.err;
    EXPECT_TRUE(Contains(back.out, "4 contacts created")) << back.out;
    std::vector<std::string> uids = Uids(Zamo(first, {"list", "--json"}).out);
    ASSERT_EQ(uids.size(), 4u);
    EXPECT_EQ(Uids(Zamo(second, {"list", "--json"}).out), uids) << "same UIDs, same order";
    for (const std::string& uid : uids) {
        SCOPED_TRACE(uid);
        std::string a = Zamo(first, {"show", "--json", uid}).out;
        std::string b = Zamo(second, {"show", "--json", uid}).out;
        for (const char* key : {"uid", "lastName", "firstName", "middleName", "company", "jobTitle",
                                "profession", "homeStreet", "homeCity", "homeProvince",
                                "homePostalCode", "homeCountry", "businessStreet", "businessCity",
                                "businessProvince", "businessPostalCode", "businessCountry",
                                "birthDate"}) {
            EXPECT_EQ(JsonValue(a, key), JsonValue(b, key)) << key;
        }
        // The importer adds communications by kind (telephones and faxes, web,
        // e-mail, messengers), so only the order may differ.
        EXPECT_EQ(SortedEntries(JsonValue(a, "communications")),
                  SortedEntries(JsonValue(b, "communications")));
    }
}

TEST(ZamoImportExport, ReimportOverwritesOrSkipsWithoutDuplicates) {
    TempFolder tmp;
    std::string db = tmp.File("c.db");
    ASSERT_EQ(Zamo(db, {"import", kSample1251}).exitCode, 0);
    ASSERT_EQ(Zamo(db, {"export", tmp.File("all.vcf")}).exitCode, 0);
    struct Case {
        std::vector<std::string> args;
        std::string summary;
        const char* why;
    } cases[] = {
        {{"import", "--overwrite", "yes", tmp.File("all.vcf")},
         "0 contacts created, 3 existing contacts overwritten, 0 cards skipped, 0 communications added\n",
         "yes: every known contact overwritten, communications not doubled"},
        {{"import", tmp.File("all.vcf")},
         "0 contacts created, 0 existing contacts overwritten, 3 cards skipped, 0 communications added\n",
         "default without a terminal: no"},
        {{"import", "--overwrite", "no", tmp.File("all.vcf")},
         "0 contacts created, 0 existing contacts overwritten, 3 cards skipped, 0 communications added\n",
         "no"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ZamoResult r = Zamo(db, c.args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.summary);
        EXPECT_EQ(Lines(Zamo(db, {"list"}).out), 3) << "no duplicate";
    }
}

TEST(ZamoImportExport, ExportOfOneContact) {
    TempFolder tmp;
    std::string db = tmp.File("c.db");
    ASSERT_EQ(Zamo(db, {"import", kSample1251}).exitCode, 0);
    ASSERT_EQ(Zamo(db, {"add", "--parent", "sample-0002", "--first", "Kid"}).exitCode, 0);
    ZamoResult r = Zamo(db, {"export", "--contact", "sample-0002", tmp.File("one.vcf")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string file = tmp.Read("one.vcf");
    size_t cards = 0;
    for (size_t at = 0; (at = file.find("BEGIN:VCARD", at)) != std::string::npos; ++at) ++cards;
    EXPECT_EQ(cards, 1u) << "the contact alone, not its child";
    EXPECT_TRUE(Contains(file, "UID:sample-0002\r\n"));
}

TEST(ZamoImportExport, SelectionsLargerThanTheDialogAndSeveralFolders) {
    TempFolder tmp;
    std::string db = tmp.File("c.db");
    std::filesystem::create_directory(tmp.File("a"));
    std::filesystem::create_directory(tmp.File("b"));
    // 90 files with 40-character names need about 3,700 code units: four runs or more.
    std::vector<std::string> args = {"import"};
    for (int i = 0; i < 90; ++i) {
        std::string n = std::to_string(1000 + i);
        std::string name = "a/card-with-a-rather-long-file-name-" + n + ".vcf";
        tmp.Write(name, "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:long-" + n + "\r\nN:Card;" + n +
                            "\r\nEND:VCARD\r\n");
        args.push_back(tmp.File(name));
        if (i == 45) {
            tmp.Write("b/other.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:other\r\nN:Other;One\r\nEND:VCARD\r\n");
            args.push_back(tmp.File("b/other.vcf"));
        }
    }
    ZamoResult r = Zamo(db, args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "91 contacts created")) << r.out;
    std::vector<std::string> uids = Uids(Zamo(db, {"list", "--json"}).out);
    ASSERT_EQ(uids.size(), 91u);
    EXPECT_EQ(uids[0], "long-1000");
    EXPECT_EQ(uids[46], "other") << "argument order across folders";
    EXPECT_EQ(uids[90], "long-1089");
}

TEST(ZamoImportExport, CaptionsByLanguage) {
    TempFolder tmp;
    ASSERT_EQ(Zamo(tmp.File("c.db"), {"add", "--first", "A"}).exitCode, 0);
    struct Case {
        std::vector<std::string> args;
        std::string line;
        const char* why;
    } cases[] = {
        {{"menu"}, "vcard_import: Import contacts from vCard format\n", "English by default"},
        {{"--lang", "Russian", "menu"}, "vcard_import: Импорт контактов из формата vCard\n",
         "Russian"},
        {{"--lang", "Russian", "menu"},
         "vcard_export (contact menu): Экспорт контакта в формат vCard\n", "contact menu"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ZamoResult r = Zamo(tmp.File("c.db"), c.args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(Contains(r.out, c.line)) << r.out;
    }
}

TEST(ZamoImportExport, AModuleWithoutItsExportsIsPassedOver) {
    TempFolder tmp;
    std::string plugins = tmp.File("plugins");
    std::filesystem::create_directory(plugins);
    for (const char* m : {"vcard_import.zamodll", "vcard_export.zamodll"})
        std::filesystem::copy_file(std::string(ZAMO_BUILD_DIR) + "/" + m, plugins + "/" + m);
    // A module with only one of the exports, and a file that is no library at all.
    std::filesystem::copy_file(std::string(ZAMO_BUILD_DIR) + "/tests/partial_plugin.zamodll",
                               plugins + "/aaa_partial.zamodll");
    tmp.Write("plugins/broken.zamodll", "not a library");
    ASSERT_EQ(Zamo(tmp.File("c.db"), {"add", "--first", "A"}).exitCode, 0);
    ZamoResult r = Zamo(tmp.File("c.db"), {"--plugins", plugins, "menu"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.err, "aaa_partial.zamodll lacks SetLanguage, ExecuteMainCommand; "
                                "passed over"))
        << r.err;
    EXPECT_TRUE(Contains(r.err, "cannot load plug-in " + plugins + "/broken.zamodll")) << r.err;
    EXPECT_EQ(Lines(r.out), 3) << r.out;
}

}  // namespace
