#include "conversation/ui/emoticon_picker.h"

#include "conversation/emoticons.h"

#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <QScreen>
#include <QToolButton>

namespace quillo {

namespace {

// Ordered by place, not by name: buttons 5 and 6, and 7 and 8, stand the other way round.
constexpr PickerCell kCells[] = {
    {"SpeedButton1", 7, 9, u":)"},           {"SpeedButton2", 34, 9, u":("},
    {"SpeedButton3", 62, 9, u":P"},          {"SpeedButton4", 90, 9, u":D"},
    {"SpeedButton6", 117, 9, u":O"},         {"SpeedButton5", 145, 9, u";)"},
    {"SpeedButton8", 173, 9, u"8)"},         {"SpeedButton7", 201, 9, u"B)"},
    {"SpeedButton9", 7, 36, u":3"},          {"SpeedButton10", 34, 36, u">:("},
    {"SpeedButton11", 62, 36, u":/"},        {"SpeedButton12", 90, 36, u":'("},
    {"SpeedButton13", 117, 36, u"3:)"},      {"SpeedButton14", 145, 36, u":-*"},
    {"SpeedButton15", 173, 36, u"O:)"},      {"SpeedButton16", 201, 36, u"^_^"},
    {"SpeedButton17", 7, 63, u"-_-"},        {"SpeedButton18", 34, 63, u"O.o"},
    {"SpeedButton19", 62, 63, u">:O"},       {"SpeedButton20", 90, 63, u"<3"},
    {"SpeedButton21", 117, 63, u":v"},       {"SpeedButton22", 145, 63, u":|]"},
    {"SpeedButton23", 173, 63, u":wombat:"},
};

// The picture the chat view shows for code: the table row whose code is the button's code and
// its ending space, or the code itself for ":v", the one code that has no space.
QStringView PictureOf(QStringView code) {
    for (const EmoticonRow& row : EmoticonTable()) {
        if (row.image.isEmpty())
            continue;
        const QStringView rowCode = row.code;
        if (rowCode == code || (rowCode.size() == code.size() + 1 && rowCode.endsWith(u' ') &&
                                rowCode.startsWith(code)))
            return row.image;
    }
    return {};
}

} // namespace

std::span<const PickerCell> EmoticonPickerCells() {
    return kCells;
}

QPoint EmoticonPickerPosition(const QRect& chatWindowFrame, const QRect& buttonInPanel,
                              int panelTopInTab, int pickerHeight) {
    return {chatWindowFrame.left() + buttonInPanel.left() + buttonInPanel.width() + 5,
            chatWindowFrame.top() + panelTopInTab + buttonInPanel.height() + 25 - pickerHeight};
}

EmoticonPicker::EmoticonPicker(const QString& emoticonFolder, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Tfrmemot"));
    setFixedSize(kWidth, kHeight);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(rect());

    const QDir folder(emoticonFolder);
    for (const PickerCell& cell : kCells) {
        auto* button = new QToolButton(panel);
        const QString code = cell.code.toString();
        button->setObjectName(QString::fromLatin1(cell.button));
        button->setGeometry(cell.left, cell.top, kButtonSide, kButtonSide);
        button->setAutoRaise(true);
        // Clicking a picture must not take the focus: the input it goes into keeps it. The keys
        // reach the buttons all the same (openAt, eventFilter).
        button->setFocusPolicy(Qt::TabFocus);
        button->installEventFilter(this);
        buttons_.append(button);
        button->setToolTip(code);
        button->setAccessibleName(code);
        button->setText(code); // shown only when there is no picture
        button->setIconSize(QSize(kPictureSide, kPictureSide));
        if (const QStringView picture = PictureOf(cell.code); !picture.isEmpty()) {
            const QPixmap pixmap(folder.filePath(picture.toString()));
            if (!pixmap.isNull())
                button->setIcon(QIcon(pixmap));
        }
        connect(button, &QToolButton::clicked, this, [this, code] {
            emit emoticonChosen(u' ' + code + u' ');
            hide();
        });
    }
}

void EmoticonPicker::openAt(QPoint topLeft) {
    // A drop-down partly off the screen could not be used; it is moved just enough to fit.
    const QScreen* screen = QGuiApplication::screenAt(topLeft);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(
            qBound(area.left(), topLeft.x(), qMax(area.left(), area.right() + 1 - width())));
        topLeft.setY(
            qBound(area.top(), topLeft.y(), qMax(area.top(), area.bottom() + 1 - height())));
    }
    move(topLeft);
    show();
    raise();
    activateWindow();
    // The keyboard starts on the first picture, as a menu starts on its first item.
    if (!buttons_.isEmpty())
        buttons_.constFirst()->setFocus(Qt::PopupFocusReason);
}

bool EmoticonPicker::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const qsizetype at = buttons_.indexOf(qobject_cast<QToolButton*>(watched));
    if (at < 0 || (key->modifiers() & ~Qt::KeypadModifier))
        return QWidget::eventFilter(watched, event);
    // The arrows move through the grid by rows of kColumns, as the pictures stand.
    const qsizetype column = at % kColumns;
    qsizetype to = -1;
    switch (key->key()) {
    case Qt::Key_Left:
        to = column > 0 ? at - 1 : at;
        break;
    case Qt::Key_Right:
        to = column + 1 < kColumns && at + 1 < buttons_.size() ? at + 1 : at;
        break;
    case Qt::Key_Up:
        to = at >= kColumns ? at - kColumns : at;
        break;
    case Qt::Key_Down:
        to = at + kColumns < buttons_.size() ? at + kColumns : at;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        buttons_.at(at)->click();
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
    buttons_.at(to)->setFocus(Qt::TabFocusReason);
    return true;
}

} // namespace quillo
