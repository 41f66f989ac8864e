/* The contact's text fields as data: one row per field with its database
 * column, its command-line option, its label and its JSON key. Exports the
 * ContactField enum (named as the host interface names the fields) and the table. */
#ifndef ZAMO_HOST_CONTACT_FIELDS_H
#define ZAMO_HOST_CONTACT_FIELDS_H

#include <cstddef>

enum class ContactField {
    Title, LastName, FirstName, MiddleName, CompanyName, JobTitle, Profession,
    AssistantName, ManagerName, Details,
    HomeAddressStreet, HomeAddressCity, HomeAddressProvince, HomeAddressPostalCode,
    HomeAddressCountry,
    BusinessAddressStreet, BusinessAddressCity, BusinessAddressProvince,
    BusinessAddressPostalCode, BusinessAddressCountry,
};
constexpr size_t kContactFieldCount = 20;

struct ContactFieldInfo {
    ContactField field;
    const char* column;  // SQL column of the contact table
    const char* option;  // `zamo add` option without the leading "--"
    const char* label;   // `zamo show` label
    const char* jsonKey; // key in `--json` output
};

/* The table, in ContactField order: kContactFields[size_t(f)].field == f. */
extern const ContactFieldInfo kContactFields[kContactFieldCount];

inline const ContactFieldInfo& FieldInfo(ContactField f) {
    return kContactFields[static_cast<size_t>(f)];
}

#endif
