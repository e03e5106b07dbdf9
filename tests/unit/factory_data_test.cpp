#include "programming/factory_data.h"
#include "programming/loader_protocol.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ondrel;

namespace {
QByteArray parsed(const QByteArray& text) {
    const auto result = parseFactoryData(text);
    EXPECT_TRUE(result.ok()) << (result.ok() ? QString() : result.error().message).toStdString();
    return result.ok() ? result.value() : QByteArray();
}
} // namespace

TEST(FactoryData, ExamplesFillAZeroBufferOf4097Bytes) {
    const QByteArray three = parsed("1,2,3,#");
    ASSERT_EQ(three.size(), kConfigCapacity);
    EXPECT_EQ(three.mid(3), QByteArray(4094, '\0'));
    for (const auto& [text, start] : {std::pair{"1,2,3,#", "01 02 03 00"},
                                      {"1,2,3#", "01 02 00"},
                                      {"300,-1,#", "2c ff"},
                                      {"7,#garbage, not read 9999999,\xff", "07 00"},
                                      {" 5 ,\r\n 6,\t7\r\n,#\r\n", "05 06 07"},
                                      {"#", "00"}})
        EXPECT_EQ(parsed(text).left(QByteArray(start).count(' ') + 1).toHex(' '), start) << text;
}

TEST(FactoryData, TheWholeBufferMayBeFilled) {
    QByteArray text;
    for (int i = 0; i < kConfigCapacity; ++i)
        text += QByteArray::number(i) + ',';
    const QByteArray full = parsed(text + '#');
    EXPECT_EQ(static_cast<quint8>(full.back()), 4096 & 0xFF);

    const auto tooMany = parseFactoryData(text + "1,#");
    ASSERT_FALSE(tooMany.ok());
    EXPECT_TRUE(tooMany.error().message.contains("number 4098"));
}

TEST(FactoryData, BadFilesAreRefusedNamingThePosition) {
    const auto word = parseFactoryData("1,2,\r\nabc,#");
    ASSERT_FALSE(word.ok());
    EXPECT_EQ(word.error().line, 2);
    EXPECT_TRUE(word.error().message.contains("number 3 (\"abc\")"))
        << word.error().message.toStdString();

    for (const char* bad : {"1,,#", "32768,#", "1.5,#"}) // empty, beyond 16 bits, a fraction
        EXPECT_FALSE(parseFactoryData(bad).ok()) << bad;
    EXPECT_TRUE(parseFactoryData("-32768,#").ok());
    const auto open = parseFactoryData("1,2,\n3,");
    ASSERT_FALSE(open.ok());
    EXPECT_TRUE(open.error().message.contains("\"#\""));
}
