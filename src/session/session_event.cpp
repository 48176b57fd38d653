#include "session/session_event.h"

#include <array>

namespace quillo {

namespace {

struct EventRow {
    SessionEventName name;
    int kind;
    int code;
};

constexpr std::array<EventRow, 11> kEventTable{{
    {SessionEventName::LoginFailed, 1, 0},
    {SessionEventName::SignedIn, 1, 1},
    {SessionEventName::ConnectionLost, 1, 2},
    {SessionEventName::SessionExpired, 1, 3},
    {SessionEventName::SignInCancelled, 1, 4},
    {SessionEventName::StartupCheckFailed, 1, 5},
    {SessionEventName::NoContacts, 1, 6},
    {SessionEventName::BuddyListLoaded, 2, 0},
    {SessionEventName::PresenceChanged, 2, 1},
    {SessionEventName::MessageArrived, 3, 0},
    {SessionEventName::BannerReady, 5, 0},
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

} // namespace quillo
