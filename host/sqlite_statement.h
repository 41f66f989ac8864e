/* A prepared SQLite statement that finalises itself, with the few binding and
 * reading helpers the store needs for UTF-16 text. Exports Statement. */
#ifndef ZAMO_HOST_SQLITE_STATEMENT_H
#define ZAMO_HOST_SQLITE_STATEMENT_H

#include <sqlite3.h>

#include <cstdint>

#include "wide_text.h"

class Statement {
public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    /* Prepares `sql` once for the connection; false (and no statement) on error. */
    bool Prepare(sqlite3* db, const char* sql) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        return sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) ==
               SQLITE_OK;
    }
    void Finalize() {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
    /* Resets for the next run and drops the bindings. */
    void Reset() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    /* Binds text without copying: the text must outlive the step. */
    void BindText(int index, WStringView text) {
        sqlite3_bind_text16(stmt_, index, text.empty() ? TEXT("") : text.data(),
                            static_cast<int>(text.size() * sizeof(WCHAR)), SQLITE_STATIC);
    }
    void BindNull(int index) { sqlite3_bind_null(stmt_, index); }
    void BindInt(int index, int64_t value) { sqlite3_bind_int64(stmt_, index, value); }
    void BindDouble(int index, double value) { sqlite3_bind_double(stmt_, index, value); }
    /* SQLITE_ROW, SQLITE_DONE or an error code. */
    int Step() { return sqlite3_step(stmt_); }

    /* The column as UTF-16 text; "" for NULL. */
    WStringView Text(int column) const {
        const void* p = sqlite3_column_text16(stmt_, column);
        if (!p) return WStringView();
        return WStringView(static_cast<const WCHAR*>(p),
                           static_cast<size_t>(sqlite3_column_bytes16(stmt_, column)) /
                               sizeof(WCHAR));
    }
    bool IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
    double Double(int column) const { return sqlite3_column_double(stmt_, column); }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

#endif
