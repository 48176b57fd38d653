#pragma once
// Small text tools for what arrives over HTTP: URL-encoded forms and queries, Cookie headers,
// the Host header, cookie dates, random tokens. Pure functions except the random ones, which
// use a thread-local generator; callable from any thread.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace httplib {
struct Request;
}

namespace quillo::standin {

// Name and value pairs in the order they came.
using Fields = std::vector<std::pair<std::string, std::string>>;

std::string PercentDecode(std::string_view text, bool plus_is_space);
std::string PercentEncode(std::string_view text);

// "a=1&b=2" with percent escapes and "+" for space.
Fields ParseUrlEncoded(std::string_view text);

// The query of a request target (the text after the first "?"), parsed.
Fields QueryOf(std::string_view target);

// The first value of name, if present.
std::optional<std::string> FieldValue(const Fields& fields, std::string_view name);

// Every name=value pair of every Cookie header line, in order. Attribute-looking pairs
// ("path=/") that a client echoes back are kept; callers look up the names they know.
Fields CookiesOf(const httplib::Request& request);

// &, < and > as entities, and with quotes also " and ' (' as &#039;, as the service wrote it).
std::string EscapeEntities(std::string_view text, bool quotes);

// The Host header without port, lower-cased; empty when there is none.
std::string HostOf(const httplib::Request& request);

// "Thu, 10-Dec-2009 10:00:00 GMT": the cookie date format the service used.
std::string CookieDate(std::time_t when);

// Random text of length n from the letters and digits.
std::string RandomToken(std::size_t n);
// Random lower-case hexadecimal text of length n.
std::string RandomHex(std::size_t n);
// Uniform in [low, high].
std::int64_t RandomBetween(std::int64_t low, std::int64_t high);

// Milliseconds since 1970-01-01 UTC.
std::int64_t NowMillis();

// Reads a decimal 64-bit id; nothing for anything else.
std::optional<std::uint64_t> ParseId(std::string_view text);
// A whole signed decimal number, nothing before or after it; nullopt otherwise (also empty).
std::optional<std::int64_t> ParseInteger(std::string_view text);

// ASCII letters compared without regard to case.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

std::string Trimmed(std::string_view text);

// Simple "*" wildcards; matching is case-insensitive.
bool GlobMatch(std::string_view pattern, std::string_view text);

} // namespace quillo::standin
