/* RunZamo, RunZamoOnTerminal and TempFolder (see zamo_process.h), over fork,
 * exec, pipes and a pseudo-terminal. */
#include "zamo_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// In the child: the environment set, zamo run with `args`; never returns.
[[noreturn]] void ExecZamo(const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env) {
    for (const auto& [key, value] : env) setenv(key.c_str(), value.c_str(), 1);
    std::vector<char*> argv;
    std::string program = ZAMO_PROGRAM;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

int ExitCode(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

ZamoResult RunZamo(const std::vector<std::string>& args, const std::string& input,
                   const std::map<std::string, std::string>& env) {
    ZamoResult result;
    signal(SIGPIPE, SIG_IGN);  // the program may exit before reading its input
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return result;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
        ExecZamo(args, env);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    // Feed the input and drain both outputs together, so no pipe fills up.
    size_t written = 0;
    fcntl(in[1], F_SETFL, O_NONBLOCK);
    bool inOpen = true, outOpen = true, errOpen = true;
    if (input.empty()) {
        close(in[1]);
        inOpen = false;
    }
    while (outOpen || errOpen) {
        pollfd fds[3];
        int n = 0;
        if (outOpen) fds[n++] = {out[0], POLLIN, 0};
        if (errOpen) fds[n++] = {err[0], POLLIN, 0};
        if (inOpen) fds[n++] = {in[1], POLLOUT, 0};
        if (poll(fds, static_cast<nfds_t>(n), -1) < 0) break;
        for (int i = 0; i < n; ++i) {
            if (!fds[i].revents) continue;
            if (fds[i].fd == in[1]) {
                ssize_t w = write(in[1], input.data() + written, input.size() - written);
                if (w > 0) written += static_cast<size_t>(w);
                if (w < 0 || written == input.size()) {
                    close(in[1]);
                    inOpen = false;
                }
                continue;
            }
            char buf[65536];
            ssize_t r = read(fds[i].fd, buf, sizeof buf);
            std::string& sink = fds[i].fd == out[0] ? result.out : result.err;
            if (r > 0) {
                sink.append(buf, static_cast<size_t>(r));
            } else {
                close(fds[i].fd);
                (fds[i].fd == out[0] ? outOpen : errOpen) = false;
            }
        }
    }
    if (inOpen) close(in[1]);
    result.exitCode = ExitCode(pid);
    return result;
}

ZamoResult RunZamoOnTerminal(const std::vector<std::string>& args, const std::string& typed,
                             const std::string& interruptAfter,
                             const std::map<std::string, std::string>& env) {
    ZamoResult result;
    int master = -1, slave = -1, out[2];
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0 || pipe(out) != 0) return result;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(slave, 0);
        dup2(slave, 2);
        dup2(out[1], 1);
        for (int fd : {master, slave, out[0], out[1]}) close(fd);
        ExecZamo(args, env);
    }
    close(slave);
    close(out[1]);
    // The terminal keeps what was typed until zamo reads it, line by line.
    if (!typed.empty() && write(master, typed.data(), typed.size()) < 0) return result;
    bool outOpen = true, terminalOpen = true, interrupted = interruptAfter.empty();
    while (outOpen || terminalOpen) {
        pollfd fds[2];
        int n = 0;
        if (outOpen) fds[n++] = {out[0], POLLIN, 0};
        if (terminalOpen) fds[n++] = {master, POLLIN, 0};
        if (poll(fds, static_cast<nfds_t>(n), -1) < 0) break;
        for (int i = 0; i < n; ++i) {
            if (!fds[i].revents) continue;
            char buf[65536];
            ssize_t r = read(fds[i].fd, buf, sizeof buf);
            bool isOut = fds[i].fd == out[0];
            if (r > 0) {
                (isOut ? result.out : result.err).append(buf, static_cast<size_t>(r));
            } else {
                (isOut ? outOpen : terminalOpen) = false;  // EIO once the child has gone
            }
        }
        if (!interrupted && result.err.find(interruptAfter) != std::string::npos) {
            kill(pid, SIGINT);
            interrupted = true;
        }
    }
    close(out[0]);
    close(master);
    result.exitCode = ExitCode(pid);
    return result;
}

TempFolder::TempFolder() {
    const char* base = std::getenv("TEST_TMPDIR");
    std::string pattern = std::string(base ? base : "/tmp") + "/zamo-e2e-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data())) path_ = buf.data();
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
    return File(name);
}

std::string TempFolder::Read(const std::string& name) const {
    std::ifstream f(File(name), std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}
