// quillo-console: the messenger in a terminal, on the same engine as the windows.
//   quillo-console EMAIL [--password-file FILE] [--json] [--endpoints FILE] [--no-history]
// The password is the first line of standard input unless a file is given. Then every line of
// standard input is a command: "ID: text" or "name prefix: text" sends, "/quit" signs out; the
// end of input signs out too.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include "console/console_front_end.h"
#include "console/input_lines.h"
#include "platform/folders.h"
#include "platform/heap_tuning.h"
#include "session/endpoints.h"

using namespace quillo;

namespace {

QString firstLineOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readLine()).trimmed();
}

} // namespace

int main(int argc, char** argv) {
    KeepLargeBuffersOutOfTheHeap();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillo-console"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Quillo for Facebook in a terminal."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("email"),
                                 QStringLiteral("the account's e-mail address"));
    const QCommandLineOption passwordFile(QStringLiteral("password-file"),
                                          QStringLiteral("read the password from FILE"),
                                          QStringLiteral("FILE"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("print every event as one JSON object per line"));
    const QCommandLineOption endpoints(
        QStringLiteral("endpoints"),
        QStringLiteral("host settings (default: endpoints.ini beside the program)"),
        QStringLiteral("FILE"));
    const QCommandLineOption noHistory(QStringLiteral("no-history"),
                                       QStringLiteral("do not replay recent conversations"));
    parser.addOptions({passwordFile, json, endpoints, noHistory});
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    ConsoleOptions options;
    options.email = parser.positionalArguments().constFirst();
    options.json = parser.isSet(json);
    options.replayHistory = !parser.isSet(noHistory);
    options.endpoints =
        LoadEndpoints(parser.isSet(endpoints) ? parser.value(endpoints)
                                              : AppFolder() + QStringLiteral("endpoints.ini"));
    if (parser.isSet(passwordFile)) {
        options.password = firstLineOf(parser.value(passwordFile));
    } else {
        options.password = InputLines::readFirstLine().trimmed();
    }

    QTextStream out(stdout);
    ConsoleFrontEnd frontEnd(std::move(options), out);
    QObject::connect(&frontEnd, &ConsoleFrontEnd::finished, &app, &QCoreApplication::exit,
                     Qt::QueuedConnection);

    InputLines input;
    QObject::connect(&input, &InputLines::lineRead, &frontEnd, &ConsoleFrontEnd::handleLine);
    QObject::connect(&input, &InputLines::closed, &frontEnd, &ConsoleFrontEnd::inputClosed);
    input.start();

    frontEnd.start();
    return app.exec();
}
