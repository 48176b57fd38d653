#pragma once
// ContactId: the one type for a contact's (or the user's) numeric id on the engine's face.
// The service writes ids as decimal text, some above 2^32; inside the protocol records they
// stay text as the service wrote them, and front ends get this.

#include <QHashFunctions>
#include <QString>
#include <compare>

namespace quillo {

class ContactId {
public:
    constexpr ContactId() = default;
    constexpr explicit ContactId(qint64 value)
        : value_(value) {}

    // The id the decimal text stands for; an invalid id when the text is not one.
    static ContactId fromText(QStringView text) {
        bool ok = false;
        const qint64 value = text.trimmed().toLongLong(&ok);
        return ok && value > 0 ? ContactId(value) : ContactId();
    }

    constexpr qint64 value() const { return value_; }
    constexpr bool isValid() const { return value_ > 0; }
    QString toText() const { return QString::number(value_); }

    friend constexpr auto operator<=>(ContactId, ContactId) = default;
    friend size_t qHash(ContactId id, size_t seed = 0) { return qHash(id.value_, seed); }

private:
    qint64 value_ = 0;
};

} // namespace quillo
