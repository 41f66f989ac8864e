/* The catalogue helpers (see import_catalogue.h): card builders, one import
 * through ImportVCardFile against the fake host, title lookups. */
#include "import_catalogue.h"

#include <algorithm>
#include <exception>

#include "fake_host.h"
#include "file_reader.h"
#include "zamo_process.h"

std::string Card(const std::vector<std::string>& lines, const std::string& end) {
    std::string text = "BEGIN:VCARD" + end;
    for (const std::string& line : lines) text += line + end;
    return text + "END:VCARD" + end;
}

std::string TitleCard(const std::string& title) { return Card({"FN:" + title}); }

// The second look-up of a card from a UTF-8 file (its UID with a line feed, as
// the earlier importer stored it) is no card of its own.
bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

ImportRun ImportBytes(const std::string& bytes) {
    TempFolder folder;
    std::string path = folder.Write("catalogue.vcf", bytes);
    FakeHost& host = FakeHost::Get();
    host.logGetters = false;
    ImportRun run;
    auto previous = host.beforeCall;
    host.beforeCall = [&](const std::string& entry) {
        if (entry == "ChangesStart()") ++run.bracketStarts;
        else if (entry == "ChangesEnd()") ++run.bracketEnds;
        else if (entry.compare(0, 10, "IsPresent(") == 0 && !EndsWith(entry, "\n)")) ++run.cards;
        else if (entry.compare(0, 12, "SaveChanges(") == 0) ++run.saves;
        if (previous) previous(entry);
    };
    try {
        ImportVCardFile(Utf16(path));
    } catch (const std::exception& e) {
        run.threw = true;
        run.error = e.what();
    } catch (...) {
        run.threw = true;
        run.error = "unknown exception";
    }
    host.beforeCall = previous;
    return run;
}

namespace {
std::string WithoutLineFeed(std::string text) {
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}
}  // namespace

std::vector<std::string> Titles() {
    std::vector<std::string> titles;
    for (auto& [uid, contact] : FakeHost::Get().contacts) {
        if (uid == TEXT("root")) continue;
        auto it = contact.fields.find("Title");
        titles.push_back(WithoutLineFeed(it == contact.fields.end() ? "" : Utf8(it->second)));
    }
    std::sort(titles.begin(), titles.end());
    return titles;
}

WString UidOfTitle(const std::string& title) {
    for (auto& [uid, contact] : FakeHost::Get().contacts) {
        auto it = contact.fields.find("Title");
        if (it != contact.fields.end() && WithoutLineFeed(Utf8(it->second)) == title) return uid;
    }
    return WString();
}
