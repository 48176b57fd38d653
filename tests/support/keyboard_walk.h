#pragma once
// For the window tests: what the keyboard and a screen reader meet in a window. TabChain follows
// Tab (or Shift+Tab) as a person presses it, from widget to widget; UnnamedControls lists the
// controls that Tab can reach but a screen reader could not name.

#include <QAccessible>
#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QWidget>

namespace quillo::test {

// A control as the failure messages name it: its class and object name.
inline QString DescribeControl(const QObject* control) {
    return QString::fromLatin1(control->metaObject()->className()) + u' ' + control->objectName();
}

// The object names of the widgets that have the focus after each of presses Tabs, starting at
// start (which gets the focus first; the window must be shown and active).
inline QStringList TabChain(QWidget* start, int presses, bool backwards = false) {
    start->setFocus(Qt::TabFocusReason);
    QStringList names;
    for (int i = 0; i < presses; ++i) {
        QWidget* at = QApplication::focusWidget();
        if (!at)
            break;
        QTest::keyClick(at, backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                        backwards ? Qt::ShiftModifier : Qt::NoModifier);
        at = QApplication::focusWidget();
        names.append(at ? at->objectName() : QStringLiteral("(none)"));
    }
    return names;
}

// Every widget of window (and of the windows it owns) that Tab can reach, shown or not, whose
// accessibility interface has no name or no role.
inline QStringList UnnamedControls(const QWidget* window) {
    QStringList unnamed;
    const auto widgets = window->findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        if (!(widget->focusPolicy() & Qt::TabFocus))
            continue;
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(widget);
        if (!control)
            unnamed.append(DescribeControl(widget) + QStringLiteral(" (no interface)"));
        else if (control->text(QAccessible::Name).trimmed().isEmpty())
            unnamed.append(DescribeControl(widget));
        else if (control->role() == QAccessible::NoRole)
            unnamed.append(DescribeControl(widget) + QStringLiteral(" (no role)"));
    }
    return unnamed;
}

} // namespace quillo::test
