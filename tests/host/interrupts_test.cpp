/* Ctrl-C, and the requests to end (SIGTERM from `kill`, SIGHUP from a closed
 * terminal), as the program sees them: the first only raises the flag; the
 * second ends the program, after removing the file it was told to. */
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host_system.h"

namespace {

TEST(Interrupts, TheSecondEndsTheProgramAndRemovesTheFileNamed) {
    const std::string folder = testing::TempDir();
    struct Case {
        int first, second;
        std::string named, kept;  // the file named for removal, one that must stay
        const char* why;
    } cases[] = {
        {SIGINT, SIGINT, folder + "/.zamo-kept-1", folder + "/target.vcf",
         "the named file goes, others stay"},
        {SIGINT, SIGINT, "", folder + "/target.vcf", "nothing named: nothing removed"},
        {SIGTERM, SIGTERM, folder + "/.zamo-kept-1", folder + "/target.vcf", "kill, twice"},
        {SIGHUP, SIGINT, folder + "/.zamo-kept-1", folder + "/target.vcf",
         "the terminal closed, then Ctrl-C"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        for (const std::string& path : {c.named, c.kept})
            if (!path.empty()) std::ofstream(path) << "x";
        pid_t child = fork();
        if (child == 0) {
            WatchInterrupts();
            RemoveOnSecondInterrupt(folder + "/forgotten");  // replaced by the next call
            RemoveOnSecondInterrupt(c.named);
            raise(c.first);
            if (!Interrupted()) _exit(3);
            raise(c.second);
            _exit(4);  // not reached: the second ends the program
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.second) << "status " << status;
        if (!c.named.empty()) {
            EXPECT_FALSE(std::filesystem::exists(c.named));
        }
        EXPECT_TRUE(std::filesystem::exists(c.kept));
        std::filesystem::remove(c.kept);
    }
}

}  // namespace
