#pragma once
// The shape of the text tables the conversion tests share: an input and what it must become,
// written as UTF-16 literals so that any character can stand in a table as it is.

#include <QString>

namespace quillo::test {

struct TextCase {
    const char16_t* in;
    const char16_t* out;
};

inline QString q(const char16_t* text) {
    return QString::fromUtf16(text);
}

} // namespace quillo::test
