#pragma once
// Messenger: the program's windows from start to end. It loads the settings and the language,
// shows the splash while the start-up check runs, then (a second after the check lets the
// program go on) puts up the tray icon and the main window, and at the end saves the settings
// and takes the tray icon away. It owns the session engine, the windows and what joins them.
//
// Thread: the user-interface thread. One instance lives for the whole run.

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "app/session_engine.h"
#include "prefs/language_file.h"
#include "prefs/language_strings.h"
#include "prefs/settings.h"

class QAction;
class QUrl;
class QTimer;

namespace quillo {

class AboutBox;
class BusyCommand;
class PasswordVault;
struct PasswordKeeping;
class BuddyTree;
class BulkDialog;
class OptionDialog;
class ChatLogViewer;
class ChatWindow;
class EngineChatSession;
class MainWindow;
class NoticeStack;
class SessionDispatcher;
class SettingsStore;
class SplashScreen;
class TrayIcon;

class Messenger final : public QObject {
    Q_OBJECT
public:
    // store: where the settings live (the user's own store in the program). vault: where the
    // remembered password is kept (the system keyring in the program); none: in the store.
    Messenger(std::unique_ptr<SettingsStore> store, Endpoints endpoints,
              std::unique_ptr<PasswordVault> vault = nullptr, QObject* parent = nullptr);
    ~Messenger() override;

    // Shows the splash and starts the start-up check.
    void start();
    // Before start: the program starts in the tray (--minimized, as the autostart entry starts
    // it), without the splash, and the main window waits there until asked for. Without a
    // notification area the window shows as usual, or it could never be had.
    void setStartInTray(bool inTray) { startInTray_ = inTray; }

    // The Exit command of both menus.
    void exit();

    // Where a clicked banner's address goes (the default web browser); tests set their own.
    void setUrlOpener(std::function<void(const QUrl&)> opener) { urlOpener_ = std::move(opener); }
    // The user's own copy of the last banner shown, read when the main window shows.
    static QString bannerCacheFile();

    SessionEngine& engine() { return engine_; }
    MainWindow* mainWindow() const;
    SplashScreen* splash() const { return splash_.get(); }
    ChatWindow* chatWindow() const { return chatWindow_.get(); }
    BulkDialog* bulkDialog() const { return bulkDialog_.get(); }
    OptionDialog* optionDialog() const { return options_.get(); }

signals:
    // The program has saved what it keeps and may end.
    void finished();

private:
    bool startsInTray() const;
    void onStartupCheckDone(int newVersion);
    void createMainWindow();
    void createChatWindow();
    void connectChatWindow();
    void connectSocialCommands();
    void showPreferences();
    // The bulk dialog for the selected friends; prefill: with the recommendation's text.
    void openBulkDialog(int mode, bool prefill);
    void recommend(ContactId id, const QString& name);
    void applyWindowSizeRule();
    void applyChatWindowSizeRule();
    void placeBottomRight();
    void showMainWindow();
    void onMainWindowClosed();
    void checkForUpdate();
    void openMakerPage(const QString& path);
    void shutDown();
    void notePasswordKeeping(const PasswordKeeping& keeping);

    std::function<void(const QUrl&)> urlOpener_;
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<PasswordVault> vault_;
    bool passwordInFileNoted_ = false; // no keyring answered: the password is in the store
    Settings settings_;
    LanguageFile languageFile_;
    LanguageStrings strings_;
    SessionEngine engine_;
    std::unique_ptr<SplashScreen> splash_;
    std::unique_ptr<TrayIcon> tray_;
    bool startInTray_ = false;
    std::unique_ptr<NoticeStack> notices_;
    std::unique_ptr<EngineChatSession> chatSession_;
    std::unique_ptr<ChatWindow> chatWindow_;
    std::unique_ptr<ChatLogViewer> logViewer_;
    std::unique_ptr<BulkDialog> bulkDialog_;
    std::unique_ptr<OptionDialog> options_;
    QPointer<MainWindow> mainWindow_;
    BuddyTree* tree_ = nullptr;
    SessionDispatcher* dispatcher_ = nullptr;
    QString bannerLink_;                // the banner on show
    QPointer<BusyCommand> updateCheck_; // while a check for a newer version runs
    bool ended_ = false;
};

// Ends the application's event loop once the messenger has finished (Exit, a newer version).
void EndProgramWhenFinished(const Messenger& messenger);

} // namespace quillo
