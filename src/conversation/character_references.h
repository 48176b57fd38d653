#pragma once
// HTML character references in message text, read once. The service sends "<", ">" and "&" of
// a message as references; the view must show what the person typed, so a reference is
// resolved exactly one time ("&amp;lt;" is the typed text "&lt;", not "<").

#include <QString>
#include <QStringView>

namespace quillo {

// One reference read at a position: the code units it stands for and how many units of the
// text it takes. `length` is 0 when no reference starts there.
struct CharacterReference {
    QString units;
    qsizetype length = 0;
};

// Reads the reference starting at text[at] (an "&"): the names amp, lt, gt, quot, apos, nbsp
// and circ (the service's "^"), and "&#N;" / "&#xH;" naming a value from 1 to 0x10FFFF (a
// value above 0xFFFF as a surrogate pair). The ";" is required. Anything else is no reference.
CharacterReference ReadCharacterReference(QStringView text, qsizetype at);

// Every reference of `text` resolved, left to right in one pass; what is not a reference
// stays as written.
QString DecodeCharacterReferences(QStringView text);

} // namespace quillo
