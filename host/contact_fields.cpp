/* The text-field table (see contact_fields.h). Column names are part of the
 * stored database format: never rename one. */
#include "contact_fields.h"

const ContactFieldInfo kContactFields[kContactFieldCount] = {
    {ContactField::Title, "title", "title", "Title", "title"},
    {ContactField::LastName, "last_name", "last", "Last name", "lastName"},
    {ContactField::FirstName, "first_name", "first", "First name", "firstName"},
    {ContactField::MiddleName, "middle_name", "middle", "Middle name", "middleName"},
    {ContactField::CompanyName, "company", "company", "Company", "company"},
    {ContactField::JobTitle, "job_title", "job-title", "Job title", "jobTitle"},
    {ContactField::Profession, "profession", "profession", "Profession", "profession"},
    {ContactField::AssistantName, "assistant", "assistant", "Assistant", "assistant"},
    {ContactField::ManagerName, "manager", "manager", "Manager", "manager"},
    {ContactField::Details, "details", "details", "Details", "details"},
    {ContactField::HomeAddressStreet, "home_street", "home-street", "Home street", "homeStreet"},
    {ContactField::HomeAddressCity, "home_city", "home-city", "Home city", "homeCity"},
    {ContactField::HomeAddressProvince, "home_province", "home-province", "Home province",
     "homeProvince"},
    {ContactField::HomeAddressPostalCode, "home_postal_code", "home-postal-code",
     "Home postal code", "homePostalCode"},
    {ContactField::HomeAddressCountry, "home_country", "home-country", "Home country",
     "homeCountry"},
    {ContactField::BusinessAddressStreet, "work_street", "work-street", "Business street",
     "businessStreet"},
    {ContactField::BusinessAddressCity, "work_city", "work-city", "Business city",
     "businessCity"},
    {ContactField::BusinessAddressProvince, "work_province", "work-province",
     "Business province", "businessProvince"},
    {ContactField::BusinessAddressPostalCode, "work_postal_code", "work-postal-code",
     "Business postal code", "businessPostalCode"},
    {ContactField::BusinessAddressCountry, "work_country", "work-country", "Business country",
     "businessCountry"},
};
