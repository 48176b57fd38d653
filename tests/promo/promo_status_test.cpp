// The promotional posts across sessions and days, as the local stand-in records them: the
// consent asked once per address, the sign-in and sign-out statuses once a day, the link share
// at an address's first use, the chatting status once per session at four tabs.
#include <QDate>
#include <QJsonArray>
#include <gtest/gtest.h>

#include "harness/sign_in_as.h"
#include "harness/standin_process.h"
#include "platform/memory_settings_store.h"
#include "prefs/language_strings.h"
#include "prefs/settings.h"
#include "promo/promo_status.h"
#include "session/http_layer.h"
#include "session/session_state.h"
#include "support/qt_printers.h"

using namespace quillo;
using namespace quillo::test;

namespace {

const QString kEmail = QStringLiteral("alice@quillo.test");

class PromoTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(standin_.started()) << standin_.problem().toStdString(); }

    // The Sign in button's consent step, then a session up to its first buddy list.
    void signIn(bool answer) {
        AskStatusConsent(context_, kEmail, [&](const QString& question) {
            questions_.append(question);
            return answer;
        });
        ASSERT_TRUE(SignInAs(state_, *http_, kEmail, QStringLiteral("alice")));
        PostSignInStatus(context_);
    }

    // The kinds of posts recorded since the last call, each status with the three words after
    // the user's name ("has signed into").
    QStringList newPosts() {
        const QJsonArray all = standin_.records(QStringLiteral("posts"));
        QStringList kinds;
        for (qsizetype i = seen_; i < all.size(); ++i) {
            QString kind = all[i][u"kind"].toString();
            for (const QJsonValue& field : all[i][u"fields"].toArray())
                if (field[0].toString() == u"status")
                    kind += u' ' + field[1].toString().section(u' ', 2, 4);
            kinds.append(kind);
        }
        seen_ = all.size();
        return kinds;
    }

    StandInProcess standin_;
    SessionState state_;
    std::unique_ptr<HttpLayer> http_ = std::make_unique<HttpLayer>(state_, standin_.endpoints());
    MemorySettingsStore store_;
    Settings settings_;
    PromoState promo_;
    LanguageStrings strings_;
    PromoContext context_{store_, settings_, promo_, state_, *http_, strings_};
    QStringList questions_;
    qsizetype seen_ = 0;
};

} // namespace

TEST_F(PromoTest, YesPostsOncePerDayAndSharesTheLinkAtFirstUseOnly) {
    signIn(true);
    EXPECT_EQ(questions_.size(), 1);
    EXPECT_EQ(questions_.constFirst(), strings_.text(LanguageKey::msgPromote));
    EXPECT_EQ(newPosts(), (QStringList{"status has signed into", "share_stage", "share"}));
    Settings fresh; // as at the next start
    const StoreResult<bool> firstUse = ReadAccountConsent(store_, kEmail, fresh);
    EXPECT_TRUE(firstUse.ok());
    EXPECT_FALSE(firstUse.value()) << "the answer is stored under the address";
    EXPECT_TRUE(fresh.ShowStatus) << "and it was Yes";
    PostSignOutStatus(context_);
    EXPECT_EQ(newPosts(), (QStringList{"status has signed out"}));

    signIn(true); // the same day
    EXPECT_EQ(questions_.size(), 1) << "asked once per address";
    PostSignOutStatus(context_);
    EXPECT_TRUE(newPosts().isEmpty()) << "a second session of the day posts nothing";

    MarkStatusPostedToday(store_, kEmail, QDate::currentDate().addDays(-1));
    signIn(true); // as on the next day
    PostSignOutStatus(context_);
    EXPECT_EQ(newPosts(), (QStringList{"status has signed into", "status has signed out"}))
        << "no link share after the address's first use";
}

TEST_F(PromoTest, NoPostsNothingAndIsNotAskedAgain) {
    signIn(false);
    PostChattingStatus(context_, 4);
    PostSignOutStatus(context_);
    signIn(false);
    EXPECT_EQ(questions_.size(), 1);
    EXPECT_TRUE(newPosts().isEmpty());
}

TEST_F(PromoTest, ChattingStatusAtFourTabsOncePerSession) {
    signIn(true);
    newPosts();
    for (int tabs : {3, 5, 4, 4, 3, 4})
        PostChattingStatus(context_, tabs);
    EXPECT_EQ(newPosts(), (QStringList{"status is chatting with"}));
    const QJsonArray posts = standin_.records(QStringLiteral("posts"));
    for (const QJsonValue& field : posts.last()[u"fields"].toArray()) {
        if (field[0].toString() == u"status") {
            EXPECT_TRUE(field[1].toString().startsWith(u"Alice Lindqvist is chatting"))
                << "the name is decoded";
        }
    }

    signIn(true);
    newPosts();
    PostChattingStatus(context_, 4);
    EXPECT_EQ(newPosts(), (QStringList{"status is chatting with"})) << "again in the next session";
}
