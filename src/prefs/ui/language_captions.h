#pragma once
// Puts the captions of the language file on a window's named controls.
//
// How the controls of the original forms map onto Qt widgets here, and what takes the caption:
//   push, bitmap and speed buttons, check boxes, radio buttons   QAbstractButton::setText
//   labels                                                       QLabel::setText
//   panels                                                       see below
//   tab sheets (pages of a QTabWidget)                           the page's tab text
//   menu items                                                   QAction::setText
//   menus                                                        QMenu::setTitle
//   labelled edit boxes (a QLineEdit)                            the QLabel whose buddy it is
// Panels: a panel that shows a caption is a QLabel (which may hold child widgets over its
// text) or a QGroupBox (its title). A bare QFrame or QWidget is a container without caption
// and is left alone, as are all other kinds. The window's own title is never changed here.

class QWidget;

namespace quillo {

class LanguageFile;

// For every object of window with an object name, in creation order (each parent before its
// children), the file's non-empty entry for that name becomes the object's caption. A missing
// or unusable file changes nothing. Main thread only.
void ApplyLanguageCaptions(const LanguageFile& file, QWidget* window);

} // namespace quillo
