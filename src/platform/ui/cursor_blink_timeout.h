#pragma once
// The text cursors of every input blink only while the person is at the keyboard. A blinking
// cursor repaints twice a second, which keeps the program and the display server busy for as
// long as a chat window sits open and focused; so after idleTime without a key press or a click,
// and whenever no window of the program is active, the blink period is set to 0. Every Qt text
// input (QLineEdit, QTextEdit, QPlainTextEdit and what is built on them) then shows a steady
// cursor and stops its blink timer. The next key press, click or window activation brings the
// blinking back with the period the program started with.
//
// Thread: the user-interface thread. One for the whole program, made after the QApplication;
// it restores the blink period when it ends.

#include <QObject>
#include <QTimer>
#include <chrono>

namespace quillo {

class CursorBlinkTimeout final : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kIdleTime{10000};

    explicit CursorBlinkTimeout(std::chrono::milliseconds idleTime = kIdleTime,
                                QObject* parent = nullptr);
    ~CursorBlinkTimeout() override;

    // Whether the cursors blink now (false while resting).
    bool blinking() const { return !resting_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void wake();
    void rest();

    const int flashTime_;
    QTimer idle_;
    bool resting_ = false;
};

} // namespace quillo
