// The window program's command line, and which endpoints.ini a program takes: a program in its
// build folder the one beside it, an installed one only the one it is given.
#include <gtest/gtest.h>

#include "app/command_line.h"

namespace quillo {
namespace {

using Action = ProgramOptions::Action;

struct ParseCase {
    QStringList arguments; // after the program's name
    Action action;
    const char* endpointsFile;
    bool minimized;
};

TEST(CommandLine, Parses) {
    const ParseCase cases[] = {
        {{}, Action::Run, "", false},
        {{"--minimized"}, Action::Run, "", true},
        {{"--endpoints", "/tmp/e.ini"}, Action::Run, "/tmp/e.ini", false},
        {{"--endpoints=/tmp/e.ini", "--minimized"}, Action::Run, "/tmp/e.ini", true},
        {{"--help"}, Action::ShowHelp, "", false},
        {{"--help-all"}, Action::ShowHelp, "", false},
        {{"--version"}, Action::ShowVersion, "", false},
        {{"--bogus"}, Action::Fail, "", false},
        {{"--endpoints"}, Action::Fail, "", false}, // the file is missing
        {{"stray"}, Action::Fail, "", false},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const ProgramOptions options =
            ParseProgramOptions(QStringList{QStringLiteral("quillo")} + c.arguments);
        EXPECT_EQ(options.action, c.action);
        EXPECT_EQ(options.endpointsFile, QString::fromUtf8(c.endpointsFile));
        EXPECT_EQ(options.minimized, c.minimized);
        EXPECT_EQ(options.text.isEmpty(), c.action == Action::Run);
    }
}

TEST(CommandLine, VersionAndHelpSayWhatTheyShould) {
    EXPECT_EQ(ParseProgramOptions({QStringLiteral("quillo"), QStringLiteral("--version")}).text,
              QStringLiteral("Quillo for Facebook " QUILLO_VERSION "\n"));
    const QString help =
        ParseProgramOptions({QStringLiteral("quillo"), QStringLiteral("--help")}).text;
    EXPECT_TRUE(help.startsWith(QStringLiteral("Usage: quillo [options]"))) << help.toStdString();
    for (const char* option : {"--endpoints <FILE>", "--minimized", "--version", "--help"})
        EXPECT_TRUE(help.contains(QString::fromUtf8(option))) << option;
}

TEST(CommandLine, EndpointsFileInForce) {
    struct Case {
        const char* given;
        bool ownFolder;
        const char* expected;
    };
    const Case cases[] = {
        {"", true, "/build/src/endpoints.ini"}, // the stand-in's, beside the build
        {"", false, ""},                        // installed: none beside /usr/bin
        {"/tmp/e.ini", true, "/tmp/e.ini"},     // given wins everywhere
        {"/tmp/e.ini", false, "/tmp/e.ini"},
    };
    for (const Case& c : cases) {
        ProgramOptions options;
        options.endpointsFile = QString::fromUtf8(c.given);
        EXPECT_EQ(EndpointsFileFor(options, c.ownFolder, QStringLiteral("/build/src")),
                  QString::fromUtf8(c.expected))
            << c.given << " " << c.ownFolder;
    }
}

} // namespace
} // namespace quillo
