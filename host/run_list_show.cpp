/* `zamo list` and `zamo show`: the tree indented by depth and every field of
 * one contact, as text for people or as JSON (--json) for scripts. */
#include <cstdio>
#include <string>

#include "cli_commands.h"
#include "contact_text.h"
#include "utf_text.h"
#include "zamo_store.h"

namespace {

std::string Json(WStringView text) { return JsonText(text); }

std::string JsonDate(double date, bool dateOnlyWhenMidnight) {
    std::string text = DateText(date, dateOnlyWhenMidnight, true);
    return text.empty() ? "null" : JsonString(text);
}

}  // namespace

void RunList(const ProgramContext& context) {
    std::vector<TreeEntry> tree = ZamoStore_Tree();
    std::string out;
    if (context.commandLine.json) {
        out = "[";
        for (size_t i = 0; i < tree.size(); ++i) {
            const TreeEntry& e = tree[i];
            out += i ? ",\n " : "\n ";
            out += "{\"uid\": " + Json(e.uid) + ", \"depth\": " + std::to_string(e.depth) +
                   ", \"name\": " +
                   Json(JoinName(e.firstName, e.middleName, e.lastName, e.title)) +
                   ", \"firstName\": " + Json(e.firstName) + ", \"middleName\": " +
                   Json(e.middleName) + ", \"lastName\": " + Json(e.lastName) + "}";
        }
        out += tree.empty() ? "]\n" : "\n]\n";
    } else {
        for (const TreeEntry& e : tree) {
            std::string name = DisplayName(e.firstName, e.middleName, e.lastName, e.title);
            out += std::string(static_cast<size_t>(e.depth) * 2, ' ') + VisibleText(e.uid) +
                   "  " + (name.empty() ? "(no name)" : name) + "\n";
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void RunShow(const ProgramContext& context) {
    const std::string& arg = context.commandLine.args.front();
    WString uid;
    ContactRecord c;
    if (!Utf8ToWide(arg, &uid) || !ZamoStore_Read(uid, &c))
        throw CliFailure{"no contact with UID " + arg};
    std::string out;
    if (context.commandLine.json) {
        out = "{\"uid\": " + Json(c.uid) + ",\n \"parent\": " + Json(c.parentUid);
        for (const ContactFieldInfo& f : kContactFields)
            out += std::string(",\n \"") + f.jsonKey + "\": " +
                   Json(c.fields[static_cast<size_t>(f.field)]);
        out += ",\n \"birthDate\": " + JsonDate(c.birth, true) +
               ",\n \"created\": " + JsonDate(c.created, false) +
               ",\n \"modified\": " + JsonDate(c.modified, false) + ",\n \"communications\": [";
        for (size_t i = 0; i < c.communications.size(); ++i) {
            const StoredCommunication& m = c.communications[i];
            out += std::string(i ? ", " : "") + "{\"kind\": " + Json(m.kind) +
                   ", \"value\": " + Json(m.value) +
                   ", \"subKind\": " + (m.hasSubKind ? Json(m.subKind) : "null") + "}";
        }
        out += "]}\n";
    } else {
        out = "UID: " + VisibleText(c.uid) + "\nParent: " + VisibleText(c.parentUid) + "\n";
        for (const ContactFieldInfo& f : kContactFields)
            out += std::string(f.label) + ": " +
                   VisibleText(c.fields[static_cast<size_t>(f.field)]) + "\n";
        out += "Birthday: " + DateText(c.birth, true) + "\n";
        out += "Created: " + DateText(c.created, false) + "\n";
        out += "Modified: " + DateText(c.modified, false) + "\n";
        out += "Communications:" + std::string(c.communications.empty() ? " none" : "") + "\n";
        for (const StoredCommunication& m : c.communications)
            out += "  " + VisibleText(m.kind) +
                   (m.hasSubKind ? " (" + VisibleText(m.subKind) + ")" : std::string()) + ": " +
                   VisibleText(m.value) + "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}
