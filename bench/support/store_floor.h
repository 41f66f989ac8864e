/* The store floors: the rows a zamo import wrote, copied into a fresh database
 * of the same schema straight through SQLite's C API, and read back whole.
 * Exports StoreRows, LoadStoreRows, WriteStoreRows and ReadStoreRows. */
#ifndef ZAMO_BENCH_STORE_FLOOR_H
#define ZAMO_BENCH_STORE_FLOOR_H

#include <cstdint>
#include <string>
#include <vector>

/* One column value as SQLite holds it. */
struct StoredValue {
    int type = 0;  // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT or SQLITE_NULL
    int64_t integer = 0;
    double real = 0;
    std::u16string text;
};

/* Every row of a contact database in storage order, with its schema. */
struct StoreRows {
    std::vector<std::string> schema;  // CREATE statements in creation order
    int applicationId = 0, userVersion = 0;
    int contactColumns = 0;
    std::vector<std::vector<StoredValue>> contacts;        // by id
    std::vector<std::vector<StoredValue>> communications;  // by contact, seq
};

/* Reads all of `path`; false with a message on stderr. */
bool LoadStoreRows(const std::string& path, StoreRows* rows);

/* Creates `path` afresh with the rows' schema and the settings zamo opens its
 * database with (untimed), then inserts every row, each contact followed by
 * its communications as an import writes them, with two prepared statements
 * in one transaction. The seconds of the inserts and commit, or -1. */
double WriteStoreRows(const StoreRows& rows, const std::string& path);

/* Reads back every contact and communication of `path` in id order (the tree
 * order of imported contacts, all children of "root") with two statements
 * stepped side by side, touching every value. The rows read, or -1. */
long ReadStoreRows(const std::string& path);

#endif
