#pragma once
// Faults that the control interface puts on a host and path pattern: drop the connection,
// delay, answer with a status, an empty body, garbage, a given body, a redirect, or a body that
// never ends (endless_answers.h); for the next N requests, for a time, or until cleared.
// Thread-safe; owned by the stand-in and asked by every request thread before the request is
// handled.

#include <chrono>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "service_json.h"

namespace quillo::standin {

struct FaultRule {
    enum class Action { Drop, Delay, Status, Empty, Garbage, Body, Redirect, Endless, HugeLength };

    int id = 0;
    std::string host = "*";
    std::string path = "*";
    std::string method = "*";
    Action action = Action::Status;
    int status = 500;
    std::string body;
    std::string content_type = "text/html";
    std::string location; // Redirect: the target
    bool to_443 = false;  // Redirect: the same URL on port 443
    bool loop = false;    // Redirect: the same URL again
    int delay_ms = 0;
    std::optional<int> remaining;
    std::optional<std::chrono::steady_clock::time_point> until;
};

// Reads a rule from the control interface's JSON; throws std::invalid_argument when wrong.
// A "file" is read from state_dir (a name inside it; nothing that leads out of it).
FaultRule FaultFromJson(const Json& given, const std::string& state_dir);
Json FaultJson(const FaultRule& rule);
std::string ActionName(FaultRule::Action action);

class FaultTable {
public:
    struct Applicable {
        std::optional<FaultRule> delay;
        std::optional<FaultRule> answer;
    };

    int Add(FaultRule rule);
    bool Remove(int id);
    void Clear();
    Json List() const;

    // The first delay and the first other fault that match, each counted as used once.
    Applicable Take(const std::string& host, const std::string& method, const std::string& path);

private:
    mutable std::mutex mutex_;
    int next_id_ = 1;
    std::vector<FaultRule> rules_;
};

} // namespace quillo::standin
