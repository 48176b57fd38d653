#pragma once
// Runs the local stand-in service as a child process for one test (or fixture), on a free
// port, and talks to its control interface. The stand-in is its own program with its own
// parsing; the tests reach it the way the messenger does, through connect_to.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "session/endpoints.h"

namespace quillo::test {

class StandInProcess {
public:
    struct Options {
        QString dataFile; // empty: the shipped demo data
        int holdMs = 1500;
        int botDelayMs = 50;
        bool tls = false;
        QStringList extraArguments;
    };

    explicit StandInProcess(Options options);
    StandInProcess()
        : StandInProcess(Options{}) {}
    ~StandInProcess();
    StandInProcess(const StandInProcess&) = delete;
    StandInProcess& operator=(const StandInProcess&) = delete;

    bool started() const { return port_ > 0; }
    // What the process printed when it did not start.
    QString problem() const { return problem_; }
    int port() const { return port_; }

    // The build's host names, every connection sent to this process; without TLS the login
    // form may be posted over plain HTTP (plainSignIn), as the stand-in then serves it.
    Endpoints endpoints() const;

    // A control call; the answer's JSON (an empty document on failure).
    QJsonDocument control(const QString& path, const QJsonObject& body = {});
    QJsonDocument controlGet(const QString& pathAndQuery);

    // True while the service lists the session that handed out postFormId (it lists live
    // sessions only).
    bool sessionAlive(const QString& postFormId);
    // Waits until the service holds at least count long polls; false after timeoutMs.
    bool waitForHeldPolls(int count, int timeoutMs = 5000);
    // The requests the service saw (control requests aside), filtered by query such as
    // "path=/login.php" or "since=N".
    QJsonArray requests(const QString& query = {});
    // What the service recorded of one kind: "chat", "posts", "reports" or "history".
    QJsonArray records(const QString& kind);

    static QString demoData();

private:
    QTemporaryDir state_;
    QProcess process_;
    int port_ = 0;
    int tlsPort_ = 0;
    bool tls_ = false;
    QString caFile_;
    QString problem_;
};

} // namespace quillo::test
