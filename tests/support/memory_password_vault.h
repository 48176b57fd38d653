#pragma once
// A password vault held in memory, for the settings tests: its entries can be planted and
// inspected, and it can be made to stop answering, as a missing or hung keyring does.

#include <QMap>
#include <QString>

#include "platform/password_vault.h"

namespace quillo::test {

class MemoryPasswordVault final : public PasswordVault {
public:
    VaultRead Read(const QString& email) override {
        ++reads;
        if (!answering)
            return {};
        const auto found = entries.constFind(email);
        if (found == entries.constEnd())
            return {VaultAnswer::NotFound, QString()};
        return {VaultAnswer::Done, *found};
    }

    VaultAnswer Write(const QString& email, const QString& password) override {
        if (!answering)
            return VaultAnswer::NoKeyring;
        entries.insert(email, password);
        return VaultAnswer::Done;
    }

    VaultAnswer Remove(const QString& email) override {
        if (!answering)
            return VaultAnswer::NoKeyring;
        entries.remove(email);
        return VaultAnswer::Done;
    }

    bool answering = true;          // false: every call answers NoKeyring and changes nothing
    QMap<QString, QString> entries; // e-mail address -> password
    int reads = 0;
};

} // namespace quillo::test
