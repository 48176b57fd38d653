#include "console/console_output.h"

#include <QJsonDocument>

namespace quillo {

void ConsoleOutput::emitEvent(const QString& event, const QString& text, QJsonObject fields) {
    if (json_) {
        fields.insert(QStringLiteral("event"), event);
        out_ << QString::fromUtf8(QJsonDocument(fields).toJson(QJsonDocument::Compact)) << '\n';
    } else {
        out_ << text << '\n';
    }
    out_.flush();
}

} // namespace quillo
