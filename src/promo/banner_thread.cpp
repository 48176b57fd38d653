#include "promo/banner_thread.h"

#include <algorithm>
#include <chrono>

#include "promo/banners.h"
#include "session/answer_limits.h"
#include "session/endpoints.h"
#include "session/plain_requests.h"
#include "session/worker_guard.h"

namespace quillo {

namespace {

// True when stop was set before ms passed. Waits in pieces: a huge DURATION would overflow the
// clock arithmetic of a single wait and end it at once.
bool pauseUnlessStopped(const WaitableFlag& stop, qint64 ms) {
    constexpr qint64 kLongestPiece = 24LL * 60 * 60 * 1000;
    do {
        const qint64 piece = std::min(ms, kLongestPiece);
        if (stop.waitFor(std::chrono::milliseconds(piece)))
            return true;
        ms -= piece;
    } while (ms > 0);
    return false;
}

QVariant fetchPicture(const BannerSources& sources, const BannerDecoder& decode,
                      const QString& address) {
    // Only these formats can be shown, so another picture is not worth its download.
    const QByteArray format = BannerPictureFormat(address);
    if (format.isEmpty())
        return {};
    const QByteArray bytes = sources.picture(address);
    if (bytes.isEmpty())
        return {};
    const QVariant picture = decode(bytes, format);
    if (!picture.isValid() || picture.isNull())
        return {};
    return picture;
}

} // namespace

BannerSources MakerBannerSources(const Endpoints& endpoints, const WaitableFlag& stop,
                                 Interruption exit) {
    // The stop flag alone ends a download too, so a caller that sets it before the program's
    // shutdown does not wait for a slow banner host.
    const Interruption interruption{exit.registry, [&stop, cancelled = std::move(exit.cancelled)] {
                                        return bool(stop) || (cancelled && cancelled());
                                    }};
    const QString settingsUrl =
        QStringLiteral("http://") + endpoints.bannerHost + QStringLiteral("/settings.xml");
    // A download that throws fails like one that broke off: the worker goes on as it would.
    return {
        [endpoints, interruption, settingsUrl] {
            QString text;
            runGuarded("the banner settings", [&] {
                text =
                    PlainGet(endpoints, settingsUrl, answer_limits::kBannerSettings, interruption);
            });
            return text;
        },
        [endpoints, interruption](const QString& address) {
            QByteArray stream;
            if (!runGuarded("a banner picture", [&] {
                    FetchImage(endpoints, address, QString(), stream, answer_limits::kBannerPicture,
                               interruption);
                }))
                stream.clear();
            return stream;
        },
    };
}

void RunBanners(const BannerSources& sources, const TDemographic& user, const BannerDecoder& decode,
                const BannerReady& ready, const WaitableFlag& stop, BannerTiming timing) {
    while (!stop) {
        // Fetched again at every pass: the maker's changes count from the next one.
        const QStringList lines = LoadBannerList(sources.settingsText(), user);
        if (lines.isEmpty())
            return;
        bool shown = false;
        for (const QString& line : lines) {
            const BannerLine banner = ParseBannerLine(line);
            if (banner.address.isEmpty())
                continue;
            QVariant picture = fetchPicture(sources, decode, banner.address);
            if (stop)
                return;
            if (!picture.isValid())
                continue; // the banner on display stays, with its own link and hint
            shown = true;
            ready(Banner{std::move(picture), banner.link, banner.hint});
            if (pauseUnlessStopped(stop, qint64(BannerMinutes(banner.duration)) *
                                             std::max(timing.msPerMinute, 0)))
                return;
        }
        if (!shown && pauseUnlessStopped(stop, std::max(timing.emptyPassPauseMs, 0)))
            return;
    }
}

} // namespace quillo
