/* Runs the zamo program for end-to-end tests: arguments, optional standard input,
 * extra environment, or on a terminal; returns the exit code and both outputs.
 * Exports RunZamo, RunZamoOnTerminal and a temporary folder that removes itself. */
#ifndef ZAMO_TESTS_ZAMO_PROCESS_H
#define ZAMO_TESTS_ZAMO_PROCESS_H

#include <map>
#include <string>
#include <vector>

struct ZamoResult {
    int exitCode = -1;  // the exit status, or 128 + signal number
    std::string out;
    std::string err;
};

/* Runs build/zamo with `args`; `input` is written to its standard input (a pipe,
 * so never a terminal), `env` adds or replaces environment variables. */
ZamoResult RunZamo(const std::vector<std::string>& args, const std::string& input = "",
                   const std::map<std::string, std::string>& env = {});

/* Runs build/zamo with standard input and standard error on a pseudo-terminal
 * that has received `typed` ("\x04" at the start of a line is Ctrl-D); `err`
 * gets everything the terminal shows, the typed echo included. When
 * `interruptAfter` is not empty, SIGINT is sent as soon as the terminal shows it. */
ZamoResult RunZamoOnTerminal(const std::vector<std::string>& args, const std::string& typed,
                             const std::string& interruptAfter = "",
                             const std::map<std::string, std::string>& env = {});

/* A fresh folder under the test temporary directory, removed with its content. */
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    /* Writes `bytes` to File(name) and returns its path. */
    std::string Write(const std::string& name, const std::string& bytes) const;
    /* The bytes of File(name), or "" when it cannot be read. */
    std::string Read(const std::string& name) const;

private:
    std::string path_;
};

#endif
