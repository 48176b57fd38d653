#pragma once
// Answers that never end, for the faults "endless" and "huge_length": the client has to stop
// reading on its own. Each streams filler until the client goes away or the server stops; a
// safety cap ends it after kEndlessCapBytes or kEndlessCapTime, so a client that reads on and
// on cannot hold one of the stand-in's request threads for good.
//
// Thread: the answer is streamed by the request thread that serves it, after Dispatch returns.

#include <httplib.h>

#include <chrono>
#include <cstdint>
#include <string>

namespace quillo::standin {

inline constexpr std::uint64_t kEndlessCapBytes = std::uint64_t(2) << 30; // 2 GiB
inline constexpr std::chrono::seconds kEndlessCapTime{120};
// What "huge_length" announces: far beyond anything a client could hold.
inline constexpr std::uint64_t kHugeLength = 1'000'000'000'000ULL;

// A chunked body without an end.
void StreamEndless(httplib::Response& response, const std::string& content_type, int status);
// "Content-Length: kHugeLength", then filler for as long as the client reads.
void StreamHugeLength(httplib::Response& response, const std::string& content_type, int status);

} // namespace quillo::standin
