#include "conversation/ui/chat_input.h"

#include "conversation/ui/length_limit.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>

namespace quillo {

ChatInput::ChatInput(QWidget* parent)
    : QTextEdit(parent) {
    setObjectName(QStringLiteral("RichEdit1"));
    setAcceptRichText(false);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    QFont font = this->font();
    font.setPointSize(10);
    setFont(font);
    LimitLength(this, kMaxLength);
}

int ChatInput::length() const {
    return TextLength(this);
}

void ChatInput::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & Qt::ShiftModifier)) {
        event->accept();
        emit enterPressed();
        return;
    }
    if (enter) {
        // A line break within the message, not a new paragraph with formatting of its own.
        if (!isReadOnly())
            textCursor().insertText(QString(QChar::LineSeparator));
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void ChatInput::focusInEvent(QFocusEvent* event) {
    QTextEdit::focusInEvent(event);
    emit focusReceived();
}

bool ChatInput::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText();
}

void ChatInput::insertFromMimeData(const QMimeData* source) {
    if (source->hasText())
        textCursor().insertText(source->text());
}

} // namespace quillo
