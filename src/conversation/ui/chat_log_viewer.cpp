#include "conversation/ui/chat_log_viewer.h"

#include "conversation/chat_log.h"
#include "conversation/message_block.h"
#include "conversation/ui/conversation_view.h"
#include "prefs/language_strings.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace quillo {

ChatLogViewer::ChatLogViewer(const LanguageStrings& strings, const QString& emoticonFolderUrl,
                             QWidget* parent)
    : QWidget(parent, Qt::Window)
    , strings_(strings) {
    setObjectName(QStringLiteral("TchatlogDlg"));
    setWindowTitle(QStringLiteral("Chat log"));
    resize(kWidth, kHeight);

    view_ = new ConversationView(emoticonFolderUrl, this);
    view_->setObjectName(QStringLiteral("WebBrowser1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_);
    // Escape puts the viewer away, as it does any dialog.
    auto* close = new QAction(this);
    close->setShortcut(QKeySequence::Cancel);
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);
}

void ChatLogViewer::ShowChatLog(const QString& path, const QString& tabCaption) {
    path_ = path;
    loadPending_ = true;
    setWindowTitle(strings_.format(LanguageKey::msgChatHistoryCaption, {tabCaption}));
    if (!isVisible())
        show();
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
    // Activation is the window system's to grant, and it may never come (a viewer already in
    // front, a platform that does not activate): an open viewer must not go on showing the log
    // it showed before.
    if (isVisible())
        loadPendingLog();
}

void ChatLogViewer::showEvent(QShowEvent* event) {
    if (!placed_) {
        placed_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            // move() places the frame, so the frame is what is centred.
            const QRect frame = frameGeometry();
            move(screen->availableGeometry().center() - (frame.center() - frame.topLeft()));
        }
    }
    QWidget::showEvent(event);
    loadPendingLog();
}

void ChatLogViewer::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        loadPendingLog();
}

void ChatLogViewer::loadPendingLog() {
    if (!loadPending_)
        return;
    loadPending_ = false;
    const ChatLogText log = ReadChatLog(path_);
    if (!log.exists) {
        view_->clearConversation();
        return;
    }
    if (!log.error.isEmpty()) {
        // The sentence names the file, whose name may hold anything: it is text, never markup.
        view_->setPlainText(strings_.format(LanguageKey::msgChatLogReadFail,
                                            {QDir::toNativeSeparators(path_), log.reason}));
        return;
    }
    view_->setHtml(ViewDocument(log.text));
}

} // namespace quillo
