#include "platform/locale_ids.h"

#include <QStringList>

#include <array>
#include <utility>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace quillo {

namespace {

// Qt's languages that Windows gives a primary language identifier of the language-name table.
// Several Qt languages share an identifier where Windows does: Norwegian's two written forms,
// and Serbian and Bosnian with Croatian (LANG_SERBIAN == LANG_BOSNIAN == LANG_CROATIAN).
constexpr auto kLanguageIds = std::to_array<std::pair<QLocale::Language, quint32>>({
    {QLocale::Arabic, 0x01},
    {QLocale::Bulgarian, 0x02},
    {QLocale::Catalan, 0x03},
    {QLocale::Chinese, 0x04},
    {QLocale::Czech, 0x05},
    {QLocale::Danish, 0x06},
    {QLocale::German, 0x07},
    {QLocale::Greek, 0x08},
    {QLocale::English, 0x09},
    {QLocale::Spanish, 0x0A},
    {QLocale::Finnish, 0x0B},
    {QLocale::French, 0x0C},
    {QLocale::Hebrew, 0x0D},
    {QLocale::Hungarian, 0x0E},
    {QLocale::Icelandic, 0x0F},
    {QLocale::Italian, 0x10},
    {QLocale::Japanese, 0x11},
    {QLocale::Korean, 0x12},
    {QLocale::Dutch, 0x13},
    {QLocale::NorwegianBokmal, 0x14},
    {QLocale::NorwegianNynorsk, 0x14},
    {QLocale::Polish, 0x15},
    {QLocale::Portuguese, 0x16},
    {QLocale::Romanian, 0x18},
    {QLocale::Russian, 0x19},
    {QLocale::Croatian, 0x1A},
    {QLocale::Serbian, 0x1A},
    {QLocale::Bosnian, 0x1A},
    {QLocale::Slovak, 0x1B},
    {QLocale::Albanian, 0x1C},
    {QLocale::Swedish, 0x1D},
    {QLocale::Thai, 0x1E},
    {QLocale::Turkish, 0x1F},
    {QLocale::Urdu, 0x20},
    {QLocale::Indonesian, 0x21},
    {QLocale::Ukrainian, 0x22},
    {QLocale::Belarusian, 0x23},
    {QLocale::Slovenian, 0x24},
    {QLocale::Estonian, 0x25},
    {QLocale::Latvian, 0x26},
    {QLocale::Lithuanian, 0x27},
    {QLocale::Persian, 0x29},
    {QLocale::Vietnamese, 0x2A},
    {QLocale::Armenian, 0x2B},
    {QLocale::Azerbaijani, 0x2C},
    {QLocale::Basque, 0x2D},
    {QLocale::Macedonian, 0x2F},
    {QLocale::Afrikaans, 0x36},
    {QLocale::Georgian, 0x37},
    {QLocale::Faroese, 0x38},
    {QLocale::Hindi, 0x39},
    {QLocale::Malay, 0x3E},
    {QLocale::Kazakh, 0x3F},
    {QLocale::Kyrgyz, 0x40},
    {QLocale::Swahili, 0x41},
    {QLocale::Uzbek, 0x43},
    {QLocale::Tatar, 0x44},
    {QLocale::Bengali, 0x45},
    {QLocale::Punjabi, 0x46},
    {QLocale::Gujarati, 0x47},
    {QLocale::Odia, 0x48},
    {QLocale::Tamil, 0x49},
    {QLocale::Telugu, 0x4A},
    {QLocale::Kannada, 0x4B},
    {QLocale::Malayalam, 0x4C},
    {QLocale::Assamese, 0x4D},
    {QLocale::Marathi, 0x4E},
    {QLocale::Sanskrit, 0x4F},
    {QLocale::Mongolian, 0x50},
    {QLocale::Galician, 0x56},
    {QLocale::Konkani, 0x57},
    {QLocale::Manipuri, 0x58},
    {QLocale::Sindhi, 0x59},
    {QLocale::Syriac, 0x5A},
    {QLocale::Kashmiri, 0x60},
    {QLocale::Nepali, 0x61},
    {QLocale::Divehi, 0x65},
});

// Qt's territories that have a row in the country table. Curaçao, Sint Maarten and the
// Caribbean Netherlands made up the Netherlands Antilles, the nation Windows knew them as.
constexpr auto kNationIds = std::to_array<std::pair<QLocale::Territory, qint64>>({
    {QLocale::Afghanistan, 0x3},
    {QLocale::Albania, 0x6},
    {QLocale::Algeria, 0x4},
    {QLocale::AmericanSamoa, 0xA},
    {QLocale::Andorra, 0x8},
    {QLocale::Angola, 0x9},
    {QLocale::Anguilla, 0x12C},
    {QLocale::Antarctica, 0x12D},
    {QLocale::AntiguaAndBarbuda, 0x2},
    {QLocale::Argentina, 0xB},
    {QLocale::Armenia, 0x7},
    {QLocale::Aruba, 0x12E},
    {QLocale::AscensionIsland, 0x12F},
    {QLocale::Australia, 0xC},
    {QLocale::Austria, 0xE},
    {QLocale::Azerbaijan, 0x5},
    {QLocale::Bahamas, 0x16},
    {QLocale::Bahrain, 0x11},
    {QLocale::Bangladesh, 0x17},
    {QLocale::Barbados, 0x12},
    {QLocale::Belarus, 0x1D},
    {QLocale::Belgium, 0x15},
    {QLocale::Belize, 0x18},
    {QLocale::Benin, 0x1C},
    {QLocale::Bermuda, 0x14},
    {QLocale::Bhutan, 0x22},
    {QLocale::Bolivia, 0x1A},
    {QLocale::BosniaAndHerzegovina, 0x19},
    {QLocale::Botswana, 0x13},
    {QLocale::BouvetIsland, 0x132},
    {QLocale::Brazil, 0x20},
    {QLocale::BritishIndianOceanTerritory, 0x72},
    {QLocale::BritishVirginIslands, 0x15F},
    {QLocale::Brunei, 0x25},
    {QLocale::Bulgaria, 0x23},
    {QLocale::BurkinaFaso, 0xF5},
    {QLocale::Burundi, 0x26},
    {QLocale::Cambodia, 0x28},
    {QLocale::Cameroon, 0x31},
    {QLocale::Canada, 0x27},
    {QLocale::CapeVerde, 0x39},
    {QLocale::CaribbeanNetherlands, 0x14D},
    {QLocale::CaymanIslands, 0x133},
    {QLocale::CentralAfricanRepublic, 0x37},
    {QLocale::Chad, 0x29},
    {QLocale::Chile, 0x2E},
    {QLocale::China, 0x2D},
    {QLocale::ChristmasIsland, 0x135},
    {QLocale::ClippertonIsland, 0x136},
    {QLocale::CocosIslands, 0x137},
    {QLocale::Colombia, 0x33},
    {QLocale::Comoros, 0x32},
    {QLocale::CongoBrazzaville, 0x2B},
    {QLocale::CongoKinshasa, 0x2C},
    {QLocale::CookIslands, 0x138},
    {QLocale::CostaRica, 0x36},
    {QLocale::Croatia, 0x6C},
    {QLocale::Cuba, 0x38},
    {QLocale::Curacao, 0x14D},
    {QLocale::Cyprus, 0x3B},
    {QLocale::Czechia, 0x4B},
    {QLocale::Denmark, 0x3D},
    {QLocale::DiegoGarcia, 0x13A},
    {QLocale::Djibouti, 0x3E},
    {QLocale::Dominica, 0x3F},
    {QLocale::DominicanRepublic, 0x41},
    {QLocale::Ecuador, 0x42},
    {QLocale::Egypt, 0x43},
    {QLocale::ElSalvador, 0x48},
    {QLocale::EquatorialGuinea, 0x45},
    {QLocale::Eritrea, 0x47},
    {QLocale::Estonia, 0x46},
    {QLocale::Eswatini, 0x104},
    {QLocale::Ethiopia, 0x49},
    {QLocale::FalklandIslands, 0x13B},
    {QLocale::FaroeIslands, 0x51},
    {QLocale::Fiji, 0x4E},
    {QLocale::Finland, 0x4D},
    {QLocale::France, 0x54},
    {QLocale::FrenchGuiana, 0x13D},
    {QLocale::FrenchPolynesia, 0x13E},
    {QLocale::FrenchSouthernTerritories, 0x13F},
    {QLocale::Gabon, 0x57},
    {QLocale::Gambia, 0x56},
    {QLocale::Georgia, 0x58},
    {QLocale::Germany, 0x5E},
    {QLocale::Ghana, 0x59},
    {QLocale::Gibraltar, 0x5A},
    {QLocale::Greece, 0x62},
    {QLocale::Greenland, 0x5D},
    {QLocale::Grenada, 0x5B},
    {QLocale::Guadeloupe, 0x141},
    {QLocale::Guam, 0x142},
    {QLocale::Guatemala, 0x63},
    {QLocale::Guernsey, 0x144},
    {QLocale::GuineaBissau, 0xC4},
    {QLocale::Guinea, 0x64},
    {QLocale::Guyana, 0x65},
    {QLocale::Haiti, 0x67},
    {QLocale::HeardAndMcDonaldIslands, 0x145},
    {QLocale::Honduras, 0x6A},
    {QLocale::HongKong, 0x68},
    {QLocale::Hungary, 0x6D},
    {QLocale::Iceland, 0x6E},
    {QLocale::India, 0x71},
    {QLocale::Indonesia, 0x6F},
    {QLocale::Iran, 0x74},
    {QLocale::Iraq, 0x79},
    {QLocale::Ireland, 0x44},
    {QLocale::IsleOfMan, 0x3B16},
    {QLocale::Israel, 0x75},
    {QLocale::Italy, 0x76},
    {QLocale::IvoryCoast, 0x77},
    {QLocale::Jamaica, 0x7C},
    {QLocale::Japan, 0x7A},
    {QLocale::Jersey, 0x148},
    {QLocale::Jordan, 0x7E},
    {QLocale::Kazakhstan, 0x89},
    {QLocale::Kenya, 0x81},
    {QLocale::Kiribati, 0x85},
    {QLocale::Kuwait, 0x88},
    {QLocale::Kyrgyzstan, 0x82},
    {QLocale::Laos, 0x8A},
    {QLocale::Latvia, 0x8C},
    {QLocale::Lebanon, 0x8B},
    {QLocale::Lesotho, 0x92},
    {QLocale::Liberia, 0x8E},
    {QLocale::Libya, 0x94},
    {QLocale::Liechtenstein, 0x91},
    {QLocale::Lithuania, 0x8D},
    {QLocale::Luxembourg, 0x93},
    {QLocale::Macao, 0x97},
    {QLocale::Macedonia, 0x4CA2},
    {QLocale::Madagascar, 0x95},
    {QLocale::Malawi, 0x9C},
    {QLocale::Malaysia, 0xA7},
    {QLocale::Maldives, 0xA5},
    {QLocale::Mali, 0x9D},
    {QLocale::Malta, 0xA3},
    {QLocale::MarshallIslands, 0xC7},
    {QLocale::Martinique, 0x14A},
    {QLocale::Mauritania, 0xA2},
    {QLocale::Mauritius, 0xA0},
    {QLocale::Mayotte, 0x14B},
    {QLocale::Mexico, 0xA6},
    {QLocale::Micronesia, 0x50},
    {QLocale::Moldova, 0x98},
    {QLocale::Monaco, 0x9E},
    {QLocale::Mongolia, 0x9A},
    {QLocale::Montserrat, 0x14C},
    {QLocale::Morocco, 0x9F},
    {QLocale::Mozambique, 0xA8},
    {QLocale::Myanmar, 0x1B},
    {QLocale::Namibia, 0xFE},
    {QLocale::NauruTerritory, 0xB4},
    {QLocale::Nepal, 0xB2},
    {QLocale::Netherlands, 0xB0},
    {QLocale::NewCaledonia, 0x14E},
    {QLocale::NewZealand, 0xB7},
    {QLocale::Nicaragua, 0xB6},
    {QLocale::Nigeria, 0xAF},
    {QLocale::Niger, 0xAD},
    {QLocale::Niue, 0x14F},
    {QLocale::NorfolkIsland, 0x150},
    {QLocale::NorthernMarianaIslands, 0x151},
    {QLocale::NorthKorea, 0x83},
    {QLocale::Norway, 0xB1},
    {QLocale::Oman, 0xA4},
    {QLocale::Pakistan, 0xBE},
    {QLocale::Palau, 0xC3},
    {QLocale::PalestinianTerritories, 0xB8},
    {QLocale::Panama, 0xC0},
    {QLocale::PapuaNewGuinea, 0xC2},
    {QLocale::Paraguay, 0xB9},
    {QLocale::Peru, 0xBB},
    {QLocale::Philippines, 0xC9},
    {QLocale::Pitcairn, 0x153},
    {QLocale::Poland, 0xBF},
    {QLocale::Portugal, 0xC1},
    {QLocale::PuertoRico, 0xCA},
    {QLocale::Qatar, 0xC5},
    {QLocale::Reunion, 0xC6},
    {QLocale::Romania, 0xC8},
    {QLocale::Russia, 0xCB},
    {QLocale::Rwanda, 0xCC},
    {QLocale::SaintHelena, 0x157},
    {QLocale::SaintKittsAndNevis, 0xCF},
    {QLocale::SaintLucia, 0xDA},
    {QLocale::SaintPierreAndMiquelon, 0xCE},
    {QLocale::SaintVincentAndGrenadines, 0xF8},
    {QLocale::Samoa, 0x103},
    {QLocale::SanMarino, 0xD6},
    {QLocale::SaoTomeAndPrincipe, 0xE9},
    {QLocale::SaudiArabia, 0xCD},
    {QLocale::Senegal, 0xD2},
    {QLocale::Serbia, 0x10D},
    {QLocale::Seychelles, 0xD0},
    {QLocale::SierraLeone, 0xD5},
    {QLocale::Singapore, 0xD7},
    {QLocale::SintMaarten, 0x14D},
    {QLocale::Slovakia, 0x8F},
    {QLocale::Slovenia, 0xD4},
    {QLocale::SolomonIslands, 0x1E},
    {QLocale::Somalia, 0xD8},
    {QLocale::SouthAfrica, 0xD1},
    {QLocale::SouthGeorgiaAndSouthSandwichIslands, 0x156},
    {QLocale::SouthKorea, 0x86},
    {QLocale::Spain, 0xD9},
    {QLocale::SriLanka, 0x2A},
    {QLocale::Sudan, 0xDB},
    {QLocale::Suriname, 0xB5},
    {QLocale::SvalbardAndJanMayen, 0xDC},
    {QLocale::Sweden, 0xDD},
    {QLocale::Switzerland, 0xDF},
    {QLocale::Syria, 0xDE},
    {QLocale::Taiwan, 0xED},
    {QLocale::Tajikistan, 0xE4},
    {QLocale::Tanzania, 0xEF},
    {QLocale::Thailand, 0xE3},
    {QLocale::TimorLeste, 0x6F60E7},
    {QLocale::Togo, 0xE8},
    {QLocale::TokelauTerritory, 0x15B},
    {QLocale::Tonga, 0xE7},
    {QLocale::TrinidadAndTobago, 0xE1},
    {QLocale::TristanDaCunha, 0x15C},
    {QLocale::Tunisia, 0xEA},
    {QLocale::Turkey, 0xEB},
    {QLocale::Turkmenistan, 0xEE},
    {QLocale::TurksAndCaicosIslands, 0x15D},
    {QLocale::TuvaluTerritory, 0xEC},
    {QLocale::Uganda, 0xF0},
    {QLocale::Ukraine, 0xF1},
    {QLocale::UnitedArabEmirates, 0xE0},
    {QLocale::UnitedKingdom, 0xF2},
    {QLocale::UnitedStates, 0xF4},
    {QLocale::UnitedStatesVirginIslands, 0xFC},
    {QLocale::Uruguay, 0xF6},
    {QLocale::Uzbekistan, 0xF7},
    {QLocale::Vanuatu, 0xAE},
    {QLocale::VaticanCity, 0xFD},
    {QLocale::Venezuela, 0xF9},
    {QLocale::Vietnam, 0xFB},
    {QLocale::WallisAndFutuna, 0x160},
    {QLocale::Yemen, 0x105},
    {QLocale::Zambia, 0x107},
    {QLocale::Zimbabwe, 0x108},
});

} // namespace

std::optional<quint32> PrimaryLanguageIdFor(QLocale::Language language) {
    for (const auto& [qtLanguage, id] : kLanguageIds) {
        if (qtLanguage == language)
            return id;
    }
    return std::nullopt;
}

std::optional<quint32> PrimaryLanguageIdForLocale(const QLocale& locale) {
    return PrimaryLanguageIdFor(locale.language());
}

std::optional<qint64> NationGeoIdFor(QLocale::Territory territory) {
    for (const auto& [qtTerritory, geoId] : kNationIds) {
        if (qtTerritory == territory)
            return geoId;
    }
    return std::nullopt;
}

std::optional<qint64> NationGeoIdForLocale(const QLocale& locale) {
    return NationGeoIdFor(locale.territory());
}

#ifdef Q_OS_WIN

std::optional<quint32> UserUiLanguageId() {
    return GetUserDefaultUILanguage();
}

std::optional<qint64> UserNationGeoId() {
    const GEOID id = GetUserGeoID(GEOCLASS_NATION);
    if (id == GEOID_NOT_AVAILABLE)
        return std::nullopt;
    return static_cast<qint64>(id);
}

#else

std::optional<quint32> UserUiLanguageId() {
    // The messages language (LANGUAGE, LC_MESSAGES) is what the user reads menus in; it may
    // differ from the formats locale, as Windows' UI language may differ from its region.
    const QLocale system = QLocale::system();
    const QStringList uiLanguages = system.uiLanguages();
    return PrimaryLanguageIdForLocale(uiLanguages.isEmpty() ? system
                                                            : QLocale(uiLanguages.first()));
}

std::optional<qint64> UserNationGeoId() {
    return NationGeoIdForLocale(QLocale::system());
}

#endif

} // namespace quillo
