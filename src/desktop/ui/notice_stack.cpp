#include "desktop/ui/notice_stack.h"

#include <QGuiApplication>
#include <QScreen>

#include "desktop/ui/notice_texts.h"
#include "desktop/ui/notify_dialog.h"

namespace quillo {

namespace {

QRect PrimaryScreenArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace

NoticeStack::NoticeStack(const LanguageStrings& strings, QObject* parent)
    : QObject(parent)
    , strings_(strings)
    , area_(PrimaryScreenArea) {}

NoticeStack::~NoticeStack() {
    for (const Shown& shown : std::as_const(shown_)) {
        if (shown.notice) {
            shown.notice->disconnect(this);
            delete shown.notice.data();
        }
    }
}

void NoticeStack::setAvailableArea(AreaSource area) {
    area_ = area ? std::move(area) : AreaSource(PrimaryScreenArea);
}

void NoticeStack::setNoticeLifetime(std::chrono::milliseconds lifetime) {
    lifetime_ = lifetime;
}

void NoticeStack::setUserFirstName(const QString& firstName) {
    firstName_ = firstName;
}

// The notices still open no longer count: when they close they give back nothing, so the
// notices of the new session keep their places.
void NoticeStack::reset() {
    stack_ = 0;
    for (Shown& shown : shown_)
        shown.space = 0;
}

QList<NotifyDialog*> NoticeStack::notices() const {
    QList<NotifyDialog*> open;
    for (const Shown& shown : shown_) {
        if (shown.notice && shown.notice != summary_)
            open.append(shown.notice.data());
    }
    return open;
}

NotifyDialog* NoticeStack::summary() const {
    return summary_.data();
}

int NoticeStack::nextBottom(const QRect& area) const {
    return area.bottom() + 1 - kBottomGap - stack_;
}

// The frame's lower edge on bottom and its right edge on the area's; never above the top of the
// area, even on a screen too small for a single notice.
void NoticeStack::place(NotifyDialog* notice, const QRect& area, int bottom) const {
    const QSize frame = notice->size() + frameExtra_;
    notice->move(area.right() + 1 - frame.width(), qMax(bottom - frame.height(), area.top()));
}

// The window frame is only known once the first notice is shown; that one is put right then.
void NoticeStack::showAndStack(NotifyDialog* notice, const QRect& area, int bottom, bool online) {
    connect(notice, &NotifyDialog::closed, this, &NoticeStack::onClosed);
    place(notice, area, bottom);
    notice->show();
    const QSize frameExtra = notice->frameGeometry().size() - notice->size();
    if (frameExtra != frameExtra_) {
        frameExtra_ = frameExtra;
        place(notice, area, bottom);
    }
    const int space = notice->frameGeometry().height() + kSpacing;
    stack_ += space;
    shown_.append({notice, space, online});
}

void NoticeStack::ShowPresenceNotice(const QString& name, ContactId id, bool online) {
    const QRect area = area_();
    const int bottom = nextBottom(area);
    const bool fits = bottom - (NotifyDialog::kWindowHeight + frameExtra_.height()) >= area.top();
    // While the summary is open it takes every notice: the ones below it may have closed,
    // but the stack still ends where the summary sits.
    if (summary_ || (!fits && !shown_.isEmpty())) {
        addToSummary(online, area);
        return;
    }

    // A notice without an id has no conversation to open, so it is no link.
    const bool link = online && id.isValid();
    auto* notice =
        new NotifyDialog(PresenceNoticeText(strings_, name, online),
                         link ? NotifyDialog::Look::Link : NotifyDialog::Look::Quiet, lifetime_);
    notice->setTextHint(firstName_);
    if (link)
        connect(notice, &NotifyDialog::clicked, this, [this, id] { emit openChatRequested(id); });
    showAndStack(notice, area, bottom, online);
}

// The first notice that does not fit takes the place of the highest one on screen, which it
// then counts with the rest: every notice shown stays fully on the screen.
void NoticeStack::addToSummary(bool online, const QRect& area) {
    (online ? summaryOnline_ : summaryOffline_) += 1;
    if (summary_) {
        summary_->setText(SummaryNoticeText(strings_, summaryOnline_, summaryOffline_));
        summary_->restartTimer();
        return;
    }

    NotifyDialog* highest = nullptr;
    bool highestOnline = false;
    for (const Shown& shown : std::as_const(shown_)) {
        if (shown.notice && (!highest || shown.notice->y() < highest->y())) {
            highest = shown.notice.data();
            highestOnline = shown.online;
        }
    }
    int bottom = area.top() + NotifyDialog::kWindowHeight + frameExtra_.height();
    if (highest) {
        (highestOnline ? summaryOnline_ : summaryOffline_) += 1;
        bottom = highest->frameGeometry().bottom() + 1;
        highest->close();
    }

    auto* summary = new NotifyDialog(SummaryNoticeText(strings_, summaryOnline_, summaryOffline_),
                                     NotifyDialog::Look::Link, lifetime_);
    summary->setTextHint(firstName_);
    connect(summary, &NotifyDialog::clicked, this, &NoticeStack::showMainWindowRequested);
    summary_ = summary;
    showAndStack(summary, area, bottom, online);
}

void NoticeStack::onClosed(NotifyDialog* notice) {
    for (qsizetype i = 0; i < shown_.size(); ++i) {
        if (shown_[i].notice == notice) {
            stack_ = qMax(0, stack_ - shown_[i].space);
            shown_.removeAt(i);
            break;
        }
    }
    if (notice == summary_) {
        summary_.clear();
        summaryOnline_ = 0;
        summaryOffline_ = 0;
    }
}

} // namespace quillo
