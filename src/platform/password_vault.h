#pragma once
// PasswordVault: where the remembered password is kept apart from the other settings, one
// password per e-mail address. In the program it is the system keyring (the Secret Service on
// Linux, the credential store on Windows; see keychain/keychain_password_vault.h).
//
// A keyring may be missing, locked, refusing or hung. Callers must tell that from an address
// without a stored password: a keyring that did not answer has neither lost nor changed
// anything, and the password then stays where it was kept before (the settings file).
//
// Threads: the user-interface thread; every call returns once the keyring has answered or been
// given up on. Ownership: the program owns its vault and lends it to the settings operations.

#include <QString>

namespace quillo {

enum class VaultAnswer {
    Done,      // read: found; write: stored; remove: gone (also when there was nothing to remove)
    NotFound,  // read: the keyring answered and holds no password for the address
    NoKeyring, // no keyring answered, or it refused: nothing was read, stored or removed
};

struct VaultRead {
    VaultAnswer answer = VaultAnswer::NoKeyring;
    QString password; // empty unless answer is Done
};

class PasswordVault {
public:
    virtual ~PasswordVault() = default;
    PasswordVault(const PasswordVault&) = delete;
    PasswordVault& operator=(const PasswordVault&) = delete;

    [[nodiscard]] virtual VaultRead Read(const QString& email) = 0;
    // Replaces any password stored for email.
    virtual VaultAnswer Write(const QString& email, const QString& password) = 0;
    virtual VaultAnswer Remove(const QString& email) = 0;

protected:
    PasswordVault() = default;
};

} // namespace quillo
