/* `zamo find TEXT`: the contacts whose names, title, company, job title or a
 * communication value contain TEXT in any letter case, printed as list prints
 * rows; and the lookup by UID or text that show uses. */
#include "cli_commands.h"
#include "contact_changes.h"
#include "contact_rows.h"
#include "contact_text.h"
#include "text_folding.h"
#include "utf_text.h"
#include "zamo_host.h"
#include "zamo_store.h"

namespace {

std::vector<TreeEntry> Search(const std::string& text) {
    WString needle = FoldCase(WideArgument(text, "the text to find"));
    return ZamoStore_Search([&](WStringView value) { return ContainsFolded(value, needle); });
}

}  // namespace

void RunFind(const ProgramContext& context) {
    PrintContactRows(Search(context.commandLine.args.front()), context.commandLine, false);
}

WString FindOneContact(const std::string& uidOrText) {
    WString uid;
    if (Utf8ToWide(uidOrText, &uid) && AddinZamo_Contact_IsPresent(uid.c_str())) return uid;
    std::vector<TreeEntry> found = Search(uidOrText);
    if (found.empty())
        throw CliFailure{"no contact with UID " + uidOrText + ", nor one matching it as text"};
    if (found.size() == 1) return found.front().uid;
    std::string message = std::to_string(found.size()) + " contacts match '" + uidOrText +
                          "'; give the UID of one:";
    for (const TreeEntry& e : found)
        message += "\n  " + VisibleText(e.uid) + "  " +
                   DisplayName(e.firstName, e.middleName, e.lastName, e.title);
    throw CliFailure{message};
}
