// The bulk dialog on its own: who it sends to, what it shows while a worker reports, and how it
// opens and closes. Sending itself is in tests/social and tests/app/ui.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <gtest/gtest.h>

#include "contacts/ui/buddy_tree.h"
#include "prefs/language_strings.h"
#include "social/ui/bulk_dialog.h"
#include "social/ui/bulk_recipients.h"
#include "support/shipped_languages.h"

using namespace quillo;

namespace {

const QList<BulkRecipient> kThree = {
    {ContactId(1), QStringLiteral("Ann")},
    {ContactId(2), QStringLiteral("Bo")},
    {ContactId(3), QStringLiteral("Cy")},
};

class BulkDialogTest : public ::testing::Test {
protected:
    BulkDialogTest()
        : dialog_(strings_) {
        dialog_.setConfirm([this](QWidget*, const QString& question) {
            questions_.append(question);
            return answer_;
        });
        QObject::connect(&dialog_, &BulkDialog::sendRequested,
                         [this](const BulkJob& job) { jobs_.append(job); });
    }

    LanguageStrings strings_;
    BulkDialog dialog_;
    QStringList questions_;
    bool answer_ = true;
    QList<BulkJob> jobs_;
};

} // namespace

TEST(BulkRecipients, OnlyFriendsAmongTheFirstTwentySelectedEntries) {
    LanguageStrings strings;
    BuddyTree tree(strings);
    QList<BuddyEntry> contacts;
    for (int i = 1; i <= 30; ++i)
        contacts.append({ContactId(i), QStringLiteral("Friend %1").arg(i), i <= 15});
    tree.BuildBuddyTree(contacts);
    // 25 entries selected, the two groups among the first twenty.
    for (int i = 0; i < 5; ++i)
        tree.onlineGroup()->child(i)->setSelected(true);
    tree.onlineGroup()->setSelected(true);
    for (int i = 5; i < 10; ++i)
        tree.onlineGroup()->child(i)->setSelected(true);
    tree.offlineGroup()->setSelected(true);
    for (int i = 0; i < 13; ++i)
        tree.offlineGroup()->child(i)->setSelected(true);

    const QList<BulkRecipient> recipients = TakeSelectedRecipients(tree);
    ASSERT_EQ(recipients.size(), 18);
    EXPECT_EQ(recipients.first().id, ContactId(1));
    EXPECT_EQ(recipients.first().name, QStringLiteral("Friend 1"));
    EXPECT_EQ(recipients.last().id, ContactId(23)) << "the 20th entry is the 8th offline friend";
    EXPECT_FALSE(tree.onlineGroup()->isSelected());
    EXPECT_FALSE(tree.offlineGroup()->isSelected());

    tree.clearSelection();
    tree.onlineGroup()->setSelected(true);
    EXPECT_TRUE(TakeSelectedRecipients(tree).isEmpty());
    EXPECT_FALSE(tree.onlineGroup()->isSelected());
}

TEST_F(BulkDialogTest, OpensOnlyWithRecipientsAndKeepsWhatIsTypedInTheSameMode) {
    dialog_.OpenBulkDialog(BulkKind::WallPost, {}, false, QStringLiteral("Al"));
    EXPECT_TRUE(dialog_.isHidden());
    EXPECT_EQ(dialog_.mode(), 0);

    dialog_.OpenBulkDialog(BulkKind::WallPost, kThree, false, QStringLiteral("Al"));
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_EQ(dialog_.windowTitle(), strings_.text(LanguageKey::wallDlgCaption));
    EXPECT_TRUE(dialog_.subjectEdit()->isHidden());
    EXPECT_EQ(dialog_.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText(),
              QStringLiteral("Ann,\nBo,\nCy,"));
    dialog_.textEdit()->setPlainText(QStringLiteral("typed"));

    dialog_.OpenBulkDialog(BulkKind::WallPost, {kThree[0]}, true, QStringLiteral("Al"));
    EXPECT_EQ(dialog_.textEdit()->toPlainText(), QStringLiteral("typed"));
    EXPECT_EQ(dialog_.recipients().size(), 3);

    dialog_.OpenBulkDialog(BulkKind::PrivateMessage, {kThree[0]}, true, QStringLiteral("Al"));
    EXPECT_EQ(dialog_.recipients().size(), 1);
    EXPECT_EQ(dialog_.windowTitle(), strings_.text(LanguageKey::msgDlgCaption));
    EXPECT_FALSE(dialog_.subjectEdit()->isHidden());
    EXPECT_EQ(dialog_.subjectEdit()->text(), QStringLiteral("Al Recommends Quillo for Facebook"));
    EXPECT_TRUE(dialog_.textEdit()->toPlainText().contains(QStringLiteral("Al is using")));
    // The language text's LF CR breaks are single line breaks, as shown and as sent.
    const QString text = dialog_.textEdit()->toPlainText();
    EXPECT_FALSE(text.contains(QStringLiteral("\n\n"))) << text.toStdString();
    EXPECT_FALSE(text.contains(u'\r'));
    EXPECT_GT(text.count(u'\n'), 0);
}

TEST_F(BulkDialogTest, SendHandsOverTrimmedCopiesAndShowsEachReport) {
    dialog_.OpenBulkDialog(BulkKind::PrivateMessage, kThree, false, QString());
    dialog_.sendButton()->click();
    EXPECT_TRUE(jobs_.isEmpty()) << "no text, nothing to send";
    dialog_.textEdit()->setPlainText(QStringLiteral(" \n\t "));
    dialog_.sendButton()->click();
    EXPECT_TRUE(jobs_.isEmpty()) << "only spaces, nothing to send";
    EXPECT_TRUE(dialog_.progressPanel()->isHidden());

    dialog_.textEdit()->setPlainText(QStringLiteral("  hello  \n"));
    dialog_.subjectEdit()->setText(QStringLiteral(" news "));
    dialog_.sendButton()->click();
    ASSERT_EQ(jobs_.size(), 1);
    EXPECT_EQ(jobs_[0].kind, BulkKind::PrivateMessage);
    EXPECT_EQ(jobs_[0].text, QStringLiteral("hello"));
    EXPECT_EQ(jobs_[0].subject, QStringLiteral("news"));
    EXPECT_EQ(jobs_[0].recipients.size(), 3);
    EXPECT_FALSE(dialog_.progressPanel()->isHidden());
    EXPECT_EQ(dialog_.statusLabel()->text(), QStringLiteral("Please wait..."));

    const struct {
        int done;
        const char* status;
        bool ok;
    } reports[] = {{1, "Progress 1/3", false}, {2, "Progress 2/3", false}, {3, "Done", true}};
    for (const auto& report : reports) {
        dialog_.showRecipient(kThree[report.done - 1].name);
        EXPECT_EQ(dialog_.recipientLabel()->text(),
                  QStringLiteral("Sending to ") + kThree[report.done - 1].name);
        dialog_.SendProgress(report.done, 3);
        EXPECT_EQ(dialog_.statusLabel()->text(), QLatin1String(report.status));
        EXPECT_EQ(!dialog_.okButton()->isHidden(), report.ok);
    }
    EXPECT_EQ(dialog_.progressBar()->value(), dialog_.progressBar()->maximum());
    dialog_.runEnded(true);
    EXPECT_EQ(dialog_.statusLabel()->text(), QStringLiteral("Done"));

    dialog_.sendButton()->click();
    EXPECT_EQ(jobs_.size(), 2) << "a second Send while the first runs starts another";
    dialog_.SendProgress(1, 3);
    dialog_.runEnded(false);
    EXPECT_NE(dialog_.statusLabel()->text(), QStringLiteral("Done")) << "not everyone got it";
    EXPECT_FALSE(dialog_.okButton()->isHidden());
}

// The end of a run that did not reach everyone is told in the language of that moment.
TEST_F(BulkDialogTest, ASessionEndedRunIsToldInTheLanguageInUse) {
    dialog_.OpenBulkDialog(BulkKind::WallPost, kThree, false, QString());
    dialog_.textEdit()->setPlainText(QStringLiteral("hello"));
    for (const test::LanguageCase& language : test::kLanguageCases) {
        SCOPED_TRACE(language.name);
        strings_ = language.strings();
        dialog_.sendButton()->click();
        dialog_.SendProgress(1, 3);
        dialog_.runEnded(false);
        EXPECT_EQ(dialog_.statusLabel()->text(), strings_.text(LanguageKey::msgBulkSessionEnded));
        EXPECT_EQ(dialog_.statusLabel()->text() ==
                      DefaultLanguageText(LanguageKey::msgBulkSessionEnded),
                  !language.translatesLaterKeys);
    }
}

TEST_F(BulkDialogTest, CancelAsksOnlyWhenSomethingWasTyped) {
    dialog_.OpenBulkDialog(BulkKind::PrivateMessage, kThree, false, QString());
    dialog_.cancelButton()->click();
    EXPECT_TRUE(questions_.isEmpty());
    EXPECT_TRUE(dialog_.isHidden());
    EXPECT_EQ(dialog_.mode(), 0);

    dialog_.OpenBulkDialog(BulkKind::PrivateMessage, kThree, false, QString());
    dialog_.subjectEdit()->setText(QStringLiteral("s"));
    answer_ = false;
    dialog_.cancelButton()->click();
    EXPECT_EQ(questions_.size(), 1);
    EXPECT_TRUE(dialog_.isVisible());
    answer_ = true;
    dialog_.cancelButton()->click();
    EXPECT_TRUE(dialog_.isHidden());
}

TEST_F(BulkDialogTest, TheTextHoldsAtMost419Characters) {
    dialog_.OpenBulkDialog(BulkKind::WallPost, kThree, false, QString());
    dialog_.textEdit()->insertPlainText(QString(500, u'x'));
    EXPECT_EQ(dialog_.textEdit()->toPlainText().size(), BulkDialog::kMaxTextLength);
}
