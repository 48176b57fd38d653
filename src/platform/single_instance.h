#pragma once
// The one running copy of the program: a lock file "QLFFB_instance.lock" in the user's runtime
// folder, held for as long as the holder lives. A second copy finds it held and ends. A lock
// left behind by a copy that crashed names a process that no longer exists, and is taken
// over, so a crash never keeps the program from starting again.
//
// Thread: the program's entry, before any window.

#include <QLockFile>
#include <QString>

namespace quillo {

class SingleInstance {
public:
    // folder: where the lock lives; empty for the user's runtime folder.
    explicit SingleInstance(const QString& folder = QString());

    // True when this copy holds the lock and may run.
    bool acquired() const { return acquired_; }

private:
    QLockFile lock_;
    bool acquired_ = false;
};

} // namespace quillo
