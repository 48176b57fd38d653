#include "conversation/ui/chat_input.h"

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
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { keepWithinLimit(position, added); });
}

int ChatInput::length() const {
    // The document always ends in one paragraph separator of its own.
    return document()->characterCount() - 1;
}

void ChatInput::keepWithinLimit(int position, int added) {
    const int excess = length() - kMaxLength;
    if (excess <= 0 || added <= 0)
        return;
    // What was just typed or pasted loses its end; what was there before stays whole.
    const int cut = std::min(excess, added);
    QTextCursor cursor(document());
    cursor.setPosition(position + added - cut);
    cursor.setPosition(position + added, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
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
