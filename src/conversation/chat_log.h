#pragma once
// The chat logs: one file of HTML fragments per pair of signed-in account and contact, written
// one block per shown message and read back whole by the log viewer.
//
// Files live in the user's own data folder (UserDataFolder), which is kept private to the user
// (0700, files 0600 where the platform has such modes). They are written in UTF-8 with a
// byte-order mark; a file without one is an older log in Windows-1252 and is read as such. A
// file is open only for the duration of one call. User-interface thread (or any one thread).

#include "session/contact_id.h"

#include <QString>

namespace quillo {

// The log of the conversation between the account and the contact: UserDataFolder, "/", the
// account id, "_", the contact id, ".htm". Empty when either id is invalid.
QString ChatLogPath(ContactId account, ContactId contact);

// Outcome of AppendLogLine. On failure, error is an English sentence naming the file (for a
// terminal or a report) and reason the system's account alone, for a window to put in a sentence
// of the user's language.
struct ChatLogWrite {
    bool ok = false;
    QString error;
    QString reason;
};

// Appends block and a carriage return and line feed to the log at path, creating the file (and
// its folder) when missing; an existing file is never truncated. An older log without a
// byte-order mark is first rewritten as UTF-8 so that the file keeps one encoding. A file that
// cannot be written is reported, never thrown, and leaves the file as it was.
ChatLogWrite AppendLogLine(const QString& path, const QString& block);

// A whole log as the viewer shows it.
struct ChatLogText {
    bool exists = false; // false: no log at path (the viewer shows an empty page)
    QString text;        // every line of the file followed by a carriage return and line feed
    QString error;       // the file exists but could not be read; a sentence naming it
    QString reason;      // the system's account of why, as in ChatLogWrite
};

// Reads the log at path: a byte-order mark selects its encoding, otherwise Windows-1252.
ChatLogText ReadChatLog(const QString& path);

} // namespace quillo
