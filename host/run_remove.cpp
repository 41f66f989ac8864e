/* `zamo remove UID`: removes a contact with its communications; one that has
 * contacts under it only with --recursive, which removes them too. */
#include <cstdio>

#include "cli_commands.h"
#include "utf_text.h"
#include "zamo_host.h"
#include "zamo_store.h"

void RunRemove(const ProgramContext& context) {
    const CommandLine& cl = context.commandLine;
    const std::string& arg = cl.args.front();
    WString uid;
    if (!Utf8ToWide(arg, &uid) || !AddinZamo_Contact_IsPresent(uid.c_str()))
        throw CliFailure{"no contact with UID " + arg};
    int children = AddinZamo_Contact_GetChildsCount(uid.c_str());
    if (children > 0 && !cl.recursive)
        throw CliFailure{"contact " + arg + " has " + std::to_string(children) +
                         (children == 1 ? " contact" : " contacts") +
                         " under it; give --recursive to remove them too"};
    int removed = ZamoStore_RemoveContact(uid);
    FinishPluginCommand();
    if (removed <= 0) throw CliFailure{"contact " + arg + " could not be removed"};
    std::printf("removed %d %s\n", removed, removed == 1 ? "contact" : "contacts");
}
