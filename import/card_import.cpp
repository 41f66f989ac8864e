/* ImportCard (see card_import.h): the sequence of steps, each a small function;
 * the single texts as a table of property and host setter. */
#include "card_import.h"

#include <windows.h>

#include <vector>

#include "address_import.h"
#include "communication_import.h"
#include "named_property_lines.h"
#include "overwrite_prompt.h"
#include "vcard_date.h"
#include "zamo_host.h"

namespace {

using TextSetter = int (*)(const WCHAR* uid, const WCHAR* value);

struct SingleText {
    PropertyName property;
    TextSetter setter;
};

const PropertyName kFormattedName(TEXT("FN")), kName(TEXT("N")), kBirthday(TEXT("BDAY"));

// Steps 7 to 10, in the order they run; each line's first component, the last line winning.
const SingleText kSingleTexts[] = {
    {TEXT("ORG"), AddinZamo_Contact_SetCompanyName},
    {TEXT("TITLE"), AddinZamo_Contact_SetJobTitle},
    {TEXT("NOTE"), AddinZamo_Contact_SetDetails},
    {TEXT("ROLE"), AddinZamo_Contact_SetProfession},
};

// The length of a NUL-ended text from the host, its units tested four a round.
size_t HostTextLength(const WCHAR* text) {
    const WCHAR* at = text;
    while (at[0] != 0 && at[1] != 0 && at[2] != 0 && at[3] != 0) at += 4;
    while (*at != 0) ++at;
    return static_cast<size_t>(at - text);
}

enum class Presence { Existing, Inserted, NoIdentifier };

// Inserts the contact under "root" when the host lacks it; `uid` then becomes the
// identifier the host returns (NoIdentifier when it returns none). With
// `storedWithLineFeed`, a contact stored under the UID and one line feed (as the
// earlier importer stored cards of UTF-8 files) counts as the card's, and `uid`
// becomes that stored UID.
Presence EnsureContact(WString& uid, bool storedWithLineFeed) {
    if (AddinZamo_Contact_IsPresent(uid.c_str()) != 0) return Presence::Existing;
    if (storedWithLineFeed) {
        WString stored = uid + TEXT('\n');
        if (AddinZamo_Contact_IsPresent(stored.c_str()) != 0) {
            uid = std::move(stored);
            return Presence::Existing;
        }
    }
    double now = AddinZamo_GetCurrDate();
    const WCHAR* inserted = AddinZamo_Contact_Insert(uid.c_str(), TEXT("root"), TEXT(""), now);
    if (!inserted) return Presence::NoIdentifier;
    uid.assign(inserted, HostTextLength(inserted));  // copied before any further host call
    return Presence::Inserted;
}

// The first component of the first line named exactly FN into `name`; empty without one.
void ReadFormattedName(const CardLines& card, PropertyScratch& scratch, WString& name) {
    name.clear();
    FirstNamedValue(kFormattedName, card, scratch, name);
}

// Every N line in card order: last, first, middle name; a name of three empty
// parts falls back to the formatted name as last name.
void SetNames(const WString& uid, const WString& formattedName, const CardLines& card,
              PropertyScratch& scratch) {
    const WCHAR* id = uid.c_str();
    ForEachNamedProperty(kName, card, scratch, [&](const PropertyParts& parts) {
        const std::vector<WStringView>& names = parts.components;
        AddinZamo_Contact_SetLastName(id, ComponentValue(parts, 0));
        if (names.size() >= 2) AddinZamo_Contact_SetFirstName(id, ComponentValue(parts, 1));
        if (names.size() < 3) return;
        AddinZamo_Contact_SetMiddleName(id, ComponentValue(parts, 2));
        // A component is empty exactly when its value is.
        if (names[0].empty() && names[1].empty() && names[2].empty())
            AddinZamo_Contact_SetLastName(id, formattedName.c_str());
    });
}

void SetSingleTexts(const WString& uid, const CardLines& card, PropertyScratch& scratch) {
    for (const SingleText& text : kSingleTexts)
        ForEachNamedHead(text.property, card, scratch, [&](const PropertyHead& head) {
            text.setter(uid.c_str(), head.value.data());
        });
}

// Every BDAY line in card order; a text of no known form sets the all-zero time.
void SetBirthday(const WString& uid, const CardLines& card, PropertyScratch& scratch) {
    ForEachNamedHead(kBirthday, card, scratch, [&](const PropertyHead& head) {
        SYSTEMTIME time = ParseVCardDate(head.value);
        double date = AddinZamo_GetOleDateFromSystemTime(time);
        AddinZamo_Contact_SetBirthDate(uid.c_str(), date);
    });
}

}  // namespace

void ImportCard(const CardLines& lines, CardImportContext& context) {
    PropertyScratch& scratch = context.scratch;
    // The exact-name steps read only the lines that start with their name.
    SummarizeLineHeads(lines, scratch.heads);
    WString& uid = context.uid;
    uid.clear();
    const bool hasUid = FirstPropertyValue(TEXT("UID"), lines, scratch, uid);
    Presence presence = EnsureContact(uid, hasUid && context.fromUtf8File);
    if (presence == Presence::NoIdentifier) return;
    WString& formattedName = context.formattedName;
    ReadFormattedName(lines, scratch, formattedName);
    if (presence == Presence::Existing && !ConfirmOverwrite(uid, formattedName, lines, scratch))
        return;
    AddinZamo_Contact_SetTitle(uid.c_str(), formattedName.c_str());
    SetNames(uid, formattedName, lines, scratch);
    SetSingleTexts(uid, lines, scratch);
    SetBirthday(uid, lines, scratch);
    ImportAddresses(uid, lines, scratch);
    AddinZamo_Contact_SaveChanges(uid.c_str());
    ImportCommunications(uid, lines, scratch, context.communications);
}

void ImportCard(const CardLines& lines) {
    CardImportContext context;
    ImportCard(lines, context);
}
