// Helpers of the subset's tests: standard input replaced for the duration of a
// call, and a forked child whose standard input is a terminal fed with text.
#ifndef ZAMO_TESTS_PLATFORM_TEST_SUPPORT_H
#define ZAMO_TESTS_PLATFORM_TEST_SUPPORT_H

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

// Runs body with standard input read from /dev/null (not a terminal).
inline void WithStdinNotATerminal(const std::function<void()>& body) {
    const int saved = dup(STDIN_FILENO);
    const int null = open("/dev/null", O_RDONLY);
    dup2(null, STDIN_FILENO);
    close(null);
    body();
    dup2(saved, STDIN_FILENO);
    close(saved);
}

// Runs body in a child process whose standard input is a terminal that has
// received `typed`; standard error goes to /dev/null. Returns body's result
// (0..255) or -1 when the child did not end normally.
inline int RunWithTypedInput(const std::string& typed, const std::function<int()>& body) {
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return -1;
    if (write(master, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) return -1;
    const pid_t child = fork();
    if (child == 0) {
        dup2(slave, STDIN_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        close(master);
        _exit(body() & 0xFF);
    }
    close(slave);
    int status = 0;
    waitpid(child, &status, 0);
    close(master);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif
