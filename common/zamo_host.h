/* The host's contact interface, as both plug-in modules call it: the C functions
 * of the host library zamo_plugins (libzamo_plugins.so, zamo_plugins.dll).
 * Also exports X-macro lists of the text fields, so hosts, fakes and mapping
 * tables name each field once. */
#ifndef ZAMO_COMMON_ZAMO_HOST_H
#define ZAMO_COMMON_ZAMO_HOST_H

#include <windows.h>

/* Text fields with a setter AddinZamo_Contact_Set<Field>(uid, value). */
#define ZAMO_CONTACT_SETTER_FIELDS(X)                                                  \
    X(Title) X(LastName) X(FirstName) X(MiddleName) X(CompanyName) X(JobTitle)         \
    X(Profession) X(Details)                                                           \
    X(HomeAddressStreet) X(HomeAddressCity) X(HomeAddressProvince)                     \
    X(HomeAddressPostalCode) X(HomeAddressCountry)                                     \
    X(BusinessAddressStreet) X(BusinessAddressCity) X(BusinessAddressProvince)         \
    X(BusinessAddressPostalCode) X(BusinessAddressCountry)

/* Text fields with a getter AddinZamo_Contact_Get<Field>(uid). */
#define ZAMO_CONTACT_GETTER_FIELDS(X)                                                  \
    X(FirstName) X(LastName) X(MiddleName) X(CompanyName) X(JobTitle) X(Profession)    \
    X(AssistantName) X(ManagerName) X(Details)                                         \
    X(HomeAddressStreet) X(HomeAddressCity) X(HomeAddressProvince)                     \
    X(HomeAddressPostalCode) X(HomeAddressCountry)                                     \
    X(BusinessAddressStreet) X(BusinessAddressCity) X(BusinessAddressProvince)         \
    X(BusinessAddressPostalCode) X(BusinessAddressCountry)

#ifdef __cplusplus
extern "C" {
#endif

/* Brackets a batch of changes (the importer: one pair per file). */
void AddinZamo_ChangesStart(void);
void AddinZamo_ChangesEnd(void);

/* Dates are OLE automation dates: days since 30 December 1899, the fraction the
 * time of day. The empty date is the one for which IsMaxDate is non-zero. */
double AddinZamo_GetCurrDate(void);
SYSTEMTIME AddinZamo_GetSystemTimeFromOleDate(double date);
double AddinZamo_GetOleDateFromSystemTime(SYSTEMTIME time);
int AddinZamo_IsMaxDate(double date);

/* Contacts are known by UID; "root" is the top of the tree and no contact. */
int AddinZamo_Contact_IsPresent(const WCHAR* uid);
/* Creates a contact under parentUid; returns its UID (uid itself when usable). */
const WCHAR* AddinZamo_Contact_Insert(const WCHAR* uid, const WCHAR* parentUid,
                                      const WCHAR* text, double date);
/* Sets the modification date; the importer calls it once per card. */
int AddinZamo_Contact_SaveChanges(const WCHAR* uid);

#define ZAMO_DECLARE_SETTER(Field) \
    int AddinZamo_Contact_Set##Field(const WCHAR* uid, const WCHAR* value);
ZAMO_CONTACT_SETTER_FIELDS(ZAMO_DECLARE_SETTER)
#undef ZAMO_DECLARE_SETTER
int AddinZamo_Contact_SetBirthDate(const WCHAR* uid, double date);

/* Getters never return null: "" when unset. Valid until the next host call. */
#define ZAMO_DECLARE_GETTER(Field) const WCHAR* AddinZamo_Contact_Get##Field(const WCHAR* uid);
ZAMO_CONTACT_GETTER_FIELDS(ZAMO_DECLARE_GETTER)
#undef ZAMO_DECLARE_GETTER
double AddinZamo_Contact_GetBirthDate(const WCHAR* uid);
double AddinZamo_Contact_GetDateModification(const WCHAR* uid);

/* Communications: kind "tel", "fax", "eml", "www" or "msg"; sub-kind only for "msg". */
int AddinZamo_Contact_AddCommunication(const WCHAR* uid, const WCHAR* kind,
                                       const WCHAR* value, const WCHAR* subKind);
int AddinZamo_Contact_GetCommunicationsCount(const WCHAR* uid);
/* Fills the three outputs for index 0..count-1; returns non-zero when filled. */
int AddinZamo_Contact_GetCommunication(const WCHAR* uid, int index, const WCHAR** kind,
                                       const WCHAR** value, const WCHAR** subKind);

/* The tree. A child UID stays valid while that child's subtree is walked. */
int AddinZamo_Contact_GetChildsCount(const WCHAR* uid);
const WCHAR* AddinZamo_Contact_GetChildUID(const WCHAR* uid, int index);

#ifdef __cplusplus
}
#endif

#endif
