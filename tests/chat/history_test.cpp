// Conversation history, read by marker search from the two places the service keeps it: the
// chat display object of the signed-in home page (JSON inside a script string, so every quote
// is escaped) and the plain JSON answer of the history endpoint.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/qt_printers.h"

#include "chat/history.h"

using namespace quillo;

namespace {

QString q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

const char* const kUser = "100001234567890";

// Names as the contact tree shows them, escaped the way the service escapes names.
QString escapedName(const QString& id) {
    if (id == u"200")
        return q(R"(Bob \u00c9clair)");
    if (id == u"300")
        return q("Carol");
    return {};
}

struct Parsed {
    std::vector<TMSg> records;
    QString rest;
};

Parsed parse(const QString& text) {
    Parsed parsed;
    parsed.rest = ParseHistory(text, q(kUser), escapedName, [&](std::unique_ptr<TMSg> record) {
        parsed.records.push_back(*record);
    });
    return parsed;
}

// What the replay hands to ParseHistory from the home page: the chat display object up to the
// first brace of its closing "}}". Two messages from Bob (the first one empty), one from the
// user to Carol, then the open conversations with their message counts.
const char* const kHomeDisplay =
    R"({\"history\":[)"
    R"({\"type\":\"msg\",\"msg\":{\"text\":\"\"},\"from\":200,\"to\":100001234567890,)"
    R"(\"time\":1257000000000,\"msgID\":\"1\",\"from_name\":\"Bob\",\"to_name\":\"Me\"},)"
    R"({\"type\":\"msg\",\"msg\":{\"text\":\"Hi there\\nfriend \\\"you\\\"\"},\"from\":200,)"
    R"(\"to\":100001234567890,\"time\":1257000000001,\"msgID\":\"2\",\"from_name\":\"Bob\",)"
    R"(\"to_name\":\"Me\"},)"
    R"({\"type\":\"msg\",\"msg\":{\"text\":\"see you\"},\"from\":100001234567890,\"to\":300,)"
    R"(\"time\":1257000000002,\"msgID\":\"3\",\"from_name\":\"Me\",\"to_name\":\"Carol\"}],)"
    R"(\"200\":{\"n\":\"Bob\",\"m\":3},\"300\":{\"n\":\"Carol\",\"m\":0},)"
    R"(\"400\":{\"n\":\"Dan\",\"m\":12})";

// An answer of the history endpoint.
const char* const kEndpointAnswer =
    R"(for (;;);{"error":0,"errorSummary":"","errorDescription":"No error.","payload":)"
    R"({"history":[)"
    R"({"type":"msg","msg":{"text":"line one\nline two"},"from":200,"to":100001234567890,)"
    R"("time":1257000000010,"msgID":"10","from_name":"Bob","to_name":"Me"},)"
    R"({"type":"msg","msg":{"text":""},"from":200,"to":100001234567890,)"
    R"("time":1257000000011,"msgID":"11","from_name":"Bob","to_name":"Me"},)"
    R"({"type":"msg","msg":{"text":"mine"},"from":100001234567890,"to":200,)"
    R"("time":1257000000012,"msgID":"12","from_name":"Me","to_name":"Bob"}]}})";

} // namespace

TEST(ParseHistory, HomePageDisplayYieldsOthersAndOwnLines) {
    const Parsed parsed = parse(q(kHomeDisplay));
    ASSERT_EQ(parsed.records.size(), 2u); // the empty first message is skipped

    const TMSg& fromBob = parsed.records[0];
    EXPECT_EQ(fromBob.Text, q(R"(Hi there<Br>friend \\\"you\\\")"));
    EXPECT_EQ(fromBob.FromId, q("200"));
    EXPECT_EQ(fromBob.To, q(kUser));
    EXPECT_EQ(fromBob.Time, q("1257000000001"));
    EXPECT_EQ(fromBob.FromName, q(R"(Bob \u00c9clair)")); // from the tree, not the answer
    EXPECT_TRUE(fromBob.Replayed);
    EXPECT_FALSE(fromBob.Live);

    const TMSg& own = parsed.records[1];
    EXPECT_EQ(own.Text, q("see you"));
    EXPECT_EQ(own.FromId, q(kUser));
    EXPECT_EQ(own.To, q("300")); // the conversation it goes into
    EXPECT_EQ(own.Time, q("1257000000002"));
    EXPECT_TRUE(own.FromName.isEmpty());
    EXPECT_FALSE(own.Replayed);
    EXPECT_FALSE(own.Live);

    // What follows the messages lists the conversations; those with more are fetched.
    EXPECT_EQ(ConversationsWithMore(parsed.rest), QStringList({q("200"), q("400")}));
}

TEST(ParseHistory, EndpointAnswerYieldsEveryNonEmptyMessage) {
    const Parsed parsed = parse(q(kEndpointAnswer));
    ASSERT_EQ(parsed.records.size(), 2u);
    EXPECT_EQ(parsed.records[0].Text, q("line one<Br>line two"));
    EXPECT_EQ(parsed.records[0].FromId, q("200"));
    EXPECT_EQ(parsed.records[0].To, q(kUser));
    EXPECT_EQ(parsed.records[0].Time, q("1257000000010"));
    EXPECT_TRUE(parsed.records[0].Replayed);
    EXPECT_EQ(parsed.records[0].FromName, q(R"(Bob \u00c9clair)"));

    EXPECT_EQ(parsed.records[1].Text, q("mine"));
    EXPECT_EQ(parsed.records[1].To, q("200"));
    EXPECT_FALSE(parsed.records[1].Replayed);
}

TEST(ParseHistory, LineBreakEscapesBecomeBreaks) {
    const struct {
        const char* text; // as it stands inside the message object of an endpoint answer
        const char* shown;
    } cases[] = {
        {R"(a\nb)", "a<Br>b"},
        {R"(a\\nb)", "a<Br>b"}, // the doubled escape of the home page's script string
        {R"(\n\n)", "<Br><Br>"},
        {R"(a\/b)", R"(a\/b)"}, // other escapes stay for the decoder
    };
    for (const auto& c : cases) {
        const QString answer = q(R"({"type":"msg","msg":{"text":")") + q(c.text) +
                               q(R"("},"from":200,"to":1,"time":5,"msgID":"1"})");
        const Parsed parsed = parse(answer);
        ASSERT_EQ(parsed.records.size(), 1u) << c.text;
        EXPECT_EQ(parsed.records[0].Text, q(c.shown)) << c.text;
    }
}

TEST(ParseHistory, SenderUnknownToTheTreeGetsAnEmptyName) {
    const QString answer =
        q(R"({"type":"msg","msg":{"text":"x"},"from":999,"to":1,"time":5,"msgID":"1"})");
    const Parsed parsed = parse(answer);
    ASSERT_EQ(parsed.records.size(), 1u);
    EXPECT_TRUE(parsed.records[0].FromName.isEmpty());
    EXPECT_TRUE(parsed.records[0].Replayed);

    // Without any lookup at all, too.
    std::vector<TMSg> records;
    ParseHistory(answer, q(kUser), {}, [&](std::unique_ptr<TMSg> r) { records.push_back(*r); });
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records[0].FromName.isEmpty());
}

TEST(ParseHistory, AnswersWithoutCompleteMessagesYieldNothing) {
    const char* const cases[] = {
        "",
        R"(for (;;);{"error":1357001,"errorSummary":"Not Logged In"})",
        R"({"history":[]})",
        R"({"type":"msg","msg":{"text":"no sender"}})",
        R"({"type":"msg","msg":{"text":"no time"},"from":200,"to":1})",
    };
    for (const char* text : cases)
        EXPECT_TRUE(parse(q(text)).records.empty()) << text;
}

TEST(ParseHistory, TruncatedAnswersNeverInventMessages) {
    const QString full = q(kEndpointAnswer);
    ASSERT_EQ(parse(full).records.size(), 2u);
    for (qsizetype length = 0; length < full.size(); ++length) {
        const Parsed parsed = parse(full.left(length));
        EXPECT_LE(parsed.records.size(), 2u) << length;
        for (const TMSg& record : parsed.records)
            EXPECT_TRUE(record.Text == u"line one<Br>line two" || record.Text == u"mine")
                << length << ": " << record.Text.toStdString();
    }
}

TEST(ConversationsWithMore, TakesTheIdsWhoseCountIsNotZero) {
    const struct {
        const char* rest;
        QStringList ids;
    } cases[] = {
        // A separate conversations object: its first entry opens with the quoted key.
        {R"(, {\"123\":{\"n\":\"A\",\"m\":2},\"456\":{\"n\":\"B\",\"m\":0},)"
         R"(\"789\":{\"n\":\"C\"},\"100000987654321\":{\"n\":\"D\",\"m\":10}}, 5, false);)",
         {QStringLiteral("123"), QStringLiteral("100000987654321")}},
        {R"(,\"123\":{\"n\":\"A\",\"m\":1})", {QStringLiteral("123")}},
        {R"(, {\"123\":{\"n\":\"A\",\"m\":0}})", {}},
        {R"(, {\"123\":{\"n\":\"A\"}})", {}},     // no count: not fetched
        {R"(,\"123\":{\"n\":\"A\",\"m\":1)", {}}, // never closed
        {R"(, {\"\":{\"m\":4}})", {}},            // no id
        {"", {}},
        {"}, 5, false);", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConversationsWithMore(q(c.rest)), c.ids) << c.rest;
}
