#pragma once
// ChatInput: the rich-text input of a chat tab. Enter sends (the key never reaches the text),
// Shift+Enter breaks the line; at most kMaxLength characters; pasted content arrives as plain
// text in the current formatting, so only bold and underline set in the tab can shape a
// message, never pictures, links or fonts from elsewhere.
//
// Thread: the user-interface thread.

#include <QTextEdit>

namespace quillo {

class ChatInput final : public QTextEdit {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 1000;

    explicit ChatInput(QWidget* parent = nullptr);

    // The characters the input holds (a line break counts as one).
    int length() const;

signals:
    void enterPressed();
    void focusReceived();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace quillo
