#include "platform/ui/plain_text.h"

#include <QLabel>

#include "conversation/shown_text.h"

namespace quillo {

namespace {

const QString kProductName = QStringLiteral("Quillo for Facebook");

// A tooltip longer than a few lines is no help and costs a layout of its whole text.
constexpr qsizetype kLongestToolTip = 1000;

int runPlainBox(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                QMessageBox::StandardButtons buttons, const QPixmap& picture = {}) {
    QMessageBox box(icon, kProductName, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (!picture.isNull())
        box.setIconPixmap(picture);
    return box.exec();
}

} // namespace

void showPlainText(QLabel* label, const QString& text) {
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
}

void showName(QLabel* label, const QString& decodedName) {
    showPlainText(label, ShownName(decodedName));
    label->setToolTip(IsNameCut(decodedName) ? plainToolTip(decodedName) : QString());
}

QString plainToolTip(const QString& text) {
    if (text.isEmpty())
        return {};
    // Escaped and then declared rich text: every character shows as itself, including a
    // "&lt;" that plain text guessing would have shown as a "<".
    QString shown = text;
    if (shown.size() > kLongestToolTip) {
        const bool splitsCharacter =
            shown[kLongestToolTip - 1].isHighSurrogate() && shown[kLongestToolTip].isLowSurrogate();
        shown.truncate(splitsCharacter ? kLongestToolTip - 1 : kLongestToolTip);
        shown.append(QChar(0x2026));
    }
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + shown.toHtmlEscaped() +
           QStringLiteral("</p>");
}

void setPlainToolTip(QWidget* widget, const QString& text) {
    widget->setToolTip(plainToolTip(text));
}

bool askYesNo(QWidget* parent, const QString& question, QMessageBox::Icon icon) {
    return runPlainBox(parent, question, icon, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

bool askYesNo(QWidget* parent, const QString& question, const QPixmap& picture) {
    return runPlainBox(parent, question, QMessageBox::NoIcon, QMessageBox::Yes | QMessageBox::No,
                       picture) == QMessageBox::Yes;
}

void inform(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
    runPlainBox(parent, text, icon, QMessageBox::Ok);
}

} // namespace quillo
