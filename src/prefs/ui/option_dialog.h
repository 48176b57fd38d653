#pragma once
// OptionDialog (TOptionDlg): the preferences, one check box per flag of the settings. The
// dialog only mirrors the flags while it is open; whoever opens it stores and applies them
// when it is closed with OK, and nothing changes otherwise (Cancel, Escape, the close box).
//
// Thread: the user-interface thread.

#include <QDialog>

class QCheckBox;

namespace quillo {

class LanguageStrings;
struct Settings;

class OptionDialog final : public QDialog {
    Q_OBJECT
public:
    explicit OptionDialog(const LanguageStrings& strings, QWidget* parent = nullptr);

    // Every box from its flag.
    void load(const Settings& settings);
    // Every flag from its box.
    void store(Settings& settings) const;

    QCheckBox* box(const char* name) const;
};

} // namespace quillo
