#include "session/worker_guard.h"

#include <QtGlobal>

namespace quillo {

void noteWorkerFailure(const char* operation, const std::exception& failure) noexcept {
    try {
        qWarning("%s ended by an exception: %s", operation, failure.what());
    } catch (...) {
        // Out of memory even for the note: the operation has failed all the same.
    }
}

} // namespace quillo
