/* Helpers of the bad-input catalogue: vCard text builders, a run of one file
 * through the importer against the fake host that counts what reached the host,
 * and lookups of imported contacts by title. */
#ifndef ZAMO_TESTS_RELIABILITY_IMPORT_CATALOGUE_H
#define ZAMO_TESTS_RELIABILITY_IMPORT_CATALOGUE_H

#include <cstddef>
#include <string>
#include <vector>

#include "wide_text.h"

/* "BEGIN:VCARD", the lines, "END:VCARD", each followed by `end`. */
std::string Card(const std::vector<std::string>& lines, const std::string& end = "\n");

/* A card with only "FN:<title>", the simplest card that leaves a trace. */
std::string TitleCard(const std::string& title);

/* What one import did, as the host saw it. */
struct ImportRun {
    bool threw = false;       // an exception left ImportVCardFile
    std::string error;        // its text
    size_t bracketStarts = 0;  // AddinZamo_ChangesStart calls
    size_t bracketEnds = 0;    // AddinZamo_ChangesEnd calls
    size_t cards = 0;          // cards that reached the card importer (presence checks)
    size_t saves = 0;          // AddinZamo_Contact_SaveChanges calls
};

/* Writes `bytes` to a temporary file and imports it with ImportVCardFile into the
 * fake host as it stands (not reset here), the getters left out of its log. */
ImportRun ImportBytes(const std::string& bytes);

/* Titles of every contact, each without one trailing line feed, sorted. */
std::vector<std::string> Titles();
/* The UID of the contact whose title (trailing line feed ignored) is `title`, or "". */
WString UidOfTitle(const std::string& title);

#endif
