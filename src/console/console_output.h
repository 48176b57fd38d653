#pragma once
// How the console front end writes what happens: one line per event, as text for a person or
// as one JSON object per line for scripts (--json).
//
// Thread: the front end's thread only.

#include <QJsonObject>
#include <QString>
#include <QTextStream>

namespace quillo {

class ConsoleOutput {
public:
    ConsoleOutput(QTextStream& out, bool json)
        : out_(out)
        , json_(json) {}

    bool json() const { return json_; }

    // event: the JSON "event" name; text: the line a person reads; fields: the JSON fields.
    void emitEvent(const QString& event, const QString& text, QJsonObject fields = {});

private:
    QTextStream& out_;
    bool json_;
};

} // namespace quillo
