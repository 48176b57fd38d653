// The channel host's answers, read by marker search: the sequence number, the sender, the items
// of an answer and the message inside an item. Fixtures have the shapes the channel host sends,
// "for (;;);" prefix included.
#include <gtest/gtest.h>

#include "support/qt_printers.h"

#include "chat/channel_answer.h"

using namespace quillo;

namespace {

QString q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A friend with an id above 2^32 writing to the user.
constexpr qint64 kFriend = 100000987654321;
const char* const kFriendText = "100000987654321";

QString messageItem(const char* text, const char* clientTime, const char* msgId) {
    return q(R"({"type":"msg","msg":{"text":")") + q(text) + q(R"(","time":1257000000000,)") +
           q(R"("clientTime":)") + q(clientTime) + q(R"(,"msgID":")") + q(msgId) +
           q(R"("},"from":100000987654321,"to":100001234567890,"from_name":"Jos\u00e9 )"
             R"(Smith","to_name":"Me Myself","from_first_name":"Jos\u00e9",)"
             R"("to_first_name":"Me"})");
}

QString answerWith(const QStringList& items) {
    return q(R"(for (;;);{"t":"msg","c":"p_100001234567890","ms":[)") + items.join(u',') + q("]}");
}

const char* const kTyping = R"({"type":"typ","st":1,"from":100000987654321,"to":100001234567890})";

} // namespace

TEST(SeqOf, CutsTheNumberAfterTheFirstSeq) {
    const struct {
        const char* answer;
        const char* seq;
    } cases[] = {
        {R"(for (;;);{"t":"refresh","seq":17,"x":1})", "17"},
        {R"(for (;;);{"t":"continue","seq":17})", "17"}, // no comma: up to the brace
        {R"("seq":17})", "17"},
        {R"({"seq":3,"ms":[{"seq":9}]})", "3"}, // the first one counts
        {R"("seq":1,"seq":2)", "1"},
        // A brace closes the number even when a comma follows later in the answer.
        {R"(for (;;);{"error":0,"payload":{"user_channel":"channel06","seq":17},"x":1})", "17"},
        {R"("seq":42)", "0"}, // neither terminator
        {R"({"t":"continue"})", "0"},
        {"", "0"},
        {"reconnect", "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SeqOf(q(c.answer)), q(c.seq)) << c.answer;
}

TEST(FromOf, CutsTheSenderUpToTheComma) {
    const struct {
        const char* answer;
        const char* from;
    } cases[] = {
        {kTyping, kFriendText},
        {R"("from":5,"from":6,)", "5"},
        {R"({"type":"typ","from":5})", "0"}, // no comma after it
        {R"({"type":"typ","st":1})", "0"},
        {"", "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FromOf(q(c.answer)), q(c.from)) << c.answer;
}

TEST(SenderIdOf, ReadsSixtyFourBitIdsAndRejectsTheRest) {
    const struct {
        const char* from;
        qint64 id;
    } cases[] = {
        {kFriendText, kFriend},
        {"4294967296", Q_INT64_C(4294967296)}, // 2^32: the high half of the notice is 1
        {"9223372036854775807", Q_INT64_C(9223372036854775807)},
        {"9223372036854775808", 0}, // does not fit
        {" 42 ", 42},
        {"42}", 0},
        {"\"42\"", 0},
        {"", 0},
        {"0", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SenderIdOf(q(c.from)), c.id) << c.from;
}

TEST(ParseMessage, FillsEachFieldFromTheAnswer) {
    TMSg record;
    ParseMessage(answerWith({messageItem("Hello \\u00e9\\/ you", "1257000000123", "m1")}), record);
    EXPECT_EQ(record.Text, q(R"(Hello \u00e9\/ you)")); // still in the service's escaped form
    EXPECT_EQ(record.Time, q("1257000000123"));         // the client time, not "time"
    EXPECT_EQ(record.FromId, q(kFriendText));
    EXPECT_EQ(record.FromName, q(R"(Jos\u00e9 Smith)"));
    EXPECT_TRUE(record.To.isEmpty());
    EXPECT_TRUE(record.Spare.isEmpty());
}

TEST(ParseMessage, TextWithEscapedQuotesAndCommasIsReadWhole) {
    const struct {
        const char* text;
    } cases[] = {
        {R"(He said \"hi\", ok)"},
        {R"(\"quoted\",)"},
        {R"(a backslash \\)"},
        {R"(\\\", odd)"},
        {""},
    };
    for (const auto& c : cases) {
        TMSg record;
        ParseMessage(answerWith({messageItem(c.text, "1", "m")}), record);
        EXPECT_EQ(record.Text, q(c.text)) << c.text;
        EXPECT_EQ(record.FromId, q(kFriendText)) << c.text;
    }
}

TEST(ParseMessage, MissingSenderNameLeavesOnlyThatFieldEmpty) {
    const QString answer = q(R"(for (;;);{"t":"msg","ms":[{"type":"msg","msg":{"text":"hi",)"
                             R"("time":1,"clientTime":2,"msgID":"m"},"from":77,"to":88}]})");
    TMSg record;
    ParseMessage(answer, record);
    EXPECT_EQ(record.Text, q("hi"));
    EXPECT_EQ(record.Time, q("2"));
    EXPECT_EQ(record.FromId, q("77"));
    EXPECT_TRUE(record.FromName.isEmpty());
}

// Cut anywhere, an answer yields whole fields or nothing, filled in order, and never reads past
// its end (the sanitizers watch that).
TEST(ParseMessage, TruncatedAnswersGiveWholeFieldsOrNone) {
    const QString full = answerWith({messageItem(R"(He said \"hi\", ok)", "1257000000123", "m")});
    TMSg whole;
    ParseMessage(full, whole);
    ASSERT_FALSE(whole.FromName.isEmpty());
    for (qsizetype length = 0; length < full.size(); ++length) {
        TMSg record;
        ParseMessage(full.left(length), record);
        const QString fields[] = {record.Text, record.Time, record.FromId, record.FromName};
        const QString expected[] = {whole.Text, whole.Time, whole.FromId, whole.FromName};
        bool earlierEmpty = false;
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(fields[i].isEmpty() || fields[i] == expected[i])
                << "length " << length << " field " << i << ": " << fields[i].toStdString();
            EXPECT_FALSE(earlierEmpty && !fields[i].isEmpty()) << "length " << length;
            earlierEmpty = earlierEmpty || fields[i].isEmpty();
        }
    }
}

TEST(ChannelItems, ReadsEveryItemInOrder) {
    const QString answer = answerWith({
        q(kTyping),
        messageItem("one", "11", "-1234567890"),
        // An escaped item opening inside a text does not start an item.
        messageItem(R"(two {\"type\":\"typ\",\"st\":0})", "12", "2147483648"),
        messageItem("three", "13", "m3"),
    });
    const QList<ChannelItem> items = ChannelItems(answer);
    ASSERT_EQ(items.size(), 4);

    EXPECT_EQ(items[0].kind, ChannelItem::Kind::Typing);
    EXPECT_EQ(items[0].from, kFriend);
    EXPECT_TRUE(items[0].typing);

    const struct {
        const char* text;
        const char* time;
        const char* msgId;
    } messages[] = {
        {"one", "11", "-1234567890"},
        {R"(two {\"type\":\"typ\",\"st\":0})", "12", "2147483648"},
        {"three", "13", "m3"},
    };
    for (int i = 0; i < 3; ++i) {
        const ChannelItem& item = items[i + 1];
        EXPECT_EQ(item.kind, ChannelItem::Kind::Message) << i;
        EXPECT_EQ(item.messageId, q(messages[i].msgId)) << i;
        TMSg record;
        ParseMessage(item.text, record);
        EXPECT_EQ(record.Text, q(messages[i].text)) << i;
        EXPECT_EQ(record.Time, q(messages[i].time)) << i;
        EXPECT_EQ(record.FromId, q(kFriendText)) << i;
    }
}

TEST(ChannelItems, TypingStateFollowsSt) {
    const struct {
        const char* item;
        bool typing;
    } cases[] = {
        {R"({"type":"typ","st":1,"from":4294967297,"to":2})", true},
        {R"({"type":"typ","st":0,"from":4294967297,"to":2})", false},
    };
    for (const auto& c : cases) {
        // Alone, and followed by another item, so both ends of an item are exercised.
        for (const QString& answer :
             {answerWith({q(c.item)}), answerWith({q(c.item), messageItem("x", "1", "m")})}) {
            const QList<ChannelItem> items = ChannelItems(answer);
            ASSERT_FALSE(items.isEmpty()) << c.item;
            EXPECT_EQ(items[0].kind, ChannelItem::Kind::Typing) << c.item;
            EXPECT_EQ(items[0].from, Q_INT64_C(4294967297)) << c.item;
            EXPECT_EQ(items[0].typing, c.typing) << c.item;
        }
    }
}

TEST(ChannelItems, MessageWithoutIdHasAnEmptyOne) {
    const QString answer = q(R"(for (;;);{"t":"msg","ms":[{"type":"msg","msg":{"text":"hi",)"
                             R"("time":1,"clientTime":2},"from":77,"to":88}]})");
    const QList<ChannelItem> items = ChannelItems(answer);
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].kind, ChannelItem::Kind::Message);
    EXPECT_TRUE(items[0].messageId.isEmpty());
}

TEST(ChannelItems, OddAnswersGiveFewOrNoItems) {
    const struct {
        const char* answer;
        qsizetype count;
    } cases[] = {
        {"", 0},
        {"reconnect", 0},
        {R"(for (;;);{"t":"continue"})", 0},
        {R"(for (;;);{"t":"refresh","seq":4})", 0},
        {R"(for (;;);{"t":"msg","ms":[]})", 0},
        {R"(for (;;);{"t":"msg","ms":[)", 0},
        {R"({"type":"msg","msg":{"text":"no list"}})", 0}, // an item outside any "ms" list
        {R"("ms":[{"type":")", 1},
        {R"("ms":[{"type":"buddylist_overlay","overlay":{}}])", 1},
    };
    for (const auto& c : cases) {
        const QList<ChannelItem> items = ChannelItems(q(c.answer));
        ASSERT_EQ(items.size(), c.count) << c.answer;
        for (const ChannelItem& item : items)
            EXPECT_EQ(item.kind, ChannelItem::Kind::Other) << c.answer;
    }
}

TEST(ChannelItems, TruncatedAnswersNeverGainItems) {
    const QString full = answerWith(
        {q(kTyping), messageItem(R"(a \"b\", c)", "1", "m1"), messageItem("d", "2", "m2")});
    ASSERT_EQ(ChannelItems(full).size(), 3);
    for (qsizetype length = 0; length < full.size(); ++length) {
        const QList<ChannelItem> items = ChannelItems(full.left(length));
        EXPECT_LE(items.size(), 3) << length;
        for (const ChannelItem& item : items) {
            TMSg record;
            ParseMessage(item.text, record); // must not read past the cut
        }
    }
}
