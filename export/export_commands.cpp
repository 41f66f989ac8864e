/* Placeholder until the export commands land. */
#include "export_commands.h"

void ExportAllContacts() {}
void ExportSelectedContact(const WCHAR*) {}
void CloseOutputFile() {}
