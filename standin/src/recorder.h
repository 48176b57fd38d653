#pragma once
// What the stand-in saw and what was done through it: every request (method, host, path,
// headers, form fields, cookies) and the records of what was posted, sent and reported, for
// tests to read back. Thread-safe; owned by the stand-in and shared by every request thread.

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "http_text.h"
#include "service_json.h"

namespace quillo::standin {

struct RecordedRequest {
    std::uint64_t number = 0;
    std::int64_t time_ms = 0;
    std::string scheme; // http or https
    std::string method;
    std::string host;
    std::string target; // path and query as sent
    std::string path;
    Fields query;
    Fields headers;
    Fields form;
    Fields cookies;
    std::string remote;
    int status = 0;
    std::string fault; // the fault applied, if any
};

class Recorder {
public:
    explicit Recorder(std::size_t kept_requests = 20000)
        : kept_(kept_requests) {}

    // Returns the request's number.
    std::uint64_t Begin(RecordedRequest request);
    void Finish(std::uint64_t number, int status, const std::string& fault);

    // Requests with a number above since, matching the host and path patterns ("*" wildcards).
    Json Requests(std::uint64_t since, const std::string& host_glob,
                  const std::string& path_glob) const;

    // kind: "chat" (messages sent), "posts" (status, wall, share, private message),
    // "reports" (error reports), "history" (cleared conversations).
    void Add(const std::string& kind, Json entry);
    Json Entries(const std::string& kind) const;
    Json AllEntries() const;

    void Clear();

private:
    static Json RequestJson(const RecordedRequest& request);

    const std::size_t kept_;
    mutable std::mutex mutex_;
    std::uint64_t next_number_ = 1;
    std::deque<RecordedRequest> requests_;
    std::map<std::string, std::vector<Json>> entries_;
};

Json FieldsJson(const Fields& fields);

} // namespace quillo::standin
