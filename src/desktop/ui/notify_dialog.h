#pragma once
// One notice in the bottom-right corner of the screen (window `TNotifyDlg`): a line of text that
// closes by itself, and that may be a link.
//
// A notice never takes the keyboard focus: it appears while the user types in a conversation.
// It is a top-level tool window without a parent, so it stays when the program's other windows
// are hidden or minimised, and it deletes itself when it closes.
//
// It draws its own thin caption with only a close box: a window manager's frame would offer
// minimise and maximise, which mean nothing for a notice, and clicking that frame would take the
// keyboard from the chat.
//
// Thread and ownership: main thread only. Whoever shows it watches closed(); the notice owns
// itself.

#include <QPointer>
#include <QWidget>

#include <chrono>

class QLabel;
class QTimer;
class QToolButton;

namespace quillo {

class NotifyDialog : public QWidget {
    Q_OBJECT

public:
    enum class Look {
        Link,  // blue, bold and underlined, hand pointer: a click means something
        Quiet, // grey and italic, ordinary pointer: a click does nothing
    };

    // The text area, below the caption strip.
    static constexpr int kWidth = 281;
    static constexpr int kHeight = 30;
    static constexpr int kCaptionHeight = 16;
    // The whole window: the notice has no frame from the window manager.
    static constexpr int kWindowHeight = kCaptionHeight + kHeight;

    // Starts its closing timer at once; lifetime is how long it stays.
    NotifyDialog(const QString& text, Look look, std::chrono::milliseconds lifetime);

    QString text() const;
    void setText(const QString& text);
    Look look() const { return look_; }

    // Shown when the pointer rests on the text.
    void setTextHint(const QString& hint);

    // Starts the lifetime again, for a notice whose text has just changed.
    void restartTimer();
    std::chrono::milliseconds lifetime() const;

    QLabel* label() const { return label_; }
    // The caption's close box.
    QToolButton* closeBox() const { return closeBox_; }

signals:
    // The text of a Link notice was clicked; the notice closes right after.
    void clicked();
    // Emitted once when the notice closes, for whatever reason, before it is deleted.
    void closed(quillo::NotifyDialog* notice);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Look look_;
    QLabel* label_ = nullptr;
    QToolButton* closeButton_ = nullptr;
    QToolButton* closeBox_ = nullptr;
    QTimer* timer_ = nullptr;
    QPointer<QWidget> activeBefore_;
    bool closed_ = false;
};

} // namespace quillo
