#pragma once
// The accounts of the stand-in's demo data (standin/data/demo.json) that tests talk about.

#include <QString>

namespace quillo::test {

inline const QString kAlice = QStringLiteral("100000418294721");  // the user: alice / alice
inline const QString kBob = QStringLiteral("100000522611393");    // a second person: bob / bob
inline const QString kZoe = QStringLiteral("100000100000331");    // online, a name with diacritics
inline const QString kEcho = QStringLiteral("4294967311");        // online bot, id above 2^32
inline const QString kLukasz = QStringLiteral("100000102000160"); // offline

} // namespace quillo::test
