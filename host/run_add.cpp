/* `zamo add`: creates one contact with the fields, birthday and communications
 * given as options, under "root" or --parent, and prints its UID. */
#include <cstdio>

#include "cli_commands.h"
#include "contact_changes.h"
#include "utf_text.h"
#include "zamo_host.h"

void RunAdd(const ProgramContext& context) {
    const CommandLine& cl = context.commandLine;
    WString uid = WideArgument(cl.uid, "--uid");
    WString parent = WideArgument(cl.parent, "--parent");
    ContactChanges changes = ReadContactChanges(cl);
    if (parent != u"root" && !AddinZamo_Contact_IsPresent(parent.c_str()))
        throw CliFailure{"no contact with UID " + cl.parent + " to be the parent"};
    if (!uid.empty() && (uid == u"root" || AddinZamo_Contact_IsPresent(uid.c_str())))
        throw CliFailure{"UID " + cl.uid + " is taken"};

    const WCHAR* inserted = AddinZamo_Contact_Insert(uid.c_str(), parent.c_str(), u"",
                                                     AddinZamo_GetCurrDate());
    if (!inserted) {
        FinishPluginCommand();  // names the failed write
        throw CliFailure{"the contact could not be created"};
    }
    WString created = inserted;
    ApplyContactChanges(created, changes);
    FinishPluginCommand();
    std::printf("%s\n", WideToUtf8(created).c_str());
}
