#include "app/ui/busy_command.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>

namespace quillo {

BusyCommand::BusyCommand(QAction* command, const QString& busyText, QObject* parent)
    : QObject(parent)
    , command_(command) {
    if (command_) {
        caption_ = command_->text();
        wasEnabled_ = command_->isEnabled();
        command_->setEnabled(false);
        command_->setText(caption_ + QStringLiteral(" - ") + busyText);
    }
    // The busy pointer, not the wait pointer: the windows go on answering meanwhile.
    QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
}

BusyCommand::~BusyCommand() {
    QGuiApplication::restoreOverrideCursor();
    if (command_) {
        command_->setText(caption_);
        command_->setEnabled(wasEnabled_);
    }
}

} // namespace quillo
