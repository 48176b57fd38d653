#pragma once
// LinkLabel: a label that acts as a link (the main window's "Sign out", "Forgot password",
// the recommendation links): underlined, a pointing hand, clicked() on a left click. Its text
// stays plain, so the language files can set it like any label's.
//
// Thread: the user-interface thread.

#include <QLabel>

namespace quillo {

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace quillo
