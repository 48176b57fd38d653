#pragma once
// The emoticon codes of a message and the pictures that replace them.

#include <QString>
#include <QStringView>
#include <span>

namespace quillo {

// One row of the emoticon table. `image` is the picture's file name in the emoticon folder;
// empty for the row that is not a picture ("%0A", an encoded line feed, becomes "<Br>").
struct EmoticonRow {
    QStringView code;
    Qt::CaseSensitivity caseSensitivity;
    QStringView image;
};

// The rows in the order they are applied: longer codes come before the shorter codes they
// contain. Every code but ":v" and "%0A" ends in a space.
std::span<const EmoticonRow> EmoticonTable();

// "file://", the program's folder with its backslashes turned into slashes, and "Emoticons";
// a separator is added when the folder does not end in one.
QString EmoticonFolderUrl(const QString& programFolder);

// At most this many pictures in one message: each is laid out on its own, and a message made
// of nothing but codes would otherwise freeze the window that shows it.
inline constexpr int kMostEmoticonPictures = 200;

// Every code replaced, the earlier row first where codes overlap; a code becomes
// <img src="FOLDER/refN.png"></img>. Past kMostEmoticonPictures pictures, the codes stay as
// typed. `html` is message text already escaped for the view, so
// the codes with "&gt;", "&lt;" and "&circ;" are the forms that match typed "<", ">" and "^",
// and no code is ever taken from the markup of a picture placed before it. Linear time.
QString ApplyEmoticons(const QString& html, const QString& folderUrl);

} // namespace quillo
