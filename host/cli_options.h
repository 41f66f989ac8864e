/* The zamo program's command line: commands, global and per-command options, as
 * data. Exports CommandLine, UsageError, ParseCommandLine and the usage text. */
#ifndef ZAMO_HOST_CLI_OPTIONS_H
#define ZAMO_HOST_CLI_OPTIONS_H

#include <string>
#include <utility>
#include <vector>

#include "contact_fields.h"

struct CommunicationOption {
    std::string kind;     // "tel", "fax", "eml", "www" or "msg"
    std::string value;
    std::string subKind;  // messenger name for "msg", else empty (stored as none)
};

struct CommandLine {
    std::string command;  // "menu", "import", "export", "list", "show", "find", "add",
                          // "edit", "remove", "help" or "version"
    std::string db;       // empty: from the environment
    std::string plugins;  // empty: beside the executable, else ../lib/zamo from it
    std::string lang = "English";  // "English" or "Russian" (--lang en/ru/any case)
    bool json = false;
    bool tsv = false;        // list, find
    bool recursive = false;  // remove
    std::string overwrite;  // "", "yes" or "no"
    bool dryRun = false;    // import --dry-run
    std::string contact;    // export --contact
    bool hasContact = false;
    std::string uid, parent = "root", birthday;  // add; birthday also edit
    bool hasBirthday = false;  // edit: --birthday "" clears it
    std::vector<std::pair<ContactField, std::string>> fields;
    std::vector<CommunicationOption> communications;
    std::vector<CommunicationOption> removals;  // edit --remove-tel and friends
    std::vector<std::string> args;  // positional arguments after the command
};

/* A command line that cannot be run: the message names the culprit. */
struct UsageError {
    std::string message;
};

/* Options may stand before or after the command, as "--name value" or
 * "--name=value"; "--" ends the options. --help (-h) and --version (-V) win
 * over everything else. Throws UsageError for an unknown
 * command or option, an option the command does not take, a missing or bad
 * value, or the wrong number of arguments. */
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

/* The help text, several lines ending in a line feed. */
const char* UsageText();

#endif
