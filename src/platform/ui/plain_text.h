#pragma once
// Text from outside the program in the windows: names, messages, hints and answers from a
// friend, the service, the maker's hosts or a file a user may edit. Qt guesses whether a label's,
// a tooltip's or a message box's text is markup, and markup may show pictures, read local files
// and make links that open programs; so such text reaches a widget only through these, which
// always show it as the characters it holds. The program's own texts (language files, the skin)
// may go on using markup where they mean it.
//
// Thread: the user-interface thread.

#include <QMessageBox>
#include <QString>

class QLabel;
class QWidget;

namespace quillo {

// The label shows text as plain text, now and whenever its text is set again.
void showPlainText(QLabel* label, const QString& text);

// A decoded name in a label: plain text, cut as ShownName cuts it; the whole name, when it is
// cut, as the label's tooltip.
void showName(QLabel* label, const QString& decodedName);

// A tooltip that shows text as it stands (bounded in length: a tooltip is no place to read a
// long text). For QWidget::setToolTip and the items of views.
QString plainToolTip(const QString& text);
void setPlainToolTip(QWidget* widget, const QString& text);

// Message boxes titled with the program's name whose text is always plain.
bool askYesNo(QWidget* parent, const QString& question,
              QMessageBox::Icon icon = QMessageBox::Question);
// The same with a picture of the program's own where the standard icon would be.
bool askYesNo(QWidget* parent, const QString& question, const QPixmap& picture);
void inform(QWidget* parent, const QString& text,
            QMessageBox::Icon icon = QMessageBox::Information);

} // namespace quillo
