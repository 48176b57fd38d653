#pragma once
// Where the program's files live. Every function computes its answer afresh from the running
// executable and the platform's folders (nothing is cached), so tests that move HOME or the XDG
// folders see their own folders.
//
// Paths use "/" as separator on every platform (Qt's file classes take it on Windows too).
// Functions need a QCoreApplication for the executable's folder; any thread.

#include <QString>
#include <QStringList>

namespace quillo {

// Folder of the running executable, with a trailing "/".
QString AppFolder();

// The folder holding the program's own data (Langs/, Emoticons/, emot.bmp, skin.skn), with a
// trailing "/": the first of programFolder itself (the build folder, where the data sits beside
// the binary), programFolder's ../share/quillo/ (an installed program under any prefix) and
// quillo/ in each of dataFolders (the XDG data folders) that holds a Langs folder. Without one,
// programFolder, as before there was anywhere else to look.
QString FindProgramDataFolder(const QString& programFolder, const QStringList& dataFolders);

// FindProgramDataFolder for the running executable and the platform's data folders.
QString ProgramDataFolder();

// Whether the program's data sits beside the running executable, as in the build folder. Only
// such a program reads the stand-in's endpoints.ini beside itself; an installed one never
// takes its hosts from whatever file lies next to it in a shared bin folder.
bool RunsFromItsOwnFolder();

// The all-users application-data folder followed by "/Quillo For FaceBook" (no trailing
// separator): the banner cache lives here. Linux has no folder that every user
// may write, so there it is the user's own data folder ($XDG_DATA_HOME, usually
// ~/.local/share), the nearest sound equivalent. The folder is not created here.
QString DataFolder();

// The user's own application-data folder followed by "/Quillo For FaceBook" (no trailing
// separator): on Windows %LOCALAPPDATA%, elsewhere $XDG_DATA_HOME (usually ~/.local/share). No
// other account may read what is kept here, so the chat logs live here. The folder is not
// created here.
QString UserDataFolder();

// The file that holds the settings where there is no registry:
// $XDG_CONFIG_HOME/Rezidezo Zori Ruziva/settings.conf (usually under ~/.config). Empty on
// Windows, where the registry holds them.
QString SettingsFilePath();

} // namespace quillo
