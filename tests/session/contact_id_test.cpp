// ContactId read from the service's decimal text: the usual spelling and every other one.
#include <gtest/gtest.h>

#include <limits>

#include "session/contact_id.h"

namespace quillo {
namespace {

TEST(ContactId, ReadsTheDecimalTextOfAnId) {
    const struct {
        const char16_t* text;
        qint64 value; // 0: no id
    } cases[] = {
        {u"42", 42},
        {u"100000900100000", 100000900100000},
        {u"123456789012345678", 123456789012345678}, // the longest text read digit by digit
        {u"9223372036854775807", 9223372036854775807},
        {u"00000000000000000042", 42}, // leading zeros, however many
        {u"000123", 123},
        {u" 12 ", 12}, // blanks around it
        {u"\t9\n", 9},
        {u"+7", 7},
        {u"", 0},
        {u"0", 0},
        {u"-5", 0},
        {u"9223372036854775808", 0}, // does not fit
        {u"12a", 0},
        {u"4 2", 0},
        {u"1e3", 0},
        {u"0x10", 0},
        {u"\u0664\u0662", 0}, // digits of another script
    };
    for (const auto& c : cases) {
        const ContactId id = ContactId::fromText(QStringView(c.text));
        EXPECT_EQ(id.value(), c.value) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(id.isValid(), c.value > 0) << QString::fromUtf16(c.text).toStdString();
    }
}

TEST(ContactId, WritesItsDecimalTextAsQtDoes) {
    for (const qint64 value : {qint64(1), qint64(9), qint64(10), qint64(42),
                               qint64(100000900100000), std::numeric_limits<qint64>::max(),
                               qint64(0), qint64(-5), std::numeric_limits<qint64>::min()}) {
        EXPECT_EQ(ContactId(value).toText(), QString::number(value)) << value;
        if (value > 0) {
            EXPECT_EQ(ContactId::fromText(ContactId(value).toText()), ContactId(value)) << value;
        }
    }
}

} // namespace
} // namespace quillo
