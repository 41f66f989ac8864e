/* `zamo add`: creates one contact with the fields, birthday and communications
 * given as options, under "root" or --parent, and prints its UID. */
#include <cstdio>

#include "cli_commands.h"
#include "ole_date.h"
#include "utf_text.h"
#include "zamo_host.h"
#include "zamo_store.h"

namespace {

WString Wide(const std::string& text, const std::string& what) {
    WString wide;
    if (!Utf8ToWide(text, &wide)) throw CliFailure{what + " is not UTF-8", 2};
    return wide;
}

/* YYYY-MM-DD as an OLE date; the empty date when it is no calendar date. */
double ParseBirthday(const std::string& text) {
    unsigned y = 0, m = 0, d = 0;
    char tail = 0;
    if (text.size() != 10 || std::sscanf(text.c_str(), "%4u-%2u-%2u%c", &y, &m, &d, &tail) != 3)
        return kOleEmptyDate;
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    return SystemTimeToOleDate(st);
}

}  // namespace

void RunAdd(const ProgramContext& context) {
    const CommandLine& cl = context.commandLine;
    WString uid = Wide(cl.uid, "--uid");
    WString parent = Wide(cl.parent, "--parent");
    double birthday = kOleEmptyDate;
    if (!cl.birthday.empty()) {
        birthday = ParseBirthday(cl.birthday);
        if (OleIsEmptyDate(birthday))
            throw CliFailure{"--birthday takes a date as YYYY-MM-DD, not '" + cl.birthday + "'", 2};
    }
    if (parent != TEXT("root") && !AddinZamo_Contact_IsPresent(parent.c_str()))
        throw CliFailure{"no contact with UID " + cl.parent + " to be the parent"};
    if (!uid.empty() && (uid == TEXT("root") || AddinZamo_Contact_IsPresent(uid.c_str())))
        throw CliFailure{"UID " + cl.uid + " is taken"};
    std::vector<std::pair<ContactField, WString>> fields;
    for (const auto& [field, value] : cl.fields)
        fields.push_back({field, Wide(value, std::string("--") + FieldInfo(field).option)});
    std::vector<std::array<WString, 3>> communications;
    for (const CommunicationOption& c : cl.communications)
        communications.push_back({Wide(c.kind, "kind"), Wide(c.value, "communication"),
                                  Wide(c.subKind, "kind")});

    WString created = AddinZamo_Contact_Insert(uid.c_str(), parent.c_str(), TEXT(""),
                                               AddinZamo_GetCurrDate());
    for (const auto& [field, value] : fields) ZamoStore_SetText(created, field, value);
    if (!cl.birthday.empty()) AddinZamo_Contact_SetBirthDate(created.c_str(), birthday);
    AddinZamo_Contact_SaveChanges(created.c_str());
    for (const auto& c : communications)
        AddinZamo_Contact_AddCommunication(created.c_str(), c[0].c_str(), c[1].c_str(),
                                           c[2].empty() ? nullptr : c[2].c_str());
    FinishPluginCommand();
    std::printf("%s\n", WideToUtf8(created).c_str());
}
