/* What `add` and `edit` change on a contact: the field, birthday and
 * communication options checked and turned into wide text before anything is
 * written, then applied. Exports ContactChanges, ReadContactChanges,
 * ApplyContactChanges and WideArgument. */
#ifndef ZAMO_HOST_CONTACT_CHANGES_H
#define ZAMO_HOST_CONTACT_CHANGES_H

#include <string>
#include <utility>
#include <vector>

#include "cli_options.h"
#include "contact_store.h"

struct ContactChanges {
    std::vector<std::pair<ContactField, WString>> fields;
    bool setsBirthday = false;
    double birthday = 0;  // the empty date clears it
    std::vector<StoredCommunication> added, removed;
    bool Empty() const {
        return fields.empty() && !setsBirthday && added.empty() && removed.empty();
    }
};

/* `text` as UTF-16; throws CliFailure (exit 2) naming `what` when it is not UTF-8. */
WString WideArgument(const std::string& text, const std::string& what);

/* Throws CliFailure (exit 2) for text that is not UTF-8 or a birthday that is
 * neither YYYY-MM-DD of a calendar day nor "" (which clears the birthday). */
ContactChanges ReadContactChanges(const CommandLine& commandLine);

/* Sets the fields and the birthday, removes the communications at
 * `removedIndexes` (each counted in the list as the earlier removals left it),
 * saves (which stamps the modification date) and adds the new communications. */
void ApplyContactChanges(const WString& uid, const ContactChanges& changes,
                         const std::vector<int>& removedIndexes = {});

#endif
