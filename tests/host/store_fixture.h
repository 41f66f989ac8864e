/* Test fixture for the contact store: a fresh database in a temporary folder,
 * opened before and closed after each test, and UTF-8 helpers for messages. */
#ifndef ZAMO_TESTS_HOST_STORE_FIXTURE_H
#define ZAMO_TESTS_HOST_STORE_FIXTURE_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "wide_text.h"
#include "zamo_host.h"
#include "zamo_store.h"

inline std::string Narrow(WStringView text) {
    std::string s;
    for (WCHAR c : text) s += c < 0x80 ? static_cast<char>(c) : '?';
    return s;
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* base = std::getenv("TEST_TMPDIR");
        std::string pattern = std::string(base ? base : "/tmp") + "/zamo-host-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        ASSERT_NE(mkdtemp(buf.data()), nullptr);
        folder_ = buf.data();
        std::string error;
        ASSERT_TRUE(ZamoStore_Open(DbPath(), &error)) << error;
        ZamoStore_ResetCounters();
    }
    void TearDown() override {
        ZamoStore_Close(nullptr);
        ZamoStore_SetClock(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::string DbPath() const { return folder_ + "/contacts.db"; }
    void Reopen() {
        std::string error;
        ASSERT_TRUE(ZamoStore_Close(&error)) << error;
        ASSERT_TRUE(ZamoStore_Open(DbPath(), &error)) << error;
    }
    /* Inserts under `parent` and returns the UID given back. */
    static WString Add(const WString& uid, const WString& parent = u"root") {
        return AddinZamo_Contact_Insert(uid.c_str(), parent.c_str(), u"", AddinZamo_GetCurrDate());
    }

    std::string folder_;
};

#endif
