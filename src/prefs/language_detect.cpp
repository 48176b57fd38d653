// Placeholder until the language tables land; replaced by the language files work.
#include "prefs/language_detect.h"

namespace quillo {
QString LanguageNameForId(quint32) { return QStringLiteral("English"); }
QString CountryNameForGeoId(qint64) { return {}; }
QString DetectLanguage() { return QStringLiteral("English"); }
QString DetectCountry() { return {}; }
} // namespace quillo
