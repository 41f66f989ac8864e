/* The two export commands and the tree walk (see export_commands.h): dialog,
 * path, file, cards (their lines gathered into batches, the zone settings read
 * once for all), close. The walk keeps its own stack of child UIDs. */
#include "export_commands.h"

#include <vector>

#include "card_writer.h"
#include "output_file.h"
#include "output_path.h"
#include "vcard_date_format.h"
#include "wide_text.h"
#include "zamo_host.h"

namespace {

const WCHAR kRoot[] = TEXT("root");

// Asks for the file and creates it; false when the command is to end here.
bool StartOutput() {
    std::optional<WString> chosen = ChooseOutputFile();
    if (!chosen) return false;
    std::string path = ToAnsiPath(*chosen);
    if (path.empty() || !OpenOutputFile(path)) return false;
    GatherLines();  // the cards' lines go out in batches until the close
    return true;
}

bool IsEmptyText(const WCHAR* text) { return text == nullptr || text[0] == 0; }

bool HasName(const WCHAR* uid) {
    return !IsEmptyText(AddinZamo_Contact_GetFirstName(uid)) ||
           !IsEmptyText(AddinZamo_Contact_GetLastName(uid)) ||
           !IsEmptyText(AddinZamo_Contact_GetMiddleName(uid));
}

// Keeps the zone settings for the cards of one command, and forgets them
// however the command ends.
struct ZoneKeptForCommand {
    ZoneKeptForCommand() { KeepZoneSettings(); }
    ~ZoneKeptForCommand() { ForgetZoneSettings(); }
};

// A node whose children are being visited.
struct Visit {
    WString uid;
    int count;
    int next;
};

// Card of one node; true when its children are to be visited.
bool ExportOneNode(const WCHAR* uid) {
    if (!AddinZamo_Contact_IsPresent(uid)) return false;
    if (HasName(uid)) WriteCard(uid);
    return true;
}

// Visits the children of `parent` and all below, depth first, in index order.
void ExportChildren(const WCHAR* parent) {
    std::vector<Visit> stack;
    stack.push_back({parent, AddinZamo_Contact_GetChildsCount(parent), 0});
    while (!stack.empty()) {
        Visit& top = stack.back();
        if (top.next >= top.count) {
            stack.pop_back();
            continue;
        }
        const WCHAR* child = AddinZamo_Contact_GetChildUID(top.uid.c_str(), top.next++);
        if (child == nullptr) continue;
        WString uid(child);
        if (!ExportOneNode(uid.c_str())) continue;
        int count = AddinZamo_Contact_GetChildsCount(uid.c_str());
        if (count > 0) stack.push_back({std::move(uid), count, 0});
    }
}

}  // namespace

void ExportContactNode(const WCHAR* uid, bool withChildren) {
    if (uid == nullptr) return;
    if (ExportOneNode(uid) && withChildren) ExportChildren(uid);
}

void ExportAllContacts() {
    if (!StartOutput()) return;
    ZoneKeptForCommand zone;
    ExportChildren(kRoot);
    CloseOutputFile();
}

void ExportSelectedContact(const WCHAR* uid) {
    if (!StartOutput()) return;
    ZoneKeptForCommand zone;
    ExportContactNode(uid, false);
    CloseOutputFile();
}
