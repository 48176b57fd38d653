#include "chat_items.h"

#include "http_text.h"

namespace quillo::standin {

std::string MessageHtml(std::string_view text) {
    return EscapeEntities(text, false);
}

Json MessageItem(const Account& from, const Account& to, std::string_view text,
                 std::int64_t time_ms, std::int64_t client_time_ms, const std::string& msg_id) {
    Json msg;
    msg["text"] = MessageHtml(text);
    msg["time"] = time_ms;
    msg["clientTime"] = client_time_ms;
    msg["msgID"] = msg_id;
    Json item;
    item["type"] = "msg";
    item["msg"] = std::move(msg);
    item["from"] = from.id;
    item["to"] = to.id;
    item["from_name"] = from.name;
    item["to_name"] = to.name;
    item["from_first_name"] = from.first_name;
    item["to_first_name"] = to.first_name;
    return item;
}

Json TypingItem(UserId from, UserId to, int state) {
    Json item;
    item["type"] = "typ";
    item["st"] = state;
    item["from"] = from;
    item["to"] = to;
    return item;
}

Json HistoryEntry(const StoredMessage& message, const Account* from, const Account* to) {
    Json msg;
    msg["text"] = MessageHtml(message.text);
    Json entry;
    entry["type"] = "msg";
    entry["msg"] = std::move(msg);
    entry["from"] = message.from;
    entry["to"] = message.to;
    entry["time"] = message.time_ms;
    entry["msgID"] = message.msg_id;
    entry["from_name"] = from ? from->name : std::string();
    entry["to_name"] = to ? to->name : std::string();
    return entry;
}

} // namespace quillo::standin
