#pragma once
// InputLines: the lines of standard input, read on the thread that owns the object as they
// arrive (a notifier on the descriptor). No thread sits blocked in a read, so the program can end
// whenever it wants, with input still open.
//
// Thread: create and use on one thread with an event loop.

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace quillo {

class InputLines final : public QObject {
    Q_OBJECT
public:
    explicit InputLines(QObject* parent = nullptr);

    // The first line, waited for, for what is needed before the event loop runs. Reads one byte
    // at a time, so nothing after the line is taken from what start() reads later.
    static QString readFirstLine();

    // From now on each line comes as lineRead, then closed once input has ended.
    void start();

signals:
    void lineRead(const QString& line);
    void closed();

private:
    void readAvailable();
    void end();

    QSocketNotifier* notifier_ = nullptr;
    QByteArray pending_; // what came after the last line end
};

} // namespace quillo
