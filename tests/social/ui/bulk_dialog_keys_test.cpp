// The bulk dialog by keys and through a screen reader: the keys start in the text, Tab leaves it
// for the buttons, Enter presses the button that has the focus, Escape cancels, and every control
// the keys reach has a name.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

#include "prefs/language_strings.h"
#include "social/ui/bulk_dialog.h"
#include "support/keyboard_walk.h"

using namespace quillo;

namespace {

const QList<BulkRecipient> kTwo = {{ContactId(1), QStringLiteral("Ann")},
                                   {ContactId(2), QStringLiteral("Bo")}};

class BulkDialogKeys : public ::testing::Test {
protected:
    BulkDialogKeys()
        : dialog_(strings_) {
        dialog_.setConfirm([this](QWidget*, const QString&) {
            ++questions_;
            return true;
        });
        QObject::connect(&dialog_, &BulkDialog::sendRequested,
                         [this](const BulkJob& job) { jobs_.append(job); });
    }

    void open(BulkKind kind) {
        dialog_.OpenBulkDialog(kind, kTwo, false, QStringLiteral("Al"));
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
    }
    QWidget* focus() const { return QApplication::focusWidget(); }

    LanguageStrings strings_;
    BulkDialog dialog_;
    int questions_ = 0;
    QList<BulkJob> jobs_;
};

TEST_F(BulkDialogKeys, TabGoesFromTheTextToTheButtonsInEachMode) {
    const struct {
        BulkKind kind;
        QStringList chain; // from the list of friends on
    } cases[] = {
        {BulkKind::WallPost, {"RichEdit1", "msgDlgSend", "CancelBtn", "Memo1"}},
        {BulkKind::PrivateMessage, {"Edit1", "RichEdit1", "msgDlgSend", "CancelBtn", "Memo1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.kind));
        open(c.kind);
        EXPECT_EQ(focus(), dialog_.textEdit()) << "the keys start where the text is typed";
        QTest::keyClicks(focus(), QStringLiteral("hi"));
        EXPECT_EQ(test::TabChain(dialog_.findChild<QWidget*>(QStringLiteral("Memo1")),
                                 int(c.chain.size())),
                  c.chain);
        EXPECT_EQ(dialog_.textEdit()->toPlainText(), QStringLiteral("hi")) << "Tab typed nothing";
        dialog_.textEdit()->clear();
        dialog_.subjectEdit()->clear();
        dialog_.close(); // the next opening starts afresh
    }
}

TEST_F(BulkDialogKeys, EnterPressesTheFocusedButtonAndEscapeCancels) {
    open(BulkKind::WallPost);
    QTest::keyClicks(dialog_.textEdit(), QStringLiteral("hello all"));
    dialog_.sendButton()->setFocus();
    QTest::keyClick(dialog_.sendButton(), Qt::Key_Return);
    ASSERT_EQ(jobs_.size(), 1);

    // Done: the one button over the overlay has the keys, and Enter closes.
    dialog_.SendProgress(2, 2);
    EXPECT_EQ(focus(), dialog_.okButton());
    QTest::keyClick(focus(), Qt::Key_Return);
    EXPECT_FALSE(dialog_.isVisible());

    // Cancel by Enter on it, and by Escape from the text: both ask, since text was typed.
    open(BulkKind::WallPost);
    QTest::keyClicks(dialog_.textEdit(), QStringLiteral("x"));
    dialog_.cancelButton()->setFocus();
    QTest::keyClick(dialog_.cancelButton(), Qt::Key_Return);
    EXPECT_FALSE(dialog_.isVisible());
    open(BulkKind::WallPost);
    QTest::keyClicks(dialog_.textEdit(), QStringLiteral("x"));
    QTest::keyClick(dialog_.textEdit(), Qt::Key_Escape);
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_EQ(questions_, 2);
}

TEST_F(BulkDialogKeys, EveryControlTheKeysReachHasAName) {
    for (const BulkKind kind : {BulkKind::WallPost, BulkKind::PrivateMessage}) {
        open(kind);
        EXPECT_EQ(test::UnnamedControls(&dialog_), QStringList());
        dialog_.close();
    }
}

} // namespace
