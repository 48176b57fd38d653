#pragma once
// ChatMessage: one line of a conversation as the session engine hands it to a front end, read
// from the protocol's message record: which conversation it belongs to, who wrote it, and its
// text, still service-escaped (conversation/display_text.h and the formatting decode it).

#include <QString>

#include "session/contact_id.h"

namespace quillo {

struct ChatMessage {
    ContactId conversation; // the friend the conversation is with
    ContactId from;         // the writer: the friend, or the user for the user's own lines
    QString fromName;       // service-escaped; the user's own name for own lines
    QString text;           // service-escaped; own replayed lines with their conversions done
    QString time;           // decimal milliseconds since 1970-01-01 UTC
    bool own = false;       // the user's own line (replayed from history)
    bool live = false;      // arrived through the long poll (the view follows the bottom)
    bool replayed = false;  // another person's line replayed from history (no notice)
};

} // namespace quillo
