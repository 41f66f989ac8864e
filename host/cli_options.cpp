/* Command-line parsing for zamo (see cli_options.h): the commands and options
 * are tables; each option row says which commands take it and where it goes. */
#include "cli_options.h"

#include <algorithm>
#include <functional>
#include <cctype>

namespace {

enum CommandBit : unsigned {
    kMenu = 1, kImport = 2, kExport = 4, kList = 8, kShow = 16, kAdd = 32, kHelp = 64,
    kFind = 128, kEdit = 256, kRemove = 512,
    kPluginCommands = kMenu | kImport | kExport,
    kAllCommands = 1023,
};

struct CommandInfo {
    const char* name;
    CommandBit bit;
    size_t minArgs, maxArgs;
    const char* arguments;  // for messages
};

const CommandInfo kCommands[] = {
    {"menu", kMenu, 0, 0, "no arguments"},
    {"import", kImport, 1, static_cast<size_t>(-1), "one or more FILE"},
    {"export", kExport, 1, 1, "one FILE"},
    {"list", kList, 0, 0, "no arguments"},
    {"show", kShow, 1, 1, "one UID or TEXT"},
    {"find", kFind, 1, 1, "one TEXT"},
    {"add", kAdd, 0, 0, "no arguments (fields are options)"},
    {"edit", kEdit, 1, 1, "one UID (fields are options)"},
    {"remove", kRemove, 1, 1, "one UID"},
    {"help", kHelp, 0, 0, "no arguments"},
};

using Apply = std::function<void(CommandLine&, const std::string&)>;

struct OptionInfo {
    std::string name;
    bool takesValue;
    unsigned commands;
    Apply apply;
};

const char* const kMessengers[] = {"ICQ", "GTALK", "AIM", "YAHOO", "SKYPE", "MSN", "JABBER"};

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The languages the modules know, with the short forms --lang accepts.
struct LanguageName {
    const char* name;
    const char* shortName;
};
const LanguageName kLanguages[] = {{"English", "en"}, {"Russian", "ru"}};

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string LanguageOf(const std::string& value) {
    std::string wanted = Lower(value);
    for (const LanguageName& l : kLanguages)
        if (wanted == Lower(l.name) || wanted == l.shortName) return l.name;
    throw UsageError{"--lang takes English (en) or Russian (ru), not '" + value + "'"};
}

using CommunicationList = std::vector<CommunicationOption> CommandLine::*;

Apply Communication(CommunicationList list, const char* kind) {
    return [list, kind](CommandLine& cl, const std::string& v) {
        (cl.*list).push_back({kind, v, ""});
    };
}

/* KIND:VALUE with a known messenger KIND (any case) as a "msg" communication. */
Apply Messenger(CommunicationList list, const char* option) {
    return [list, option](CommandLine& cl, const std::string& v) {
        size_t colon = v.find(':');
        std::string kind = Upper(v.substr(0, colon == std::string::npos ? 0 : colon));
        bool known = std::any_of(std::begin(kMessengers), std::end(kMessengers),
                                 [&](const char* m) { return kind == m; });
        if (colon == std::string::npos || !known)
            throw UsageError{std::string("--") + option +
                             " takes KIND:VALUE with KIND one of ICQ, GTALK, AIM, "
                             "YAHOO, SKYPE, MSN, JABBER; got '" + v + "'"};
        (cl.*list).push_back({"msg", v.substr(colon + 1), kind});
    };
}

Apply Flag(bool CommandLine::*flag) {
    return [flag](CommandLine& cl, const std::string&) { cl.*flag = true; };
}

std::vector<OptionInfo> Options() {
    std::vector<OptionInfo> o = {
        {"db", true, kAllCommands,
         [](CommandLine& cl, const std::string& v) {
             if (v.empty()) throw UsageError{"--db needs a path, not an empty text"};
             cl.db = v;
         }},
        {"plugins", true, kAllCommands,
         [](CommandLine& cl, const std::string& v) { cl.plugins = v; }},
        {"lang", true, kAllCommands,
         [](CommandLine& cl, const std::string& v) { cl.lang = LanguageOf(v); }},
        {"help", false, kAllCommands, [](CommandLine& cl, const std::string&) { cl.command = "help"; }},
        {"version", false, kAllCommands,
         [](CommandLine& cl, const std::string&) { cl.command = "version"; }},
        {"json", false, kList | kShow | kFind, Flag(&CommandLine::json)},
        {"tsv", false, kList | kFind, Flag(&CommandLine::tsv)},
        {"recursive", false, kRemove, Flag(&CommandLine::recursive)},
        {"overwrite", true, kImport,
         [](CommandLine& cl, const std::string& v) {
             if (v != "yes" && v != "no")
                 throw UsageError{"--overwrite takes yes or no, not '" + v + "'"};
             cl.overwrite = v;
         }},
        {"dry-run", false, kImport,
         [](CommandLine& cl, const std::string&) { cl.dryRun = true; }},
        {"contact", true, kExport,
         [](CommandLine& cl, const std::string& v) {
             cl.contact = v;
             cl.hasContact = true;
         }},
        {"uid", true, kAdd, [](CommandLine& cl, const std::string& v) { cl.uid = v; }},
        {"parent", true, kAdd, [](CommandLine& cl, const std::string& v) { cl.parent = v; }},
        {"birthday", true, kAdd | kEdit,
         [](CommandLine& cl, const std::string& v) {
             cl.birthday = v;
             cl.hasBirthday = true;
         }},
        {"msg", true, kAdd | kEdit, Messenger(&CommandLine::communications, "msg")},
        {"remove-msg", true, kEdit, Messenger(&CommandLine::removals, "remove-msg")},
    };
    // Communications: --tel adds one (add, edit), --remove-tel removes one (edit).
    const std::pair<const char*, const char*> kCommunicationOptions[] = {
        {"tel", "tel"}, {"fax", "fax"}, {"email", "eml"}, {"url", "www"}};
    for (const auto& [option, kind] : kCommunicationOptions) {
        o.push_back({option, true, kAdd | kEdit, Communication(&CommandLine::communications, kind)});
        o.push_back({std::string("remove-") + option, true, kEdit,
                     Communication(&CommandLine::removals, kind)});
    }
    for (const ContactFieldInfo& f : kContactFields) {
        ContactField field = f.field;
        o.push_back({f.option, true, kAdd | kEdit, [field](CommandLine& cl, const std::string& v) {
                         cl.fields.push_back({field, v});
                     }});
    }
    return o;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    static const std::vector<OptionInfo> kOptions = Options();
    CommandLine cl;
    struct Given {
        const OptionInfo* option;
        std::string value;
    };
    std::vector<Given> given;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        if (a != "-h" && a != "-V" && a.compare(0, 2, "--") != 0)
            throw UsageError{"unknown option " + a};
        std::string name = a == "-h" ? "help" : a == "-V" ? "version" : a.substr(2), value;
        size_t eq = name.find('=');
        bool inlineValue = eq != std::string::npos;
        if (inlineValue) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        auto it = std::find_if(kOptions.begin(), kOptions.end(),
                               [&](const OptionInfo& o) { return o.name == name; });
        if (it == kOptions.end()) throw UsageError{"unknown option --" + name};
        if (it->takesValue && !inlineValue) {
            if (i + 1 >= arguments.size()) throw UsageError{"option --" + name + " needs a value"};
            value = arguments[++i];
        } else if (!it->takesValue && inlineValue) {
            throw UsageError{"option --" + name + " takes no value"};
        }
        given.push_back({&*it, value});
    }
    for (const char* early : {"help", "version"}) {
        if (std::any_of(given.begin(), given.end(),
                        [&](const Given& g) { return g.option->name == early; })) {
            cl.command = early;
            return cl;
        }
    }
    if (positional.empty()) throw UsageError{"no command given (try zamo help)"};
    cl.command = positional.front();
    positional.erase(positional.begin());
    auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                [&](const CommandInfo& c) { return cl.command == c.name; });
    if (command == std::end(kCommands)) throw UsageError{"unknown command " + cl.command};
    for (const Given& g : given) {
        if (!(g.option->commands & command->bit))
            throw UsageError{"option --" + g.option->name + " does not apply to " + cl.command};
        g.option->apply(cl, g.value);
    }
    if (cl.json && cl.tsv) throw UsageError{"--json and --tsv exclude each other"};
    if (positional.size() < command->minArgs || positional.size() > command->maxArgs)
        throw UsageError{cl.command + " takes " + command->arguments};
    cl.args = std::move(positional);
    return cl;
}

const char* UsageText() {
    return "usage: zamo [--db PATH] [--plugins DIR] [--lang English|Russian] COMMAND ...\n"
           "  menu                          the commands of every plug-in module\n"
           "  import [--overwrite yes|no] [--dry-run] FILE...   import vCard files\n"
           "                                (- reads standard input)\n"
           "  export [--contact UID] FILE   export all contacts, or one, to FILE\n"
           "                                (- writes to standard output)\n"
           "  list [--tsv|--json]           the contact tree: UID, name, telephone, e-mail\n"
           "  find [--tsv|--json] TEXT      contacts whose names, title, company, job title\n"
           "                                or a communication contain TEXT, any case\n"
           "  show [--json] UID|TEXT        every field of one contact\n"
           "  add [--uid UID] [--parent UID] [FIELDS]   create a contact, print its UID\n"
           "  edit UID [FIELDS] [--remove-tel ..] [--remove-fax ..] [--remove-email ..]\n"
           "      [--remove-url ..] [--remove-msg KIND:VALUE]   change a contact\n"
           "  remove [--recursive] UID      remove a contact (with those under it)\n"
           "  help                          this text\n"
           "FIELDS: [--first ..] [--last ..] [--middle ..] [--title ..] [--company ..]\n"
           "      [--job-title ..] [--profession ..] [--assistant ..] [--manager ..]\n"
           "      [--details ..] [--birthday YYYY-MM-DD]\n"
           "      [--home-street ..] [--home-city ..] [--home-province ..]\n"
           "      [--home-postal-code ..] [--home-country ..] [--work-street ..] ...\n"
           "      [--tel ..] [--fax ..] [--email ..] [--url ..] [--msg KIND:VALUE]\n"
           "--version (-V) prints the version; --help (-h) this text.\n"
           "Database: --db, else $ZAMO_DB, else $XDG_DATA_HOME/zamo/contacts.db\n"
           "(~/.local/share/zamo/contacts.db). Plug-ins: *.zamodll beside zamo, else in\n"
           "../lib/zamo from it. Exit status: 0 done, 1 failed, 2 wrong command line,\n"
           "130 interrupted.\n"
           "More in zamo(1).\n";
}
