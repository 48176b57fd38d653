// Wall posts, status updates, private messages and link shares as the local stand-in records
// them: every field by name, in order, with the session's tokens and the composer id that the
// scraped page offered.
#include <QJsonArray>
#include <gtest/gtest.h>

#include "harness/demo_accounts.h"
#include "harness/sign_in_as.h"
#include "harness/standin_process.h"
#include "session/http_layer.h"
#include "session/session_state.h"
#include "social/bulk_send.h"
#include "social/social_requests.h"
#include "support/qt_printers.h"

using namespace quillo;
using namespace quillo::test;

namespace {

using Fields = QList<std::pair<QString, QString>>;

class SocialTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(standin_.started()) << standin_.problem().toStdString();
        http_ = std::make_unique<HttpLayer>(state_, standin_.endpoints());
        ASSERT_TRUE(
            SignInAs(state_, *http_, QStringLiteral("alice@quillo.test"), QStringLiteral("alice")));
    }

    struct Post {
        QString kind;
        QString path;
        Fields fields;
        QString field(const QString& name) const {
            for (const auto& [n, v] : fields)
                if (n == name)
                    return v;
            return QStringLiteral("<missing>");
        }
    };
    QList<Post> posts() {
        QList<Post> out;
        for (const QJsonValue& p : standin_.records(QStringLiteral("posts"))) {
            Post post{p[u"kind"].toString(), p[u"path"].toString(), {}};
            for (const QJsonValue& pair : p[u"fields"].toArray())
                post.fields.append({pair[0].toString(), pair[1].toString()});
            out.append(post);
        }
        return out;
    }
    QStringList namesOf(const Fields& fields) {
        QStringList names;
        for (const auto& field : fields)
            names.append(field.first);
        return names;
    }

    StandInProcess standin_;
    SessionState state_;
    std::unique_ptr<HttpLayer> http_;
};

} // namespace

TEST_F(SocialTest, WallPostAndStatusUpdateCarryEveryFieldInOrder) {
    const QString text = QStringLiteral("Grattis på födelsedagen! 🎂 <3 & more");
    EXPECT_TRUE(PostToProfile(*http_, state_, kZoe, text));
    EXPECT_TRUE(PostToProfile(*http_, state_, kAlice, QStringLiteral("at my desk")));

    const QList<Post> recorded = posts();
    ASSERT_EQ(recorded.size(), 2);
    const Post& wall = recorded[0];
    EXPECT_EQ(wall.kind, u"wall");
    EXPECT_EQ(wall.path, u"/ajax/updatestatus.php");
    const QString composer = wall.field(QStringLiteral("composer_id"));
    EXPECT_NE(composer, u"0") << "the profile page offered its composer";
    EXPECT_EQ(wall.fields, (Fields{{"action", "PROFILE_UPDATE"},
                                   {"profile_id", kAlice},
                                   {"status", text},
                                   {"target_id", kZoe},
                                   {"app_id", ""},
                                   {"composer_id", composer},
                                   {"display_context", "profile"},
                                   {"mentions_suggest", "1"},
                                   {"post_form_id", state_.PostFormId.get()},
                                   {"fb_dtsg", state_.Dtsg.get()},
                                   {"_log_display_context", "profile"},
                                   {"ajax_log", "1"},
                                   {"post_form_id_source", "AsyncRequest"},
                                   {"__a", "1"}}));
    EXPECT_EQ(recorded[1].kind, u"status") << "the user's own id as target is a status update";
    EXPECT_EQ(recorded[1].field(QStringLiteral("target_id")), kAlice);
}

TEST_F(SocialTest, PrivateMessageNamesTheRecipientTwice) {
    EXPECT_TRUE(SendPrivateMessage(*http_, state_, kBob,
                                   QStringLiteral("See you at 8?\nBring cake"),
                                   QStringLiteral("Friday")));
    const QList<Post> recorded = posts();
    ASSERT_EQ(recorded.size(), 1);
    const Post& message = recorded[0];
    EXPECT_EQ(message.kind, u"message");
    EXPECT_EQ(message.path, u"/ajax/gigaboxx/endpoint/MessageComposerEndpoint.php");
    const QString composer = message.field(QStringLiteral("composer_id"));
    EXPECT_NE(composer, u"0");
    EXPECT_EQ(namesOf(message.fields),
              (QStringList{"status", "subject", "ids_" + composer + "[0]", "ids[0]", "action",
                           "home_tab_id", "profile_id", "target_id", "app_id", "composer_id",
                           "display_context", "mentions_suggest", "post_form_id", "fb_dtsg",
                           "_log_action", "ajax_log", "post_form_id_source", "__a"}));
    EXPECT_EQ(message.field(QStringLiteral("status")), u"See you at 8?\nBring cake");
    EXPECT_EQ(message.field(QStringLiteral("subject")), u"Friday");
    EXPECT_EQ(message.field("ids_" + composer + "[0]"), kBob);
    EXPECT_EQ(message.field(QStringLiteral("ids[0]")), kBob);
    EXPECT_EQ(message.field(QStringLiteral("target_id")), u"0");
}

TEST_F(SocialTest, PageWithoutComposerStillPostsWithComposerZero) {
    standin_.control(QStringLiteral("faults"), {{"path", "/profile.php"},
                                                {"action", "body"},
                                                {"body", "<html><body>Profile</body></html>"}});
    EXPECT_TRUE(PostToProfile(*http_, state_, kZoe, QStringLiteral("hi")));
    EXPECT_TRUE(SendPrivateMessage(*http_, state_, kBob, QStringLiteral("hi"), QString()));
    const QList<Post> recorded = posts();
    ASSERT_EQ(recorded.size(), 2);
    EXPECT_EQ(recorded[0].field(QStringLiteral("composer_id")), u"0");
    EXPECT_EQ(recorded[1].field(QStringLiteral("composer_id")), u"0");
    EXPECT_EQ(recorded[1].field(QStringLiteral("ids_0[0]")), kBob);
}

TEST_F(SocialTest, LinkShareGoesThroughTheAttachmentStage) {
    const QString url = QStringLiteral("http://www.quillo.test/");
    EXPECT_TRUE(ShareLink(*http_, state_, url));
    const QList<Post> recorded = posts();
    ASSERT_EQ(recorded.size(), 2);
    EXPECT_EQ(recorded[0].kind, u"share_stage");
    EXPECT_EQ(recorded[0].field(QStringLiteral("data[url]")), url);
    const Post& share = recorded[1];
    EXPECT_EQ(share.kind, u"share");
    EXPECT_EQ(share.path, u"/ajax/profile/composer.php");
    EXPECT_EQ(share.field(QStringLiteral("attachment[params][url]")), url);
    EXPECT_EQ(share.field(QStringLiteral("attachment[params][title]")),
              u"Quillo for Facebook - it's chat, on your desktop")
        << "the title the stage offered goes back, its &#039; undone";
    EXPECT_EQ(share.field(QStringLiteral("attachment[params][summary]")),
              u"Chat with your Facebook friends without a browser: tabs, emoticons, logs &amp; "
              u"notifications.");
    EXPECT_EQ(share.field(QStringLiteral("comment_text")), u"'");
    EXPECT_EQ(share.field(QStringLiteral("composer_id")),
              recorded[0].field(QStringLiteral("composer_id")));
}

TEST_F(SocialTest, StaleTokensOrAnEndedSessionAreFailures) {
    const QString fresh = state_.PostFormId.get();
    state_.PostFormId.set(QStringLiteral("0123456789abcdef"));
    EXPECT_FALSE(PostToProfile(*http_, state_, kZoe, QStringLiteral("hi")));
    EXPECT_FALSE(SendPrivateMessage(*http_, state_, kBob, QStringLiteral("hi"), QString()));
    state_.PostFormId.set(fresh);
    standin_.control(QStringLiteral("act"), {{"as", kAlice}, {"expire", true}});
    EXPECT_FALSE(PostToProfile(*http_, state_, kZoe, QStringLiteral("hi")));
    EXPECT_TRUE(posts().isEmpty());
}

TEST_F(SocialTest, BulkSendGoesToEveryRecipientInOrderAndReportsEach) {
    const QList<BulkRecipient> three = {{ContactId::fromText(kZoe), QStringLiteral("Zoë")},
                                        {ContactId::fromText(kBob), QStringLiteral("Bob")},
                                        {ContactId::fromText(kLukasz), QStringLiteral("Łukasz")}};
    struct Case {
        BulkKind kind;
        const char* recorded; // the stand-in's kind of post
        const char* recipientField;
    };
    const Case cases[] = {{BulkKind::WallPost, "wall", "target_id"},
                          {BulkKind::PrivateMessage, "message", "ids[0]"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.recorded);
        standin_.control(QStringLiteral("reset"));
        ASSERT_TRUE(
            SignInAs(state_, *http_, QStringLiteral("alice@quillo.test"), QStringLiteral("alice")));
        QStringList reports;
        BulkReports on;
        on.sendingTo = [&](const QString& name) { reports.append(name); };
        on.progress = [&](int done, int total) {
            reports.append(QStringLiteral("%1/%2").arg(done).arg(total));
        };
        BulkJob job{c.kind, three, QStringLiteral("Try Quillo"), QStringLiteral("Hi")};
        EXPECT_TRUE(RunBulkSend(*http_, state_, job, on));
        EXPECT_EQ(reports, (QStringList{"Zoë", "1/3", "Bob", "2/3", "Łukasz", "3/3"}));
        const QList<Post> recorded = posts();
        ASSERT_EQ(recorded.size(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(recorded[i].kind, QLatin1String(c.recorded));
            EXPECT_EQ(recorded[i].field(QLatin1String(c.recipientField)), three[i].id.toText());
            EXPECT_EQ(recorded[i].field(QStringLiteral("status")), u"Try Quillo");
        }
    }
}

TEST_F(SocialTest, BulkSendGoesOnPastAFailedRecipientAndStopsWhenTheSessionEnds) {
    const QList<BulkRecipient> two = {{ContactId::fromText(kZoe), QStringLiteral("Zoë")},
                                      {ContactId::fromText(kBob), QStringLiteral("Bob")}};
    standin_.control(QStringLiteral("faults"),
                     {{"path", "/ajax/updatestatus.php"}, {"action", "status"}, {"count", 1}});
    int progress = 0;
    BulkReports on;
    on.progress = [&](int done, int) { progress = done; };
    EXPECT_TRUE(
        RunBulkSend(*http_, state_, {BulkKind::WallPost, two, QStringLiteral("x"), {}}, on));
    EXPECT_EQ(progress, 2) << "a failed recipient does not stop the run";
    EXPECT_EQ(posts().size(), 1);

    // The session ends after the first recipient: the second is never sent to.
    on.progress = [&](int done, int) {
        progress = done;
        state_.Stopping = true;
    };
    EXPECT_FALSE(
        RunBulkSend(*http_, state_, {BulkKind::WallPost, two, QStringLiteral("y"), {}}, on));
    EXPECT_EQ(progress, 1);
    EXPECT_EQ(posts().size(), 2);
}
