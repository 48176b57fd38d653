// The channel hosts "0.channelNN.<base domain>": long polls for a user's channel items.

#include "exchange.h"

namespace quillo::standin {

namespace {

struct PollRequest {
    UserId user = 0;
    std::int64_t seq = 0;
};

// "/x/R/true/p_UID=SEQ"; trailing spaces (a client may send the space that ends its URL) are
// tolerated.
std::optional<PollRequest> ParsePollPath(std::string_view path) {
    while (!path.empty() && (path.back() == ' ' || path.back() == '\t')) {
        path.remove_suffix(1);
    }
    if (!path.starts_with("/x/")) {
        return std::nullopt;
    }
    path.remove_prefix(3);
    const std::size_t slash = path.find('/');
    if (slash == std::string_view::npos || slash == 0) {
        return std::nullopt;
    }
    path.remove_prefix(slash + 1);
    if (path.starts_with("true/")) {
        path.remove_prefix(5);
    } else if (path.starts_with("false/")) {
        path.remove_prefix(6);
    } else {
        return std::nullopt;
    }
    if (!path.starts_with("p_")) {
        return std::nullopt;
    }
    path.remove_prefix(2);
    const std::size_t equals = path.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    const auto user = ParseId(path.substr(0, equals));
    const auto seq = ParseInteger(path.substr(equals + 1));
    if (!user || !seq) {
        return std::nullopt;
    }
    return PollRequest{*user, *seq};
}

} // namespace

void HandleChannelHost(Exchange& exchange) {
    Backend& backend = exchange.backend;
    if (exchange.path.starts_with("/iframe/")) {
        exchange.Html("<html><head><script type=\"text/javascript\">document.domain = \"" +
                      backend.urls.names().base_domain +
                      "\";</script></head><body></body></html>\n");
        return;
    }
    const auto poll = ParsePollPath(exchange.path);
    if (!poll || !backend.state.FindAccount(poll->user)) {
        exchange.Html("", 404);
        return;
    }
    const std::string channel = exchange.match.channel;
    const Fields cookies = exchange.cookies;
    auto still_valid = [&] { return backend.state.PollAllowed(poll->user, channel, cookies); };
    ++backend.held_polls;
    const auto outcome = backend.state.ChannelOf(poll->user)
                             ->Poll(poll->seq, backend.state.Settings().hold, still_valid);
    --backend.held_polls;
    switch (outcome.kind) {
    case Channel::PollOutcome::Kind::Items: {
        Json answer;
        answer["t"] = "msg";
        answer["c"] = "p_" + std::to_string(poll->user);
        answer["ms"] = outcome.items;
        exchange.Ajax(answer);
        break;
    }
    case Channel::PollOutcome::Kind::Continue:
        exchange.AjaxText("{\"t\":\"continue\"}");
        break;
    case Channel::PollOutcome::Kind::Refresh:
        // Written by hand: the service put a space after the comma here.
        exchange.AjaxText("{\"t\":\"refresh\", \"seq\":" + std::to_string(outcome.seq) + "}");
        break;
    case Channel::PollOutcome::Kind::Gone:
        // The session ended or the channel moved: the client must ask the web host anew.
        exchange.AjaxText("{\"t\":\"refresh\"}");
        break;
    }
}

} // namespace quillo::standin
