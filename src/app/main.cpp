// Program entry of the messenger. The windows arrive step by step; until the main window
// exists the program says so and ends cleanly.
#include <QApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillo for Facebook"));
    QTextStream(stdout) << "Quillo for Facebook " << QStringLiteral(QUILLO_VERSION)
                        << ": the messenger window arrives with a later step.\n";
    return 0;
}
