// Placed ahead of Qt's own include folders for the engine library only: every Qt Gui or
// Qt Widgets header pulls this file in first, so engine code that reaches for a widget
// fails to compile instead of quietly linking the toolkit into the engine.
#error "engine code must not include widget headers: put window code in a ui/ folder"
