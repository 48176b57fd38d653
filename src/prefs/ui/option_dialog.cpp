#include "prefs/ui/option_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <atomic>

#include "prefs/language_strings.h"
#include "prefs/settings.h"

namespace quillo {

namespace {

struct FlagBox {
    const char* name;
    const char* caption;
    std::atomic<bool> Settings::*flag;
};

// Top to bottom, as the dialog shows them.
constexpr FlagBox kBoxes[] = {
    // What it does here: an autostart entry of the desktop session (platform/autorun.h).
    {"chkAutorun", "Start Quillo for Facebook when I log in.", &Settings::Autorun},
    {"ChkAutoUpdate", "Automatically check for updates on sign in.", &Settings::AutoUpdate},
    {"chkShowLastMsg", "Show last messages.", &Settings::ShowLastMsg},
    {"chkAutoClearHistory", "Clear chat history on close.", &Settings::AutoClearHistory},
    {"chkturnofnotify", "Turn off online/offline notification", &Settings::TurnOffNotify},
    {"chkHideoffline", "Hide offline buddy list", &Settings::HideOffline},
    {"chkRememberMain", "Remember main window size", &Settings::RememberMainWindowSize},
    {"chkRememberSize", "Remember chat window size", &Settings::RememberWindowSize},
    {"chkDisableChatlog", "Disable chat log", &Settings::DisableChatLog},
    {"chkShowStatus", "Update status of using Quillo for Facebook on your wall.",
     &Settings::ShowStatus},
};

} // namespace

OptionDialog::OptionDialog(const LanguageStrings& strings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("TOptionDlg"));
    setWindowTitle(strings.text(LanguageKey::OptionCaption));
    setModal(true);
    auto* column = new QVBoxLayout(this);
    for (const FlagBox& flag : kBoxes) {
        auto* check = new QCheckBox(QString::fromLatin1(flag.caption), this);
        check->setObjectName(QLatin1String(flag.name));
        column->addWidget(check);
    }
    column->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("PreferencesOKBtn"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("PreferencesCancelBtn"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    column->addLayout(buttons);
    setFixedSize(451, 317);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QCheckBox* OptionDialog::box(const char* name) const {
    return findChild<QCheckBox*>(QLatin1String(name));
}

void OptionDialog::load(const Settings& settings) {
    for (const FlagBox& flag : kBoxes)
        box(flag.name)->setChecked((settings.*flag.flag).load());
}

void OptionDialog::store(Settings& settings) const {
    for (const FlagBox& flag : kBoxes)
        (settings.*flag.flag) = box(flag.name)->isChecked();
}

} // namespace quillo
