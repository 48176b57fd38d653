#include "platform/keychain/keychain_password_vault.h"

#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>
#include <utility>

namespace quillo {

KeychainPasswordVault::KeychainPasswordVault(QString service, std::chrono::milliseconds timeout)
    : service_(std::move(service))
    , timeout_(timeout)
    , stalled_(std::make_shared<bool>(false)) {}

KeychainPasswordVault::~KeychainPasswordVault() = default;

VaultRead KeychainPasswordVault::Read(const QString& email) {
    return Run(Kind::Read, email, QString());
}

VaultAnswer KeychainPasswordVault::Write(const QString& email, const QString& password) {
    return Run(Kind::Write, email, password).answer;
}

VaultAnswer KeychainPasswordVault::Remove(const QString& email) {
    return Run(Kind::Remove, email, QString()).answer;
}

VaultRead KeychainPasswordVault::Run(Kind kind, const QString& email, const QString& password) {
    if (*stalled_) {
        lastError_ = QStringLiteral("the keyring has not yet answered an earlier request");
        return {};
    }
    QKeychain::Job* job = nullptr;
    switch (kind) {
    case Kind::Read:
        job = new QKeychain::ReadPasswordJob(service_);
        break;
    case Kind::Write: {
        auto* write = new QKeychain::WritePasswordJob(service_);
        write->setTextData(password);
        job = write;
        break;
    }
    case Kind::Remove:
        job = new QKeychain::DeletePasswordJob(service_);
        break;
    }
    job->setKey(email);
    // QtKeychain's fallback would write the password as plain text into a QSettings file of its
    // own, where neither the user nor the settings operations would look for it.
    job->setInsecureFallback(false);
    // The job deletes itself when it ends, also when it is given up on here.
    job->setAutoDelete(true);

    bool ended = false;
    QKeychain::Error error = QKeychain::NoError;
    QString errorText;
    QString text;
    QEventLoop loop;
    // Read inside the signal: an auto-deleting job may be gone once the loop returns.
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job* done) {
        ended = true;
        error = done->error();
        errorText = done->errorString();
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(done))
            text = read->textData();
        loop.quit();
    });
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    job->start();
    if (!ended) {
        timer.start(timeout_);
        // A click or key press now could start another save in the middle of this one.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }

    if (!ended) {
        *stalled_ = true;
        QObject::connect(job, &QKeychain::Job::finished, job,
                         [stalled = std::weak_ptr<bool>(stalled_)] {
                             if (const std::shared_ptr<bool> flag = stalled.lock())
                                 *flag = false;
                         });
        lastError_ = QStringLiteral("the keyring did not answer within %1 ms")
                         .arg(static_cast<qint64>(timeout_.count()));
        return {};
    }
    if (error == QKeychain::NoError) {
        lastError_.clear();
        return {VaultAnswer::Done, kind == Kind::Read ? text : QString()};
    }
    if (error == QKeychain::EntryNotFound && kind != Kind::Write) {
        lastError_.clear();
        return {kind == Kind::Read ? VaultAnswer::NotFound : VaultAnswer::Done, QString()};
    }
    lastError_ = errorText.isEmpty()
                     ? QStringLiteral("keyring error %1").arg(static_cast<int>(error))
                     : errorText;
    return {};
}

} // namespace quillo
