#include "app/ui/messenger.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include "app/ui/busy_command.h"
#include "app/ui/engine_chat_session.h"
#include "app/ui/main_window.h"
#include "app/ui/picture_decoder.h"
#include "app/ui/session_dispatcher.h"
#include "app/ui/splash_screen.h"
#include "contacts/buddy_list.h"
#include "contacts/ui/buddy_tree.h"
#include "conversation/emoticons.h"
#include "conversation/shown_text.h"
#include "conversation/text_codecs.h"
#include "conversation/ui/chat_log_viewer.h"
#include "conversation/ui/chat_window.h"
#include "conversation/ui/link_label.h"
#include "desktop/ui/about_box.h"
#include "desktop/ui/notice_stack.h"
#include "desktop/ui/tray_icon.h"
#include "desktop/ui/window_flash.h"
#include "platform/autorun.h"
#include "platform/folders.h"
#include "platform/ui/placement.h"
#include "platform/ui/plain_text.h"
#include "prefs/language_detect.h"
#include "prefs/ui/language_captions.h"
#include "prefs/ui/option_dialog.h"
#include "promo/banners.h"
#include "social/ui/bulk_dialog.h"
#include "social/ui/bulk_recipients.h"

namespace quillo {

namespace {

// A banner's bytes as a picture the strip can show, at most the strip's height in the screen's
// pixels (ratio); null when they are not one. Runs on the banner worker.
QVariant decodeBanner(const QByteArray& bytes, const QByteArray& format, qreal ratio) {
    const int height = qRound(MainWindow::kBannerHeight * ratio);
    const QImage picture = DecodePicture(bytes, QSize(kLargestPictureSide, height), format);
    return picture.isNull() ? QVariant() : QVariant::fromValue(picture);
}

// The screen less the desktop's panels: windows never reach under them.
QRect screenArea() {
    return availableArea(nullptr);
}

} // namespace

Messenger::Messenger(std::unique_ptr<SettingsStore> store, Endpoints endpoints,
                     std::unique_ptr<PasswordVault> vault, QObject* parent)
    : QObject(parent)
    , urlOpener_([](const QUrl& url) { QDesktopServices::openUrl(url); })
    , store_(std::move(store))
    , vault_(std::move(vault))
    , engine_(std::move(endpoints), strings_) {}

Messenger::~Messenger() {
    delete mainWindow_;
}

// The user's own: another account of the computer neither sees nor plants it.
QString Messenger::bannerCacheFile() {
    return UserDataFolder() + QStringLiteral("/banner.bmp");
}

MainWindow* Messenger::mainWindow() const {
    return mainWindow_;
}

void Messenger::start() {
    QDir().mkpath(DataFolder()); // a failure shows later, where files are written
    PasswordKeeping keeping;
    LoadSettings(*store_, settings_, engine_.demographic(), engine_.state(), vault_.get(),
                 &keeping);
    notePasswordKeeping(keeping);
    settings_.CurrentLang.set(DetectLanguage() + QStringLiteral(".lang"));
    languageFile_ = LanguageFile::Load(LanguageFilePath(settings_.CurrentLang.get()));
    LoadLanguageStrings(languageFile_, strings_);

    splash_ = std::make_unique<SplashScreen>();
    ApplyLanguageCaptions(languageFile_, splash_.get());
    if (!settings_.AutoUpdate)
        splash_->setStatus(QString());
    tray_ = std::make_unique<TrayIcon>();
    connect(tray_.get(), &TrayIcon::showMainWindowRequested, this, &Messenger::showMainWindow);
    connect(tray_.get(), &TrayIcon::exitRequested, this, &Messenger::exit);
    notices_ = std::make_unique<NoticeStack>(strings_);
    connect(notices_.get(), &NoticeStack::showMainWindowRequested, this,
            &Messenger::showMainWindow);

    connect(&engine_, &SessionEngine::startupCheckDone, this, &Messenger::onStartupCheckDone);
    engine_.setAutoUpdate(settings_.AutoUpdate);
    engine_.setReplayHistory(settings_.ShowLastMsg);
    engine_.enablePromotion(*store_, settings_);
    // The strip fits a taller banner to its height at the screen's pixels (MainWindow).
    engine_.enableBanners(
        [ratio = qApp->devicePixelRatio()](const QByteArray& bytes, const QByteArray& format) {
            return decodeBanner(bytes, format, ratio);
        });
    engine_.enablePictures(&DecodeShownPicture);
    createChatWindow();
    if (!startsInTray())
        splash_->show();
    engine_.runStartupCheck();
}

bool Messenger::startsInTray() const {
    return startInTray_ && TrayIcon::trayAvailable();
}

void Messenger::onStartupCheckDone(int newVersion) {
    if (newVersion == 1) {
        inform(splash_.get(), WithSingleLineBreaks(strings_.text(LanguageKey::msgNewVersion)));
        openMakerPage(QStringLiteral("/download"));
        shutDown();
        return;
    }
    QTimer::singleShot(1000, this, &Messenger::createMainWindow);
}

void Messenger::createMainWindow() {
    if (mainWindow_ || ended_)
        return;
    settings_.ShowDemoGraphics = false;
    tray_->show();

    auto* window = new MainWindow(strings_);
    mainWindow_ = window;
    tree_ = new BuddyTree(strings_, window);
    tree_->ApplyHideOffline(settings_.HideOffline);
    // A snapshot names new online friends by id only; the last buddy-list answer knows them.
    tree_->setNameLookup([this](ContactId id) {
        return NameFromBuddyTail(id.toText(), engine_.state().BuddyTail.get());
    });
    window->setContactTree(tree_);
    dispatcher_ =
        new SessionDispatcher(engine_, *window, *tree_, strings_, settings_, *store_, this);
    engine_.enableErrorReports(settings_.CurrentLang.get());
    dispatcher_->setPasswordVault(vault_.get());
    connect(dispatcher_, &SessionDispatcher::trayStateChanged, this,
            [this](int state) { tray_->SetTrayState(static_cast<TrayState>(state)); });
    connect(dispatcher_, &SessionDispatcher::signOutEnabledChanged, tray_.get(),
            &TrayIcon::setSignOutEnabled);
    connect(dispatcher_, &SessionDispatcher::presenceNotice, notices_.get(),
            &NoticeStack::ShowPresenceNotice);
    connect(dispatcher_, &SessionDispatcher::sessionStarted, this, [this] {
        notices_->reset();
        notices_->setUserFirstName(DecodeUnicodeEscapes(engine_.state().FirstName.get()));
    });
    connect(notices_.get(), &NoticeStack::openChatRequested, tree_, &BuddyTree::openChatWith);
    connectChatWindow();
    connectSocialCommands();
    connect(tray_.get(), &TrayIcon::signOutRequested, dispatcher_, &SessionDispatcher::SignOut);

    connect(window, &MainWindow::exitRequested, this, &Messenger::exit);
    connect(window, &MainWindow::closedByUser, this, &Messenger::onMainWindowClosed);
    connect(window, &MainWindow::resized, this,
            [this](QSize size) { SaveMainWindowSize(*store_, size.width(), size.height()); });
    connect(window, &MainWindow::checkForUpdateRequested, this, &Messenger::checkForUpdate);
    connect(&engine_, &SessionEngine::bannerReady, window, [this](const Banner& banner) {
        mainWindow_->setBannerPicture(QPixmap::fromImage(banner.picture.value<QImage>()),
                                      banner.hint);
        bannerLink_ = banner.link;
    });
    connect(window, &MainWindow::bannerClicked, this, [this] {
        // The banner document is the maker server's, read over plain HTTP: only a web
        // address is opened, never a file or a program.
        if (BannerLinkOpenable(bannerLink_))
            urlOpener_(QUrl(bannerLink_));
    });
    connect(window, &MainWindow::helpRequested, this, [this] {
        openMakerPage(QStringLiteral("/index.php?act=hlp&lang=") + DetectLanguage());
    });
    connect(window, &MainWindow::homePageRequested, this,
            [this] { openMakerPage(QStringLiteral("/index.php?lang=en")); });
    connect(window, &MainWindow::forgotPasswordRequested, this, [this] {
        QDesktopServices::openUrl(
            QUrl(engine_.http().endpoints().rootUrl() + QStringLiteral("/reset.php")));
    });
    connect(window, &MainWindow::aboutRequested, this, [this] {
        AboutBox about(strings_, languageFile_, mainWindow_);
        about.exec();
    });

    window->setBannerText(strings_.text(LanguageKey::msgBanner));
    tray_->SetTrayState(TrayState::Offline);
    applyWindowSizeRule();
    window->showLoginPage();
    ApplyLanguageCaptions(languageFile_, window);
    // The tray's menu belongs to no window, so the window's captions do not reach it.
    ApplyLanguageCaptions(languageFile_, tray_->menu());
    window->chkremember->setChecked(settings_.RememberSignin);
    window->chkAuto->setChecked(settings_.RememberSignin && settings_.AutoSignin);
    window->chkAuto->setEnabled(settings_.RememberSignin);
    if (passwordInFileNoted_)
        window->showPasswordInFileNote();
    if (settings_.RememberSignin) {
        window->txtEmail->setText(engine_.state().Email.get());
        window->txtPassword->setText(engine_.state().Password.get());
    }
    if (!startsInTray())
        showMainWindow();
    splash_->hide();
    if (window->chkAuto->isChecked() && !engine_.demographic().IP.get().isEmpty() &&
        !window->txtEmail->text().isEmpty() && !window->txtPassword->text().isEmpty())
        dispatcher_->StartSignIn();
}

void Messenger::createChatWindow() {
    const QString folderUrl = EmoticonFolderUrl(ProgramDataFolder());
    chatSession_ = std::make_unique<EngineChatSession>(engine_);
    chatWindow_ = std::make_unique<ChatWindow>(*chatSession_, strings_, settings_, folderUrl);
    ApplyLanguageCaptions(languageFile_, chatWindow_.get());
    applyChatWindowSizeRule();
    centreOnScreen(chatWindow_.get());
    logViewer_ = std::make_unique<ChatLogViewer>(strings_, folderUrl);
    ApplyLanguageCaptions(languageFile_, logViewer_.get());
    bulkDialog_ = std::make_unique<BulkDialog>(strings_);
    ApplyLanguageCaptions(languageFile_, bulkDialog_.get());
    options_ = std::make_unique<OptionDialog>(strings_);
    ApplyLanguageCaptions(languageFile_, options_.get());

    connect(&engine_, &SessionEngine::typingNotice, chatWindow_.get(),
            &ChatWindow::showTypingNotice);
    connect(&engine_, &SessionEngine::messageSent, chatWindow_.get(), &ChatWindow::onMessageSent);
    connect(chatWindow_.get(), &ChatWindow::showChatLogRequested, logViewer_.get(),
            &ChatLogViewer::ShowChatLog);
    connect(chatWindow_.get(), &ChatWindow::attentionWanted, this,
            [this] { FlashChatWindow(chatWindow_.get()); });
    connect(chatWindow_.get(), &ChatWindow::resized, this,
            [this](QSize outer) { SaveChatWindowSize(*store_, outer.width(), outer.height()); });
}

void Messenger::applyChatWindowSizeRule() {
    chatWindow_->resize(ChatWindowSizeFor(*store_, settings_, screenArea().size()));
}

void Messenger::connectChatWindow() {
    ChatWindow* chat = chatWindow_.get();
    connect(dispatcher_, &SessionDispatcher::chatMessages, chat, &ChatWindow::showMessages);
    connect(dispatcher_, &SessionDispatcher::messagesMayBeMissing, chat,
            &ChatWindow::showMessagesMayBeMissing);
    connect(dispatcher_, &SessionDispatcher::sessionStarted, chat, &ChatWindow::clearStatus);
    connect(mainWindow_, &MainWindow::loginPageShown, chat, &ChatWindow::removeAllTabs);
    connect(tree_, &BuddyTree::openChatRequested, chat, &ChatWindow::OpenChatWith);
    connect(tree_, &BuddyTree::conversationPresenceChanged, chat,
            &ChatWindow::SetConversationPresence);
    connect(chat, &ChatWindow::friendWentOffline, tree_,
            [this](ContactId id) { tree_->MarkBuddyPresence(id, false); });
}

void Messenger::connectSocialCommands() {
    connect(tree_, &BuddyTree::recommendRequested, this, &Messenger::recommend);
    connect(tree_, &BuddyTree::buddyLinksEnabled, mainWindow_, [this](bool enabled) {
        mainWindow_->lbSendMail->setEnabled(enabled);
        mainWindow_->lbSendWall->setEnabled(enabled);
    });
    connect(tree_, &BuddyTree::bulkRequested, this,
            [this](int mode) { openBulkDialog(mode, false); });
    // The recommendation links: the menu's bulk commands on the selected friends, with the
    // recommendation filled in.
    connect(mainWindow_, &MainWindow::sendMailRequested, this, [this] {
        if (tree_->selectionHoldsBuddy())
            openBulkDialog(2, true);
    });
    connect(mainWindow_, &MainWindow::sendWallRequested, this, [this] {
        if (tree_->selectionHoldsBuddy())
            openBulkDialog(1, true);
    });
    connect(mainWindow_, &MainWindow::preferencesRequested, this, &Messenger::showPreferences);

    BulkDialog* bulk = bulkDialog_.get();
    connect(bulk, &BulkDialog::sendRequested, this, [this, bulk](const BulkJob& job) {
        BulkReports reports;
        reports.sendingTo = [bulk](const QString& name) { bulk->showRecipient(name); };
        reports.progress = [bulk](int done, int total) { bulk->SendProgress(done, total); };
        engine_.sendToMany(job, bulk, reports,
                           [bulk](bool completed) { bulk->runEnded(completed); });
    });
}

void Messenger::openBulkDialog(int mode, bool prefill) {
    const auto kind = static_cast<BulkKind>(mode);
    // The same mode again only brings the dialog forward, with what is typed in it.
    const QList<BulkRecipient> recipients =
        bulkDialog_->mode() == mode ? QList<BulkRecipient>() : TakeSelectedRecipients(*tree_);
    const bool wasShown = bulkDialog_->isVisible();
    bulkDialog_->OpenBulkDialog(kind, recipients, prefill,
                                DecodeUnicodeEscapes(engine_.state().FullName.get()));
    if (!wasShown)
        centreOnScreen(bulkDialog_.get());
}

void Messenger::recommend(ContactId id, const QString& name) {
    const QString text = strings_.format(LanguageKey::msgRecommend, {name});
    engine_.recommend(id, text, mainWindow_, [this, name = ShownName(name)](SendOutcome outcome) {
        // A second failure has ended the session; the main window says so.
        if (outcome == SendOutcome::NotSent)
            return;
        const QString said = outcome == SendOutcome::Sent
                                 ? strings_.text(LanguageKey::msgMessageSent)
                                 : strings_.format(LanguageKey::msgRecommendOffline, {name});
        inform(mainWindow_, WithSingleLineBreaks(said));
    });
}

void Messenger::showPreferences() {
    // The consent belongs to the account signed in now, or last (a remembered one before any
    // sign-in): the dialog shows its answer, and OK keeps it unless the box was changed.
    const QString email = engine_.state().Email.get();
    bool answered = false;
    if (!email.isEmpty()) {
        const StoreResult<bool> neverAsked = ReadAccountConsent(*store_, email, settings_);
        answered = neverAsked.ok() && !neverAsked.value();
    }
    const bool consentShown = settings_.ShowStatus;
    options_->load(settings_);
    if (options_->exec() != QDialog::Accepted)
        return;
    options_->store(settings_);
    if (!email.isEmpty() && (answered || settings_.ShowStatus != consentShown)) {
        const StoreStatus written = WriteAccountConsent(*store_, email, settings_.ShowStatus);
        if (!written.ok())
            inform(mainWindow_,
                   strings_.format(LanguageKey::msgConsentStoreFail, {written.detail()}),
                   QMessageBox::Warning);
    }
    PasswordKeeping keeping;
    SaveSettings(*store_, settings_, engine_.demographic(), engine_.state(), vault_.get(),
                 &keeping);
    notePasswordKeeping(keeping);
    SetAutorun(settings_.Autorun);
    tree_->ApplyHideOffline(settings_.HideOffline);
    applyWindowSizeRule();
    applyChatWindowSizeRule();
}

void Messenger::applyWindowSizeRule() {
    const MainWindowPlacement placement = MainWindowPlacementFor(*store_, settings_, screenArea());
    mainWindow_->resize(placement.size);
    if (placement.move)
        mainWindow_->move(placement.topLeft);
    keepOnScreen(mainWindow_); // the rule sizes the inside; the frame comes on top
}

void Messenger::placeBottomRight() {
    const QRect screen = screenArea();
    const QSize frame = mainWindow_->frameGeometry().size();
    mainWindow_->move(screen.right() + 1 - frame.width(),
                      screen.bottom() + 1 - frame.height() - 30);
}

void Messenger::showMainWindow() {
    if (!mainWindow_)
        return;
    placeBottomRight();
    // A file that is no picture is no cache.
    const QPixmap cached(bannerCacheFile());
    if (!cached.isNull())
        mainWindow_->setBannerPicture(cached, QString());
    mainWindow_->showNormal();
    // Once the window manager has framed it, the frame too lies within the screen.
    QTimer::singleShot(0, mainWindow_, [this] { keepOnScreen(mainWindow_); });
    mainWindow_->raise();
    mainWindow_->activateWindow();
    engine_.startBanners();
}

void Messenger::onMainWindowClosed() {
    applyWindowSizeRule();
    // Without a notification area a hidden window could never be had back.
    if (TrayIcon::trayAvailable())
        mainWindow_->hide();
    else
        mainWindow_->showMinimized();
}

// The answer may take as long as the network does: meanwhile the command shows it is at work,
// and a second check cannot start. The sign goes with the main window, and the answer with it.
void Messenger::checkForUpdate() {
    if (updateCheck_ || !mainWindow_)
        return;
    updateCheck_ =
        new BusyCommand(mainWindow_->findChild<QAction*>(QStringLiteral("Checkforupdate1")),
                        strings_.text(LanguageKey::msgPleasewait), mainWindow_);
    engine_.checkForUpdate(updateCheck_, [this](StartupCheck::UpdateAnswer answer, const QString&) {
        delete updateCheck_.data();
        switch (answer) {
        case StartupCheck::UpdateAnswer::NewVersion:
            inform(mainWindow_, WithSingleLineBreaks(strings_.text(LanguageKey::msgNewVersion)));
            openMakerPage(QStringLiteral("/download"));
            return;
        case StartupCheck::UpdateAnswer::NoNewVersion:
            inform(mainWindow_, strings_.text(LanguageKey::msgNoNewVersion));
            return;
        case StartupCheck::UpdateAnswer::CheckFailed:
            // Not "no new version": nothing is known, and the person may try again.
            inform(mainWindow_, strings_.text(LanguageKey::msgUpdateCheckFail),
                   QMessageBox::Warning);
            return;
        }
    });
}

void Messenger::openMakerPage(const QString& path) {
    QDesktopServices::openUrl(
        QUrl(QStringLiteral("http://") + engine_.http().endpoints().makerWebHost + path));
}

void Messenger::exit() {
    if (mainWindow_) {
        const QPixmap banner = mainWindow_->bannerPicture();
        if (!banner.isNull() && QDir().mkpath(UserDataFolder()))
            banner.save(bannerCacheFile(), "BMP"); // a failure is no reason to stay
    }
    shutDown();
}

void Messenger::notePasswordKeeping(const PasswordKeeping& keeping) {
    if (!keeping.noKeyring)
        return;
    // Said once, where the option is; it stays for the run.
    passwordInFileNoted_ = true;
    if (mainWindow_)
        mainWindow_->showPasswordInFileNote();
}

void Messenger::shutDown() {
    if (ended_)
        return;
    ended_ = true;
    if (mainWindow_) {
        settings_.RememberSignin = mainWindow_->chkremember->isChecked();
        engine_.state().Email.set(settings_.RememberSignin ? mainWindow_->txtEmail->text()
                                                           : QString());
        engine_.state().Password.set(settings_.RememberSignin ? mainWindow_->txtPassword->text()
                                                              : QString());
        settings_.AutoSignin = mainWindow_->chkAuto->isChecked();
    }
    SaveSettings(*store_, settings_, engine_.demographic(), engine_.state(), vault_.get());
    tray_->hide();
    emit finished();
}

void EndProgramWhenFinished(const Messenger& messenger) {
    // Not QApplication::quit: that first asks every window to close and gives up when one
    // refuses, and the main window refuses (closing it only puts it in the tray). The program's
    // own end has already put everything away; the loop just ends.
    QObject::connect(
        &messenger, &Messenger::finished, qApp, [] { QCoreApplication::exit(0); },
        Qt::QueuedConnection);
}

} // namespace quillo
