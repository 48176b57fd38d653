#pragma once
// The shapes of the channel's items and of the stored history entries, as the service wrote
// them. Pure functions.

#include <cstdint>
#include <string>
#include <string_view>

#include "service_json.h"
#include "world.h"

namespace quillo::standin {

// <, > and & as entities: message texts reached the channel as HTML.
std::string MessageHtml(std::string_view text);

// {"type":"msg","msg":{"text":...,"time":...,"clientTime":...,"msgID":"..."},"from":...,...}
Json MessageItem(const Account& from, const Account& to, std::string_view text,
                 std::int64_t time_ms, std::int64_t client_time_ms, const std::string& msg_id);

// {"type":"typ","st":1,"from":...,"to":...}
Json TypingItem(UserId from, UserId to, int state);

// One entry of the history answer and of the home page's open conversations: the text is the
// only member of "msg", and "time" is followed by more members.
Json HistoryEntry(const StoredMessage& message, const Account* from, const Account* to);

} // namespace quillo::standin
