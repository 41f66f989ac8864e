/* Command-line parsing for zamo (see cli_options.h): the commands and options
 * are tables; each option row says which commands take it and where it goes. */
#include "cli_options.h"

#include <algorithm>
#include <functional>
#include <cctype>

namespace {

enum CommandBit : unsigned {
    kMenu = 1, kImport = 2, kExport = 4, kList = 8, kShow = 16, kAdd = 32, kHelp = 64,
    kPluginCommands = kMenu | kImport | kExport,
    kAllCommands = 127,
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
    {"show", kShow, 1, 1, "one UID"},
    {"add", kAdd, 0, 0, "no arguments (fields are options)"},
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

Apply Communication(const char* kind) {
    return [kind](CommandLine& cl, const std::string& v) { cl.communications.push_back({kind, v, ""}); };
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
        {"json", false, kList | kShow, [](CommandLine& cl, const std::string&) { cl.json = true; }},
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
        {"birthday", true, kAdd, [](CommandLine& cl, const std::string& v) { cl.birthday = v; }},
        {"tel", true, kAdd, Communication("tel")},
        {"fax", true, kAdd, Communication("fax")},
        {"email", true, kAdd, Communication("eml")},
        {"url", true, kAdd, Communication("www")},
        {"msg", true, kAdd,
         [](CommandLine& cl, const std::string& v) {
             size_t colon = v.find(':');
             std::string kind = Upper(v.substr(0, colon == std::string::npos ? 0 : colon));
             bool known = std::any_of(std::begin(kMessengers), std::end(kMessengers),
                                      [&](const char* m) { return kind == m; });
             if (colon == std::string::npos || !known)
                 throw UsageError{"--msg takes KIND:VALUE with KIND one of ICQ, GTALK, AIM, "
                                  "YAHOO, SKYPE, MSN, JABBER; got '" + v + "'"};
             cl.communications.push_back({"msg", v.substr(colon + 1), kind});
         }},
    };
    for (const ContactFieldInfo& f : kContactFields) {
        ContactField field = f.field;
        o.push_back({f.option, true, kAdd, [field](CommandLine& cl, const std::string& v) {
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
        if (a != "-h" && a.compare(0, 2, "--") != 0) throw UsageError{"unknown option " + a};
        std::string name = a == "-h" ? "help" : a.substr(2), value;
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
    bool help = std::any_of(given.begin(), given.end(),
                            [](const Given& g) { return g.option->name == "help"; });
    if (help) {
        cl.command = "help";
        return cl;
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
           "  list [--json]                 the contact tree\n"
           "  show [--json] UID             every field of one contact\n"
           "  add [--uid UID] [--parent UID] [--first ..] [--last ..] [--middle ..] [--title ..]\n"
           "      [--company ..] [--job-title ..] [--profession ..] [--assistant ..]\n"
           "      [--manager ..] [--details ..] [--birthday YYYY-MM-DD]\n"
           "      [--home-street ..] [--home-city ..] [--home-province ..]\n"
           "      [--home-postal-code ..] [--home-country ..] [--work-street ..] ...\n"
           "      [--tel ..] [--fax ..] [--email ..] [--url ..] [--msg KIND:VALUE]\n"
           "Database: --db, else $ZAMO_DB, else $XDG_DATA_HOME/zamo/contacts.db\n"
           "(~/.local/share/zamo/contacts.db). Plug-ins: *.zamodll beside zamo.\n";
}
