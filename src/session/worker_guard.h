#pragma once
// The top of every worker. An exception that leaves a thread's body ends the whole program
// (std::terminate), whatever the failure was: an allocation refused under memory pressure
// (std::bad_alloc), or anything a library throws. Run through runGuarded, such an exception ends
// only the operation, which its caller then treats as failed, as it would a network failure.
//
// Thread: any.

#include <exception>
#include <utility>

namespace quillo {

// Writes what ended which operation to the program's log; never throws.
void noteWorkerFailure(const char* operation, const std::exception& failure) noexcept;

// Runs work; false when an exception ended it instead (it is noted, never passed on).
template <typename Work>
bool runGuarded(const char* operation, Work&& work) noexcept {
    try {
        std::forward<Work>(work)();
        return true;
    } catch (const std::exception& failure) {
        noteWorkerFailure(operation, failure);
    }
    return false;
}

} // namespace quillo
