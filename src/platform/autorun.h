#pragma once
// Starting the program when the user signs in to the desktop.
//
// Windows: the text value "Quillo for Facebook" under
// HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Run, holding the executable's full
// path, unquoted and without arguments. Elsewhere: the XDG autostart entry
// $XDG_CONFIG_HOME/autostart/quillo.desktop; an entry that the desktop marks as disabled
// ("Hidden=true") does not count as registered.
//
// Every failure is swallowed: a registration that cannot be read counts as absent, one that
// cannot be written stays as it was. Runs on the user-interface thread.

#include <QString>

namespace quillo {

bool IsAutorunRegistered();

// Registers the running program, or removes the registration. Elsewhere than on Windows the
// entry starts it with --minimized, in the tray: an installed program by its command
// (QUILLO_PROGRAM_NAME, as its desktop entry does), so that the entry outlives upgrades and
// moves; one run from its build folder by QCoreApplication::applicationFilePath().
void SetAutorun(bool on);
// The same with the path to register given (tests register a path of their own).
void SetAutorun(bool on, const QString& executablePath);

#ifndef Q_OS_WIN
// Where the autostart entry lives, computed from the configuration folder at each call.
QString AutostartEntryPath();

// The value of the entry's Exec key that starts executablePath with no arguments: quoted as a
// command line argument, "%" doubled, then escaped as a desktop-entry string.
QString DesktopExecValue(const QString& executablePath);

// The Exec value SetAutorun(true) writes for a program at executablePath, installed or not.
QString AutostartExecValue(const QString& executablePath, bool installed);

#endif

} // namespace quillo
