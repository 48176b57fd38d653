#pragma once
// BulkDialog (TmsgDlg): one text to several friends at once, as wall posts (mode 1) or as a
// private message with a subject (mode 2). The dialog collects the recipients and the text;
// Send hands a copy to a worker (sendRequested), whose reports come back through
// showRecipient and SendProgress while the progress overlay shows them. Opening the dialog
// again in the mode it shows only brings it forward, so a text being typed is kept.
//
// Thread: the user-interface thread. The language strings must outlive the dialog.

#include <QWidget>
#include <functional>

#include "social/bulk_send.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTextEdit;

namespace quillo {

class LanguageStrings;

class BulkDialog final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxTextLength = 419;

    explicit BulkDialog(const LanguageStrings& strings, QWidget* parent = nullptr);

    // The Yes/No question of Cancel; replaceable so that tests can answer it.
    void setConfirm(std::function<bool(QWidget*, const QString&)> confirm) {
        confirm_ = std::move(confirm);
    }

    // Opens the dialog in mode for recipients (at most the first 20 selected friends). prefill:
    // the recommendation's text (and subject) with the user's decoded name. Nothing opens
    // without recipients.
    void OpenBulkDialog(BulkKind mode, const QList<BulkRecipient>& recipients, bool prefill,
                        const QString& userName);

    // 0 none, else the BulkKind shown.
    int mode() const { return mode_; }
    QList<BulkRecipient> recipients() const { return recipients_; }

    // A worker's reports.
    void showRecipient(const QString& name);
    void SendProgress(int done, int total);
    // A worker ended; completed is false when the session ended before every recipient.
    void runEnded(bool completed);

    QTextEdit* textEdit() const { return text_; }
    QLineEdit* subjectEdit() const { return subject_; }
    QPushButton* sendButton() const { return send_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* okButton() const { return ok_; }
    QWidget* progressPanel() const { return panel_; }
    QLabel* statusLabel() const { return status_; }
    QLabel* recipientLabel() const { return sendingTo_; }
    QProgressBar* progressBar() const { return progress_; }

signals:
    void sendRequested(const quillo::BulkJob& job);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void send();
    void cancel();
    void finish();
    void showOk();

    const LanguageStrings& strings_;
    std::function<bool(QWidget*, const QString&)> confirm_;
    int mode_ = 0;
    QList<BulkRecipient> recipients_;

    QPlainTextEdit* memo_ = nullptr;
    QLabel* subjectLabel_ = nullptr;
    QLineEdit* subject_ = nullptr;
    QTextEdit* text_ = nullptr;
    QPushButton* send_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QWidget* panel_ = nullptr;
    QLabel* sendingTo_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* ok_ = nullptr;
};

} // namespace quillo
