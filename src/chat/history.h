#pragma once
// Conversation history: replaying the recent conversations that the service still holds right
// after sign-in, and clearing a conversation's history on the service.
//
// Thread: ReplayHistory runs on a worker (it waits on the network) and hands its records to the
// front end one at a time, in order, through SessionState::MainWindow (sent and waited for).
// A record whose FromId is the user's own id is one of the user's own lines: the front end puts
// it into the conversation with `To`. Other records carry Replayed = 1 and the sender's name as
// the contact list shows it, escaped like the service's names.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "session/message_record.h"

namespace quillo {

class HttpLayer;
struct SessionState;

// The escaped display name of a contact by id, or empty when the contact is unknown.
using EscapedNameLookup = std::function<QString(const QString& id)>;

// Reads every message of a history text (the home page's chat display object or an answer of
// the history endpoint) and hands each non-empty one to deliver. Returns what follows the last
// message read, in the escaped form (on the home page it holds the list of conversations).
QString ParseHistory(const QString& text, const QString& userId,
                     const EscapedNameLookup& escapedName,
                     const std::function<void(std::unique_ptr<TMSg>)>& deliver);

// The ids of the open conversations that have more messages ("m" not 0), from what follows the
// messages in the home page's chat display object.
QStringList ConversationsWithMore(QStringView rest);

// Replays the conversations of the signed-in home page, each in its order: the page's last
// lines of a conversation that has more wait for its history. A line that comes again (the
// page's last lines are also in the history answers) is handed over once. Every record's text
// is in the answers' escaped form (the page's lines lose the script string's extra level).
void ReplayHistory(const QString& homePage, SessionState& state, HttpLayer& http,
                   const EscapedNameLookup& escapedName);

// The text of one of the user's own replayed lines as its conversation shows it: escaped
// slashes become plain ones and escaped line breaks become <Br>; emoticons and decoding follow
// as for any line.
QString OwnLineText(QString text);

// True when the service confirms that the history with contact id was cleared.
bool ClearHistory(HttpLayer& http, const SessionState& state, const QString& id);

} // namespace quillo
