#include "conversation/ui/chat_tab.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextCharFormat>
#include <QToolButton>
#include <QVBoxLayout>

#include "conversation/ui/chat_input.h"
#include "conversation/ui/conversation_view.h"
#include "conversation/ui/link_label.h"
#include "prefs/language_strings.h"

namespace quillo {

namespace {

constexpr int kTopPanelHeight = 50;
constexpr int kFormatPanelHeight = 30;
constexpr int kInputHeight = 60;
// B and U show orange while they are on, black while off.
const QColor kFormatOnColour(0xFF, 0x99, 0x00);

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QFrame* loweredPanel(QWidget* parent, const char* name, int height) {
    auto* panel = named(new QFrame(parent), name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setFixedHeight(height);
    return panel;
}

} // namespace

ChatTab::ChatTab(ContactId friendId, const QString& statusText, const LanguageStrings& strings,
                 const QString& emoticonFolderUrl, const QIcon& emoticonButtonIcon, QWidget* parent)
    : QWidget(parent)
    , friendId_(friendId) {
    setObjectName(QStringLiteral("ChatTab"));
    QFont arial = font();
    arial.setFamily(QStringLiteral("Arial"));
    setFont(arial);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildTopPanel(strings));

    view_ = new ConversationView(emoticonFolderUrl, this);
    layout->addWidget(view_, 1);

    layout->addWidget(buildFormatPanel(strings));
    emoticon_->setIcon(emoticonButtonIcon);
    if (emoticonButtonIcon.isNull())
        emoticon_->setText(QStringLiteral(":)"));

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 0, 5, 5);
    bottom->setSpacing(15);
    input_ = new ChatInput(this);
    input_->setFixedHeight(kInputHeight);
    bottom->addWidget(input_, 1);
    send_ = named(new QPushButton(strings.text(LanguageKey::SendButtonCaption), this), "CancelBtn");
    send_->setFixedSize(75, 40);
    send_->setCursor(Qt::PointingHandCursor);
    bottom->addWidget(send_, 0, Qt::AlignTop);
    layout->addLayout(bottom);

    placeInTabChain(nullptr);
    nameForScreenReaders(strings);
    setStatusText(statusText);
    setOnline(statusText.contains(strings.text(LanguageKey::msgOnlinenotify)));

    connect(send_, &QPushButton::clicked, this, &ChatTab::sendRequested);
    connect(input_, &ChatInput::enterPressed, this, &ChatTab::sendRequested);
    connect(input_, &ChatInput::focusReceived, this, &ChatTab::applyFormatMask);
    connect(close_, &QToolButton::clicked, this, &ChatTab::closeRequested);
    connect(showLog_, &LinkLabel::clicked, this, &ChatTab::showLogRequested);
    connect(clear_, &LinkLabel::clicked, this, &ChatTab::clearHistoryRequested);
    connect(save_, &LinkLabel::clicked, this, &ChatTab::saveRequested);
    connect(bold_, &QToolButton::clicked, this, &ChatTab::toggleBold);
    connect(underline_, &QToolButton::clicked, this, &ChatTab::toggleUnderline);
    connect(emoticon_, &QToolButton::clicked, this, &ChatTab::emoticonRequested);
}

QFrame* ChatTab::buildTopPanel(const LanguageStrings& strings) {
    QFrame* panel = loweredPanel(this, "toppanel", kTopPanelHeight);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(1, 0, 1, 0);
    row->setSpacing(5);

    picture_ = named(new QLabel(panel), "Picture");
    picture_->setFixedSize(pictureSize());
    picture_->setScaledContents(true);
    row->addWidget(picture_);

    auto* middle = new QVBoxLayout;
    middle->setContentsMargins(0, 4, 0, 4);
    status_ = named(new QLabel(panel), "Status");
    status_->setTextFormat(Qt::PlainText);
    middle->addWidget(status_);
    showLog_ = named(new LinkLabel(strings.text(LanguageKey::Chatlog), panel), "Label2");
    middle->addWidget(showLog_, 0, Qt::AlignLeft);
    row->addLayout(middle, 1);

    auto* right = new QVBoxLayout;
    right->setContentsMargins(0, 4, 0, 4);
    save_ = named(new LinkLabel(strings.text(LanguageKey::SaveChatCaption), panel), "Label1");
    save_->setEnabled(false); // nothing to save yet
    right->addWidget(save_, 0, Qt::AlignRight);
    clear_ =
        named(new LinkLabel(strings.text(LanguageKey::ClearHistoryCaption), panel), "TntLabel1");
    right->addWidget(clear_, 0, Qt::AlignRight);
    row->addLayout(right);
    row->addSpacing(6);

    close_ = named(new QToolButton(panel), "SpeedButton1");
    close_->setText(QStringLiteral("x"));
    close_->setAutoRaise(true);
    close_->setFixedSize(17, 17);
    close_->setCursor(Qt::PointingHandCursor);
    row->addWidget(close_, 0, Qt::AlignTop);
    return panel;
}

QFrame* ChatTab::buildFormatPanel(const LanguageStrings& strings) {
    QFrame* panel = loweredPanel(this, "FormatPanel", kFormatPanelHeight);
    formatPanel_ = panel;
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    const int side = kFormatPanelHeight - 1;
    auto button = [&](const char* name, const QString& text, LanguageKey hint) {
        auto* b = named(new QToolButton(panel), name);
        b->setText(text);
        b->setToolTip(strings.text(hint));
        b->setFixedSize(side, side);
        b->setAutoRaise(true);
        row->addWidget(b);
        return b;
    };
    bold_ = button("btnBold", QStringLiteral("B"), LanguageKey::msgBoldToolTip);
    underline_ = button("btnUnderLine", QStringLiteral("U"), LanguageKey::msgUnderlineToolTip);
    emoticon_ = button("btnemot", QString(), LanguageKey::msgEmoticonTooltip);
    emoticon_->setIconSize(QSize(19, 19));
    QFont captionFont = bold_->font();
    captionFont.setPointSize(12);
    captionFont.setBold(true);
    bold_->setFont(captionFont);
    captionFont.setBold(false);
    captionFont.setUnderline(true);
    underline_->setFont(captionFont);
    showFormatButton(bold_, false);
    showFormatButton(underline_, false);
    row->addStretch(1);
    return panel;
}

void ChatTab::placeInTabChain(QWidget* before) {
    // The input first, where the keys go when a tab opens; then Send and the conversation to
    // read back; then the links and buttons above and below it.
    QWidget* const order[] = {before, input_, send_, view_,      showLog_, save_,
                              clear_, close_, bold_, underline_, emoticon_};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        if (order[i - 1])
            setTabOrder(order[i - 1], order[i]);
    }
}

void ChatTab::nameForScreenReaders(const LanguageStrings& strings) {
    // Controls whose caption says nothing when read aloud ("B", "x", a picture) are named by
    // their hint; those without any text of the language file by what they are.
    input_->setAccessibleName(QStringLiteral("Message"));
    view_->setAccessibleName(QStringLiteral("Conversation"));
    close_->setAccessibleName(QStringLiteral("Close conversation"));
    bold_->setAccessibleName(strings.text(LanguageKey::msgBoldToolTip));
    underline_->setAccessibleName(strings.text(LanguageKey::msgUnderlineToolTip));
    emoticon_->setAccessibleName(strings.text(LanguageKey::msgEmoticonTooltip));
}

QString ChatTab::statusText() const {
    return status_->text();
}

void ChatTab::setStatusText(const QString& text) {
    status_->setText(text);
}

QSize ChatTab::pictureSize() {
    return {kTopPanelHeight - 1, kTopPanelHeight - 1};
}

void ChatTab::setPicture(const QPixmap& picture) {
    picture_->setPixmap(picture);
}

void ChatTab::setOnline(bool online) {
    send_->setDefault(online);
    send_->setEnabled(online && !sending_);
    input_->setEnabled(online);
    setFormatControlsEnabled(online);
}

void ChatTab::setFormatControlsEnabled(bool enabled) {
    bold_->setEnabled(enabled);
    underline_->setEnabled(enabled);
    emoticon_->setEnabled(enabled);
}

void ChatTab::setSending(bool sending) {
    sending_ = sending;
    input_->setReadOnly(sending);
    send_->setEnabled(!sending && input_->isEnabled());
}

void ChatTab::showFormatButton(QToolButton* button, bool on) {
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, on ? kFormatOnColour : QColor(Qt::black));
    button->setPalette(palette);
    button->setProperty("formatOn", on);
}

void ChatTab::toggleBold() {
    formatMask_ ^= 1;
    showFormatButton(bold_, formatMask_ & 1);
    applyFormatMask();
    input_->setFocus();
}

void ChatTab::toggleUnderline() {
    formatMask_ ^= 2;
    showFormatButton(underline_, formatMask_ & 2);
    applyFormatMask();
    input_->setFocus();
}

void ChatTab::applyFormatMask() {
    QTextCharFormat format;
    format.setFontWeight((formatMask_ & 1) ? QFont::Bold : QFont::Normal);
    format.setFontUnderline(formatMask_ & 2);
    input_->mergeCurrentCharFormat(format);
}

void ChatTab::focusInput() {
    if (input_->isEnabled())
        input_->setFocus();
}

bool ChatTab::repeatsLastIncoming(const QString& text, const QString& timeStamp) const {
    return hasIncoming_ && text == lastIncomingText_ && timeStamp == lastIncomingTime_;
}

void ChatTab::rememberIncoming(const QString& text, const QString& timeStamp) {
    hasIncoming_ = true;
    lastIncomingText_ = text;
    lastIncomingTime_ = timeStamp;
}

} // namespace quillo
