#pragma once
// For the tests that feed a request an answer larger than any it may take (the stand-in's faults
// "endless" and "huge_length"): how long the request took and how much this process's resident
// memory grew at its peak, read from /proc/self/status (Linux).

#include <QElapsedTimer>
#include <QFile>
#include <QtGlobal>
#include <array>
#include <cstdio>
#include <string>

namespace quillo::test {

// The stand-in's faults that send more than any limit: a chunked body without end, and a
// Content-Length of a terabyte followed by filler.
inline constexpr std::array<const char*, 2> kOversizedFaults = {"endless", "huge_length"};

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM"); -1 when it cannot be read.
inline qint64 statusBytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

struct RequestCost {
    qint64 elapsedMs = 0;
    qint64 peakGrowthBytes = 0; // the peak resident size during the request, less the size before
};

// Runs request (one blocking call) and measures it. The kernel's peak (VmHWM) is first reset to
// the present size, so the peak read afterwards is this request's.
template <typename Request>
RequestCost measureRequest(Request&& request) {
    if (FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", clear);
        std::fclose(clear);
    }
    const qint64 before = statusBytes("VmRSS");
    QElapsedTimer clock;
    clock.start();
    request();
    RequestCost cost;
    cost.elapsedMs = clock.elapsed();
    cost.peakGrowthBytes = statusBytes("VmHWM") - before;
    return cost;
}

// What one such request may cost: the bytes its limit lets in, and a few megabytes besides for
// libcurl's buffers and connection, the allocator's bookkeeping (AddressSanitizer's red zones
// among it) and whatever else the process does meanwhile. ThreadSanitizer's allocator keeps
// freed blocks and shadow pages of its own, so there memory says nothing about the client:
// nothing is allowed to fail on it (the figures come from the other builds).
inline qint64 allowedGrowthBytes(qint64 limit) {
#if defined(__SANITIZE_THREAD__)
    return limit + qint64(1) * 1024 * 1024 * 1024;
#else
    return limit + 8 * 1024 * 1024;
#endif
}

inline std::string megabytes(qint64 bytes) {
    return QByteArray::number(double(bytes) / (1024 * 1024), 'f', 1).toStdString() + " MB";
}

} // namespace quillo::test
