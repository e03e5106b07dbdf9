#include "programming/loader_protocol.h"

#include <gtest/gtest.h>

using namespace ondrel;

TEST(LoaderProtocol, WritePacketAndChecksum) {
    const auto packet = makeWritePacket(0x1600, QByteArray::fromHex("0102"));
    ASSERT_TRUE(packet.ok());
    EXPECT_EQ(packet.value().toHex(' '), "e3 16 00 02 03 01 02");
    EXPECT_EQ(blockChecksum(QByteArray::fromHex("ff02")), 0x01);

    // A 16-byte block: 21 bytes on the wire, address high byte first.
    const auto full = makeWritePacket(DataBlock{0x1E00, QByteArray(16, '\x80')});
    ASSERT_TRUE(full.ok());
    EXPECT_EQ(full.value().size(), 21);
    EXPECT_EQ(full.value().left(5).toHex(' '), "e3 1e 00 10 00");
}

TEST(LoaderProtocol, PacketsThatCannotBeBuiltAreRefused) {
    EXPECT_FALSE(makeWritePacket(0x10000, QByteArray(2, '\0')).ok());
    EXPECT_FALSE(makeWritePacket(0, QByteArray()).ok());
    EXPECT_FALSE(makeWritePacket(0, QByteArray(256, '\0')).ok());
    EXPECT_TRUE(makeWritePacket(0xFFFF, QByteArray(255, '\0')).ok());
}

TEST(LoaderProtocol, BlockSplits) {
    const auto twenty = splitIntoBlocks(0x1600, QByteArray(20, '\x01'));
    ASSERT_EQ(twenty.size(), 2u);
    EXPECT_EQ(twenty[0].wordAddress, 0x1600u);
    EXPECT_EQ(twenty[0].bytes.size(), 16);
    EXPECT_EQ(twenty[1].wordAddress, 0x1608u);
    EXPECT_EQ(twenty[1].bytes.size(), 4);

    QByteArray image(kConfigCapacity, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = static_cast<char>(i);
    const auto blocks = splitIntoBlocks(kConfigWordAddress, image);
    ASSERT_EQ(blocks.size(), 257u);
    for (size_t b = 0; b < 256; ++b) {
        EXPECT_EQ(blocks[b].wordAddress, 0x1600u + 8 * b);
        EXPECT_EQ(blocks[b].bytes, image.mid(static_cast<qsizetype>(16 * b), 16));
    }
    EXPECT_EQ(blocks.back().wordAddress, 0x1E00u);
    EXPECT_EQ(blocks.back().bytes, QByteArray(1, static_cast<char>(4096 & 0xFF)));

    EXPECT_TRUE(splitIntoBlocks(0x1600, {}).empty());
}

TEST(LoaderProtocol, Answers) {
    EXPECT_TRUE(isBlockAccepted(QByteArray::fromHex("e7e4")));
    EXPECT_FALSE(isBlockAccepted(QByteArray::fromHex("e7e5")));
    EXPECT_FALSE(isBlockAccepted(QByteArray::fromHex("e7")));
    EXPECT_FALSE(isBlockAccepted(QByteArray::fromHex("e4e7")));
    EXPECT_TRUE(isLoaderReady(QByteArray::fromHex("eb00")));
    EXPECT_FALSE(isLoaderReady(QByteArray::fromHex("00eb")));
    EXPECT_FALSE(isLoaderReady({}));
}
