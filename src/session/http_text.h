#pragma once
// How a response body becomes text, and how form fields become a request body.
// Pure functions; used by every HTTP operation.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace quillo {

using FormFields = QList<QPair<QString, QString>>;

// Decodes a body by the charset of its Content-Type; without one by its byte-order mark; else
// as UTF-8 when the bytes are valid UTF-8, else as Windows-1252. The text is then split into
// lines at CR, LF and CRLF and joined again with CRLF after every line, the last one included.
QString BodyToText(const QByteArray& body, const QByteArray& contentType = {});

// application/x-www-form-urlencoded in list order, values as UTF-8.
QByteArray EncodeForm(const FormFields& fields);

} // namespace quillo
