// The contact list read from the service: the online set and user information of a buddy-list
// answer, the pages of the friend list, and the full and online forms built from them.
#include <gtest/gtest.h>

#include <QSet>
#include <functional>
#include <random>

#include "support/qt_printers.h"

#include "contacts/buddy_list.h"

using namespace quillo;

namespace {

QString q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QStringList lines(std::initializer_list<const char*> texts) {
    QStringList result;
    for (const char* text : texts)
        result.append(q(text));
    return result;
}

// A buddy-list answer: the online set holds available (a JSON object body) and the user
// information holds infos.
QString buddyAnswer(const char* available, const char* infos) {
    return q(R"(for (;;);{"error":0,"errorSummary":"","errorDescription":"No error.",)"
             R"("payload":{"buddy_list":{"listChanged":true,"availableCount":2,)"
             R"("nowAvailableList":{)") +
           q(available) + q(R"(},"wasAvailableIDs":[],"userInfos":{)") + q(infos) +
           q(R"(},"forcedRender":true},"time":1257000000000}})");
}

QString info(const char* id, const char* name) {
    return q(R"(")") + q(id) + q(R"(":{"name":")") + q(name) + q(R"(","firstName":"F",)") +
           q(R"("thumbSrc":"http:\/\/pics.facebook.test\/q.jpg","status":null})");
}

// Friends 1, 2, 3 named A, B, C; 2 and 9 online; the user information names the user (1000)
// and the two online contacts.
QString twoOnlineOneStrangerAnswer() {
    const QString infos = info("1000", "Me") + u',' + info("2", "B") + u',' + info("9", "D");
    return buddyAnswer(R"("2":{"i":false},"9":{"i":true})", infos.toUtf8().constData());
}

QString friendEntry(const char* id, const char* title, const char* pic) {
    QString entry = q(R"({"id":)") + q(id) + q(R"(,"title":")") + q(title) + u'"';
    if (pic)
        entry += q(R"(,"pic":")") + q(pic) + u'"';
    return entry + q(R"(,"subtext":"","type":"user"})");
}

QString friendPage(const QStringList& entries) {
    return q(R"(for (;;);{"error":0,"errorSummary":"","errorDescription":"No error.",)"
             R"("payload":{"entries":[)") +
           entries.join(u',') + q(R"(],"edge_type":"everyone","page":0,"has_more":false}})");
}

// A full page of the friend list: 100 friends with ids from first on.
QString fullFriendPage(int first) {
    QStringList entries;
    for (int id = first; id < first + 100; ++id) {
        const QByteArray text = QByteArray::number(id);
        entries.append(friendEntry(text.constData(), ("F" + text).constData(), "http://p/f.jpg"));
    }
    return friendPage(entries);
}

} // namespace

TEST(BuddyList, FullFormMarksFriendsAndAddsOnlineStrangersNamedInTheAnswer) {
    const OnlineSet online = OnlineSetOf(twoOnlineOneStrangerAnswer());
    ASSERT_TRUE(online.found);
    EXPECT_EQ(online.ids, lines({"2", "9"})); // the online form, in the set's order
    EXPECT_TRUE(online.tail.startsWith(u"},\"wasAvailableIDs")) << online.tail.toStdString();

    BuddyList list = lines({"X1:A", "X2:B", "X3:C"});
    MarkOnline(list, online.ids, online.tail);
    EXPECT_EQ(list, lines({"X1:A", "O2:B", "X3:C", "O9:D"}));
}

TEST(BuddyList, OnlineContactNamedNowhereIsLeftOut) {
    const QString answer =
        buddyAnswer(R"("2":{"i":false},"7":{"i":false})", info("2", "B").toUtf8().constData());
    const OnlineSet online = OnlineSetOf(answer);
    EXPECT_EQ(online.ids, lines({"2", "7"}));
    BuddyList list = lines({"X1:A", "X2:B"});
    MarkOnline(list, online.ids, online.tail);
    EXPECT_EQ(list, lines({"X1:A", "O2:B"}));
}

TEST(BuddyList, MarkOnlineHandlesRepeatsAndLookalikeIds) {
    const QString tail = q(R"(},"wasAvailableIDs":[],"userInfos":{)") + info("9", "D") + u'}';
    const struct {
        const char* name;
        QStringList list;
        QStringList online;
        QStringList expected;
    } cases[] = {
        {"every line of a repeated friend", lines({"X5:E", "X6:F", "X5:E"}), lines({"5"}),
         lines({"O5:E", "X6:F", "O5:E"})},
        {"an id is whole, not a prefix", lines({"X12:L", "X123:M", "X1:N"}), lines({"12"}),
         lines({"O12:L", "X123:M", "X1:N"})},
        {"a stranger online twice is added once", lines({"X1:A"}), lines({"9", "9"}),
         lines({"X1:A", "O9:D"})},
        {"ids above 2^32", lines({"X100000987654321:Z"}), lines({"100000987654321"}),
         lines({"O100000987654321:Z"})},
        {"nobody online", lines({"X1:A"}), {}, lines({"X1:A"})},
        {"an empty list", {}, lines({"9"}), lines({"O9:D"})},
    };
    for (const auto& c : cases) {
        BuddyList list = c.list;
        MarkOnline(list, c.online, tail);
        EXPECT_EQ(list, c.expected) << c.name;
    }
}

// MarkOnline compares numeric ids as numbers; an id of any other form must still be matched by
// its exact text, and a number never by another spelling of it.
TEST(BuddyList, MarkOnlineMatchesIdsOfEveryFormByTheirText) {
    const QString tail = q(R"(},"wasAvailableIDs":[],"userInfos":{)") + info("abc", "S") + u',' +
                         info("007", "Z") + u'}';
    const struct {
        const char* name;
        QStringList list;
        QStringList online;
        QStringList expected;
    } cases[] = {
        {"a friend whose id is no number", lines({"Xabc:N", "X1:A"}), lines({"abc"}),
         lines({"Oabc:N", "X1:A"})},
        {"a leading zero makes another id", lines({"X007:B", "X7:C"}), lines({"7"}),
         lines({"X007:B", "O7:C"})},
        {"the other spelling is a stranger", lines({"X7:C"}), lines({"007"}),
         lines({"X7:C", "O007:Z"})},
        {"zero itself", lines({"X0:A", "X00:B"}), lines({"0"}), lines({"O0:A", "X00:B"})},
        {"18 digits", lines({"X999999999999999999:M", "X99999999999999999:N"}),
         lines({"999999999999999999"}), lines({"O999999999999999999:M", "X99999999999999999:N"})},
        {"more digits than a qint64 holds",
         lines({"X12345678901234567890:W", "X1234567890123456789:V", "X2345678901234567890:U"}),
         lines({"12345678901234567890", "2345678901234567890"}),
         lines({"O12345678901234567890:W", "X1234567890123456789:V", "O2345678901234567890:U"})},
        {"digits then a letter", lines({"X12a:C", "X12:D"}), lines({"12a"}),
         lines({"O12a:C", "X12:D"})},
        {"digits that are not ASCII", lines({"X\u0661\u0662:E", "X12:F"}), lines({"\u0661\u0662"}),
         lines({"O\u0661\u0662:E", "X12:F"})},
        {"lines without an id are no one's", lines({"X:A", "Xabc", ""}), lines({""}),
         lines({"X:A", "Xabc", ""})},
        {"a line without an id does not hide a stranger", lines({"Xabc"}), lines({"abc"}),
         lines({"Xabc", "Oabc:S"})},
        {"a text id repeated in the list and the set", lines({"Xabc:N", "X5:E", "Xabc:N"}),
         lines({"abc", "abc"}), lines({"Oabc:N", "X5:E", "Oabc:N"})},
        {"a text stranger online twice is added once", BuddyList(), lines({"abc", "abc"}),
         lines({"Oabc:S"})},
        {"a line online already stays so", lines({"O5:E", "X6:F"}), lines({"6"}),
         lines({"O5:E", "O6:F"})},
    };
    for (const auto& c : cases) {
        BuddyList list = c.list;
        MarkOnline(list, c.online, tail);
        EXPECT_EQ(list, c.expected) << c.name;
    }
}

// MarkOnline against the plain reading of what it does, for lists and sets drawn at random from
// ids of every form, many of them equal or alike, in sizes that make the index's searches meet.
TEST(BuddyList, MarkOnlineAgreesWithTheLineByLineReading) {
    QStringList ids = lines({"1", "01", "001", "10", "100", "0", "00", "7", "07"}) +
                      lines({"abc", "ab", "12a", "a12", "\u0661", "-1", "1.0"}) +
                      lines({"4294967296", "100000987654321", "0100000987654321"}) +
                      lines({"999999999999999999", "1000000000000000000", "9223372036854775807",
                             "9223372036854775808", "18446744073709551617"});
    for (int i = 0; i < 400; ++i)
        ids.append(QString::number(Q_INT64_C(100000000000000) + qint64(i) * 8192));
    QString tail = q(R"(},"wasAvailableIDs":[],"userInfos":{)");
    for (qsizetype i = 0; i < ids.size(); i += 2)
        tail += u'"' + ids[i] + QStringLiteral(R"(":{"name":"N)") + QString::number(i) +
                QStringLiteral(R"("},)");
    tail += QStringLiteral("}");

    // Every line of each online id becomes "O"; an id with no line yet is added when named.
    const auto byTheLines = [&tail](BuddyList list, const QStringList& online) {
        for (const QString& id : online) {
            bool found = false;
            for (QString& line : list) {
                const qsizetype colon = line.indexOf(u':', 1);
                if (colon > 1 && QStringView(line).sliced(1, colon - 1) == id) {
                    line[0] = u'O';
                    found = true;
                }
            }
            const QString name = NameFromBuddyTail(id, tail);
            if (!found && !name.isEmpty())
                list.append(QStringLiteral("O") + id + u':' + name);
        }
        return list;
    };

    std::mt19937 random(2009);
    const auto anyId = [&] {
        return ids[std::uniform_int_distribution<qsizetype>(0, ids.size() - 1)(random)];
    };
    for (const int size : {0, 1, 5, 40, 300, 1000}) {
        for (int round = 0; round < 4; ++round) {
            BuddyList list;
            for (int i = 0; i < size; ++i)
                list.append((i % 3 ? QStringLiteral("X") : QStringLiteral("O")) + anyId() + u':' +
                            QString::number(i));
            QStringList online;
            for (int i = 0; i < size + round * 7; ++i)
                online.append(anyId());
            BuddyList marked = list;
            MarkOnline(marked, online, tail);
            EXPECT_EQ(marked, byTheLines(list, online)) << size << " lines, round " << round;
        }
    }
}

TEST(OnlineSetOf, OddAnswers) {
    const struct {
        QString answer;
        bool found;
        QStringList ids;
    } cases[] = {
        {QString(), false, {}},
        {q(R"(for (;;);{"error":1357001,"errorSummary":"Not Logged In"})"), false, {}},
        // Without the user information the set is not trusted.
        {q(R"({"nowAvailableList":{"2":{"i":false}}})"), false, {}},
        {buddyAnswer("", ""), true, {}},
        {buddyAnswer(R"("":{"i":false},"3":{"i":false})", ""), true, lines({"3"})},
        {buddyAnswer(R"("100000987654321":{})", ""), true, lines({"100000987654321"})},
        {buddyAnswer(R"("4":{"i":false)", ""), true, {}}, // the entry never closes
    };
    for (const auto& c : cases) {
        const OnlineSet online = OnlineSetOf(c.answer);
        EXPECT_EQ(online.found, c.found) << c.answer.toStdString();
        EXPECT_EQ(online.ids, c.ids) << c.answer.toStdString();
    }
}

TEST(OnlineSetOf, TruncatedAnswersKeepToWholeIds) {
    const QString full = twoOnlineOneStrangerAnswer();
    for (qsizetype length = 0; length < full.size(); ++length) {
        const OnlineSet online = OnlineSetOf(full.left(length));
        for (const QString& id : online.ids)
            EXPECT_TRUE(id == u"2" || id == u"9") << length << ": " << id.toStdString();
        BuddyList list = lines({"X2:B"});
        MarkOnline(list, online.ids, online.tail);
        for (const QString& line : list)
            EXPECT_TRUE(line == u"X2:B" || line == u"O2:B" || line == u"O9:D")
                << length << ": " << line.toStdString();
    }
}

TEST(NameFromBuddyTail, FindsTheNameOfExactlyThatId) {
    const QString tail = q(R"(},"wasAvailableIDs":[],"userInfos":{)") + info("19", "Nineteen") +
                         u',' + info("9", R"(Al \"Big\" O\u00e9)") + u',' +
                         info("4294967297", "Wide") + u',' + q(R"("8":{"name":"Cut off)");
    const struct {
        const char* id;
        const char* name;
    } cases[] = {
        {"9", R"(Al \"Big\" O\u00e9)"}, // escaped as the service wrote it; not 19's name
        {"19", "Nineteen"},
        {"4294967297", "Wide"},
        {"1", ""},
        {"8", ""}, // the name never closes
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NameFromBuddyTail(q(c.id), tail), q(c.name)) << c.id;
    EXPECT_EQ(NameFromBuddyTail(q("9"), QString()), QString());
}

TEST(ReadFriendPage, ReadsEntriesAndPictures) {
    const QString page = friendPage({
        friendEntry("1", "A", R"(http:\/\/pics.facebook.test\/q1.jpg)"),
        friendEntry(R"("100000987654321")", R"(B \"Bee\" \u00e9)", "http://p/2.jpg"),
        friendEntry("3", "", "http://p/3.jpg"), // no name: a picture but no contact
        friendEntry("4", "D", ""),              // no picture: a contact but no picture
    });
    BuddyList list = lines({"X0:Earlier page"});
    QStringList pictures;
    ASSERT_TRUE(ReadFriendPage(page, list, pictures));
    EXPECT_EQ(list,
              lines({"X0:Earlier page", "X1:A", R"(X100000987654321:B \"Bee\" \u00e9)", "X4:D"}));
    EXPECT_EQ(pictures, lines({"1:http://pics.facebook.test/q1.jpg",
                               "100000987654321:http://p/2.jpg", "3:http://p/3.jpg"}));
}

TEST(ReadFriendPage, LastEntryWithoutPictureEndsThePage) {
    const QString page =
        friendPage({friendEntry("1", "A", "http://p/1.jpg"),
                    friendEntry("2", "B", "http://p/2.jpg"), friendEntry("3", "C", nullptr)});
    BuddyList list;
    QStringList pictures;
    EXPECT_TRUE(ReadFriendPage(page, list, pictures)); // the next page is still asked for
    EXPECT_EQ(list, lines({"X1:A", "X2:B"}));
    EXPECT_EQ(pictures, lines({"1:http://p/1.jpg", "2:http://p/2.jpg"}));
}

TEST(ReadFriendPage, PageWithoutAnyTitleEndsTheFetch) {
    const QString cases[] = {
        friendPage({}),
        QString(),
        q(R"(for (;;);{"error":1357001,"errorSummary":"Not Logged In"})"),
        q(R"({"entries":[{"id":1,"name":"A","pic":"http://p/1.jpg"}]})"),
    };
    for (const QString& page : cases) {
        BuddyList list = lines({"X0:Kept"});
        QStringList pictures;
        EXPECT_FALSE(ReadFriendPage(page, list, pictures)) << page.toStdString();
        EXPECT_EQ(list, lines({"X0:Kept"}));
        EXPECT_TRUE(pictures.isEmpty());
    }
}

TEST(ReadFriendPage, TruncatedPagesGiveWholeEntriesOnly) {
    const QString full = friendPage(
        {friendEntry("11", "Ann", "http://p/11.jpg"), friendEntry("22", "Ben", "http://p/22.jpg")});
    for (qsizetype length = 0; length < full.size(); ++length) {
        BuddyList list;
        QStringList pictures;
        ReadFriendPage(full.left(length), list, pictures);
        for (const QString& line : list)
            EXPECT_TRUE(line == u"X11:Ann" || line == u"X22:Ben")
                << length << ": " << line.toStdString();
        for (const QString& line : pictures)
            EXPECT_TRUE(line == u"11:http://p/11.jpg" || line == u"22:http://p/22.jpg")
                << length << ": " << line.toStdString();
    }
}

TEST(ReadFriendList, EndsWhateverTheServiceAnswers) {
    const QString twoFriends = friendPage(
        {friendEntry("1", "A", "http://p/1.jpg"), friendEntry("2", "B", "http://p/2.jpg")});
    const QString thirdFriend = friendPage({friendEntry("3", "C", "http://p/3.jpg")});
    const struct {
        const char* name;
        std::function<QString(int)> service;
        int stopAfterPages; // stopping() is true once this many pages have been read
        int fetches;
        qsizetype friends;
    } cases[] = {
        {"pages until an empty one",
         [&](int page) {
             return page == 0 ? twoFriends : page == 1 ? thirdFriend : friendPage({});
         },
         -1, 3, 3},
        {"the same page whatever is asked", [&](int) { return twoFriends; }, -1, 2, 2},
        {"a new full page every time", [](int page) { return fullFriendPage(page * 100); }, -1,
         kMaxFriendPages, 100 * kMaxFriendPages},
        {"stopping after the first page", [&](int) { return twoFriends; }, 1, 1, 2},
        {"a first answer without friends", [](int) { return QString(); }, -1, 1, 0},
    };
    for (const auto& c : cases) {
        QList<int> asked;
        int read = 0;
        BuddyList list;
        QStringList pictures;
        ReadFriendList(
            [&](int page) {
                asked.append(page);
                if (asked.size() > 10 * kMaxFriendPages)
                    return QString(); // the loop under test would not end by itself
                return c.service(page);
            },
            [&] { return ++read == c.stopAfterPages; }, list, pictures);
        EXPECT_EQ(asked.size(), c.fetches) << c.name;
        for (qsizetype i = 0; i < asked.size(); ++i)
            EXPECT_EQ(asked[i], i) << c.name;
        EXPECT_EQ(list.size(), c.friends) << c.name;
        EXPECT_EQ(pictures.size(), c.friends) << c.name;
        EXPECT_EQ(QSet<QString>(list.begin(), list.end()).size(), list.size()) << c.name;
    }
}

TEST(FriendPictureUrl, MatchesTheWholeId) {
    const QByteArray pictures =
        PackFriendPictures(lines({"123456:http://p/long.jpg", "12:http://p/short.jpg",
                                  "12:http://p/second.jpg", "100000987654321:http://p/wide.jpg"}));
    const struct {
        const char* id;
        const char* url;
    } cases[] = {
        {"12", "http://p/short.jpg"}, // not the longer id before it, and the first of two
        {"123456", "http://p/long.jpg"},
        {"1234", ""},
        {"1", ""},
        {"100000987654321", "http://p/wide.jpg"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FriendPictureUrl(q(c.id), pictures), q(c.url)) << c.id;
    EXPECT_EQ(FriendPictureUrl(q("12"), {}), QString());
}

// The session keeps the addresses packed; every address reads back as it was read from the
// page, and a line break inside one cannot make a line of its own that names another friend.
TEST(FriendPictureUrl, ReadsBackEveryPackedAddress) {
    const QStringList pictures =
        lines({"1:http://p/é/名前.jpg", "22:http://p/x.jpg?a=1:2",
               "3:http://p/x\n4:http://evil/4.jpg", "4:http://p/4.jpg", "5:"});
    const QByteArray packed = PackFriendPictures(pictures);
    const struct {
        const char* id;
        const char* url;
    } cases[] = {
        {"1", "http://p/é/名前.jpg"},   // beyond ASCII
        {"22", "http://p/x.jpg?a=1:2"}, // a colon in the address
        {"3", ""},                      // the address with a line break is left out
        {"4", "http://p/4.jpg"},        // not the line the break would have made
        {"5", ""},                      // no address
    };
    for (const auto& c : cases)
        EXPECT_EQ(FriendPictureUrl(q(c.id), packed), q(c.url)) << c.id;
    EXPECT_EQ(packed.count('\n'), 4);
}
