#include "app/command_line.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace quillo {

ProgramOptions ParseProgramOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Quillo for Facebook, the desktop messenger."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption endpoints(
        QStringLiteral("endpoints"),
        QStringLiteral("host settings (default: endpoints.ini beside a program run from its "
                       "build folder)"),
        QStringLiteral("FILE"));
    const QCommandLineOption minimized(QStringLiteral("minimized"),
                                       QStringLiteral("start in the tray, the window hidden"));
    parser.addOptions({endpoints, minimized});

    ProgramOptions options;
    if (!parser.parse(arguments)) {
        options.action = ProgramOptions::Action::Fail;
        options.text = parser.errorText() + QStringLiteral("\n");
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        options.action = ProgramOptions::Action::Fail;
        options.text = QStringLiteral("Unexpected argument '%1'.\n")
                           .arg(parser.positionalArguments().constFirst());
        return options;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        options.action = ProgramOptions::Action::ShowHelp;
        // The usage line names the program as it was started: read before the application
        // object exists, the parser itself knows no name.
        const QString name = arguments.isEmpty() ? QStringLiteral(QUILLO_PROGRAM_NAME)
                                                 : QFileInfo(arguments.constFirst()).fileName();
        const QString text = parser.helpText();
        options.text = QStringLiteral("Usage: %1 [options]").arg(name) +
                       text.mid(qMax(qsizetype(0), text.indexOf(u'\n')));
        return options;
    }
    if (parser.isSet(version)) {
        options.action = ProgramOptions::Action::ShowVersion;
        options.text = QStringLiteral("Quillo for Facebook " QUILLO_VERSION "\n");
        return options;
    }
    options.endpointsFile = parser.value(endpoints);
    options.minimized = parser.isSet(minimized);
    return options;
}

QString EndpointsFileFor(const ProgramOptions& options, bool runsFromItsOwnFolder,
                         const QString& programFolder) {
    if (!options.endpointsFile.isEmpty())
        return options.endpointsFile;
    if (!runsFromItsOwnFolder)
        return QString();
    QString folder = programFolder;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder + QStringLiteral("endpoints.ini");
}

} // namespace quillo
