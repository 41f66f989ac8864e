// DeleteFileA against the Win32 contract: files go, folders, devices, FIFOs,
// sockets and read-only files stay, and failures carry the Win32 error codes of the documentation
// ("System Error Codes": 2 file not found, 3 path not found, 5 access denied).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "special_files.h"

namespace {

class DeleteFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zamo_delete_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override {
        const std::string command = "rm -rf '" + folder_ + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    std::string Make(const std::string& name, mode_t mode = 0644) {
        const std::string path = folder_ + "/" + name;
        FILE* f = std::fopen(path.c_str(), "w");
        if (f) {
            std::fputs("BEGIN:VCARD\r\n", f);
            std::fclose(f);
        }
        chmod(path.c_str(), mode);
        return path;
    }
    static bool Exists(const std::string& path) {
        struct stat st;
        return lstat(path.c_str(), &st) == 0;
    }
    std::string folder_;
};

TEST_F(DeleteFile, DeletesFilesAndReportsWhatCannotBeDeleted) {
    mkdir((folder_ + "/sub").c_str(), 0755);
    struct Case {
        std::string path;
        BOOL expected;
        DWORD error;
        bool existsAfter;
        const char* why;
    } cases[] = {
        {Make("a.vcf"), TRUE, 0, false, "an ordinary file"},
        {Make("\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0.vcf"), TRUE, 0, false, "a UTF-8 name"},
        {folder_ + "/missing.vcf", FALSE, ERROR_FILE_NOT_FOUND, false, "no such file in an existing folder"},
        {folder_ + "/nofolder/a.vcf", FALSE, ERROR_PATH_NOT_FOUND, false, "the folder is missing"},
        {folder_ + "/sub", FALSE, ERROR_ACCESS_DENIED, true, "a folder is never deleted"},
        {Make("readonly.vcf", 0444), FALSE, ERROR_ACCESS_DENIED, true, "a read-only file stays"},
        {Make("plain.vcf") + "/x", FALSE, ERROR_PATH_NOT_FOUND, false, "a file used as a folder"},
        {"", FALSE, ERROR_PATH_NOT_FOUND, false, "an empty path"},
        {MakeFifo(folder_ + "/pipe.vcf"), FALSE, ERROR_ACCESS_DENIED, true, "a FIFO is no file"},
        {MakeSocket(folder_ + "/socket.vcf"), FALSE, ERROR_ACCESS_DENIED, true, "a socket is no file"},
        {MakeDevice(folder_ + "/null.vcf"), FALSE, ERROR_ACCESS_DENIED, true, "a device is no file (root)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        if (!c.path.empty() && !Exists(c.path) && c.existsAfter) continue;  // not made here
        SetLastError(0);
        EXPECT_EQ(DeleteFileA(c.path.c_str()), c.expected);
        if (!c.expected) {
            EXPECT_EQ(GetLastError(), c.error);
        }
        EXPECT_EQ(Exists(c.path), c.existsAfter);
    }
}

TEST_F(DeleteFile, ANullPathIsAnInvalidParameter) {
    SetLastError(0);
    EXPECT_FALSE(DeleteFileA(nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(DeleteFile, ASymbolicLinkGoesAndItsTargetStays) {
    const std::string target = Make("target.vcf");
    const std::string link = folder_ + "/link.vcf";
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    EXPECT_TRUE(DeleteFileA(link.c_str()));
    EXPECT_FALSE(Exists(link));
    EXPECT_TRUE(Exists(target));
}

}  // namespace
