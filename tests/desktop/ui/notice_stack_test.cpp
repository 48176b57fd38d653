// Presence notices: where they stack, the summary that stands for those that do not fit, their
// lifetime, their clicks, and that they never take the keyboard focus.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "desktop/ui/notice_stack.h"
#include "desktop/ui/notify_dialog.h"
#include "event_waiting.h"
#include "platform/ui/plain_text.h"
#include "prefs/language_strings.h"
#include "support/qt_printers.h"

namespace quillo {
namespace {

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

std::string Describe(const QRect& r) {
    return u"(%1, %2) %3x%4"_s.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

void ClickText(NotifyDialog* notice) {
    QLabel* label = notice->label();
    const QPointF inside(label->width() / 2.0, label->height() / 2.0);
    const QPointF global = label->mapToGlobal(inside);
    QMouseEvent press(QEvent::MouseButtonPress, inside, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(label, &press);
    QApplication::sendEvent(label, &release);
}

class NoticeStackTest : public ::testing::Test {
protected:
    NoticeStackTest() {
        stack_.setAvailableArea([this] { return area_; });
    }

    ~NoticeStackTest() override { LetEventsRun(); }

    // The height a notice takes on this platform, window frame included.
    static int NoticeFrameHeight() {
        LanguageStrings strings;
        NoticeStack probe(strings);
        probe.ShowPresenceNotice(u"Probe"_s, ContactId(1), true);
        return probe.notices().value(0)->frameGeometry().height();
    }

    // An area with room for exactly that many notices (and a little to spare, less than one more).
    void UseAreaForRoom(int room) {
        const int height =
            NoticeStack::kBottomGap + frame_ + (room - 1) * (frame_ + 2) + frame_ / 2;
        area_ = QRect(100, 40, 1280, height);
    }

    static bool Overlap(const QWidget* a, const QWidget* b) {
        return a->frameGeometry().intersects(b->frameGeometry());
    }

    const int frame_ = NoticeFrameHeight();
    LanguageStrings strings_;
    NoticeStack stack_{strings_};
    QRect area_{0, 0, 1280, 1024};
};

struct StackCase {
    const char* what;
    int room;
    int notices;
    int regular;   // presence notices left on screen
    int inSummary; // 0: no summary
};

TEST_F(NoticeStackTest, StacksUpwardsAndSummarisesWhatDoesNotFit) {
    const StackCase cases[] = {
        {"one notice", 5, 1, 1, 0},        {"as many as fit", 5, 5, 5, 0},
        {"one more than fit", 5, 6, 4, 2}, {"hundreds", 5, 400, 4, 396},
        {"room for one only", 1, 3, 0, 3},
    };
    for (const StackCase& c : cases) {
        SCOPED_TRACE(c.what);
        NoticeStack stack(strings_);
        stack.setAvailableArea([this] { return area_; });
        UseAreaForRoom(c.room);

        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < c.notices; ++i)
            stack.ShowPresenceNotice(u"Friend %1"_s.arg(i), ContactId(1000 + i), true);
        // Nothing waits per notice: a snapshot of hundreds must not hold the window up.
        EXPECT_LT(clock.elapsed(), 3000);

        const QList<NotifyDialog*> regular = stack.notices();
        ASSERT_EQ(regular.size(), c.regular);
        for (int k = 0; k < regular.size(); ++k) {
            const QRect frame = regular[k]->frameGeometry();
            EXPECT_EQ(frame.bottom() + 1, area_.bottom() + 1 - NoticeStack::kBottomGap -
                                              k * (frame_ + NoticeStack::kSpacing))
                << "notice " << k;
            EXPECT_EQ(frame.right(), area_.right()) << "notice " << k;
            EXPECT_EQ(regular[k]->text(), u"Friend %1  is online."_s.arg(k));
        }

        NotifyDialog* summary = stack.summary();
        if (c.inSummary == 0) {
            EXPECT_EQ(summary, nullptr);
            continue;
        }
        ASSERT_NE(summary, nullptr);
        EXPECT_EQ(summary->text(), u"%1 friends are online"_s.arg(c.inSummary));
        EXPECT_EQ(summary->look(), NotifyDialog::Look::Link);
        QList<QWidget*> onScreen(regular.begin(), regular.end());
        onScreen.append(summary);
        for (QWidget* notice : onScreen) {
            EXPECT_TRUE(area_.contains(notice->frameGeometry()));
            for (QWidget* other : onScreen)
                EXPECT_TRUE(notice == other || !Overlap(notice, other));
        }
    }
}

TEST_F(NoticeStackTest, SummaryCountsOfflineFriendsApart) {
    UseAreaForRoom(2);
    stack_.ShowPresenceNotice(u"Ann"_s, ContactId(1), true);
    stack_.ShowPresenceNotice(u"Bob"_s, ContactId(2), false);
    stack_.ShowPresenceNotice(u"Cid"_s, ContactId(3), true);
    ASSERT_NE(stack_.summary(), nullptr);
    EXPECT_EQ(stack_.summary()->text(), u"1 friend is online, 1 offline"_s);
    stack_.ShowPresenceNotice(u"Dan"_s, ContactId(4), true);
    stack_.ShowPresenceNotice(u"Eve"_s, ContactId(5), false);
    EXPECT_EQ(stack_.summary()->text(), u"2 friends are online, 2 offline"_s);
}

TEST_F(NoticeStackTest, ClickingTheSummaryAsksForTheMainWindow) {
    UseAreaForRoom(1);
    int shown = 0;
    QList<ContactId> chats;
    QObject::connect(&stack_, &NoticeStack::showMainWindowRequested, [&] { ++shown; });
    QObject::connect(&stack_, &NoticeStack::openChatRequested,
                     [&](ContactId id) { chats.append(id); });
    stack_.ShowPresenceNotice(u"Ann"_s, ContactId(1), true);
    stack_.ShowPresenceNotice(u"Bob"_s, ContactId(2), true);
    QPointer<NotifyDialog> summary = stack_.summary();
    ASSERT_TRUE(summary);
    ClickText(summary);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(chats.isEmpty());
    ASSERT_TRUE(WaitUntil([&] { return summary.isNull(); }));
    EXPECT_EQ(stack_.summary(), nullptr);
    EXPECT_EQ(stack_.stackHeight(), 0);
}

TEST_F(NoticeStackTest, NoticesCloseAfterTheirLifetimeAndFreeTheirPlace) {
    EXPECT_EQ(NoticeStack::kNoticeLifetime, 10s);
    stack_.ShowPresenceNotice(u"Ann"_s, ContactId(1), true);
    EXPECT_EQ(stack_.notices().value(0)->lifetime(), 10s);

    NoticeStack quick(strings_);
    quick.setAvailableArea([this] { return area_; });
    quick.setNoticeLifetime(150ms);
    for (int i = 0; i < 3; ++i)
        quick.ShowPresenceNotice(u"Friend %1"_s.arg(i), ContactId(10 + i), i != 1);
    LetEventsRun();
    EXPECT_EQ(quick.notices().size(), 3);
    EXPECT_EQ(quick.stackHeight(), 3 * (frame_ + NoticeStack::kSpacing));

    ASSERT_TRUE(WaitUntil([&] { return quick.notices().isEmpty(); }));
    EXPECT_EQ(quick.stackHeight(), 0);
    quick.ShowPresenceNotice(u"Later"_s, ContactId(20), true);
    EXPECT_EQ(quick.notices().value(0)->frameGeometry().bottom() + 1,
              area_.bottom() + 1 - NoticeStack::kBottomGap);
}

TEST_F(NoticeStackTest, SummaryStaysWhileItKeepsCounting) {
    UseAreaForRoom(1);
    stack_.setNoticeLifetime(300ms);
    stack_.ShowPresenceNotice(u"Ann"_s, ContactId(1), true);
    stack_.ShowPresenceNotice(u"Bob"_s, ContactId(2), true);
    QPointer<NotifyDialog> summary = stack_.summary();
    for (int i = 0; i < 4; ++i) {
        WaitUntil([] { return false; }, 150ms);
        stack_.ShowPresenceNotice(u"More"_s, ContactId(3 + i), true);
    }
    ASSERT_TRUE(summary) << "closed although friends kept coming";
    EXPECT_EQ(summary->text(), u"6 friends are online"_s);
    ASSERT_TRUE(WaitUntil([&] { return summary.isNull(); }));
}

TEST_F(NoticeStackTest, ClickingAnOnlineNoticeAsksForThatConversation) {
    QList<ContactId> chats;
    QObject::connect(&stack_, &NoticeStack::openChatRequested,
                     [&](ContactId id) { chats.append(id); });
    const ContactId beyond32Bits(100000123456789);
    stack_.ShowPresenceNotice(u"Ann"_s, beyond32Bits, true);
    QPointer<NotifyDialog> notice = stack_.notices().value(0);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->label()->cursor().shape(), Qt::PointingHandCursor);
    ClickText(notice);
    EXPECT_EQ(chats, QList<ContactId>{beyond32Bits});
    EXPECT_TRUE(WaitUntil([&] { return notice.isNull(); }));
    EXPECT_EQ(stack_.stackHeight(), 0);
}

TEST_F(NoticeStackTest, OfflineNoticesAndNoticesWithoutIdAreNoLinks) {
    QList<ContactId> chats;
    QObject::connect(&stack_, &NoticeStack::openChatRequested,
                     [&](ContactId id) { chats.append(id); });
    stack_.ShowPresenceNotice(u"Ann"_s, ContactId(7), false);
    stack_.ShowPresenceNotice(u"Bob"_s, ContactId(), true);
    const QList<NotifyDialog*> notices = stack_.notices();
    ASSERT_EQ(notices.size(), 2);
    for (NotifyDialog* notice : notices) {
        EXPECT_EQ(notice->look(), NotifyDialog::Look::Quiet);
        EXPECT_NE(notice->label()->cursor().shape(), Qt::PointingHandCursor);
        ClickText(notice);
    }
    LetEventsRun();
    EXPECT_TRUE(chats.isEmpty());
    EXPECT_EQ(stack_.notices().size(), 2);
    EXPECT_TRUE(notices[0]->label()->font().italic());
    EXPECT_EQ(notices[0]->label()->palette().color(QPalette::WindowText), QColor(0x808080));
}

TEST_F(NoticeStackTest, NoticesNeverTakeTheKeyboardFocus) {
    QWidget chat;
    auto* input = new QLineEdit(&chat);
    (new QVBoxLayout(&chat))->addWidget(input);
    chat.show();
    chat.activateWindow();
    input->setFocus();
    ASSERT_TRUE(WaitUntil([&] { return QApplication::focusWidget() == input; }));

    stack_.setUserFirstName(u"Alice"_s);
    stack_.ShowPresenceNotice(u"Ann"_s, ContactId(1), true);
    NotifyDialog* notice = stack_.notices().value(0);
    ASSERT_NE(notice, nullptr);
    const Qt::WindowFlags flags = notice->windowFlags();
    // Frameless: a window manager's title bar would take the keyboard when clicked.
    for (Qt::WindowType flag : {Qt::Tool, Qt::FramelessWindowHint, Qt::WindowStaysOnTopHint,
                                Qt::WindowDoesNotAcceptFocus}) {
        EXPECT_TRUE(flags.testFlag(flag)) << flag;
    }
    EXPECT_TRUE(notice->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(notice->parentWidget(), nullptr);
    EXPECT_EQ(notice->objectName(), u"TNotifyDlg"_s);
    EXPECT_EQ(notice->label()->toolTip(), plainToolTip(u"Alice"_s));

    WaitUntil([] { return false; }, 100ms);
    EXPECT_EQ(QApplication::activeWindow(), &chat);
    EXPECT_EQ(QApplication::focusWidget(), input);
}

// The notice draws its own caption: its close box sits in that strip, clear of the text, and
// closes any kind of notice without counting as a click on it.
TEST_F(NoticeStackTest, TheCaptionsCloseBoxClosesTheNotice) {
    QList<ContactId> chats;
    int mainWindowAsked = 0;
    QObject::connect(&stack_, &NoticeStack::openChatRequested,
                     [&](ContactId id) { chats.append(id); });
    QObject::connect(&stack_, &NoticeStack::showMainWindowRequested, [&] { ++mainWindowAsked; });
    const struct {
        const char* what;
        bool online;
        bool summary;
    } cases[] = {
        {"an online notice (a link)", true, false},
        {"an offline notice", false, false},
        {"the summary", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        UseAreaForRoom(c.summary ? 1 : 5);
        stack_.ShowPresenceNotice(u"Ann"_s, ContactId(1), c.online);
        if (c.summary)
            stack_.ShowPresenceNotice(u"Bob"_s, ContactId(2), c.online);
        QPointer<NotifyDialog> notice = c.summary ? stack_.summary() : stack_.notices().value(0);
        ASSERT_TRUE(notice);

        EXPECT_EQ(notice->frameGeometry().size(),
                  QSize(NotifyDialog::kWidth, NotifyDialog::kWindowHeight));
        QToolButton* box = notice->closeBox();
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->isVisible());
        EXPECT_EQ(box->focusPolicy(), Qt::NoFocus);
        const QRect caption(0, 0, NotifyDialog::kWidth, NotifyDialog::kCaptionHeight);
        EXPECT_TRUE(caption.contains(box->geometry())) << Describe(box->geometry());
        const QRect text = notice->label()->geometry();
        EXPECT_GE(text.top(), NotifyDialog::kCaptionHeight) << Describe(text);
        EXPECT_TRUE(notice->rect().contains(text)) << Describe(text);

        QTest::mouseClick(box, Qt::LeftButton);
        ASSERT_TRUE(WaitUntil([&] { return notice.isNull(); }));
        EXPECT_TRUE(stack_.notices().isEmpty());
        EXPECT_EQ(stack_.summary(), nullptr);
        EXPECT_EQ(stack_.stackHeight(), 0);
    }
    EXPECT_TRUE(chats.isEmpty());
    EXPECT_EQ(mainWindowAsked, 0);
}

TEST_F(NoticeStackTest, ANewSessionStacksFromTheBottomAgain) {
    stack_.ShowPresenceNotice(u"Ann"_s, ContactId(1), true);
    stack_.ShowPresenceNotice(u"Bob"_s, ContactId(2), true);
    stack_.reset();
    EXPECT_EQ(stack_.stackHeight(), 0);
    stack_.ShowPresenceNotice(u"Cid"_s, ContactId(3), true);
    EXPECT_EQ(stack_.notices().value(2)->frameGeometry().bottom() + 1,
              area_.bottom() + 1 - NoticeStack::kBottomGap);
    // The older notices closing later give back nothing: the new one keeps its place.
    for (NotifyDialog* notice : stack_.notices().mid(0, 2))
        notice->close();
    EXPECT_EQ(stack_.stackHeight(), frame_ + NoticeStack::kSpacing);
    stack_.ShowPresenceNotice(u"Dan"_s, ContactId(4), true);
    const QList<NotifyDialog*> open = stack_.notices();
    ASSERT_EQ(open.size(), 2);
    EXPECT_FALSE(Overlap(open[0], open[1]));
}

} // namespace
} // namespace quillo
