/* The store floors (see store_floor.h): generic row copies through the C API,
 * UTF-16 text throughout as the database keeps it. */
#include "store_floor.h"

#include <sqlite3.h>

#include <cstdio>

#include "plugin_driver.h"

namespace {

const char kSettings[] =
    "PRAGMA encoding = 'UTF-16le'; PRAGMA locking_mode = EXCLUSIVE;"
    " PRAGMA journal_mode = DELETE; PRAGMA synchronous = FULL; PRAGMA cache_size = -16384;";

bool Check(sqlite3* db, int rc, const char* what) {
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) return true;
    std::fprintf(stderr, "store floor: %s: %s\n", what, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    return false;
}

StoredValue Column(sqlite3_stmt* stmt, int column) {
    StoredValue v;
    v.type = sqlite3_column_type(stmt, column);
    if (v.type == SQLITE_INTEGER) v.integer = sqlite3_column_int64(stmt, column);
    if (v.type == SQLITE_FLOAT) v.real = sqlite3_column_double(stmt, column);
    if (v.type == SQLITE_TEXT)
        v.text.assign(static_cast<const char16_t*>(sqlite3_column_text16(stmt, column)),
                      static_cast<size_t>(sqlite3_column_bytes16(stmt, column)) / 2);
    return v;
}

void Bind(sqlite3_stmt* stmt, int index, const StoredValue& v) {
    switch (v.type) {
        case SQLITE_INTEGER: sqlite3_bind_int64(stmt, index, v.integer); break;
        case SQLITE_FLOAT: sqlite3_bind_double(stmt, index, v.real); break;
        case SQLITE_TEXT:
            sqlite3_bind_text16(stmt, index, v.text.data(), static_cast<int>(v.text.size() * 2),
                                SQLITE_STATIC);
            break;
        default: sqlite3_bind_null(stmt, index);
    }
}

bool Rows(sqlite3* db, const char* sql, std::vector<std::vector<StoredValue>>* out, int* columns) {
    sqlite3_stmt* stmt = nullptr;
    if (!Check(db, sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr), sql)) return false;
    int rc;
    *columns = sqlite3_column_count(stmt);
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        out->emplace_back();
        for (int c = 0; c < *columns; ++c) out->back().push_back(Column(stmt, c));
    }
    sqlite3_finalize(stmt);
    return Check(db, rc, sql);
}

// A connection, closed at the end. SQLite's count of its memory is off, as
// the store has it: counting takes a lock at every allocation.
struct Database {
    Database() {
        static const int kMemoryCountOff = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        (void)kMemoryCountOff;
    }
    ~Database() { sqlite3_close(db); }
    sqlite3* db = nullptr;
};

}  // namespace

bool LoadStoreRows(const std::string& path, StoreRows* rows) {
    Database d;
    if (!Check(d.db, sqlite3_open_v2(path.c_str(), &d.db, SQLITE_OPEN_READONLY, nullptr), "open"))
        return false;
    std::vector<std::vector<StoredValue>> schema, ids, versions;
    int columns = 0, communicationColumns = 0;
    if (!Rows(d.db, "SELECT sql FROM sqlite_master WHERE sql NOT NULL ORDER BY rowid", &schema,
              &columns) ||
        !Rows(d.db, "PRAGMA application_id", &ids, &columns) ||
        !Rows(d.db, "PRAGMA user_version", &versions, &columns) ||
        !Rows(d.db, "SELECT * FROM contact ORDER BY id", &rows->contacts, &rows->contactColumns) ||
        !Rows(d.db, "SELECT * FROM communication ORDER BY contact, seq", &rows->communications,
              &communicationColumns))
        return false;
    for (const auto& row : schema) {
        std::string sql;
        for (char16_t c : row[0].text) sql += static_cast<char>(c);  // the schema is ASCII
        rows->schema.push_back(sql);
    }
    rows->applicationId = static_cast<int>(ids.at(0).at(0).integer);
    rows->userVersion = static_cast<int>(versions.at(0).at(0).integer);
    return true;
}

double WriteStoreRows(const StoreRows& rows, const std::string& path) {
    std::remove(path.c_str());
    Database d;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (!Check(d.db, sqlite3_open_v2(path.c_str(), &d.db, flags, nullptr), "create")) return -1;
    std::string schema = std::string(kSettings) + "BEGIN;";
    for (const std::string& sql : rows.schema) schema += sql + ";";
    schema += "PRAGMA application_id = " + std::to_string(rows.applicationId) +
              "; PRAGMA user_version = " + std::to_string(rows.userVersion) + "; COMMIT;";
    if (!Check(d.db, sqlite3_exec(d.db, schema.c_str(), nullptr, nullptr, nullptr), "schema"))
        return -1;

    const double start = Seconds();
    std::string insert = "INSERT INTO contact VALUES(?";
    for (int c = 1; c < rows.contactColumns; ++c) insert += ", ?";
    insert += ")";
    sqlite3_stmt* contact = nullptr;
    sqlite3_stmt* communication = nullptr;
    bool ok = Check(d.db, sqlite3_exec(d.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), "begin") &&
              Check(d.db, sqlite3_prepare_v2(d.db, insert.c_str(), -1, &contact, nullptr), "prepare") &&
              Check(d.db, sqlite3_prepare_v2(d.db, "INSERT INTO communication VALUES(?, ?, ?, ?, ?)",
                                             -1, &communication, nullptr), "prepare");
    size_t next = 0;
    auto insertRow = [&](sqlite3_stmt* stmt, const std::vector<StoredValue>& row) {
        for (size_t c = 0; c < row.size(); ++c) Bind(stmt, static_cast<int>(c + 1), row[c]);
        ok = Check(d.db, sqlite3_step(stmt), "insert");
        sqlite3_reset(stmt);
    };
    for (const auto& row : rows.contacts) {
        if (!ok) break;
        insertRow(contact, row);
        // The communications of this contact (column 0 is the contact's id).
        while (ok && next < rows.communications.size() &&
               rows.communications[next][0].integer == row[0].integer)
            insertRow(communication, rows.communications[next++]);
    }
    sqlite3_finalize(contact);
    sqlite3_finalize(communication);
    if (!ok || !Check(d.db, sqlite3_exec(d.db, "COMMIT", nullptr, nullptr, nullptr), "commit"))
        return -1;
    return Seconds() - start;
}

long ReadStoreRows(const std::string& path) {
    Database d;
    const int flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX;
    if (!Check(d.db, sqlite3_open_v2(path.c_str(), &d.db, flags, nullptr), "open")) return -1;
    sqlite3_stmt* contacts = nullptr;
    sqlite3_stmt* communications = nullptr;
    if (!Check(d.db, sqlite3_prepare_v2(d.db, "SELECT * FROM contact ORDER BY id", -1, &contacts,
                                        nullptr), "prepare") ||
        !Check(d.db, sqlite3_prepare_v2(d.db, "SELECT * FROM communication ORDER BY contact, seq",
                                        -1, &communications, nullptr), "prepare"))
        return -1;
    long rowsRead = 0;
    size_t units = 0;
    auto touch = [&](sqlite3_stmt* stmt) {
        for (int c = 0, n = sqlite3_column_count(stmt); c < n; ++c)
            if (sqlite3_column_type(stmt, c) == SQLITE_TEXT) {
                sqlite3_column_text16(stmt, c);
                units += static_cast<size_t>(sqlite3_column_bytes16(stmt, c));
            } else {
                units += static_cast<size_t>(sqlite3_column_int64(stmt, c) & 1);
            }
        ++rowsRead;
    };
    int rc = sqlite3_step(communications);
    int contactRc;
    while ((contactRc = sqlite3_step(contacts)) == SQLITE_ROW) {
        touch(contacts);
        const int64_t id = sqlite3_column_int64(contacts, 0);
        while (rc == SQLITE_ROW && sqlite3_column_int64(communications, 0) <= id) {
            touch(communications);
            rc = sqlite3_step(communications);
        }
    }
    sqlite3_finalize(contacts);
    sqlite3_finalize(communications);
    if (!Check(d.db, contactRc, "read contacts") || !Check(d.db, rc, "read communications"))
        return -1;
    return units > 0 ? rowsRead : 0;
}
