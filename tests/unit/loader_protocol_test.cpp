#include "programming/answer_reader.h"
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
    for (const auto& [address, size] : {std::pair{0x10000, 2}, {0, 0}, {0, 256}})
        EXPECT_FALSE(makeWritePacket(quint32(address), QByteArray(size, '\0')).ok()) << size;
    EXPECT_TRUE(makeWritePacket(0xFFFF, QByteArray(255, '\0')).ok());
}

TEST(LoaderProtocol, BlockSplits) {
    const auto twenty = splitIntoBlocks(0x1600, QByteArray(20, '\x01'));
    ASSERT_EQ(twenty.size(), 2u);
    EXPECT_EQ(twenty[0].wordAddress, 0x1600u);
    EXPECT_EQ(twenty[0].bytes.size(), 16);
    EXPECT_EQ(twenty[1].wordAddress, 0x1608u);
    EXPECT_EQ(twenty[1].bytes.size(), 4);

    EXPECT_TRUE(splitIntoBlocks(0x1600, {}).empty());
}

TEST(LoaderProtocol, Answers) {
    for (const auto& [answer, accepted] :
         {std::pair{"e7e4", true}, {"e7e5", false}, {"e7", false}, {"e4e7", false}})
        EXPECT_EQ(isBlockAccepted(QByteArray::fromHex(answer)), accepted) << answer;
    for (const auto& [answer, ready] : {std::pair{"eb00", true}, {"00eb", false}, {"", false}})
        EXPECT_EQ(isLoaderReady(QByteArray::fromHex(answer)), ready) << answer;
}

// The answer reader fed the panel's bytes in pieces, as a line hands them over: answers are
// whole only with their second byte, the ready byte and an echoing line's own bytes are no
// answers, anything else is foreign.
TEST(AnswerReader, ReadsAnswersFromPieces) {
    using A = AnswerReader::Answer;
    struct Case {
        bool echoes;
        QByteArray sent;
        std::vector<const char*> pieces; // hex
        std::vector<A> answers;
        int foreign;
    };
    const QByteArray packet = QByteArray::fromHex("e3160002030102");
    const Case cases[] = {
        {false, {}, {"e7e4"}, {A::Accepted}, 0},
        {false, {}, {"e7", "e4"}, {A::Accepted}, 0},
        {false, {}, {"e7e5e7e4"}, {A::Refused, A::Accepted}, 0},
        {false, {}, {"eb", "e7", "eb", "e4"}, {A::Accepted}, 0}, // EB: the loader's, skipped
        {false, {}, {"0055e7e4"}, {A::Accepted}, 2},
        {false, {}, {"ea"}, {}, 1}, // the tool's poll only comes back on an echoing line
        {true, packet, {"e316", "0002e7e4", "030102"}, {A::Accepted}, 0},
        {true, packet, {"e3160002030102e7e4"}, {A::Accepted}, 0},
        {true, {}, {"ea", "eb"}, {}, 0},
    };
    for (const Case& c : cases) {
        AnswerReader reader(c.echoes);
        reader.sent(c.sent);
        std::vector<A> answers;
        int foreign = 0;
        for (const char* piece : c.pieces) {
            const AnswerReader::Fed fed = reader.feed(QByteArray::fromHex(piece));
            answers.insert(answers.end(), fed.answers.begin(), fed.answers.end());
            foreign += fed.foreign;
        }
        EXPECT_EQ(answers, c.answers) << c.pieces.front();
        EXPECT_EQ(foreign, c.foreign) << c.pieces.front();
        EXPECT_FALSE(reader.halfAnswer());
    }
}
