#pragma once
// The look of every window: the skin file "skin.skn" in the program's data folder, read as a Qt
// style sheet, or without it the built-in look of a tidy 2009 messenger (a light blue header, a
// white contact list). The recommendation panels keep their own colours under any skin.
//
// Thread: the user-interface thread, once at start.

#include <QString>

class QApplication;

namespace quillo {

QString BuiltInStyleSheet();

// The style sheet in force for a program in appFolder: the skin file's text when it can be
// read, the built-in one otherwise.
QString SkinStyleSheet(const QString& appFolder);

void ApplySkin(QApplication& app, const QString& appFolder);

// The recommendation panels' own colours, set on them so that no skin reaches them.
QString RecommendPanelStyleSheet();

} // namespace quillo
