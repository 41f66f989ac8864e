/* The process-wide contact store and the library API over it (see zamo_store.h). */
#include "zamo_store.h"

ContactStore& ZamoStore_Instance() {
    static ContactStore store;
    return store;
}

bool ZamoStore_Open(const std::string& path, std::string* error, bool readOnly) {
    return ZamoStore_Instance().Open(path, error, readOnly);
}

bool ZamoStore_Close(std::string* error) { return ZamoStore_Instance().Close(error); }

bool ZamoStore_EndCommand(std::string* error) { return ZamoStore_Instance().EndCommand(error); }

StoreCounters ZamoStore_Counters() { return ZamoStore_Instance().Counters(); }

std::vector<ChangesResult> ZamoStore_Changes() { return ZamoStore_Instance().Changes(); }

void ZamoStore_ResetCounters() { ZamoStore_Instance().ResetCounters(); }

void ZamoStore_FailChanges() { ZamoStore_Instance().FailChanges(); }

void ZamoStore_SetDryRun(bool dryRun) { ZamoStore_Instance().SetDryRun(dryRun); }

void ZamoStore_RollBackAll() { ZamoStore_Instance().RollBackAll(); }

void ZamoStore_SetStopFlag(const volatile std::sig_atomic_t* flag) {
    ZamoStore_Instance().SetStopFlag(flag);
}

void ZamoStore_SetClock(std::function<double()> clock) {
    ZamoStore_Instance().SetClock(std::move(clock));
}

void ZamoStore_SetProgress(std::function<void(long)> progress) {
    ZamoStore_Instance().SetProgress(std::move(progress));
}

bool ZamoStore_SetText(WStringView uid, ContactField field, WStringView value) {
    return ZamoStore_Instance().SetText(field, uid, value);
}

bool ZamoStore_Read(WStringView uid, ContactRecord* out) {
    return ZamoStore_Instance().Read(uid, out);
}

long ZamoStore_NamedContacts() { return ZamoStore_Instance().NamedContacts(); }

std::vector<TreeEntry> ZamoStore_Tree() { return ZamoStore_Instance().Tree(); }

std::vector<TreeEntry> ZamoStore_Search(const std::function<bool(WStringView)>& matches) {
    return ZamoStore_Instance().Search(matches);
}

bool ZamoStore_RemoveCommunication(WStringView uid, int index) {
    return ZamoStore_Instance().RemoveCommunication(uid, index);
}

int ZamoStore_RemoveContact(WStringView uid) { return ZamoStore_Instance().RemoveContact(uid); }
