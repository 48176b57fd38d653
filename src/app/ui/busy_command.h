#pragma once
// A menu command whose work runs in the background shows that it is at work: the command is
// disabled with a caption that says so, and the pointer over the program's windows is busy. All
// of it comes back when the sign goes: when the answer has come, whatever it was, or when the
// window that owns the sign goes away first.
//
// Thread: the user-interface thread. Parent the sign to the window of its command, so that it
// goes with that window.

#include <QObject>
#include <QPointer>
#include <QString>

class QAction;

namespace quillo {

class BusyCommand final : public QObject {
public:
    // command may be null (then only the pointer shows it); busyText is added to its caption.
    BusyCommand(QAction* command, const QString& busyText, QObject* parent);
    ~BusyCommand() override;

private:
    QPointer<QAction> command_;
    QString caption_;
    bool wasEnabled_ = true;
};

} // namespace quillo
