#pragma once
// The emoticon picker (window `Tfrmemot`): a small borderless drop-down of 23 picture buttons,
// one per emoticon, opened from the emoticon button of a chat tab. A click hands the emoticon's
// code, between two spaces, to whoever opened it and closes the picker; a click anywhere else or
// Escape closes it without choosing. By keys: the arrows move through the grid from the first
// picture, Enter or Space chooses.
//
// Thread and ownership: main thread only. Created hidden once and reused; closing only hides it.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QStringView>
#include <QWidget>

#include <span>

class QToolButton;

namespace quillo {

// One button of the grid: its name, its place in the panel and its emoticon code (the code of
// the emoticon table in its plain form, without the trailing space).
struct PickerCell {
    const char* button;
    int left;
    int top;
    QStringView code;
};

// The 23 buttons in the order of their places: three rows of eight, the last place empty.
std::span<const PickerCell> EmoticonPickerCells();

// Where the picker opens for the emoticon button of a chat tab: to the right of the button and
// reaching up from about its level. The offsets are taken from the chat window's outer frame,
// so the picker lands near the button rather than exactly at it.
//   chatWindowFrame: the chat window's frame in screen coordinates;
//   buttonInPanel:   the emoticon button within its format panel;
//   panelTopInTab:   the top of that panel within the tab.
QPoint EmoticonPickerPosition(const QRect& chatWindowFrame, const QRect& buttonInPanel,
                              int panelTopInTab, int pickerHeight);

class EmoticonPicker : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 235;
    static constexpr int kHeight = 97;
    static constexpr int kButtonSide = 25;
    static constexpr int kPictureSide = 19;

    // emoticonFolder: the local folder of the emoticon pictures (refN.png and refN.gif). A button
    // whose picture is missing shows its code instead.
    explicit EmoticonPicker(const QString& emoticonFolder, QWidget* parent = nullptr);

    static constexpr int kColumns = 8;

    // Places the picker with its top-left corner at topLeft (kept on that screen) and shows it.
    void openAt(QPoint topLeft);

signals:
    // A button was clicked: text is a space, the button's code and a space (" :) "), so that
    // an emoticon typed after a word still stands apart and completes its code. The picker
    // hides right after.
    void emoticonChosen(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QToolButton*> buttons_; // in the order of their places
};

} // namespace quillo
