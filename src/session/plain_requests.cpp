#include "session/plain_requests.h"

#include "session/browser_identity.h"
#include "session/endpoints.h"

namespace quillo {

using namespace browser;

namespace {

HttpRequest plainRequest(const QString& url, const QByteArray& contentType, qsizetype maxBodyBytes,
                         const Interruption& interruption) {
    HttpRequest request;
    request.url = url;
    request.interruption = interruption;
    request.maxBodyBytes = maxBodyBytes;
    addIdentity(request);
    request.headers.append("Cache-Control: no-cache");
    request.headers.append("Connection: keep-alive");
    request.headers.append(kKeepAliveLine);
    request.headers.append(headerLine("Content-Type", contentType));
    return request;
}

} // namespace

QString PlainGet(const Endpoints& endpoints, const QString& url, qsizetype maxBodyBytes,
                 const Interruption& interruption) {
    HttpTransfer client(endpoints, true);
    const HttpResponse response =
        client.perform(plainRequest(url, "Text/html", maxBodyBytes, interruption));
    if (response.ok())
        return bodyText(response);
    return QString::fromUtf8(response.header("Location"));
}

void PlainPost(const Endpoints& endpoints, const QString& url, const FormFields& fields,
               QString& result, qsizetype maxBodyBytes, const Interruption& interruption) {
    HttpTransfer client(endpoints, true);
    HttpRequest request = plainRequest(url, kFormType, maxBodyBytes, interruption);
    request.method = "POST";
    request.body = EncodeForm(fields);
    const HttpResponse response = client.perform(request);
    if (response.ok())
        result = bodyText(response);
}

void FetchImage(const Endpoints& endpoints, const QString& url, const QString& referer,
                QByteArray& stream, qsizetype maxBodyBytes, const Interruption& interruption) {
    HttpTransfer client(endpoints, false);
    HttpRequest request;
    request.url = url;
    request.interruption = interruption;
    request.maxBodyBytes = maxBodyBytes;
    request.headers.append("Content-Type: image/png,image/*;q=0.8,*/*;q=0.5");
    request.headers.append("Accept: image/png,image/*");
    addReferer(request, referer);
    stream.append(client.perform(request).body);
}

} // namespace quillo
