#include "endless_answers.h"

#include <algorithm>

namespace quillo::standin {

namespace {

using Clock = std::chrono::steady_clock;

// One piece of filler, written again and again: text, so that a client that decodes as it
// reads finds nothing unusual but the length.
const std::string& Filler() {
    static const std::string filler = [] {
        const std::string line = "<p>endless filler endless filler endless filler</p>\n";
        std::string text;
        while (text.size() + line.size() <= 64 * 1024) {
            text += line;
        }
        return text;
    }();
    return filler;
}

bool CapReached(std::uint64_t sent, Clock::time_point started) {
    return sent >= kEndlessCapBytes || Clock::now() - started >= kEndlessCapTime;
}

} // namespace

void StreamEndless(httplib::Response& response, const std::string& content_type, int status) {
    response.status = status;
    // Returning false ends the answer without its last chunk: the client sees a broken
    // transfer, never a complete body.
    response.set_chunked_content_provider(
        content_type, [started = Clock::now()](std::size_t offset, httplib::DataSink& sink) {
            if (CapReached(offset, started)) {
                return false;
            }
            return sink.write(Filler().data(), Filler().size());
        });
}

void StreamHugeLength(httplib::Response& response, const std::string& content_type, int status) {
    response.status = status;
    response.set_content_provider(
        static_cast<std::size_t>(kHugeLength), content_type,
        [started = Clock::now()](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            if (CapReached(offset, started)) {
                return false;
            }
            return sink.write(Filler().data(), std::min(length, Filler().size()));
        });
}

} // namespace quillo::standin
