#pragma once
// TMSg: one chat message handed from a worker (long poll, history replay) to the front end.
// Names and text stay in the service's escaped form until shown.
// Ownership: created by the worker, owned by the front end once delivered.

#include <QString>

namespace quillo {

struct TMSg {
    quint8 Reserved = 0;
    QString To;             // receiver's id; filled by the history replay only
    QString Spare;          // never filled
    QString FromId;         // sender's numeric id as the answer wrote it
    QString FromName;       // sender's name, service-escaped
    QString Text;           // message text, service-escaped
    QString Time;           // decimal milliseconds since 1970-01-01 UTC
    QString MessageId;      // the service's "msgID"; empty when the answer had none
    qint64 ServiceTime = 0; // when the service took the line (ms since 1970), 0 when unknown
    bool Live = false;      // arrived through the long poll (the view follows the bottom)
    bool Replayed = false;  // another person's line replayed from history (no notice)
};

} // namespace quillo
