/* `zamo list` and `zamo show`: the tree (rows as contact_rows prints them) and
 * every field of one contact, as text for people or as JSON (--json). */
#include <cstdio>
#include <string>

#include "cli_commands.h"
#include "contact_rows.h"
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
    PrintContactRows(ZamoStore_Tree(), context.commandLine, true);
}

void RunShow(const ProgramContext& context) {
    WString uid = FindOneContact(context.commandLine.args.front());
    ContactRecord c;
    if (!ZamoStore_Read(uid, &c)) throw CliFailure{"the contact could not be read"};
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
