#include "conversation/chat_log.h"

#include "platform/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringConverter>

#include <array>

namespace quillo {

namespace {

constexpr QFileDevice::Permissions kFolderPermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions kFilePermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner;

const QByteArray kUtf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

// Windows-1252 at 0x80..0x9F; the five bytes it leaves undefined stand for the C1 control of
// the same number, as Windows itself decodes them. Every other byte is its Latin-1 character.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString FromWindows1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i] =
            byte >= 0x80 && byte < 0xA0 ? QChar(kCp1252High[byte - 0x80]) : QChar(char16_t(byte));
    }
    return text;
}

// A byte-order mark selects the encoding; without one the file is an older Windows-1252 log.
QString DecodeLog(const QByteArray& bytes) {
    if (const auto encoding = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*encoding); // drops the byte-order mark
        return decoder.decode(bytes);
    }
    return FromWindows1252(bytes);
}

ChatLogWrite WriteFailure(const QString& path, const QString& reason) {
    return {false,
            QStringLiteral("Could not write the chat log %1: %2")
                .arg(QDir::toNativeSeparators(path), reason),
            reason};
}

// Creates the log's folder private to the user. The logs' own folder, made open before logs
// were private, is closed again; any other existing folder is left as it is.
bool EnsurePrivateFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (info.isDir()) {
        if (info.absoluteFilePath() == QFileInfo(UserDataFolder()).absoluteFilePath())
            QFile::setPermissions(folder, kFolderPermissions);
        return true;
    }
    const QString parent = info.absolutePath();
    return QDir().mkpath(parent) && QDir().mkdir(folder, kFolderPermissions);
}

// Rewrites a log that is not UTF-8 with a byte-order mark (an older Windows-1252 log) as one, in
// one replacement, so that the blocks appended after it share its encoding. ok when done or not
// needed.
ChatLogWrite ConvertOlderLog(const QString& path) {
    QFile old(path);
    if (!old.exists() || old.size() == 0)
        return {true, {}, {}};
    if (!old.open(QIODevice::ReadOnly))
        return WriteFailure(path, old.errorString());
    if (old.peek(kUtf8Bom.size()) == kUtf8Bom)
        return {true, {}, {}};
    const QByteArray bytes = old.readAll();
    old.close();

    QSaveFile converted(path);
    if (!converted.open(QIODevice::WriteOnly))
        return WriteFailure(path, converted.errorString());
    converted.write(kUtf8Bom);
    converted.write(DecodeLog(bytes).toUtf8());
    if (!converted.commit())
        return WriteFailure(path, converted.errorString());
    return {true, {}, {}};
}

} // namespace

QString ChatLogPath(ContactId account, ContactId contact) {
    if (!account.isValid() || !contact.isValid())
        return QString();
    return UserDataFolder() + QLatin1Char('/') + account.toText() + QLatin1Char('_') +
           contact.toText() + QStringLiteral(".htm");
}

ChatLogWrite AppendLogLine(const QString& path, const QString& block) {
    if (path.isEmpty())
        return {false,
                QStringLiteral("Could not write the chat log: no log file is known for this "
                               "conversation"),
                QStringLiteral("no log file is known for this conversation")};
    if (!EnsurePrivateFolder(QFileInfo(path).absolutePath()))
        return WriteFailure(path, QStringLiteral("its folder cannot be created"));
    if (ChatLogWrite converted = ConvertOlderLog(path); !converted.ok)
        return converted;

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered,
                   kFilePermissions))
        return WriteFailure(path, file.errorString());
    file.setPermissions(kFilePermissions); // a file made before logs were private

    const qint64 oldSize = file.size();
    QByteArray bytes;
    if (oldSize == 0)
        bytes = kUtf8Bom;
    bytes += block.toUtf8();
    bytes += "\r\n";
    if (file.write(bytes) == bytes.size())
        return {true, {}, {}};

    // Leave no half block behind for the next append to continue.
    ChatLogWrite failure = WriteFailure(path, file.errorString());
    file.resize(oldSize);
    return failure;
}

ChatLogText ReadChatLog(const QString& path) {
    ChatLogText log;
    QFile file(path);
    if (path.isEmpty() || !file.exists())
        return log;
    log.exists = true;
    if (!file.open(QIODevice::ReadOnly)) {
        log.reason = file.errorString();
        log.error = QStringLiteral("Could not read the chat log %1: %2")
                        .arg(QDir::toNativeSeparators(path), log.reason);
        return log;
    }
    const QString text = DecodeLog(file.readAll());

    // Text lines end at a carriage return, a line feed or the pair; each is given back with a
    // carriage return and line feed.
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        log.text += QStringView(text).sliced(start, i - start);
        log.text += QStringLiteral("\r\n");
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size()) {
        log.text += QStringView(text).sliced(start);
        log.text += QStringLiteral("\r\n");
    }
    return log;
}

} // namespace quillo
