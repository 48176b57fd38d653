#include "conversation/ui/chat_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "conversation/character_references.h"
#include "conversation/chat_log.h"
#include "conversation/markup.h"
#include "conversation/message_block.h"
#include "conversation/message_html.h"
#include "conversation/received_text.h"
#include "conversation/rich_input.h"
#include "conversation/shown_text.h"
#include "conversation/text_codecs.h"
#include "conversation/ui/chat_input.h"
#include "conversation/ui/chat_session.h"
#include "conversation/ui/chat_tab.h"
#include "conversation/ui/conversation_view.h"
#include "conversation/ui/emoticon_picker.h"
#include "conversation/ui/link_label.h"
#include "conversation/ui/tab_images.h"
#include "platform/ui/placement.h"
#include "platform/ui/plain_text.h"
#include "prefs/language_strings.h"
#include "prefs/settings.h"
#include "session/cookie_jar.h"

namespace quillo {

namespace {

const QString kProductName = QStringLiteral("Quillo for Facebook");

// How long one turn of the event loop may spend taking in arrived lines: short enough that
// typing, scrolling and painting go on while a burst comes in.
constexpr qint64 kSliceBudgetMs = 3;

// A name as the service escapes it, decoded.
QString plainName(const QString& escaped) {
    return DecodeCharacterReferences(DecodeUnicodeEscapes(escaped));
}

QIcon emoticonButtonIcon(const QString& emoticonFolderUrl) {
    const QString folder = QUrl(emoticonFolderUrl).toLocalFile();
    if (folder.isEmpty())
        return {};
    const QPixmap picture(QDir::cleanPath(folder + QStringLiteral("/../emot.bmp")));
    return picture.isNull() ? QIcon() : QIcon(picture);
}

ChatWindowDialogs standardDialogs() {
    ChatWindowDialogs dialogs;
    dialogs.confirm = [](QWidget* parent, const QString& question) {
        return askYesNo(parent, question);
    };
    dialogs.saveFileName = [](QWidget* parent) {
        QFileDialog dialog(parent);
        dialog.setObjectName(QStringLiteral("SaveDialog1"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("htm"));
        dialog.setNameFilter(QStringLiteral("html (*.html)"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    };
    dialogs.inform = [](QWidget* parent, const QString& text) { inform(parent, text); };
    return dialogs;
}

} // namespace

ChatWindow::ChatWindow(ChatSession& session, const LanguageStrings& strings,
                       const Settings& settings, const QString& emoticonFolderUrl, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , session_(session)
    , strings_(strings)
    , settings_(settings)
    , emoticonFolderUrl_(emoticonFolderUrl)
    , emoticonButtonIcon_(emoticonButtonIcon(emoticonFolderUrl))
    , dialogs_(standardDialogs()) {
    setObjectName(QStringLiteral("TChatDlg"));
    setWindowTitle(QStringLiteral("Chat window"));
    QFont arial = font();
    arial.setFamily(QStringLiteral("Arial"));
    arial.setPointSize(8);
    setFont(arial);
    resize(521, 378);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    pages_->setDocumentMode(true);
    pages_->setIconSize(QSize(9, 9));
    layout->addWidget(pages_, 1);
    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setSizeGripEnabled(false);
    layout->addWidget(statusBar_);

    clearingPanel_ = new QLabel(strings_.text(LanguageKey::pnClearHistory), this);
    clearingPanel_->setObjectName(QStringLiteral("pnClearHistory"));
    clearingPanel_->setAlignment(Qt::AlignCenter);
    clearingPanel_->setAutoFillBackground(true);
    QFont large = arial;
    large.setPixelSize(20);
    clearingPanel_->setFont(large);
    clearingPanel_->hide();

    picker_ = new EmoticonPicker(QUrl(emoticonFolderUrl).toLocalFile(), this);
    connect(picker_, &EmoticonPicker::emoticonChosen, this, &ChatWindow::insertEmoticon);
    connect(pages_, &QTabWidget::currentChanged, this, &ChatWindow::onTabChanged);
    addTabKeys();
}

void ChatWindow::addTabKeys() {
    // The keys of tabbed windows elsewhere (browsers, terminals), wherever the focus is in the
    // window: they work from the input, where the keys of a conversation normally go.
    const auto keys = [this](const QList<QKeySequence>& sequences, auto run) {
        auto* action = new QAction(this);
        action->setShortcuts(sequences);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, run);
        addAction(action);
    };
    keys({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
         [this] { stepTab(1); });
    keys({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
          QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
         [this] { stepTab(-1); });
    keys({QKeySequence(Qt::CTRL | Qt::Key_W)}, [this] { closeActiveTab(); });
    // The tab widget hands its focus to its row, but screen readers meet both.
    pages_->setAccessibleName(QStringLiteral("Conversations"));
    pages_->tabBar()->setAccessibleName(QStringLiteral("Conversations"));
}

void ChatWindow::stepTab(int step) {
    const int count = pages_->count();
    if (count > 1)
        pages_->setCurrentIndex((pages_->currentIndex() + step + count) % count);
}

void ChatWindow::closeActiveTab() {
    ChatTab* tab = activeTab();
    // A tab whose close is under way (its button is disabled until it goes) is not closed twice.
    if (tab && tab->closeButton()->isEnabled())
        closeTab(tab);
}

ChatWindow::~ChatWindow() {
    // Lines that arrived but were not taken in yet still belong in their logs; there is no
    // window left to show them in.
    if (settings_.DisableChatLog)
        return;
    QHash<QString, QStringList> logs;
    for (const Waiting& waiting : waiting_) {
        const ChatMessage& message = waiting.line.message;
        const QString path = ChatLogPath(session_.ownId(), message.conversation);
        if (waiting.mayMissNotice || message.own || message.replayed || path.isEmpty())
            continue; // replayed lines are never logged
        logs[path].append(logBlock(kOtherPartyColor, message.fromName,
                                   DecodeReceivedText(message.text), message.time));
    }
    for (auto file = logs.cbegin(); file != logs.cend(); ++file)
        AppendLogLine(file.key(), file.value().join(u"\r\n"));
}

QList<ChatTab*> ChatWindow::tabs() const {
    QList<ChatTab*> all;
    for (int i = 0; i < pages_->count(); ++i)
        all.append(static_cast<ChatTab*>(pages_->widget(i)));
    return all;
}

ChatTab* ChatWindow::tabOf(ContactId id) const {
    for (ChatTab* tab : tabs()) {
        if (tab->friendId() == id)
            return tab;
    }
    return nullptr;
}

ChatTab* ChatWindow::activeTab() const {
    return static_cast<ChatTab*>(pages_->currentWidget());
}

QString ChatWindow::tabCaption(const ChatTab* tab) const {
    return tab->property("caption").toString();
}

void ChatWindow::setTabCaption(ChatTab* tab, const QString& name) {
    // The caption is the name as windows show it (the title, the status bar, the log viewer);
    // a name cut for that is whole in the tab's tooltip.
    const QString caption = ShownName(name);
    // Every line names its tab again: a tab row lays itself out anew at each change, so a burst
    // of lines changes it only when the name does.
    if (tab->property("caption").toString() == caption)
        return;
    tab->setProperty("caption", caption);
    // The tab row reads "&" as a shortcut mark; a name shows as it is.
    QString shown = caption;
    shown.replace(u'&', QStringLiteral("&&"));
    const int index = pages_->indexOf(tab);
    pages_->setTabText(index, shown);
    pages_->setTabToolTip(index, IsNameCut(name) ? plainToolTip(name) : QString());
    if (tab == activeTab())
        updateCaption();
}

void ChatWindow::setTabImage(ChatTab* tab, TabImage image) {
    if (tab->image() == image)
        return; // as for the caption: the row is laid out only on a change
    tab->setImage(image);
    pages_->setTabIcon(pages_->indexOf(tab),
                       QIcon(DrawTabImage(image, pages_->devicePixelRatioF())));
}

ChatTab* ChatWindow::OpenConversationTab(ContactId id, const QString& statusText) {
    if (ChatTab* existing = tabOf(id))
        return existing;
    auto* tab = new ChatTab(id, statusText, strings_, emoticonFolderUrl_, emoticonButtonIcon_);
    // Adding the first tab makes it current; the caption follows once the caller names it.
    const QSignalBlocker quiet(pages_);
    const int index = pages_->addTab(tab, QString());
    tab->placeInTabChain(pages_->tabBar());
    const bool online = statusText.contains(strings_.text(LanguageKey::msgOnlinenotify));
    tab->setImage(online ? TabImage::Online : TabImage::Offline);
    pages_->setTabIcon(index, QIcon(DrawTabImage(tab->image(), pages_->devicePixelRatioF())));
    connectTab(tab);
    loadPicture(tab);
    return tab;
}

void ChatWindow::connectTab(ChatTab* tab) {
    connect(tab, &ChatTab::sendRequested, this, [this, tab] { sendFrom(tab); });
    connect(tab, &ChatTab::closeRequested, this, [this, tab] { closeTab(tab); });
    connect(tab, &ChatTab::clearHistoryRequested, this, [this, tab] { clearHistoryOf(tab); });
    connect(tab, &ChatTab::saveRequested, this, [this, tab] { saveConversationOf(tab); });
    connect(tab, &ChatTab::emoticonRequested, this, [this, tab] { openEmoticonPicker(tab); });
    connect(tab, &ChatTab::showLogRequested, this,
            [this, tab] { emit showChatLogRequested(logPathOf(tab), tabCaption(tab)); });
}

void ChatWindow::loadPicture(ChatTab* tab) {
    // Decoded on a worker at the size the tab shows it; only the small result comes here.
    // At the screen's pixels: the picture fills its place sharply on a screen scaled by 2.
    session_.fetchFriendPicture(tab->friendId(), tab->pictureSize() * tab->devicePixelRatioF(), tab,
                                [tab](const QImage& picture) {
                                    if (!picture.isNull())
                                        tab->setPicture(QPixmap::fromImage(picture));
                                });
}

QString ChatWindow::logPathOf(const ChatTab* tab) const {
    return ChatLogPath(session_.ownId(), tab->friendId());
}

void ChatWindow::setStatus(const QString& text) {
    if (statusBar_->currentMessage() != text)
        statusBar_->showMessage(text);
}

QString ChatWindow::statusText() const {
    return statusBar_->currentMessage();
}

void ChatWindow::clearStatus() {
    if (!statusBar_->currentMessage().isEmpty())
        statusBar_->clearMessage();
}

void ChatWindow::updateCaption() {
    if (ChatTab* tab = activeTab())
        setWindowTitle(kProductName + QStringLiteral(" - ") + tabCaption(tab));
}

// One line into a tab. text is the message in plain text with its bold and underline markers;
// the view shows it with its emoticons and markers (a very long one cut, see shown_text.h), and
// the log keeps the whole of it under a dated header. quiet (a replayed line) leaves the status bar
// and the log alone. A log that cannot be written costs the log line, never the line in the view:
// the status bar names the file.
void ChatWindow::AppendMessage(ChatTab* tab, const QString& escapedName, const QString& text,
                               const QString& timeStamp, quint32 colour, bool scroll, bool quiet) {
    if (!quiet) {
        const QString name = plainName(escapedName);
        if (name.compare(plainName(session_.ownEscapedName()), Qt::CaseInsensitive) != 0)
            setStatus(strings_.format(LanguageKey::msgMsgReceive, {ShownName(name)}));
    }
    tab->view()->appendBlock(
        MessageViewBlock(colour, escapedName, timeStamp,
                         ViewMessageBodyHtml(text, emoticonFolderUrl_,
                                             [this](qsizetype hidden) {
                                                 return strings_.format(LanguageKey::msgMessageCut,
                                                                        {QString::number(hidden)});
                                             })),
        scroll);
    if (quiet || settings_.DisableChatLog)
        return;
    const QString path = logPathOf(tab);
    if (path.isEmpty())
        return; // no account signed in: there is no pair to keep a log for
    QString block = logBlock(colour, escapedName, text, timeStamp);
    if (sliceLogs_) {
        (*sliceLogs_)[path].append(std::move(block));
        return;
    }
    const ChatLogWrite written = AppendLogLine(path, block);
    if (!written.ok)
        showLogFailure(path, written);
}

void ChatWindow::showLogFailure(const QString& path, const ChatLogWrite& written) {
    setStatus(strings_.format(LanguageKey::msgChatLogWriteFail,
                              {QDir::toNativeSeparators(path), written.reason}));
}

QString ChatWindow::logBlock(quint32 colour, const QString& escapedName, const QString& text,
                             const QString& timeStamp) const {
    return MessageLogBlock(colour, escapedName, timeStamp,
                           MessageBodyHtml(text, emoticonFolderUrl_), QDate::currentDate());
}

void ChatWindow::showMessages(const QList<IncomingLine>& lines) {
    const bool wasIdle = waiting_.empty();
    for (const IncomingLine& line : lines)
        waiting_.push_back({line});
    // Batches that come while lines wait join the queue: the next slice takes them in. So do
    // those that come in the same turn of the event loop as a slice that used its whole share.
    if (wasIdle && !(takeInScheduled_ && sliceSpentTurn_))
        takeInWaiting(kSliceBudgetMs);
}

void ChatWindow::scheduleTakeIn() {
    if (takeInScheduled_)
        return;
    takeInScheduled_ = true;
    // Queued behind what the window already has to do: input and painting come first.
    QMetaObject::invokeMethod(
        this,
        [this] {
            takeInScheduled_ = false;
            takeInWaiting(kSliceBudgetMs);
        },
        Qt::QueuedConnection);
}

void ChatWindow::takeInWaiting(qint64 budgetMs) {
    if (waiting_.empty() || sliceLogs_)
        return;
    QHash<QString, QStringList> logs;
    sliceLogs_ = &logs;
    sliceWantsAttention_ = false;
    QElapsedTimer clock;
    clock.start();
    do {
        const Waiting next = std::move(waiting_.front());
        waiting_.pop_front();
        if (next.mayMissNotice) {
            if (ChatTab* tab = tabOf(next.line.message.conversation))
                tab->view()->showNotice(strings_.text(LanguageKey::msgMessagesMissed));
        } else {
            ShowMessage(next.line.message, next.line.friendInTree);
        }
    } while (!waiting_.empty() && (budgetMs < 0 || clock.elapsed() < budgetMs));
    sliceSpentTurn_ = budgetMs >= 0 && clock.elapsed() >= budgetMs;
    sliceLogs_ = nullptr;
    for (auto file = logs.cbegin(); file != logs.cend(); ++file) {
        const ChatLogWrite written = AppendLogLine(file.key(), file.value().join(u"\r\n"));
        if (!written.ok)
            showLogFailure(file.key(), written);
    }
    if (sliceWantsAttention_) {
        updateCaption();
        emit attentionWanted();
    }
    scheduleTakeIn();
}

void ChatWindow::showMessagesMayBeMissing(ContactId friendId) {
    // After every line that came before it; a friend without a tab by then has no conversation
    // shown that could look complete.
    Waiting notice{{}, true};
    notice.line.message.conversation = friendId;
    const bool wasIdle = waiting_.empty();
    waiting_.push_back(std::move(notice));
    if (wasIdle && !(takeInScheduled_ && sliceSpentTurn_))
        takeInWaiting(kSliceBudgetMs);
}

void ChatWindow::ShowMessage(const ChatMessage& message, const FriendInTree& friendInTree) {
    const QString presence = strings_.text(friendInTree.online ? LanguageKey::msgOnlinenotify
                                                               : LanguageKey::msgOfflinenotify);
    if (message.own) {
        QString name = friendInTree.name;
        if (name.isEmpty())
            name = message.conversation.toText(); // a friend the list does not know
        ChatTab* tab = OpenConversationTab(message.conversation, ShownName(name) + u' ' + presence);
        setTabCaption(tab, name);
        showOwnLine(tab, message, friendInTree.online);
        return;
    }
    clearStatus(); // a line ends the "is typing" notice
    const QString senderName = plainName(message.fromName);
    ChatTab* tab = OpenConversationTab(
        message.conversation,
        ShownName(friendInTree.online ? friendInTree.name : senderName) + u' ' + presence);
    setTabCaption(tab, senderName);
    showFriendLine(tab, message, friendInTree.online);
}

void ChatWindow::showFriendLine(ChatTab* tab, const ChatMessage& message, bool online) {
    tab->saveLink()->setEnabled(true);
    if (tab->view()->document()->isEmpty() ||
        !tab->repeatsLastIncoming(message.text, message.time)) {
        AppendMessage(tab, message.fromName, DecodeReceivedText(message.text), message.time,
                      kOtherPartyColor, message.live, message.replayed);
        tab->rememberIncoming(message.text, message.time);
    }
    if (isHidden())
        show();
    const bool active = tab == activeTab();
    setTabImage(tab, !online ? TabImage::Offline : active ? TabImage::Online : TabImage::Unread);
    tab->setFormatControlsEnabled(online);
    if (sliceLogs_) {
        sliceWantsAttention_ = true; // once for the slice
        return;
    }
    updateCaption();
    emit attentionWanted();
}

void ChatWindow::showOwnLine(ChatTab* tab, const ChatMessage& message, bool online) {
    tab->saveLink()->setEnabled(true);
    AppendMessage(tab, message.fromName, DecodeReceivedText(message.text), message.time,
                  kOwnMessageColor, false, true);
    setTabImage(tab, online ? TabImage::Online : TabImage::Offline);
    tab->setFormatControlsEnabled(online);
    if (isHidden())
        show();
    pages_->setCurrentWidget(tab);
    updateCaption();
    emit attentionWanted();
    raise();
}

void ChatWindow::OpenChatWith(ContactId id, const QString& name) {
    ChatTab* tab = OpenConversationTab(id, ShownName(name) + u' ' +
                                               strings_.text(LanguageKey::msgOnlinenotify));
    setTabCaption(tab, name);
    if (isHidden())
        show();
    pages_->setCurrentWidget(tab);
    updateCaption();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    tab->focusInput();
}

void ChatWindow::SetConversationPresence(ContactId id, bool online) {
    for (ChatTab* tab : tabs()) {
        if (tab->friendId() != id)
            continue;
        tab->setOnline(online);
        tab->setStatusText(
            tabCaption(tab) + u' ' +
            strings_.text(online ? LanguageKey::msgOnlinenotify : LanguageKey::msgOfflinenotify));
        if (!online)
            setTabImage(tab, TabImage::Offline);
        else if (tab->image() != TabImage::Unread)
            setTabImage(tab, TabImage::Online);
    }
}

void ChatWindow::showTypingNotice(ContactId from, bool typing) {
    ChatTab* tab = from.isValid() ? tabOf(from) : nullptr;
    if (!tab || from == session_.ownId())
        return;
    const QString notice = strings_.format(LanguageKey::msgTyping, {tabCaption(tab)});
    if (typing)
        setStatus(notice);
    else if (statusText() == notice)
        clearStatus(); // the friend stopped: the notice would now be untrue
}

void ChatWindow::sendFrom(ChatTab* tab) {
    tab->saveLink()->setEnabled(true);
    if (tab->sending() || !tab->input()->isEnabled() || tab->input()->length() == 0) {
        tab->applyFormatMask();
        return;
    }
    takeInWaiting(-1); // the user's line goes after every line that arrived before it
    // The text goes out as typed (the service takes UTF-8); the view shows what is sent.
    const QString markup = HtmlToMarkup(RichInputToHtml(tab->input()->toHtml()));
    AppendMessage(tab, session_.ownEscapedName(), markup, NowUnixMillis(), kOwnMessageColor, true,
                  false);
    tab->input()->clear();
    tab->applyFormatMask();
    session_.postChattingStatus(pages_->count());
    tab->setSending(true);
    session_.sendMessage(tab->friendId(), markup);
}

void ChatWindow::onMessageSent(ContactId to, const QString& markup, SendOutcome outcome) {
    ChatTab* tab = tabOf(to);
    if (!tab)
        return; // closed meanwhile: nothing left to tell
    switch (outcome) {
    case SendOutcome::Sent:
        setStatus(strings_.text(LanguageKey::msgMessageSent));
        break;
    case SendOutcome::Offline:
        tab->view()->ShowUndeliveredNotice(
            strings_.format(LanguageKey::msgOffline, {tabCaption(tab), markup}));
        emit friendWentOffline(to);
        break;
    case SendOutcome::NotSent:
        // The third failure in a row ends the session: the tab waits for the main window to
        // take every tab away.
        if (session_.sessionEnding())
            return;
        setStatus(strings_.text(LanguageKey::msgNoReponse));
        break;
    }
    tab->setSending(false);
    if (tab == activeTab())
        tab->focusInput();
}

void ChatWindow::closeTab(ChatTab* tab) {
    tab->closeButton()->setEnabled(false);
    if (settings_.AutoClearHistory) {
        clearingPanel_->setGeometry(rect());
        clearingPanel_->raise();
        clearingPanel_->show();
        if (!tab->view()->document()->isEmpty())
            ClearConversation(tab);
        clearingPanel_->hide();
    }
    // After the click has returned: the button's own tab goes.
    QMetaObject::invokeMethod(
        this,
        [this, doomed = QPointer<ChatTab>(tab)] {
            if (!doomed)
                return;
            pages_->removeTab(pages_->indexOf(doomed));
            delete doomed.data();
            if (pages_->count() > 0)
                updateCaption();
            else
                hide();
            FocusInput();
        },
        Qt::QueuedConnection);
}

void ChatWindow::ClearConversation(ChatTab* tab) {
    const QString path = logPathOf(tab);
    if (!path.isEmpty() && QFile::exists(path))
        QFile::remove(path); // a failure here is not reported
    tab->view()->clearConversation();
    session_.clearHistory(tab->friendId());
}

void ChatWindow::clearAllConversations() {
    clearingPanel_->setGeometry(rect());
    clearingPanel_->raise();
    clearingPanel_->show();
    for (ChatTab* tab : tabs()) {
        if (!tab->view()->document()->isEmpty())
            ClearConversation(tab);
    }
    clearingPanel_->hide();
}

void ChatWindow::clearHistoryOf(ChatTab* tab) {
    if (session_.historyLoading())
        return;
    LinkLabel* link = tab->clearLink();
    link->setEnabled(false);
    const QPointer<ChatTab> alive(tab);
    const bool yes = dialogs_.confirm(
        this, strings_.format(LanguageKey::msgClearHistoryConfirm, {tabCaption(tab)}));
    if (!alive)
        return; // the tab went while the question was open
    if (yes) {
        tab->saveLink()->setEnabled(false);
        session_.clearHistory(tab->friendId());
        const QString path = logPathOf(tab);
        if (!path.isEmpty() && QFile::exists(path))
            QFile::remove(path);
        tab->view()->clearConversation();
    }
    link->setEnabled(true);
}

void ChatWindow::saveConversationOf(ChatTab* tab) {
    if (tab->view()->document()->isEmpty())
        return;
    const QPointer<ChatTab> alive(tab);
    const QString path = dialogs_.saveFileName(this);
    if (path.isEmpty() || !alive)
        return;
    if (tab->view()->saveToFile(path))
        dialogs_.inform(this, strings_.text(LanguageKey::msgSaveConversation));
    else
        dialogs_.inform(this, strings_.format(LanguageKey::msgSaveConversationFail,
                                              {QDir::toNativeSeparators(path)}));
}

void ChatWindow::openEmoticonPicker(ChatTab* tab) {
    const QToolButton* button = tab->emoticonButton();
    const QRect buttonInPanel = button->geometry();
    const int panelTopInTab = tab->formatPanel()->geometry().top();
    picker_->openAt(
        EmoticonPickerPosition(frameGeometry(), buttonInPanel, panelTopInTab, picker_->height()));
}

void ChatWindow::insertEmoticon(const QString& text) {
    ChatTab* tab = activeTab();
    if (!tab || !tab->input()->isEnabled() || tab->input()->isReadOnly())
        return;
    tab->input()->insertPlainText(text);
    tab->input()->setFocus();
}

void ChatWindow::FocusInput() {
    // Never activates the window: in a window in the background the input only becomes the
    // widget that has the focus once the user brings the window to the front.
    if (ChatTab* tab = activeTab())
        tab->focusInput();
}

void ChatWindow::onTabChanged() {
    ChatTab* tab = activeTab();
    if (!tab)
        return;
    updateCaption();
    if (tab->image() == TabImage::Unread)
        setTabImage(tab, TabImage::Online);
    FocusInput();
}

void ChatWindow::removeAllTabs() {
    takeInWaiting(-1); // the session's last lines reach their logs
    const QSignalBlocker quiet(pages_);
    while (pages_->count() > 0) {
        QWidget* tab = pages_->widget(0);
        pages_->removeTab(0);
        delete tab;
    }
    picker_->hide();
    hide();
    setWindowTitle(QStringLiteral("Chat window"));
}

void ChatWindow::closeEvent(QCloseEvent* event) {
    if (settings_.AutoClearHistory)
        clearAllConversations();
    picker_->hide();
    event->accept(); // hidden, not destroyed: the tabs stay
}

void ChatWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (clearingPanel_->isVisible())
        clearingPanel_->setGeometry(rect());
    emit resized(frameGeometry().size());
}

void ChatWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FocusInput();
    // A remembered size from a larger screen, or a place from another one, is brought back
    // within this screen once the window manager has framed the window.
    QTimer::singleShot(0, this, [this] { keepOnScreen(this); });
}

} // namespace quillo
