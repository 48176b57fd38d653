#pragma once
// The window program's command line: --help, --version, --endpoints FILE and --minimized.
//
// Read before the application object exists, so that --help and --version answer on a machine
// without a display. Any thread.

#include <QString>
#include <QStringList>

namespace quillo {

struct ProgramOptions {
    enum class Action {
        Run,         // start the messenger
        ShowHelp,    // print text on standard output, end with success
        ShowVersion, // the same
        Fail,        // print text on standard error, end with exit code 2
    };
    Action action = Action::Run;
    QString text;           // what ShowHelp, ShowVersion and Fail print
    QString endpointsFile;  // --endpoints: the host settings to use; empty when not given
    bool minimized = false; // --minimized: start in the tray, the main window hidden
};

// arguments: the program's whole command line, the program's own name first.
ProgramOptions ParseProgramOptions(const QStringList& arguments);

// The host settings file in force: the one given with --endpoints; else endpoints.ini beside
// a program that runs from its own (build) folder; else none (empty), and the build's host
// names hold.
QString EndpointsFileFor(const ProgramOptions& options, bool runsFromItsOwnFolder,
                         const QString& programFolder);

} // namespace quillo
