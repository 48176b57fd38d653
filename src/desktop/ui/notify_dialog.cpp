#include "desktop/ui/notify_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolButton>

#include "desktop/ui/desktop_pictures.h"
#include "platform/ui/plain_text.h"

namespace quillo {

namespace {

// In the text area, below the caption strip.
constexpr QRect kLabelPlace(24, 8, 233, 13);
constexpr QRect kCloseButtonPlace(263, 3, 15, 15);

// The caption strip and the one-pixel border around the notice.
const QColor kCaptionColor(0x3B, 0x59, 0x98);
constexpr int kCaptionTextMargin = 5;
constexpr int kCloseBoxSide = 14;

QRect InTextArea(QRect place) {
    return place.translated(0, NotifyDialog::kCaptionHeight);
}

QFont NoticeFont(NotifyDialog::Look look) {
    QFont font(QStringLiteral("Arial"), 8);
    if (look == NotifyDialog::Look::Link) {
        font.setBold(true);
        font.setUnderline(true);
    } else {
        font.setItalic(true);
    }
    return font;
}

} // namespace

NotifyDialog::NotifyDialog(const QString& text, Look look, std::chrono::milliseconds lifetime)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus)
    , look_(look)
    , activeBefore_(QApplication::activeWindow()) {
    setObjectName(QStringLiteral("TNotifyDlg"));
    setWindowTitle(QStringLiteral("Quillo for Facebook"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(kWidth, kWindowHeight);
    setFont(QFont(QStringLiteral("Arial"), 8));

    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("Label1"));
    showPlainText(label_, text); // a friend's name
    label_->setFont(NoticeFont(look));
    QPalette palette = label_->palette();
    palette.setColor(QPalette::WindowText,
                     look == Look::Link ? QColor(0x00, 0x00, 0xFF) : QColor(0x80, 0x80, 0x80));
    label_->setPalette(palette);
    // The label keeps its width whatever the text; only its height follows the font, so that
    // no platform's font cuts the letters off.
    QRect place = InTextArea(kLabelPlace);
    place.setHeight(qMax(place.height(), label_->fontMetrics().height()));
    place.moveLeft(width() / 2 - place.width() / 2);
    label_->setGeometry(place);
    if (look == Look::Link)
        label_->setCursor(Qt::PointingHandCursor);
    label_->installEventFilter(this);

    closeButton_ = new QToolButton(this);
    closeButton_->setObjectName(QStringLiteral("SpeedButton1"));
    closeButton_->setText(QStringLiteral("X"));
    closeButton_->setAutoRaise(true);
    closeButton_->setFocusPolicy(Qt::NoFocus);
    closeButton_->setStyleSheet(QStringLiteral("color: #800000;"));
    closeButton_->setGeometry(InTextArea(kCloseButtonPlace));
    closeButton_->hide();
    connect(closeButton_, &QToolButton::clicked, this, &QWidget::close);

    // The caption's close box: a click on it never moves the keyboard focus either.
    closeBox_ = new QToolButton(this);
    closeBox_->setObjectName(QStringLiteral("closeBox"));
    closeBox_->setAccessibleName(QStringLiteral("Close"));
    // A small white cross, drawn rather than taken from a font, which may have no such letter.
    closeBox_->setIcon(QIcon(DrawCloseBox(devicePixelRatioF())));
    closeBox_->setIconSize(QSize(8, 8));
    closeBox_->setAutoRaise(true);
    closeBox_->setFocusPolicy(Qt::NoFocus);
    const int boxMargin = (kCaptionHeight - kCloseBoxSide) / 2;
    closeBox_->setGeometry(kWidth - boxMargin - 1 - kCloseBoxSide, boxMargin, kCloseBoxSide,
                           kCloseBoxSide);
    connect(closeBox_, &QToolButton::clicked, this, &QWidget::close);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setSingleShot(true);
    timer_->setInterval(lifetime);
    connect(timer_, &QTimer::timeout, this, &QWidget::close);
    timer_->start();
}

QString NotifyDialog::text() const {
    return label_->text();
}

void NotifyDialog::setText(const QString& text) {
    label_->setText(text);
}

void NotifyDialog::setTextHint(const QString& hint) {
    setPlainToolTip(label_, hint);
}

void NotifyDialog::restartTimer() {
    timer_->start();
}

std::chrono::milliseconds NotifyDialog::lifetime() const {
    return timer_->intervalAsDuration();
}

// The window flags ask the platform not to activate a notice, but not every window manager
// listens. One that activates it anyway would take the keyboard from a conversation in the
// middle of a word, so the window that had it gets it back at once.
bool NotifyDialog::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && activeBefore_ && activeBefore_ != this &&
        activeBefore_->isVisible() && !activeBefore_->isMinimized()) {
        activeBefore_->activateWindow();
    }
    return QWidget::event(event);
}

void NotifyDialog::closeEvent(QCloseEvent* event) {
    event->accept();
    timer_->stop();
    if (!closed_) {
        closed_ = true;
        emit closed(this);
    }
}

void NotifyDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect caption(0, 0, width(), kCaptionHeight);
    painter.fillRect(caption, kCaptionColor);
    painter.setPen(kCaptionColor);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    QFont captionFont = font();
    captionFont.setBold(true);
    painter.setFont(captionFont);
    painter.setPen(Qt::white);
    const QRect textBox = caption.adjusted(kCaptionTextMargin, 0,
                                           -(width() - closeBox_->x()) - kCaptionTextMargin, 0);
    painter.drawText(
        textBox, Qt::AlignLeft | Qt::AlignVCenter,
        painter.fontMetrics().elidedText(windowTitle(), Qt::ElideRight, textBox.width()));
}

// The press may start on the text and end elsewhere: only a release over the text counts.
bool NotifyDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == label_ && look_ == Look::Link && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            label_->rect().contains(mouse->position().toPoint())) {
            emit clicked();
            close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quillo
