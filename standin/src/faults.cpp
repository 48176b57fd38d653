#include "faults.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "http_text.h"

namespace quillo::standin {

namespace {

struct ActionEntry {
    FaultRule::Action action;
    const char* name;
};

constexpr ActionEntry kActions[] = {
    {FaultRule::Action::Drop, "drop"},
    {FaultRule::Action::Delay, "delay"},
    {FaultRule::Action::Status, "status"},
    {FaultRule::Action::Empty, "empty"},
    {FaultRule::Action::Garbage, "garbage"},
    {FaultRule::Action::Body, "body"},
    {FaultRule::Action::Redirect, "redirect"},
    {FaultRule::Action::Endless, "endless"},
    {FaultRule::Action::HugeLength, "huge_length"},
};

std::string TextOf(const Json& given, const char* key, const std::string& fallback) {
    const auto found = given.find(key);
    if (found == given.end()) {
        return fallback;
    }
    if (!found->is_string()) {
        throw std::invalid_argument(std::string("\"") + key + "\" must be text");
    }
    return found->get<std::string>();
}

// The contents of a file named relative to the state folder. Anything that would lead
// elsewhere (an absolute name, "..", a symbolic link out of the folder) is refused, so the
// control interface cannot be used to read the machine's other files.
std::string ReadStateFile(const std::string& state_dir, const std::string& name) {
    namespace fs = std::filesystem;
    if (state_dir.empty()) {
        throw std::invalid_argument("\"file\" needs the stand-in's state folder (--state)");
    }
    const fs::path relative(name);
    if (relative.has_root_name() || relative.has_root_directory()) {
        throw std::invalid_argument("\"file\" must be a name inside the state folder");
    }
    for (const fs::path& part : relative) {
        if (part == "..") {
            throw std::invalid_argument("\"file\" must not contain \"..\"");
        }
    }
    std::error_code error;
    const fs::path folder = fs::canonical(state_dir, error);
    const fs::path target = error ? fs::path() : fs::canonical(folder / relative, error);
    if (error || !fs::is_regular_file(target, error)) {
        throw std::invalid_argument("cannot read " + name + " in the state folder");
    }
    const fs::path inside = target.lexically_relative(folder);
    if (inside.empty() || *inside.begin() == "..") {
        throw std::invalid_argument("\"file\" leads out of the state folder: " + name);
    }
    std::ifstream in(target, std::ios::binary);
    if (!in) {
        throw std::invalid_argument("cannot read " + name + " in the state folder");
    }
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int NumberOf(const Json& given, const char* key, int fallback) {
    const auto found = given.find(key);
    if (found == given.end()) {
        return fallback;
    }
    if (!found->is_number_integer()) {
        throw std::invalid_argument(std::string("\"") + key + "\" must be a whole number");
    }
    return found->get<int>();
}

} // namespace

std::string ActionName(FaultRule::Action action) {
    for (const auto& entry : kActions) {
        if (entry.action == action) {
            return entry.name;
        }
    }
    return "status";
}

FaultRule FaultFromJson(const Json& given, const std::string& state_dir) {
    if (!given.is_object()) {
        throw std::invalid_argument("a fault is an object");
    }
    FaultRule rule;
    rule.host = TextOf(given, "host", "*");
    rule.path = TextOf(given, "path", "*");
    rule.method = TextOf(given, "method", "*");
    const std::string action = TextOf(given, "action", "");
    bool known = false;
    for (const auto& entry : kActions) {
        if (action == entry.name) {
            rule.action = entry.action;
            known = true;
        }
    }
    if (!known) {
        throw std::invalid_argument(
            "\"action\" must be drop, delay, status, empty, garbage, body, redirect, "
            "endless or huge_length");
    }
    rule.status = NumberOf(given, "status",
                           rule.action == FaultRule::Action::Redirect ? 302
                           : rule.action == FaultRule::Action::Status ? 500
                                                                      : 200);
    if (rule.status < 100 || rule.status > 599) {
        throw std::invalid_argument("\"status\" must lie between 100 and 599");
    }
    rule.body = TextOf(given, "body", "");
    if (const std::string file = TextOf(given, "file", ""); !file.empty()) {
        rule.body = ReadStateFile(state_dir, file);
    }
    rule.content_type = TextOf(given, "content_type", rule.content_type);
    rule.location = TextOf(given, "location", "");
    rule.to_443 = given.value("to_443", false);
    rule.loop = given.value("loop", false);
    if (rule.action == FaultRule::Action::Redirect && rule.location.empty() && !rule.to_443 &&
        !rule.loop) {
        throw std::invalid_argument("a redirect needs \"location\", \"to_443\" or \"loop\"");
    }
    rule.delay_ms = NumberOf(given, "ms", 0);
    if (rule.action == FaultRule::Action::Delay && rule.delay_ms <= 0) {
        throw std::invalid_argument("a delay needs \"ms\" above 0");
    }
    if (given.contains("count")) {
        rule.remaining = NumberOf(given, "count", 1);
        if (*rule.remaining <= 0) {
            throw std::invalid_argument("\"count\" must be above 0");
        }
    }
    if (given.contains("seconds")) {
        const auto found = given.find("seconds");
        if (!found->is_number() || found->get<double>() <= 0) {
            throw std::invalid_argument("\"seconds\" must be a number above 0");
        }
        rule.until =
            std::chrono::steady_clock::now() +
            std::chrono::milliseconds(static_cast<long long>(found->get<double>() * 1000.0));
    }
    return rule;
}

Json FaultJson(const FaultRule& rule) {
    Json out;
    out["id"] = rule.id;
    out["host"] = rule.host;
    out["path"] = rule.path;
    out["method"] = rule.method;
    out["action"] = ActionName(rule.action);
    out["status"] = rule.status;
    if (!rule.location.empty()) {
        out["location"] = rule.location;
    }
    out["to_443"] = rule.to_443;
    out["loop"] = rule.loop;
    out["ms"] = rule.delay_ms;
    out["body_length"] = rule.body.size();
    if (rule.remaining) {
        out["count"] = *rule.remaining;
    }
    if (rule.until) {
        out["seconds_left"] =
            std::chrono::duration<double>(*rule.until - std::chrono::steady_clock::now()).count();
    }
    return out;
}

int FaultTable::Add(FaultRule rule) {
    std::lock_guard lock(mutex_);
    rule.id = next_id_++;
    rules_.push_back(std::move(rule));
    return rules_.back().id;
}

bool FaultTable::Remove(int id) {
    std::lock_guard lock(mutex_);
    for (auto it = rules_.begin(); it != rules_.end(); ++it) {
        if (it->id == id) {
            rules_.erase(it);
            return true;
        }
    }
    return false;
}

void FaultTable::Clear() {
    std::lock_guard lock(mutex_);
    rules_.clear();
}

Json FaultTable::List() const {
    std::lock_guard lock(mutex_);
    Json out = Json::array();
    for (const FaultRule& rule : rules_) {
        out.push_back(FaultJson(rule));
    }
    return out;
}

FaultTable::Applicable FaultTable::Take(const std::string& host, const std::string& method,
                                        const std::string& path) {
    std::lock_guard lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    std::erase_if(rules_, [&](const FaultRule& rule) { return rule.until && *rule.until <= now; });
    Applicable found;
    for (FaultRule& rule : rules_) {
        if (!GlobMatch(rule.host, host) || !GlobMatch(rule.path, path) ||
            !GlobMatch(rule.method, method)) {
            continue;
        }
        const bool is_delay = rule.action == FaultRule::Action::Delay;
        std::optional<FaultRule>& slot = is_delay ? found.delay : found.answer;
        if (slot) {
            continue;
        }
        slot = rule;
        if (rule.remaining) {
            --*rule.remaining;
        }
    }
    std::erase_if(rules_,
                  [](const FaultRule& rule) { return rule.remaining && *rule.remaining <= 0; });
    return found;
}

} // namespace quillo::standin
