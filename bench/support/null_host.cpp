/* A host that does nothing, for benchmarks: every contact is absent, every
 * getter answers "", Insert hands back the UID it was given. */
#include "ole_date.h"
#include "zamo_host.h"

extern "C" {
void AddinZamo_ChangesStart(void) {}
void AddinZamo_ChangesEnd(void) {}
double AddinZamo_GetCurrDate(void) { return 0; }
SYSTEMTIME AddinZamo_GetSystemTimeFromOleDate(double d) { return OleDateToSystemTime(d); }
double AddinZamo_GetOleDateFromSystemTime(SYSTEMTIME t) { return SystemTimeToOleDate(t); }
int AddinZamo_IsMaxDate(double d) { return OleIsEmptyDate(d); }
int AddinZamo_Contact_IsPresent(const WCHAR*) { return 0; }
const WCHAR* AddinZamo_Contact_Insert(const WCHAR* uid, const WCHAR*, const WCHAR*, double) { return uid; }
int AddinZamo_Contact_SaveChanges(const WCHAR*) { return 0; }
#define SETTER(F) int AddinZamo_Contact_Set##F(const WCHAR*, const WCHAR*) { return 0; }
ZAMO_CONTACT_SETTER_FIELDS(SETTER)
#define GETTER(F) const WCHAR* AddinZamo_Contact_Get##F(const WCHAR*) { return u""; }
ZAMO_CONTACT_GETTER_FIELDS(GETTER)
int AddinZamo_Contact_SetBirthDate(const WCHAR*, double) { return 0; }
double AddinZamo_Contact_GetBirthDate(const WCHAR*) { return kOleEmptyDate; }
double AddinZamo_Contact_GetDateModification(const WCHAR*) { return 0; }
int AddinZamo_Contact_AddCommunication(const WCHAR*, const WCHAR*, const WCHAR*, const WCHAR*) { return 0; }
int AddinZamo_Contact_GetCommunicationsCount(const WCHAR*) { return 0; }
int AddinZamo_Contact_GetCommunication(const WCHAR*, int, const WCHAR**, const WCHAR**, const WCHAR**) { return 0; }
int AddinZamo_Contact_GetChildsCount(const WCHAR*) { return 0; }
const WCHAR* AddinZamo_Contact_GetChildUID(const WCHAR*, int) { return u""; }
}
