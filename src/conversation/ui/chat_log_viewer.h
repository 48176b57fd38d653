#pragma once
// The chat log viewer (window `TchatlogDlg`): a window of its own, with its own taskbar button,
// that shows the whole log of one conversation in a conversation view.
//
// A log is read when the viewer is shown or activated after a new log was asked for, never on
// every switch back to it, so a long log the user is reading is not reloaded under them.
//
// Thread and ownership: main thread only. Created hidden once and reused; closing only hides it.

#include <QString>
#include <QWidget>

namespace quillo {

class ConversationView;
class LanguageStrings;

class ChatLogViewer : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 731;
    static constexpr int kHeight = 399;

    // emoticonFolderUrl: "file://" and the folder of the emoticon pictures, the only files the
    // view loads. strings must outlive the viewer.
    ChatLogViewer(const LanguageStrings& strings, const QString& emoticonFolderUrl,
                  QWidget* parent = nullptr);

    // Shows the log at path, captioned with the tab's caption (msgChatHistoryCaption), and
    // brings the viewer to the front, restored if it was minimised. A viewer that is open
    // already shows the new log at once.
    void ShowChatLog(const QString& path, const QString& tabCaption);

    QString path() const { return path_; }
    bool loadPending() const { return loadPending_; }
    ConversationView* view() const { return view_; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void loadPendingLog();

    const LanguageStrings& strings_;
    ConversationView* view_ = nullptr;
    QString path_;
    bool loadPending_ = false;
    bool placed_ = false;
};

} // namespace quillo
