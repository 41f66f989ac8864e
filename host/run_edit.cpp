/* `zamo edit UID`: sets the fields given as options, removes the named
 * communications and adds the new ones, in one transaction; a removal that
 * names a communication the contact lacks refuses the whole edit. */
#include "cli_commands.h"
#include "contact_changes.h"
#include "utf_text.h"
#include "zamo_store.h"

namespace {

struct KindName {
    const char16_t* kind;
    const char* name;  // for messages
};

const KindName kKindNames[] = {
    {u"tel", "telephone"}, {u"fax", "fax"}, {u"eml", "e-mail address"},
    {u"www", "web address"}, {u"msg", "messenger address"},
};

std::string KindText(const StoredCommunication& c) {
    for (const KindName& k : kKindNames)
        if (c.kind == k.kind)
            return c.kind == u"msg" ? WideToUtf8(c.subKind) + " address" : k.name;
    return WideToUtf8(c.kind);
}

/* Where each removal is, counted in the list as the earlier removals leave it:
 * the first communication of that kind (and messenger) with exactly that value. */
std::vector<int> RemovalIndexes(std::vector<StoredCommunication> list,
                                const std::vector<StoredCommunication>& removals,
                                const std::string& uid) {
    std::vector<int> indexes;
    for (const StoredCommunication& r : removals) {
        size_t i = 0;
        while (i < list.size() && !(list[i].kind == r.kind && list[i].value == r.value &&
                                    (!r.hasSubKind || list[i].subKind == r.subKind)))
            ++i;
        if (i == list.size())
            throw CliFailure{"contact " + uid + " has no " + KindText(r) + " " +
                             WideToUtf8(r.value) + "; nothing changed"};
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
        indexes.push_back(static_cast<int>(i));
    }
    return indexes;
}

}  // namespace

void RunEdit(const ProgramContext& context) {
    const CommandLine& cl = context.commandLine;
    const std::string& arg = cl.args.front();
    ContactChanges changes = ReadContactChanges(cl);
    if (changes.Empty()) throw CliFailure{"edit needs a field or communication to change", 2};
    WString uid;
    ContactRecord contact;
    if (!Utf8ToWide(arg, &uid) || !ZamoStore_Read(uid, &contact))
        throw CliFailure{"no contact with UID " + arg};
    std::vector<int> removals = RemovalIndexes(contact.communications, changes.removed, arg);
    ApplyContactChanges(uid, changes, removals);
    FinishPluginCommand();
}
