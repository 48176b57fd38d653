#pragma once
// What a window benchmark does before its QApplication: the offscreen platform unless another
// is asked for, the program's settings, chat logs and caches in folders of this run (never the
// user's), and the offscreen platform's notes about the window manager it lacks kept quiet (the
// figures do not depend on them).

#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

inline QtMessageHandler& offscreenNextHandler() {
    static QtMessageHandler next = nullptr;
    return next;
}

inline void quietOffscreenNotes(QtMsgType type, const QMessageLogContext& context,
                                const QString& text) {
    if (!text.startsWith(QLatin1String("This plugin does not support")))
        offscreenNextHandler()(type, context, text);
}

// home must outlive the application.
inline void prepareOffscreenProgram(const QTemporaryDir& home) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(name, (home.path() + u'/' + QLatin1String(name)).toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    offscreenNextHandler() = qInstallMessageHandler(quietOffscreenNotes);
}
