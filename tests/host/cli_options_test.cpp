/* The zamo command line: accepted forms and what each gives, and every refused
 * form with the culprit named in its message. */
#include <gtest/gtest.h>

#include "cli_options.h"

namespace {

using Args = std::vector<std::string>;

TEST(CliOptions, AcceptedCommandLines) {
    struct Case {
        Args args;
        std::string command, db, lang, overwrite;
        Args positional;
        const char* why;
    } cases[] = {
        {{"list"}, "list", "", "English", "", {}, "defaults: English, database from the environment"},
        {{"--db", "a.db", "list"}, "list", "a.db", "English", "", {}, "global option before the command"},
        {{"list", "--db=b.db"}, "list", "b.db", "English", "", {}, "global option after, with ="},
        {{"--lang", "Russian", "menu"}, "menu", "", "Russian", "", {}, "language"},
        {{"import", "--overwrite", "yes", "a.vcf", "b.vcf"}, "import", "", "English", "yes",
         {"a.vcf", "b.vcf"}, "several files and an answer"},
        {{"import", "--", "--odd.vcf"}, "import", "", "English", "", {"--odd.vcf"},
         "-- ends the options"},
        {{"export", "--contact", "u1", "out.vcf"}, "export", "", "English", "", {"out.vcf"},
         "export of one contact"},
        {{"show", "--json", "u1"}, "show", "", "English", "", {"u1"}, "show as JSON"},
        {{"--help"}, "help", "", "English", "", {}, "help without a command"},
        {{"-h", "import"}, "help", "", "English", "", {}, "-h wins over a command"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        CommandLine cl = ParseCommandLine(c.args);
        EXPECT_EQ(cl.command, c.command);
        EXPECT_EQ(cl.db, c.db);
        EXPECT_EQ(cl.lang, c.lang);
        EXPECT_EQ(cl.overwrite, c.overwrite);
        if (c.command != "help") {
            EXPECT_EQ(cl.args, c.positional);
        }
    }
}

TEST(CliOptions, AddCollectsFieldsAndCommunicationsInOrder) {
    CommandLine cl = ParseCommandLine({"add", "--first", "Ann", "--tel", "1", "--msg", "icq:77",
                                       "--last", "Lee", "--email", "a@b.example", "--fax", "2",
                                       "--url", "http://x.example", "--assistant", "Bo",
                                       "--work-city", "Oslo", "--parent", "p1"});
    ASSERT_EQ(cl.fields.size(), 4u);
    EXPECT_EQ(cl.fields[0].first, ContactField::FirstName);
    EXPECT_EQ(cl.fields[1].first, ContactField::LastName);
    EXPECT_EQ(cl.fields[2].first, ContactField::AssistantName);
    EXPECT_EQ(cl.fields[3].first, ContactField::BusinessAddressCity);
    EXPECT_EQ(cl.parent, "p1");
    struct Expected {
        const char *kind, *value, *subKind;
    } expected[] = {{"tel", "1", ""}, {"msg", "77", "ICQ"}, {"eml", "a@b.example", ""},
                    {"fax", "2", ""}, {"www", "http://x.example", ""}};
    ASSERT_EQ(cl.communications.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].value);
        EXPECT_EQ(cl.communications[i].kind, expected[i].kind);
        EXPECT_EQ(cl.communications[i].value, expected[i].value);
        EXPECT_EQ(cl.communications[i].subKind, expected[i].subKind);
    }
}

TEST(CliOptions, RefusedCommandLines) {
    struct Case {
        Args args;
        std::string messagePart;
        const char* why;
    } cases[] = {
        {{}, "no command", "nothing given"},
        {{"frobnicate"}, "unknown command frobnicate", "unknown command"},
        {{"list", "--bogus"}, "unknown option --bogus", "unknown option"},
        {{"list", "-x"}, "unknown option -x", "unknown short option"},
        {{"list", "--overwrite", "yes"}, "--overwrite does not apply to list", "option of another command"},
        {{"import", "--overwrite", "maybe", "a.vcf"}, "yes or no", "bad answer"},
        {{"import"}, "import takes one or more FILE", "import without files"},
        {{"export", "a.vcf", "b.vcf"}, "export takes one FILE", "two export files"},
        {{"show"}, "show takes one UID", "show without UID"},
        {{"list", "--db"}, "--db needs a value", "value missing at the end"},
        {{"list", "--json=1"}, "--json takes no value", "flag with a value"},
        {{"add", "--msg", "12345"}, "KIND:VALUE", "messenger without kind"},
        {{"add", "--msg", "FOO:1"}, "KIND:VALUE", "unknown messenger"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        try {
            ParseCommandLine(c.args);
            ADD_FAILURE() << "accepted";
        } catch (const UsageError& e) {
            EXPECT_NE(e.message.find(c.messagePart), std::string::npos) << e.message;
        }
    }
}

}  // namespace
