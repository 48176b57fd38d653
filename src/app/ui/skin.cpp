#include "app/ui/skin.h"

#include <QApplication>
#include <QFile>

namespace quillo {

QString BuiltInStyleSheet() {
    return QStringLiteral(R"(
QMainWindow, QDialog { background: #ffffff; }
QMenuBar { background: #3b5998; color: #ffffff; }
QMenuBar::item:selected { background: #6d84b4; }
QMenu { background: #ffffff; border: 1px solid #8b9dc3; }
QMenu::item:selected { background: #d8dfea; color: #000000; }
QMenu::item:disabled { color: #a0a0a0; }
#TabSheet1, #loginForm { background: #eceff5; }
#Panel1 { background: #eceff5; color: #3b5998; font-weight: bold; padding-top: 24px; }
#Panel3 { background: #6d84b4; border-bottom: 1px solid #3b5998; }
#Panel3 QLabel { color: #ffffff; }
QLabel[userName="true"] { font-weight: bold; font-size: 13px; }
QLabel[link="true"] { color: #3b5998; }
#Panel3 QLabel[link="true"] { color: #ffffff; }
QLabel[error="true"] { color: #dd0000; min-height: 16px; }
#TreeView1 { background: #ffffff; border: none; }
#Panel2 { background: #f7f7f7; border-top: 1px solid #d8dfea; color: #808080; }
QPushButton { background: #5b74a8; color: #ffffff; border: 1px solid #29447e;
              padding: 3px 14px; border-radius: 2px; }
QPushButton:hover { background: #6d84b4; }
QPushButton:disabled { background: #b0bcd6; border-color: #8b9dc3; }
QLineEdit { border: 1px solid #bdc7d8; padding: 2px; background: #ffffff; }
#TSplashScreen { background: #3b5998; }
#lbstatus { color: #ffffff; }
)");
}

QString RecommendPanelStyleSheet() {
    return QStringLiteral(R"(
#Panel4 { background: #ffffff; border: 1px solid #f7941d; }
#Panel5 { background: #fff9d7; border: none; }
#Panel5 QLabel { color: #333333; background: transparent; }
#Panel5 QLabel[link="true"] { color: #3b5998; }
#Panel5 QLabel[link="true"]:disabled { color: #a0a0a0; }
)");
}

QString SkinStyleSheet(const QString& appFolder) {
    QFile skin(appFolder + QStringLiteral("skin.skn"));
    if (skin.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString::fromUtf8(skin.readAll());
    return BuiltInStyleSheet();
}

void ApplySkin(QApplication& app, const QString& appFolder) {
    app.setStyleSheet(SkinStyleSheet(appFolder));
}

} // namespace quillo
