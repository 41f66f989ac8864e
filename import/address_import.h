/* The address step of the card importer: ADR lines into the contact's home or
 * business address. Exports ImportAddresses. */
#ifndef ZAMO_IMPORT_ADDRESS_IMPORT_H
#define ZAMO_IMPORT_ADDRESS_IMPORT_H

#include "card_lines.h"
#include "named_property_lines.h"
#include "wide_text.h"

/* For every line named exactly ADR, in card order: the first parameter entry
 * (name included) containing "HOME" picks the home address, else one containing
 * "WORK" the business address; neither word: the line is passed over. Street,
 * city, province, postal code and country get components 3 to 7, empty ones
 * (and missing ones of a short line) clearing the field; when all five are empty
 * the street is set again from component 2. A later line of a kind wins. */
void ImportAddresses(const WString& uid, const CardLines& card, PropertyScratch& scratch);

#endif
