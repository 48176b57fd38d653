#pragma once
// LinkLabel: a label that acts as a link (the main window's "Sign out", "Forgot password",
// the recommendation links): underlined, a pointing hand, clicked() on a left click. Its text
// stays plain, so the language files can set it like any label's.
//
// It is a link for the keyboard too: Tab reaches it (a click does not take the focus, as with a
// browser's links), it shows a focus frame, and Enter or Space follows it. Screen readers see a
// link named by its text (or, for a picture, its tooltip) that can be pressed.
//
// Thread: the user-interface thread.

#include <QLabel>

namespace quillo {

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

    // Follows the link as a click does, when it is enabled.
    void activate();

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

} // namespace quillo
