// Where the program finds its language files and pictures: beside itself (the build folder),
// in ../share/quillo/ of an installed program, or in the XDG data folders, in that order.
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/folders.h"

namespace quillo {
namespace {

struct Case {
    const char* name;
    QStringList dataFolders;  // folders under the tree that hold Langs/
    QStringList emptyFolders; // folders that exist without Langs/
    QStringList xdgFolders;   // the XDG data folders, in their order
    const char* expected;     // relative to the tree, with its trailing "/"
};

TEST(ProgramDataFolder, FirstFolderWithLanguageFilesWins) {
    const Case cases[] = {
        {"build folder", {"prefix/bin"}, {}, {}, "prefix/bin/"},
        {"installed under a prefix",
         {"prefix/share/quillo"},
         {"prefix/bin"},
         {},
         "prefix/share/quillo/"},
        {"build folder before an installed copy",
         {"prefix/bin", "prefix/share/quillo"},
         {},
         {},
         "prefix/bin/"},
        {"XDG data folders in their order",
         {"xdg2/quillo", "xdg3/quillo"},
         {"prefix/bin", "xdg1/quillo"},
         {"xdg1", "xdg2", "xdg3"},
         "xdg2/quillo/"},
        {"../share before the XDG folders",
         {"prefix/share/quillo", "xdg1/quillo"},
         {"prefix/bin"},
         {"xdg1"},
         "prefix/share/quillo/"},
        {"nothing anywhere: beside the program",
         {},
         {"prefix/bin", "xdg1/quillo"},
         {"xdg1"},
         "prefix/bin/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir tree;
        ASSERT_TRUE(tree.isValid());
        const QDir root(tree.path());
        for (const QString& folder : c.dataFolders)
            ASSERT_TRUE(root.mkpath(folder + QStringLiteral("/Langs")));
        for (const QString& folder : c.emptyFolders)
            ASSERT_TRUE(root.mkpath(folder));
        QStringList xdg;
        for (const QString& folder : c.xdgFolders)
            xdg.append(root.filePath(folder));
        EXPECT_EQ(FindProgramDataFolder(root.filePath(QStringLiteral("prefix/bin")), xdg),
                  root.filePath(QString::fromUtf8(c.expected)));
    }
}

TEST(ProgramDataFolder, AFileNamedLangsIsNoDataFolder) {
    QTemporaryDir tree;
    const QDir root(tree.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("prefix/bin")));
    ASSERT_TRUE(root.mkpath(QStringLiteral("prefix/share/quillo/Langs")));
    QFile stray(root.filePath(QStringLiteral("prefix/bin/Langs")));
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.close();
    EXPECT_EQ(FindProgramDataFolder(root.filePath(QStringLiteral("prefix/bin/")), {}),
              root.filePath(QStringLiteral("prefix/share/quillo/")));
}

} // namespace
} // namespace quillo
