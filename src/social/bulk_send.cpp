#include "social/bulk_send.h"

#include "session/session_state.h"
#include "social/social_requests.h"

namespace quillo {

bool RunBulkSend(HttpLayer& http, const SessionState& state, const BulkJob& job,
                 const BulkReports& reports) {
    const int total = int(job.recipients.size());
    for (int i = 0; i < total; ++i) {
        // A session that ended has nobody to send as; the rest would all fail anyway.
        if (state.Stopping)
            return false;
        const BulkRecipient& recipient = job.recipients[i];
        if (reports.sendingTo)
            reports.sendingTo(recipient.name);
        if (job.kind == BulkKind::WallPost)
            PostToProfile(http, state, recipient.id.toText(), job.text);
        else
            SendPrivateMessage(http, state, recipient.id.toText(), job.text, job.subject);
        if (reports.progress)
            reports.progress(i + 1, total);
    }
    return true;
}

} // namespace quillo
