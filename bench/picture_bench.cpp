// A remote party's picture on the GUI thread, on the offscreen platform: what the GUI thread
// spends on one picture from its bytes to the chat tab's 49x49 picture control.
//
//  - OldWay/5000, OldWay/4096: what the windows did before: the bytes decoded at full size on
//    the GUI thread (QImage::loadFromData, with only Qt's own allocation limit) and made into a
//    pixmap of that size.
//  - NewWay/5000, NewWay/4096: the program's picture loader (two workers, the program's
//    decoder) with the bytes at hand instead of a download: the GUI thread's share is the ask
//    itself, the queued completion and QPixmap::fromImage of the small result. It is measured
//    as the time the GUI thread is awake (the event dispatcher's awake to aboutToBlock) from
//    the ask until the picture control has its picture. The 5000x5000 picture is refused on
//    the worker from its header; 4096x4096 is the largest one decoded.
// The pictures are PNGs of a few hundred kilobytes at most: a plain field with some lines, as
// small as a real large picture compresses. Main prints each new/old ratio with its aim (the
// new way's share at most 2 ms).
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <optional>

#include "app/picture_loader.h"
#include "app/ui/picture_decoder.h"
#include "ratio_reporter.h"

using namespace quillo;

namespace {

const QSize kTabPicture(49, 49);

QByteArray largePng(int side) {
    QImage picture(side, side, QImage::Format_RGB32);
    picture.fill(QColor(0x3b, 0x59, 0x98));
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::white, 9));
    for (int at = 0; at < side; at += 97)
        painter.drawLine(0, at, side, side - at);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG", 0);
    return bytes;
}

const QByteArray& pictureOf(int side) {
    static std::map<int, QByteArray> made;
    auto found = made.find(side);
    if (found == made.end())
        found = made.emplace(side, largePng(side)).first;
    return found->second;
}

// The chat tab's picture control; main makes it.
QLabel* control = nullptr;
QLabel& pictureControl() {
    return *control;
}

void OldWay(benchmark::State& state) {
    const QByteArray& bytes = pictureOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QImage picture;
        if (!picture.loadFromData(bytes)) {
            state.SkipWithError("Qt did not decode the picture");
            break;
        }
        pictureControl().setPixmap(QPixmap::fromImage(picture));
    }
    state.counters["kB"] = static_cast<double>(bytes.size()) / 1024.0;
}
BENCHMARK(OldWay)->Arg(5000)->Arg(4096)->Iterations(3)->Unit(benchmark::kMillisecond);

// The GUI thread's awake time, summed while counting.
class AwakeClock {
public:
    AwakeClock() {
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
        QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, &context_, [this] {
            if (counting_)
                since_.start();
        });
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &context_, [this] {
            if (counting_ && since_.isValid())
                awakeNs_ += since_.nsecsElapsed();
            since_.invalidate();
        });
    }
    void start() {
        awakeNs_ = 0;
        counting_ = true;
        since_.start();
    }
    double stopSeconds() {
        if (since_.isValid())
            awakeNs_ += since_.nsecsElapsed();
        counting_ = false;
        since_.invalidate();
        return static_cast<double>(awakeNs_) / 1e9;
    }

private:
    QObject context_;
    QElapsedTimer since_;
    qint64 awakeNs_ = 0;
    bool counting_ = false;
};

void NewWay(benchmark::State& state) {
    const QByteArray bytes = pictureOf(static_cast<int>(state.range(0)));
    PictureLoader loader([bytes](const QString&) { return bytes; });
    loader.setDecoder(&DecodeShownPicture);
    AwakeClock clock;
    QElapsedTimer wall;
    double wallSeconds = 0;
    bool shown = false;
    for (auto _ : state) {
        QEventLoop loop;
        pictureControl().clear();
        wall.start();
        clock.start();
        loader.load(QStringLiteral("http://profile.test/pics/q1.jpg"), kTabPicture,
                    &pictureControl(), [&](const QVariant& picture) {
                        const QImage image = picture.value<QImage>();
                        if (!image.isNull())
                            pictureControl().setPixmap(QPixmap::fromImage(image));
                        loop.quit();
                    });
        loop.exec();
        state.SetIterationTime(clock.stopSeconds());
        wallSeconds += static_cast<double>(wall.nsecsElapsed()) / 1e9;
        shown = !pictureControl().pixmap().isNull();
    }
    // Refused above the largest size, decoded at the tab's size up to it.
    if (shown != (state.range(0) <= kLargestPictureSide))
        state.SkipWithError("the picture was not handled as its size says");
    state.counters["wall_ms"] =
        wallSeconds * 1000.0 / static_cast<double>(std::max<int64_t>(1, state.iterations()));
}
BENCHMARK(NewWay)->Arg(5000)->Arg(4096)->Iterations(10)->UseManualTime()->Unit(
    benchmark::kMillisecond);

std::optional<double> figureOf(const RatioReporter& reporter, const std::string& name) {
    for (const auto& [runName, value] : reporter.seconds) {
        if (runName.rfind(name + "/", 0) == 0 && runName.find("/iterations:") != std::string::npos)
            return value;
    }
    return std::nullopt;
}

void printRatio(const RatioReporter& reporter, const std::string& size) {
    const std::optional<double> now = figureOf(reporter, "NewWay/" + size);
    const std::optional<double> before = figureOf(reporter, "OldWay/" + size);
    if (!now || !before || *before <= 0) {
        std::printf("GUI thread, %sx%s picture: not measured\n", size.c_str(), size.c_str());
        return;
    }
    std::printf("GUI thread, %sx%s picture: new %.3f ms / old %.3f ms = %.5f (aim: new at most "
                "2 ms) %s\n",
                size.c_str(), size.c_str(), *now, *before, *now / *before,
                *now <= 2.0 ? "PASS" : "MISS");
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own event dispatcher says awake and aboutToBlock around every wait.
    qputenv("QT_NO_GLIB", "1");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // Made ahead: encoding them is no part of any figure.
    pictureOf(5000);
    pictureOf(4096);
    QLabel picture;
    picture.setFixedSize(kTabPicture);
    picture.setScaledContents(true);
    control = &picture;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    control = nullptr;
    printRatio(reporter, "5000");
    printRatio(reporter, "4096");
    benchmark::Shutdown();
    return 0;
}
