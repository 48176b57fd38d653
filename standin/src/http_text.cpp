#include "http_text.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <random>

namespace quillo::standin {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::mt19937_64& Generator() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    return generator;
}

std::string Lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

} // namespace

std::string PercentDecode(std::string_view text, bool plus_is_space) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += (c == '+' && plus_is_space) ? ' ' : c;
    }
    return out;
}

std::string PercentEncode(std::string_view text) {
    static const char* const kDigits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kDigits[c >> 4];
            out += kDigits[c & 15];
        }
    }
    return out;
}

Fields ParseUrlEncoded(std::string_view text) {
    Fields fields;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('&', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view piece = text.substr(start, end - start);
        if (!piece.empty()) {
            const std::size_t eq = piece.find('=');
            if (eq == std::string_view::npos) {
                fields.emplace_back(PercentDecode(piece, true), std::string());
            } else {
                fields.emplace_back(PercentDecode(piece.substr(0, eq), true),
                                    PercentDecode(piece.substr(eq + 1), true));
            }
        }
        start = end + 1;
    }
    return fields;
}

Fields QueryOf(std::string_view target) {
    const std::size_t question = target.find('?');
    if (question == std::string_view::npos) {
        return {};
    }
    return ParseUrlEncoded(target.substr(question + 1));
}

std::optional<std::string> FieldValue(const Fields& fields, std::string_view name) {
    for (const auto& [key, value] : fields) {
        if (key == name) {
            return value;
        }
    }
    return std::nullopt;
}

Fields CookiesOf(const httplib::Request& request) {
    Fields cookies;
    const std::size_t lines = request.get_header_value_count("Cookie");
    for (std::size_t line = 0; line < lines; ++line) {
        const std::string header = request.get_header_value("Cookie", line);
        std::size_t start = 0;
        while (start < header.size()) {
            std::size_t end = header.find(';', start);
            if (end == std::string::npos) {
                end = header.size();
            }
            const std::string pair = Trimmed(std::string_view(header).substr(start, end - start));
            const std::size_t eq = pair.find('=');
            if (eq != std::string::npos && eq > 0) {
                cookies.emplace_back(Trimmed(pair.substr(0, eq)), Trimmed(pair.substr(eq + 1)));
            }
            start = end + 1;
        }
    }
    return cookies;
}

std::string HostOf(const httplib::Request& request) {
    std::string host = request.get_header_value("Host");
    if (!host.empty() && host.front() == '[') {
        const std::size_t close = host.find(']');
        return Lowered(host.substr(0, close == std::string::npos ? host.size() : close + 1));
    }
    const std::size_t colon = host.find(':');
    if (colon != std::string::npos) {
        host.resize(colon);
    }
    return Lowered(Trimmed(host));
}

std::string CookieDate(std::time_t when) {
    std::tm parts{};
    gmtime_r(&when, &parts);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d-%b-%Y %H:%M:%S GMT", &parts);
    return text;
}

std::string RandomToken(std::size_t n) {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        out += kAlphabet[pick(Generator())];
    }
    return out;
}

std::string RandomHex(std::size_t n) {
    static constexpr std::string_view kDigits = "0123456789abcdef";
    std::uniform_int_distribution<std::size_t> pick(0, 15);
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        out += kDigits[pick(Generator())];
    }
    return out;
}

std::int64_t RandomBetween(std::int64_t low, std::int64_t high) {
    std::uniform_int_distribution<std::int64_t> pick(low, high);
    return pick(Generator());
}

std::int64_t NowMillis() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

namespace {

template <typename Number>
std::optional<Number> WholeNumber(std::string_view text) {
    Number value = 0;
    if (text.empty()) {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

bool SameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

} // namespace

std::optional<std::uint64_t> ParseId(std::string_view text) {
    return WholeNumber<std::uint64_t>(text);
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    return WholeNumber<std::int64_t>(text);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), SameLetter);
}

std::string Trimmed(std::string_view text) {
    std::size_t start = 0;
    std::size_t end = text.size();
    while (start < end && std::isspace(static_cast<unsigned char>(text[start]))) {
        ++start;
    }
    while (end > start && std::isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return std::string(text.substr(start, end - start));
}

bool GlobMatch(std::string_view pattern, std::string_view text) {
    // Iterative matcher with one backtrack point: enough for "*" alone.
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t star = std::string_view::npos;
    std::size_t resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && SameLetter(pattern[p], text[t])) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

std::string EscapeEntities(std::string_view text, bool quotes) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += quotes ? "&quot;" : "\"";
            break;
        case '\'':
            out += quotes ? "&#039;" : "'";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace quillo::standin
