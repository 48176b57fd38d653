#pragma once
// A most number of characters for a QTextEdit, which has no such limit of its own.
//
// Thread: the user-interface thread.

class QTextEdit;

namespace quillo {

// From now on, whatever is typed or pasted into edit beyond maxLength characters (a line break
// counts as one) loses its end; what was there before stays whole.
void LimitLength(QTextEdit* edit, int maxLength);

// The characters edit holds, counted the same way.
int TextLength(const QTextEdit* edit);

} // namespace quillo
