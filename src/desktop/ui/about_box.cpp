#include "desktop/ui/about_box.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "desktop/ui/desktop_pictures.h"
#include "prefs/language_file.h"
#include "prefs/language_strings.h"
#include "prefs/ui/language_captions.h"

namespace quillo {

namespace {

template <typename T>
T* Named(T* widget, const char* name, const QRect& place) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(place);
    return widget;
}

QLabel* TextLabel(QWidget* parent, const char* name, const QString& text, QPoint at) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(at);
    label->adjustSize();
    return label;
}

} // namespace

AboutBox::AboutBox(const LanguageStrings& strings, QWidget* parent)
    : AboutBox(strings, LanguageFile(), parent) {}

QString AboutBox::ownVersion() {
    return QStringLiteral(QUILLO_VERSION);
}

AboutBox::AboutBox(const LanguageStrings& strings, const LanguageFile& file, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("TAboutBox"));
    setModal(true);
    setFixedSize(298, 193);
    setFont(QFont(QStringLiteral("Arial"), 8));
    setWindowIcon(DrawApplicationIcon());

    auto* panel = Named(new QFrame(this), "Panel1", QRect(8, 8, 281, 145));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);

    auto* logo = Named(new QLabel(panel), "ProgramIcon", QRect(8, 8, 233, 65));
    logo->setScaledContents(true);
    logo->setPixmap(DrawProgramLogo(logo->size(), logo->devicePixelRatioF()));

    QLabel* product =
        TextLabel(panel, "ProductName", QStringLiteral("Quillo for Facebook"), QPoint(16, 80));
    QFont productFont = product->font();
    productFont.setPixelSize(16);
    product->setFont(productFont);
    product->setStyleSheet(QStringLiteral("color: #800000;"));
    product->adjustSize();

    QLabel* credit =
        TextLabel(panel, "Label3", QStringLiteral("by Rezidezo Zori Ruziva"), QPoint(16, 104));
    QFont creditFont = credit->font();
    creditFont.setItalic(true);
    credit->setFont(creditFont);
    credit->adjustSize();

    TextLabel(panel, "Version", QString(), QPoint(88, 120));

    auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), "AboutOKButton",
                     QRect(111, 160, 75, 25));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    setWindowTitle(strings.text(LanguageKey::AboutCaption));
    ApplyLanguageCaptions(file, this);
    auto* version = findChild<QLabel*>(QStringLiteral("Version"));
    version->setText(strings.format(LanguageKey::msgVersion, {ownVersion()}));
    // Translated captions may be longer than the English ones.
    for (QLabel* label : panel->findChildren<QLabel*>()) {
        if (label != logo)
            label->adjustSize();
    }

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace quillo
