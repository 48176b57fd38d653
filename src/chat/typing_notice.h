#pragma once
// The typing notice: posted by the long-poll worker to the chat window when a friend starts or
// stops typing. Posted, never waited for.

#include <QtGlobal>

namespace quillo {

class TypingNoticeSink {
public:
    virtual ~TypingNoticeSink() = default;
    // from: the friend's 64-bit id; typing: true once started, false once stopped. Any thread.
    virtual void postTypingNotice(qint64 from, bool typing) = 0;
};

} // namespace quillo
