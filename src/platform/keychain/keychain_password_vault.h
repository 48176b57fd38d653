#pragma once
// KeychainPasswordVault: the system keyring through QtKeychain (the Secret Service over D-Bus
// on Linux, the credential store on Windows), one entry per e-mail address under the program's
// service name.
//
// QtKeychain works asynchronously; each call here runs its job in a local event loop that lets
// no user input through, so the settings operations stay synchronous. A keyring that has not
// answered within the timeout counts as none. After such a timeout every later call answers
// NoKeyring at once until the abandoned job ends: a hung D-Bus costs one wait, not one per
// value. QtKeychain's own plain-text fallback stays off; the settings file is the fallback, and
// the caller decides about it.
//
// Kept out of the engine library: only the program and the keyring tests link QtKeychain (and,
// through it, Qt D-Bus).
//
// Threads: the user-interface thread (a QCoreApplication must exist). Ownership: a job given up
// on deletes itself when it ends; nothing of it refers to the vault.

#include <QString>
#include <chrono>
#include <memory>

#include "platform/password_vault.h"

namespace quillo {

class KeychainPasswordVault final : public PasswordVault {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{5000};

    // service: the name the entries are filed under (tests use their own, so they never meet
    // the program's entries).
    explicit KeychainPasswordVault(QString service = QStringLiteral("Quillo for Facebook"),
                                   std::chrono::milliseconds timeout = kDefaultTimeout);
    ~KeychainPasswordVault() override;

    VaultRead Read(const QString& email) override;
    VaultAnswer Write(const QString& email, const QString& password) override;
    VaultAnswer Remove(const QString& email) override;

    // Why the last call answered NoKeyring, for a developer; empty after an answer.
    QString lastError() const { return lastError_; }

private:
    enum class Kind { Read, Write, Remove };
    VaultRead Run(Kind kind, const QString& email, const QString& password);

    QString service_;
    std::chrono::milliseconds timeout_;
    QString lastError_;
    // True while a job given up on is still running. The job clears it when it ends, through
    // a weak reference: the job may outlive the vault.
    std::shared_ptr<bool> stalled_;
};

} // namespace quillo
