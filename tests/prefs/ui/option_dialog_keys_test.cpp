// The preferences dialog by keys and through a screen reader: Tab goes down the boxes to OK and
// Cancel, Space ticks, Enter is OK, Escape is Cancel, and every control has a name.
#include <QApplication>
#include <QCheckBox>
#include <QTest>
#include <gtest/gtest.h>

#include "prefs/language_strings.h"
#include "prefs/settings.h"
#include "prefs/ui/option_dialog.h"
#include "support/keyboard_walk.h"

using namespace quillo;

namespace {

TEST(OptionDialogKeys, TabGoesDownTheBoxesToTheButtonsAndEveryControlHasAName) {
    LanguageStrings strings;
    OptionDialog dialog(strings);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(
        test::TabChain(dialog.box("chkAutorun"), 12),
        (QStringList{"ChkAutoUpdate", "chkShowLastMsg", "chkAutoClearHistory", "chkturnofnotify",
                     "chkHideoffline", "chkRememberMain", "chkRememberSize", "chkDisableChatlog",
                     "chkShowStatus", "PreferencesOKBtn", "PreferencesCancelBtn", "chkAutorun"}));
    EXPECT_EQ(test::UnnamedControls(&dialog), QStringList());
}

TEST(OptionDialogKeys, SpaceTicksEnterIsOkAndEscapeIsCancel) {
    const struct {
        const char* name;
        Qt::Key closing;
        int result;
    } cases[] = {
        {"Enter", Qt::Key_Return, QDialog::Accepted},
        {"Escape", Qt::Key_Escape, QDialog::Rejected},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LanguageStrings strings;
        OptionDialog dialog(strings);
        Settings settings;
        dialog.load(settings);
        dialog.open();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        QCheckBox* box = dialog.box("chkHideoffline");
        box->setFocus(Qt::TabFocusReason);
        QTest::keyClick(box, Qt::Key_Space);
        QTest::keyClick(box, c.closing);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), c.result);
        // The program keeps what an accepted dialog shows, and only that.
        dialog.store(settings);
        EXPECT_TRUE(settings.HideOffline.load()) << "Space ticked the box that had the keys";
    }
}

} // namespace
