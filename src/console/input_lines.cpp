#include "console/input_lines.h"

#include <QSocketNotifier>

#include <utility>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quillo {

namespace {

constexpr int kInput = STDIN_FILENO;

} // namespace

InputLines::InputLines(QObject* parent)
    : QObject(parent) {}

QString InputLines::readFirstLine() {
    QByteArray line;
    char byte = 0;
    for (;;) {
        const ssize_t got = ::read(kInput, &byte, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || byte == '\n')
            break;
        line.append(byte);
    }
    return QString::fromUtf8(line);
}

void InputLines::start() {
    if (notifier_)
        return;
    if (::fcntl(kInput, F_GETFD) == -1) {
        // No standard input at all: it has ended before it began.
        QMetaObject::invokeMethod(this, &InputLines::end, Qt::QueuedConnection);
        return;
    }
    notifier_ = new QSocketNotifier(kInput, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &InputLines::readAvailable);
}

void InputLines::readAvailable() {
    char buffer[4096];
    const ssize_t got = ::read(kInput, buffer, sizeof buffer);
    if (got < 0) {
        if (errno == EINTR || errno == EAGAIN)
            return; // the notifier calls again
        end();
        return;
    }
    if (got == 0) {
        end();
        return;
    }
    pending_.append(buffer, qsizetype(got));
    qsizetype from = 0;
    for (qsizetype lineEnd = pending_.indexOf('\n'); lineEnd >= 0;
         lineEnd = pending_.indexOf('\n', from)) {
        emit lineRead(QString::fromUtf8(pending_.constData() + from, lineEnd - from));
        from = lineEnd + 1;
        if (!notifier_)
            return; // a receiver ended the input
    }
    pending_.remove(0, from);
}

void InputLines::end() {
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    // A last line without its line end is a line all the same.
    if (!pending_.isEmpty())
        emit lineRead(QString::fromUtf8(std::exchange(pending_, QByteArray())));
    emit closed();
}

} // namespace quillo
