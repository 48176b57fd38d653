// endpoints.ini: plain sign-in is a test setup's explicit choice, never a typo's.
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "session/endpoints.h"

using namespace quillo;

TEST(EndpointsFile, PlainSignInOnlyForAClearYes) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("endpoints.ini"));
    EXPECT_FALSE(LoadEndpoints(path).plainSignIn) << "no file";
    const struct {
        const char* line; // "" writes no plain_sign_in at all
        bool plain;
    } cases[] = {
        {"", false},
        {"plain_sign_in=true", true},
        {"plain_sign_in = TRUE ", true},
        {"plain_sign_in=1", true},
        {"plain_sign_in=yes", true},
        {"plain_sign_in=on", true},
        {"plain_sign_in=false", false},
        {"plain_sign_in=0", false},
        {"plain_sign_in=no", false},
        {"plain_sign_in=off", false},
        {"plain_sign_in=", false},
        {"plain_sign_in=tru", false},
        {"plain_sign_in=true,false", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("connect_to=127.0.0.1:1\n") + c.line + '\n');
        file.close();
        const Endpoints e = LoadEndpoints(path);
        EXPECT_EQ(e.plainSignIn, c.plain);
        EXPECT_EQ(e.connectTo, QStringLiteral("127.0.0.1:1"));
    }
}
