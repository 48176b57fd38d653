#pragma once
// MarkerCursor: reads values out of a page the way the service's answers are read, by fixed
// markers, moving forward through the text. A found marker is consumed, so each later marker is
// looked for only after it. Nothing is copied but the values cut out.
//
// Thread: a plain value over a text the caller keeps alive.

#include <QString>
#include <QStringView>
#include <optional>

namespace quillo {

class MarkerCursor {
public:
    explicit MarkerCursor(QStringView text)
        : text_(text) {}

    // Finds marker at or after the cursor and moves past it; false (cursor unchanged) if absent.
    bool skipPast(QStringView marker) {
        const qsizetype at = text_.indexOf(marker, pos_);
        if (at < 0)
            return false;
        pos_ = at + marker.size();
        return true;
    }

    // The text from the cursor up to terminator, leaving the cursor where it is; nullopt if the
    // terminator is missing.
    std::optional<QString> upTo(QStringView terminator) const {
        const qsizetype at = text_.indexOf(terminator, pos_);
        if (at < 0)
            return std::nullopt;
        return text_.mid(pos_, at - pos_).toString();
    }

    // A JSON string's contents from the cursor up to its closing quote, moving past it. A
    // quote escaped with a backslash does not close the string. nullopt if it never closes.
    std::optional<QString> jsonString() {
        for (qsizetype i = pos_; i < text_.size(); ++i) {
            if (text_[i] == u'\\') {
                ++i;
            } else if (text_[i] == u'"') {
                QString value = text_.mid(pos_, i - pos_).toString();
                pos_ = i + 1;
                return value;
            }
        }
        return std::nullopt;
    }

    // Everything from the cursor on.
    QStringView rest() const { return text_.mid(pos_); }

    // skipPast(marker) then upTo(terminator).
    enum class Cut { Found, NoMarker, NoTerminator };
    Cut cut(QStringView marker, QStringView terminator, QString& value) {
        if (!skipPast(marker))
            return Cut::NoMarker;
        std::optional<QString> v = upTo(terminator);
        if (!v)
            return Cut::NoTerminator;
        value = std::move(*v);
        return Cut::Found;
    }

private:
    QStringView text_;
    qsizetype pos_ = 0;
};

// The text after the first marker up to the next terminator, or nullopt.
inline std::optional<QString> CutBetween(QStringView text, QStringView marker,
                                         QStringView terminator) {
    MarkerCursor cursor(text);
    if (!cursor.skipPast(marker))
        return std::nullopt;
    return cursor.upTo(terminator);
}

} // namespace quillo
