// The preferences dialog mirrors every flag both ways; storing and applying them is the
// program's (tests/app/ui).
#include <QCheckBox>
#include <gtest/gtest.h>

#include "prefs/language_strings.h"
#include "prefs/settings.h"
#include "prefs/ui/option_dialog.h"

using namespace quillo;

TEST(OptionDialog, EveryBoxMirrorsItsFlagBothWays) {
    const struct {
        const char* box;
        std::atomic<bool> Settings::*flag;
    } boxes[] = {
        {"chkAutorun", &Settings::Autorun},
        {"ChkAutoUpdate", &Settings::AutoUpdate},
        {"chkShowLastMsg", &Settings::ShowLastMsg},
        {"chkAutoClearHistory", &Settings::AutoClearHistory},
        {"chkturnofnotify", &Settings::TurnOffNotify},
        {"chkHideoffline", &Settings::HideOffline},
        {"chkRememberMain", &Settings::RememberMainWindowSize},
        {"chkRememberSize", &Settings::RememberWindowSize},
        {"chkDisableChatlog", &Settings::DisableChatLog},
        {"chkShowStatus", &Settings::ShowStatus},
    };
    LanguageStrings strings;
    OptionDialog dialog(strings);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Preferences"));
    for (const auto& one : boxes) {
        SCOPED_TRACE(one.box);
        ASSERT_NE(dialog.box(one.box), nullptr);
        // Only this flag on: only its box ticks, and back only this flag comes on.
        Settings settings;
        settings.*one.flag = true;
        dialog.load(settings);
        for (const auto& other : boxes)
            EXPECT_EQ(dialog.box(other.box)->isChecked(), other.flag == one.flag) << other.box;
        Settings back;
        dialog.store(back);
        for (const auto& other : boxes)
            EXPECT_EQ((back.*other.flag).load(), other.flag == one.flag) << other.box;
    }
}
