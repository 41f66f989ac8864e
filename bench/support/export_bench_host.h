/* A host that serves generated contacts from memory, for the export benchmark:
 * the AddinZamo_ getters answer from prepared strings, the setters do nothing.
 * Exports FillMemoryHost. */
#ifndef ZAMO_BENCH_EXPORT_BENCH_HOST_H
#define ZAMO_BENCH_EXPORT_BENCH_HOST_H

#include <cstddef>

/* Replaces the contacts with `contacts` generated ones, all children of "root":
 * Latin and Cyrillic names, company, job title, profession, both addresses, a
 * two-line note, a birthday and four communications each. Same count, same data. */
void FillMemoryHost(size_t contacts);

/* Replaces the contacts with one named contact "c0" whose note is "123456789"
 * and a line feed, `lineFeeds` times. */
void FillMemoryHostWithNote(size_t lineFeeds);

#endif
