#include "recorder.h"

namespace quillo::standin {

Json FieldsJson(const Fields& fields) {
    Json out = Json::array();
    for (const auto& [name, value] : fields) {
        out.push_back(Json::array({name, value}));
    }
    return out;
}

std::uint64_t Recorder::Begin(RecordedRequest request) {
    std::lock_guard lock(mutex_);
    request.number = next_number_++;
    const std::uint64_t number = request.number;
    requests_.push_back(std::move(request));
    while (requests_.size() > kept_) {
        requests_.pop_front();
    }
    return number;
}

void Recorder::Finish(std::uint64_t number, int status, const std::string& fault) {
    std::lock_guard lock(mutex_);
    // Requests finish roughly in order: search from the newest.
    for (auto it = requests_.rbegin(); it != requests_.rend(); ++it) {
        if (it->number == number) {
            it->status = status;
            it->fault = fault;
            return;
        }
        if (it->number < number) {
            return;
        }
    }
}

Json Recorder::RequestJson(const RecordedRequest& request) {
    Json out;
    out["n"] = request.number;
    out["time"] = request.time_ms;
    out["scheme"] = request.scheme;
    out["method"] = request.method;
    out["host"] = request.host;
    out["target"] = request.target;
    out["path"] = request.path;
    out["query"] = FieldsJson(request.query);
    out["headers"] = FieldsJson(request.headers);
    out["form"] = FieldsJson(request.form);
    out["cookies"] = FieldsJson(request.cookies);
    out["remote"] = request.remote;
    out["status"] = request.status;
    out["fault"] = request.fault;
    return out;
}

Json Recorder::Requests(std::uint64_t since, const std::string& host_glob,
                        const std::string& path_glob) const {
    std::lock_guard lock(mutex_);
    Json out = Json::array();
    for (const RecordedRequest& request : requests_) {
        if (request.number > since && GlobMatch(host_glob, request.host) &&
            GlobMatch(path_glob, request.path)) {
            out.push_back(RequestJson(request));
        }
    }
    return out;
}

void Recorder::Add(const std::string& kind, Json entry) {
    std::lock_guard lock(mutex_);
    entry["time"] = NowMillis();
    entries_[kind].push_back(std::move(entry));
}

Json Recorder::Entries(const std::string& kind) const {
    std::lock_guard lock(mutex_);
    Json out = Json::array();
    if (const auto found = entries_.find(kind); found != entries_.end()) {
        for (const Json& entry : found->second) {
            out.push_back(entry);
        }
    }
    return out;
}

Json Recorder::AllEntries() const {
    Json out = Json::object();
    for (const char* kind : {"chat", "posts", "reports", "history"}) {
        out[kind] = Entries(kind);
    }
    return out;
}

void Recorder::Clear() {
    std::lock_guard lock(mutex_);
    requests_.clear();
    entries_.clear();
}

} // namespace quillo::standin
