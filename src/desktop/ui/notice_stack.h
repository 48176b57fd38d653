#pragma once
// The presence notices on screen (`NoticeStack`): they pile up from the bottom-right corner of
// the screen's free area, each above the one before, and never move once shown.
//
// A presence snapshot may move hundreds of friends at once. Notices are only shown while they
// fit on the screen; the ones that do not fit become one summary notice, which counts on while
// more arrive. Nothing here waits: showing a notice returns at once.
//
// Thread and ownership: main thread only. The main window owns one for the whole run; the
// notices own themselves, and those still open when it goes are closed with it. The language
// strings are read at every notice and must outlive it.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <chrono>
#include <functional>

#include "session/contact_id.h"

namespace quillo {

class LanguageStrings;
class NotifyDialog;

class NoticeStack : public QObject {
    Q_OBJECT

public:
    // Where the notices go; by default the primary screen's area without the task bars.
    using AreaSource = std::function<QRect()>;

    static constexpr std::chrono::milliseconds kNoticeLifetime{10'000};
    // Between the lowest notice and the bottom of the area.
    static constexpr int kBottomGap = 30;
    // Between two notices.
    static constexpr int kSpacing = 2;

    explicit NoticeStack(const LanguageStrings& strings, QObject* parent = nullptr);
    ~NoticeStack() override;

    void setAvailableArea(AreaSource area);
    void setNoticeLifetime(std::chrono::milliseconds lifetime);
    // The signed-in user's first name, the hint of every notice's text.
    void setUserFirstName(const QString& firstName);

    // A notice that the friend name (as the contact tree shows it) came online or went offline.
    // An online notice with a valid id is a link: a click asks to open that conversation.
    void ShowPresenceNotice(const QString& name, ContactId id, bool online);

    // A new session starts its notices at the bottom again; older notices that are still open
    // stay where they are until they close.
    void reset();

    // The height the open notices take, each with its spacing.
    int stackHeight() const { return stack_; }
    // The open presence notices, oldest first, and the summary if one is open.
    QList<NotifyDialog*> notices() const;
    NotifyDialog* summary() const;

signals:
    // An online notice was clicked.
    void openChatRequested(quillo::ContactId id);
    // The summary notice was clicked: the friends are in the contact list.
    void showMainWindowRequested();

private:
    struct Shown {
        QPointer<NotifyDialog> notice;
        int space = 0; // frame height plus spacing, as added to stack_
        bool online = false;
    };

    // Where the frame of the next notice ends at the bottom, by the current stack.
    int nextBottom(const QRect& area) const;
    void place(NotifyDialog* notice, const QRect& area, int bottom) const;
    void showAndStack(NotifyDialog* notice, const QRect& area, int bottom, bool online);
    void addToSummary(bool online, const QRect& area);
    void onClosed(NotifyDialog* notice);

    const LanguageStrings& strings_;
    AreaSource area_;
    std::chrono::milliseconds lifetime_ = kNoticeLifetime;
    QString firstName_;
    int stack_ = 0;
    // What the window frame adds to a notice's size, learnt from the first one shown, so that
    // the next ones are placed by their full size before they appear.
    QSize frameExtra_;
    QList<Shown> shown_;
    QPointer<NotifyDialog> summary_;
    int summaryOnline_ = 0;
    int summaryOffline_ = 0;
};

} // namespace quillo
