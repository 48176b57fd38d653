#pragma once
// Bulk sends: one text posted on the walls of several friends, or one private message sent to
// several friends, one recipient after the other. A recipient whose request fails is passed
// over; the run goes on.
//
// Thread: RunBulkSend blocks (it waits on the network) and calls its callbacks on the calling
// thread; the session engine runs it on a worker and hands the reports to the front end.

#include <QList>
#include <QString>
#include <functional>

#include "session/contact_id.h"

namespace quillo {

class HttpLayer;
struct SessionState;

enum class BulkKind {
    WallPost = 1,
    PrivateMessage = 2,
};

struct BulkRecipient {
    ContactId id;
    QString name; // as the contact list shows it
};

struct BulkJob {
    BulkKind kind = BulkKind::WallPost;
    QList<BulkRecipient> recipients;
    QString text;
    QString subject; // private messages only
};

struct BulkReports {
    std::function<void(const QString& name)> sendingTo; // before each recipient
    std::function<void(int done, int total)> progress;  // after each recipient
};

// Sends the job to each recipient in order. Stops before the next recipient once the session
// is ending; answers whether every recipient had its turn.
bool RunBulkSend(HttpLayer& http, const SessionState& state, const BulkJob& job,
                 const BulkReports& reports);

} // namespace quillo
