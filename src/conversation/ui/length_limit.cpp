#include "conversation/ui/length_limit.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace quillo {

int TextLength(const QTextEdit* edit) {
    // The document always ends in one paragraph separator of its own.
    return edit->document()->characterCount() - 1;
}

void LimitLength(QTextEdit* edit, int maxLength) {
    QObject::connect(edit->document(), &QTextDocument::contentsChange, edit,
                     [edit, maxLength](int position, int, int added) {
                         const int excess = TextLength(edit) - maxLength;
                         if (excess <= 0 || added <= 0)
                             return;
                         const int cut = std::min(excess, added);
                         QTextCursor cursor(edit->document());
                         cursor.setPosition(position + added - cut);
                         cursor.setPosition(position + added, QTextCursor::KeepAnchor);
                         cursor.removeSelectedText();
                     });
}

} // namespace quillo
