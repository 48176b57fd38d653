#pragma once
// The banner worker: downloads the maker's banner settings, shows the banners aimed at the user
// one after the other, each for its own minutes, and starts over with a fresh download; a
// download with no banner for the user ends it for good. Most of its life it waits, and every
// wait and every download ends at once when the program exits.
//
// The engine has no pictures of its own: the caller's decoder turns the downloaded bytes into
// whatever the windows show (a QImage in the program), carried in a QVariant.
//
// Thread: RunBanners runs on a worker of its own; ready is called on that worker, and the
// caller posts the banner on to the windows. A banner is handed over whole, so the picture,
// link and hint on display always belong together.

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <functional>

#include "session/http_transfer.h"
#include "session/waitable_flag.h"

namespace quillo {

struct Endpoints;
struct TDemographic;

struct Banner {
    QVariant picture; // what the decoder made
    QString link;     // open only when BannerLinkOpenable (banners.h)
    QString hint;
};

// How long the worker waits: a banner stays DURATION × msPerMinute, a pass that showed nothing
// is followed by emptyPassPauseMs. Tests shrink the minute.
struct BannerTiming {
    int msPerMinute = 60000;
    int emptyPassPauseMs = 1000;
};

// Where the worker gets its texts and bytes; each returns empty on any failure.
struct BannerSources {
    std::function<QString()> settingsText;
    std::function<QByteArray(const QString& address)> picture;
};

// The picture, or an empty QVariant when the bytes are no picture of that format ("JPEG",
// "GIF" or "PNG") or the picture has no width or height.
using BannerDecoder = std::function<QVariant(const QByteArray& bytes, const QByteArray& format)>;
using BannerReady = std::function<void(Banner banner)>;

// The maker's banner host: PlainGet of /settings.xml, FetchImage of each picture (no referer),
// each within its kind's limit (answer_limits.h).
// Every download ends early when stop is set (within a second) or when exit interrupts it (at
// once; HttpLayer::exitInterruption in the program). stop must outlive the sources.
BannerSources MakerBannerSources(const Endpoints& endpoints, const WaitableFlag& stop,
                                 Interruption exit = {});

// The worker's body. Returns when a settings download gives no banner for the user (also when
// it fails) or as soon as stop is set. user is read afresh at every pass.
void RunBanners(const BannerSources& sources, const TDemographic& user, const BannerDecoder& decode,
                const BannerReady& ready, const WaitableFlag& stop, BannerTiming timing = {});

} // namespace quillo
