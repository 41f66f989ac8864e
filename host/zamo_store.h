/* The host library's own API beside the AddinZamo_ functions: opening and
 * closing the contact database, the commit at the end of a plug-in command, the
 * import counters, a clock seam and whole-contact reads for the zamo program. */
#ifndef ZAMO_HOST_ZAMO_STORE_H
#define ZAMO_HOST_ZAMO_STORE_H

#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include "contact_fields.h"
#include "contact_store.h"
#include "wide_text.h"

/* Opens (creating when missing) the database every AddinZamo_ call works on,
 * closing one that is open. False with a one-line reason. `readOnly`: an
 * existing database only, nothing written to it (see ContactStore::Open). */
bool ZamoStore_Open(const std::string& path, std::string* error, bool readOnly = false);
/* Commits and closes; false with the reason when something could not be written. */
bool ZamoStore_Close(std::string* error);
/* Call after every plug-in command: commits what it wrote (also without
 * ChangesEnd) and ends the validity of child UIDs. False with the first error
 * the command met. */
bool ZamoStore_EndCommand(std::string* error);

/* Counters since the last reset (see StoreCounters), and what each
 * ChangesStart..ChangesEnd bracket did since then; the reset clears both. */
StoreCounters ZamoStore_Counters();
std::vector<ChangesResult> ZamoStore_Changes();
void ZamoStore_ResetCounters();

/* The open bracket is rolled back at its end instead of committed: a module
 * reported a failure inside it. */
void ZamoStore_FailChanges();
/* Dry run: nothing is committed until ZamoStore_RollBackAll drops it all. */
void ZamoStore_SetDryRun(bool dryRun);
void ZamoStore_RollBackAll();
/* A flag (set by a signal handler) that makes the store roll back the open
 * transaction and write nothing more; null to stop watching. */
void ZamoStore_SetStopFlag(const volatile std::sig_atomic_t* flag);

/* A null clock restores the local wall clock. */
void ZamoStore_SetClock(std::function<double()> clock);
/* Called after each presence check with the count so far; null to stop. */
void ZamoStore_SetProgress(std::function<void(long)> progress);

/* Sets any text field, the assistant's and manager's names included. */
bool ZamoStore_SetText(WStringView uid, ContactField field, WStringView value);
/* The whole contact; false when `uid` is no contact. */
bool ZamoStore_Read(WStringView uid, ContactRecord* out);
/* Contacts with a first, middle or last name: the cards an export of all writes. */
long ZamoStore_NamedContacts();
/* Every contact in walk order, parent before children. */
std::vector<TreeEntry> ZamoStore_Tree();
/* See ContactStore::Search, RemoveCommunication and RemoveContact. */
std::vector<TreeEntry> ZamoStore_Search(const std::function<bool(WStringView)>& matches);
bool ZamoStore_RemoveCommunication(WStringView uid, int index);
int ZamoStore_RemoveContact(WStringView uid);

/* The store itself, for the library's own functions. */
ContactStore& ZamoStore_Instance();

#endif
