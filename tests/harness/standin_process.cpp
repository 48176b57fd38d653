#include "harness/standin_process.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>

#include "session/http_transfer.h"

namespace quillo::test {

QString StandInProcess::demoData() {
    return QStringLiteral(QUILLO_SOURCE_DIR "/standin/data/demo.json");
}

StandInProcess::StandInProcess(Options options)
    : tls_(options.tls) {
    QStringList arguments{QStringLiteral("--data"),
                          options.dataFile.isEmpty() ? demoData() : options.dataFile,
                          QStringLiteral("--port"),
                          QStringLiteral("0"),
                          QStringLiteral("--hold-ms"),
                          QString::number(options.holdMs),
                          QStringLiteral("--bot-delay-ms"),
                          QString::number(options.botDelayMs),
                          QStringLiteral("--state"),
                          state_.path()};
    arguments << (options.tls ? QStringLiteral("--tls") : QStringLiteral("--no-tls"));
    arguments << options.extraArguments;
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QStringLiteral(QUILLO_STANDIN_BIN), arguments);
    if (!process_.waitForStarted(5000)) {
        problem_ = process_.errorString();
        return;
    }
    // The first line says where it listens:
    //   quillo-standin http://127.0.0.1:PORT [tls-port N ca FILE]
    QElapsedTimer clock;
    clock.start();
    QByteArray line;
    while (!line.contains('\n') && clock.elapsed() < 10000) {
        process_.waitForReadyRead(200);
        line += process_.readAllStandardOutput();
        if (process_.state() == QProcess::NotRunning)
            break;
    }
    const QString text = QString::fromUtf8(line);
    const QRegularExpressionMatch port =
        QRegularExpression(QStringLiteral("http://[0-9.]+:([0-9]+)")).match(text);
    if (!port.hasMatch()) {
        problem_ = text + QString::fromUtf8(process_.readAllStandardError());
        return;
    }
    port_ = port.captured(1).toInt();
    const QRegularExpressionMatch tls =
        QRegularExpression(QStringLiteral("tls-port ([0-9]+) ca (\\S+)")).match(text);
    if (tls.hasMatch()) {
        tlsPort_ = tls.captured(1).toInt();
        caFile_ = tls.captured(2);
    }
}

StandInProcess::~StandInProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }
}

Endpoints StandInProcess::endpoints() const {
    Endpoints e = Endpoints::fromBuild();
    e.connectTo = QStringLiteral("127.0.0.1:%1").arg(port_);
    if (tlsPort_ > 0)
        e.connectToTls = QStringLiteral("127.0.0.1:%1").arg(tlsPort_);
    e.caFile = caFile_;
    e.plainSignIn = !tls_;
    return e;
}

namespace {

QJsonDocument perform(const Endpoints& endpoints, HttpRequest request) {
    // The request log of a long run is far larger than any answer of the service.
    request.maxBodyBytes = qsizetype(1) << 30;
    HttpTransfer client(endpoints, false);
    const HttpResponse response = client.perform(request);
    return QJsonDocument::fromJson(response.body);
}

} // namespace

QJsonDocument StandInProcess::control(const QString& path, const QJsonObject& body) {
    HttpRequest request;
    request.method = "POST";
    request.url =
        QStringLiteral("http://") + endpoints().webHost + QStringLiteral("/__control/") + path;
    request.headers.append("Content-Type: application/json");
    request.body = QJsonDocument(body).toJson(QJsonDocument::Compact);
    return perform(endpoints(), request);
}

QJsonDocument StandInProcess::controlGet(const QString& pathAndQuery) {
    HttpRequest request;
    request.url = QStringLiteral("http://") + endpoints().webHost + QStringLiteral("/__control/") +
                  pathAndQuery;
    return perform(endpoints(), request);
}

bool StandInProcess::sessionAlive(const QString& postFormId) {
    const QJsonArray sessions = controlGet(QStringLiteral("state"))[u"sessions"].toArray();
    return std::any_of(sessions.begin(), sessions.end(), [&](const QJsonValue& s) {
        return s[u"post_form_id"].toString() == postFormId;
    });
}

bool StandInProcess::waitForHeldPolls(int count, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (controlGet(QStringLiteral("state"))[u"held_polls"].toInt() < count) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(5);
    }
    return true;
}

QJsonArray StandInProcess::requests(const QString& query) {
    const QString path =
        query.isEmpty() ? QStringLiteral("requests") : QStringLiteral("requests?") + query;
    return controlGet(path)[u"requests"].toArray();
}

QJsonArray StandInProcess::records(const QString& kind) {
    return controlGet(QStringLiteral("records?kind=") + kind).array();
}

} // namespace quillo::test
