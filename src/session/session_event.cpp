#include "session/session_event.h"

#include <array>

namespace quillo {

namespace {

struct EventRow {
    SessionEventName name;
    int kind;
    int code;
    const char* key;
};

constexpr std::array<EventRow, 11> kEventTable{{
    {SessionEventName::LoginFailed, 1, 0, "login_failed"},
    {SessionEventName::SignedIn, 1, 1, "signed_in"},
    {SessionEventName::ConnectionLost, 1, 2, "connection_lost"},
    {SessionEventName::SessionExpired, 1, 3, "session_expired"},
    {SessionEventName::SignInCancelled, 1, 4, "sign_in_cancelled"},
    {SessionEventName::StartupCheckFailed, 1, 5, "startup_check_failed"},
    {SessionEventName::NoContacts, 1, 6, "no_contacts"},
    {SessionEventName::BuddyListLoaded, 2, 0, "buddy_list_loaded"},
    {SessionEventName::PresenceChanged, 2, 1, "presence_changed"},
    {SessionEventName::MessageArrived, 3, 0, "message_arrived"},
    {SessionEventName::BannerReady, 5, 0, "banner_ready"},
}};

} // namespace

SessionEventCode sessionEventCode(SessionEventName name) {
    for (const EventRow& row : kEventTable) {
        if (row.name == name)
            return {row.kind, row.code};
    }
    return {0, 0};
}

std::optional<SessionEventName> sessionEventName(int kind, int code) {
    if (kind == static_cast<int>(SessionEventKind::Message))
        return SessionEventName::MessageArrived;
    for (const EventRow& row : kEventTable) {
        if (row.kind == kind && row.code == code)
            return row.name;
    }
    return std::nullopt;
}

QString sessionEventKey(SessionEventName name) {
    for (const EventRow& row : kEventTable) {
        if (row.name == name)
            return QString::fromLatin1(row.key);
    }
    return {};
}

} // namespace quillo
