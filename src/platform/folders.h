#pragma once
// Where the program's files live. Every function computes its answer afresh from the running
// executable and the platform's folders (nothing is cached), so tests that move HOME or the XDG
// folders see their own folders.
//
// Paths use "/" as separator on every platform (Qt's file classes take it on Windows too).
// Functions need a QCoreApplication for the executable's folder; any thread.

#include <QString>

namespace quillo {

// Folder of the running executable, with a trailing "/".
QString AppFolder();

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
