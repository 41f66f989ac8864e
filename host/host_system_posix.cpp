/* The zamo program's system matters on POSIX systems (see host_system.h). */
#include "host_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

volatile std::sig_atomic_t interrupted = 0;
int emptyInput = -1;  // /dev/null, put in place of standard input on Ctrl-C

void OnInterrupt(int) {
    interrupted = 1;
    // A read of standard input that was about to start ends at once too.
    if (emptyInput >= 0) dup2(emptyInput, STDIN_FILENO);
    std::signal(SIGINT, SIG_DFL);  // a second Ctrl-C ends the program
}

std::string Reason(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

// Writes all of `size` bytes; false on an error other than an interrupted call.
bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR && !interrupted) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Copies `in` to `out` to the end of `in`; the names are for the messages.
bool CopyAll(int in, const std::string& inName, int out, const std::string& outName,
             std::string* error) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        ssize_t n = read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR && !interrupted) continue;
        if (n < 0 && interrupted) {
            *error = "interrupted";
            return false;
        }
        if (n < 0) {
            *error = Reason("cannot read", inName);
            return false;
        }
        if (n == 0 && interrupted) {
            *error = "interrupted";
            return false;
        }
        if (n == 0) return true;
        if (!WriteAll(out, buffer.data(), static_cast<size_t>(n))) {
            *error = interrupted ? "interrupted" : Reason("cannot write", outName);
            return false;
        }
    }
}

}  // namespace

bool IsTerminal(int stream) { return isatty(stream) != 0; }

void WatchInterrupts() {
    if (emptyInput < 0) emptyInput = open("/dev/null", O_RDONLY | O_CLOEXEC);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a read waiting for an answer returns
    sigaction(SIGINT, &action, nullptr);
}

const volatile std::sig_atomic_t* InterruptFlag() { return &interrupted; }

bool Interrupted() { return interrupted != 0; }

std::string MakeTemporaryFile(const std::string& purpose, const std::string& suffix,
                              std::string* error) {
    const char* folder = std::getenv("TMPDIR");
    std::string base = folder && *folder ? folder : "/tmp";
    // The modules take apostrophes out of a path; such a folder would not do.
    if (base.find('\'') != std::string::npos) base = "/tmp";
    std::string path = base + "/zamo-" + purpose + "-XXXXXX" + suffix;
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    int fd = mkstemps(name.data(), static_cast<int>(suffix.size()));
    if (fd < 0) {
        *error = Reason("cannot make a temporary file in", base);
        return "";
    }
    close(fd);
    return name.data();
}

bool CopyIntoFile(const std::string& source, const std::string& target, std::string* error) {
    int in = source.empty() ? STDIN_FILENO : open(source.c_str(), O_RDONLY);
    std::string inName = source.empty() ? "standard input" : source;
    if (in < 0) {
        *error = Reason("cannot read", inName);
        return false;
    }
    int out = open(target.c_str(), O_WRONLY | O_TRUNC);
    bool ok = out >= 0 && CopyAll(in, inName, out, target, error);
    if (out < 0) *error = Reason("cannot write", target);
    if (out >= 0 && close(out) != 0 && ok) {
        *error = Reason("cannot write", target);
        ok = false;
    }
    if (!source.empty()) close(in);
    return ok;
}

bool CopyToStandardOutput(const std::string& source, std::string* error) {
    int in = open(source.c_str(), O_RDONLY);
    if (in < 0) {
        *error = Reason("cannot read", source);
        return false;
    }
    bool ok = CopyAll(in, source, STDOUT_FILENO, "standard output", error);
    close(in);
    return ok;
}
