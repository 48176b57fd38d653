#include "social/ui/bulk_dialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "conversation/shown_text.h"
#include "conversation/ui/length_limit.h"
#include "platform/ui/plain_text.h"
#include "prefs/language_strings.h"

namespace quillo {

namespace {

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

BulkDialog::BulkDialog(const LanguageStrings& strings, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , strings_(strings)
    , confirm_([](QWidget* owner, const QString& question) { return askYesNo(owner, question); }) {
    setObjectName(QStringLiteral("TmsgDlg"));
    resize(430, 330);

    auto* grid = new QGridLayout(this);
    auto* sendTo = named(new QLabel(QStringLiteral("Send to:"), this), "lbSendto");
    grid->addWidget(sendTo, 0, 0, Qt::AlignTop);
    memo_ = named(new QPlainTextEdit(this), "Memo1");
    sendTo->setBuddy(memo_); // the label names the list for screen readers
    memo_->setReadOnly(true);
    memo_->setFixedHeight(60);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid->addWidget(memo_, 0, 1);
    subjectLabel_ = named(new QLabel(QStringLiteral("Subject:"), this), "lbSubject");
    grid->addWidget(subjectLabel_, 1, 0);
    subject_ = named(new QLineEdit(this), "Edit1");
    subjectLabel_->setBuddy(subject_);
    grid->addWidget(subject_, 1, 1);
    text_ = named(new QTextEdit(this), "RichEdit1");
    text_->setAcceptRichText(false);
    text_->setTabChangesFocus(true); // Tab leaves the text for the buttons, as in any dialog
    LimitLength(text_, kMaxTextLength);
    grid->addWidget(text_, 2, 0, 1, 2);
    grid->setRowStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    send_ = named(new QPushButton(QStringLiteral("Send"), this), "msgDlgSend");
    send_->setDefault(true);
    cancel_ = named(new QPushButton(QStringLiteral("Cancel"), this), "CancelBtn");
    // Not a QDialog: Enter presses the button that has the focus only when asked to.
    cancel_->setAutoDefault(true);
    buttons->addWidget(send_);
    buttons->addWidget(cancel_);
    grid->addLayout(buttons, 3, 0, 1, 2);

    // The progress overlay covers the whole dialog while a worker sends.
    panel_ = named(new QWidget(this), "Panel1");
    panel_->setAutoFillBackground(true);
    auto* column = new QVBoxLayout(panel_);
    column->addStretch(1);
    sendingTo_ = named(new QLabel(panel_), "Label1");
    sendingTo_->setTextFormat(Qt::PlainText);
    sendingTo_->setAlignment(Qt::AlignHCenter);
    QFont large = sendingTo_->font();
    large.setPointSize(large.pointSize() + 6);
    sendingTo_->setFont(large);
    column->addWidget(sendingTo_);
    status_ = named(new QLabel(panel_), "lbStatus");
    status_->setTextFormat(Qt::PlainText);
    status_->setAlignment(Qt::AlignHCenter);
    column->addWidget(status_);
    progress_ = named(new QProgressBar(panel_), "ProgressBar1");
    progress_->setTextVisible(false);
    column->addWidget(progress_);
    ok_ = named(new QPushButton(QStringLiteral("OK"), panel_), "msgDlgCloseBtn");
    ok_->setAutoDefault(true);
    column->addWidget(ok_, 0, Qt::AlignHCenter);
    column->addStretch(1);
    panel_->hide();

    connect(send_, &QPushButton::clicked, this, &BulkDialog::send);
    connect(cancel_, &QPushButton::clicked, this, &BulkDialog::cancel);
    connect(ok_, &QPushButton::clicked, this, &BulkDialog::finish);
}

void BulkDialog::OpenBulkDialog(BulkKind mode, const QList<BulkRecipient>& recipients, bool prefill,
                                const QString& userName) {
    if (mode_ != int(mode)) {
        if (recipients.isEmpty())
            return;
        recipients_ = recipients;
        QStringList lines;
        for (const BulkRecipient& recipient : recipients_)
            lines.append(ShownName(recipient.name) + u',');
        memo_->setPlainText(lines.join(u'\n'));
        mode_ = int(mode);
        panel_->hide();
        status_->setText(strings_.text(LanguageKey::msgPleasewait));
        const bool mail = mode == BulkKind::PrivateMessage;
        text_->setFixedHeight(mail ? 156 : 187);
        subjectLabel_->setVisible(mail);
        subject_->setVisible(mail);
        // The language file breaks its lines with LF CR, which would show (and be sent) as an
        // empty line after every line.
        text_->setPlainText(prefill ? WithSingleLineBreaks(strings_.format(
                                          LanguageKey::msgDefaultMessage, {userName}))
                                    : QString());
        subject_->setText(prefill && mail
                              ? strings_.format(LanguageKey::msgDefaultSubject, {userName})
                              : QString());
        ok_->hide();
        setWindowTitle(
            strings_.text(mail ? LanguageKey::msgDlgCaption : LanguageKey::wallDlgCaption));
        text_->setAccessibleName(windowTitle()); // the caption says what the text is for
        text_->setFocus();                       // the keys go where the text is typed
    }
    if (isHidden())
        show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void BulkDialog::send() {
    // Only spaces are no message: every recipient would get an empty one.
    if (text_->toPlainText().trimmed().isEmpty() || recipients_.isEmpty())
        return;
    status_->setText(strings_.text(LanguageKey::msgPleasewait));
    ok_->hide();
    panel_->setGeometry(rect());
    panel_->raise();
    panel_->show();
    panel_->setFocus(); // no more typing into the text under the overlay
    progress_->setRange(0, int(recipients_.size()));
    progress_->setValue(0);
    BulkJob job;
    job.kind =
        mode_ == int(BulkKind::PrivateMessage) ? BulkKind::PrivateMessage : BulkKind::WallPost;
    job.recipients = recipients_;
    job.text = text_->toPlainText().trimmed();
    if (job.kind == BulkKind::PrivateMessage)
        job.subject = subject_->text().trimmed();
    emit sendRequested(job);
}

void BulkDialog::showRecipient(const QString& name) {
    sendingTo_->setText(strings_.format(LanguageKey::msgCurUser, {ShownName(name)}));
}

void BulkDialog::SendProgress(int done, int total) {
    progress_->setMaximum(total);
    progress_->setValue(done);
    if (done < total) {
        status_->setText(strings_.format(LanguageKey::msgSending,
                                         {QString::number(done), QString::number(total)}));
    } else {
        status_->setText(strings_.text(LanguageKey::msgDone));
        showOk();
        status_->show();
    }
}

void BulkDialog::runEnded(bool completed) {
    if (completed)
        return; // the last progress report has said "Done"
    // Not "Done": the recipients after the session's end were never sent to.
    status_->setText(strings_.text(LanguageKey::msgBulkSessionEnded));
    showOk();
}

void BulkDialog::showOk() {
    ok_->show();
    // The keys were on the text under the overlay: they go to the one button over it.
    ok_->setFocus();
}

void BulkDialog::cancel() {
    const bool typed = !text_->toPlainText().isEmpty() ||
                       (mode_ == int(BulkKind::PrivateMessage) && !subject_->text().isEmpty());
    if (typed && !confirm_(this, strings_.text(LanguageKey::msgCancelConfirm)))
        return;
    finish();
}

void BulkDialog::finish() {
    mode_ = 0;
    hide();
}

void BulkDialog::closeEvent(QCloseEvent* event) {
    mode_ = 0;
    QWidget::closeEvent(event);
}

void BulkDialog::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    panel_->setGeometry(rect());
}

void BulkDialog::keyPressEvent(QKeyEvent* event) {
    // Escape is the Cancel button, as in any dialog.
    if (event->key() == Qt::Key_Escape) {
        cancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace quillo
