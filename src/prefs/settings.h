#pragma once
// The user's preferences (Settings), the demographic values (TDemographic), and the operations
// that keep them, the remembered credentials, the per-account values and the window sizes in
// the settings store.
//
// Threads: the operations run on the user-interface thread. Worker threads read single flags
// (AutoUpdate in the start-up check, for one) while the user-interface thread may change them,
// so every flag is an atomic; texts are SharedText, replaced as a whole (the start-up check
// writes IP and Mac from its thread).
// Ownership: one Settings and one TDemographic live for the whole process, owned by the
// program's entry and passed by reference; the operations keep nothing.

#include <QDate>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <atomic>

#include "platform/password_vault.h"
#include "platform/settings_store.h"
#include "session/session_state.h"

namespace quillo {

// Created all false and empty; LoadSettings sets the defaults.
struct Settings {
    std::atomic<bool> AutoDetectLanguage{false};
    std::atomic<bool> AutoSignin{false};
    std::atomic<bool> Autorun{false};
    std::atomic<bool> AutoUpdate{false};
    std::atomic<bool> HideOffline{false};
    std::atomic<bool> TurnOffNotify{false};
    std::atomic<bool> RememberSignin{false};
    std::atomic<bool> ShowStatus{false}; // the consent of the signed-in account
    std::atomic<bool> ShowDemoGraphics{false};
    std::atomic<bool> ShowLastMsg{false};
    std::atomic<bool> AutoClearHistory{false};
    std::atomic<bool> RememberMainWindowSize{false};
    std::atomic<bool> RememberWindowSize{false};
    std::atomic<bool> DisableChatLog{false};
    SharedText CurrentLang; // language file name: language name + ".lang"
};

struct TDemographic {
    SharedText Gender;          // stored
    SharedText Age;             // stored, an age band
    SharedText Education;       // stored
    SharedText AnnualHouseHold; // stored, an income band
    SharedText Language;        // detected at load
    SharedText Country;         // detected at load
    SharedText IP;              // the public address, found by the start-up check
    SharedText Mac;             // 12 hexadecimal digits, made by the start-up check
};

// What a load or a save with a vault did about the remembered password, for the window to tell
// the user.
struct PasswordKeeping {
    // No keyring answered: a save kept the password in the settings file instead (readable by
    // its owner only), or a load could not read the password left in the keyring.
    bool noKeyring = false;
};

// Fills settings, the stored demographic values and the credentials of session from the store,
// and detects Language and Country. A value that cannot be read (of the wrong type, say) is
// skipped: its field keeps its default and every other value still loads.
// With a vault and RememberSignin, a password the store does not hold is read from the vault
// under the stored Email. One the store does hold (written by an older version, or kept there
// when no keyring answered) wins; the next save moves it. keeping, when given, is set anew.
void LoadSettings(SettingsStore& store, Settings& settings, TDemographic& demographic,
                  SessionState& session, PasswordVault* vault = nullptr,
                  PasswordKeeping* keeping = nullptr);

// Writes settings, the credentials (empty texts unless RememberSignin) and the four stored
// demographic values. Stops at the first write that fails and reports it; values written before
// it stay written.
// With a vault and RememberSignin, the password goes into the vault under Email and the stored
// "Password" is written empty; when the vault does not answer, the store keeps the password as
// it does without a vault, and keeping says so. The account remembered before loses its vault
// entry when another one takes its place. An empty password leaves the vault as it is (one
// that could not be read at load is not lost). Without RememberSignin the vault forgets the
// passwords of the account the store remembered and of session's. keeping, when given, is set
// anew.
StoreStatus SaveSettings(SettingsStore& store, const Settings& settings,
                         const TDemographic& demographic, const SessionState& session,
                         PasswordVault* vault = nullptr, PasswordKeeping* keeping = nullptr);

// True when the account has never answered the promotional-status question. Otherwise its
// answer is loaded into settings.ShowStatus and the result is false (also when the store
// fails, which the status reports; ShowStatus is then left alone).
StoreResult<bool> ReadAccountConsent(SettingsStore& store, const QString& email,
                                     Settings& settings);
StoreStatus WriteAccountConsent(SettingsStore& store, const QString& email, bool on);

// Whether the promotional status of the account was posted on the calendar day today.
StoreResult<bool> WasStatusPostedToday(SettingsStore& store, const QString& email,
                                       QDate today = QDate::currentDate());
StoreStatus MarkStatusPostedToday(SettingsStore& store, const QString& email,
                                  QDate today = QDate::currentDate());

// A stored window size in pixels; 0 stands for "not stored".
struct WindowSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const WindowSize&) const = default;
};

StoreStatus SaveChatWindowSize(SettingsStore& store, int width, int height);
StoreStatus SaveMainWindowSize(SettingsStore& store, int width, int height);
// Each dimension is 0 when it is not stored or cannot be read (the status says which failed).
StoreResult<WindowSize> LoadChatWindowSize(SettingsStore& store);
StoreResult<WindowSize> LoadMainWindowSize(SettingsStore& store);

// The chat window's size from the stored one (zeros when it is not to be remembered): a missing
// width is half the screen width minus 20, a missing height half the screen height plus 10. A
// stored value of zero or less counts as missing, here and for the main window.
QSize ChatWindowSizeRule(WindowSize stored, QSize screen);

struct MainWindowPlacement {
    QSize size;
    bool move = false; // place the window at topLeft; otherwise leave its position alone
    QPoint topLeft;
};

// The main window's size and place from the stored size (zeros when it is not to be
// remembered): a missing width is 350; a missing height docks the window to the right edge of
// the screen, screen height minus 100 tall and 30 pixels above the bottom.
MainWindowPlacement MainWindowPlacementRule(WindowSize stored, QRect screen);

// The rules above on the sizes the store holds, read only when the matching Remember flag is
// on. A size that cannot be read counts as not stored. screen: the part of the screen that
// windows may take, without the desktop's panels.
QSize ChatWindowSizeFor(SettingsStore& store, const Settings& settings, QSize screen);
MainWindowPlacement MainWindowPlacementFor(SettingsStore& store, const Settings& settings,
                                           QRect screen);

} // namespace quillo
