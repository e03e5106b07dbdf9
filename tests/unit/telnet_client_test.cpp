// Network serial addresses, and the client's half of Telnet with the COM-PORT option: what goes
// on the wire and what the server's bytes mean, in whatever pieces they arrive.
#include "serial/network_address.h"
#include "serial/telnet_client.h"

#include <gtest/gtest.h>

using namespace ondrel;

TEST(NetworkAddress, AddressesAreReadOrRefusedSayingWhy) {
    const struct {
        const char* text;
        const char* expected; // kind host port, or a part of the error
    } rows[] = {
        {"rfc2217://rack-7:4001", "rfc2217 rack-7 4001"},
        {" SOCKET://[::1]:23/ ", "socket ::1 23"},
        {"rfc2217://rack-7", "it needs a port number from 1 to 65535"},
        {"socket://rack-7:70000", "it needs a port number"},
        {"rfc2217://:4001", "it names no host"},
        {"rfc2217://rack-7:4001/ttyS0", "only a host and a port may follow"},
        {"telnet://rack-7:23", "starts with neither"},
    };
    for (const auto& row : rows) {
        const Result<NetworkAddress> a = parseNetworkAddress(QString::fromLatin1(row.text));
        const QString shown =
            a ? QStringLiteral("%1 %2 %3")
                    .arg(a.value().kind == NetworkAddress::Kind::Raw ? "socket" : "rfc2217",
                         a.value().host)
                    .arg(a.value().port)
              : a.error().message;
        EXPECT_TRUE(shown.contains(row.expected)) << row.text;
    }
    EXPECT_FALSE(isNetworkAddress(QStringLiteral("/dev/ttyUSB0")));
}

TEST(TelnetClient, NegotiatesWithSer2netAndTakesDataRepliesAndEscapesInAnyPieces) {
    using T = TelnetClient;
    TelnetClient client;
    EXPECT_EQ(client.start().toHex(' '), "ff fb 00 ff fb 03 ff fb 2c ff fd 00 ff fd 03");
    EXPECT_FALSE(client.settled());
    // ser2net 4.3's greeting: it offers to echo (declined) and does the rest; no answer to
    // what only confirms the client's own requests.
    const QByteArray greeting = QByteArray::fromHex("fffb03fffd03fffb01fffe01fffd00fffb00fffd2c");
    T::Decoded first = client.decode(greeting);
    EXPECT_EQ(first.answer.toHex(' '), "ff fe 01");
    EXPECT_TRUE(first.data.isEmpty());
    EXPECT_TRUE(client.settled());
    EXPECT_EQ(client.comPort(), T::Agreement::Yes);

    // Data with doubled IACs, a baud rate reply with a doubled IAC inside, a modem-state
    // notification and an unknown request, cut into pieces at every awkward place.
    const QByteArray stream = QByteArray::fromHex("41ffff42"                 // A FF B
                                                  "fffa2c650000fffffffffff0" // 65535 baud
                                                  "fffa2c6b30fff0"           // modem state
                                                  "fffd18"                   // DO terminal type
                                                  "0d00ff");                 // CR NUL FF
    const QByteArray tail = QByteArray::fromHex("ff0d0a");
    for (int cut = 1; cut < stream.size(); ++cut) {
        TelnetClient c;
        c.start();
        c.decode(greeting);
        T::Decoded a = c.decode(stream.left(cut));
        const T::Decoded b = c.decode(stream.mid(cut) + tail);
        EXPECT_EQ((a.data + b.data).toHex(' '), "41 ff 42 0d 00 ff 0d 0a") << cut;
        EXPECT_EQ((a.answer + b.answer).toHex(' '), "ff fc 18") << cut;
        a.replies += b.replies;
        ASSERT_EQ(a.replies.size(), 2) << cut;
        EXPECT_EQ(a.replies[0].command, T::kSetBaudRate + T::kServerReply);
        EXPECT_EQ(a.replies[0].value.toHex(' '), "00 00 ff ff");
    }
    EXPECT_EQ(client.encode(QByteArray::fromHex("ff0d00")).toHex(' '), "ff ff 0d 00");
    EXPECT_EQ(T::comPortCommand(T::kSetBaudRate, QByteArray::fromHex("0000ffff")).toHex(' '),
              "ff fa 2c 01 00 00 ff ff ff ff ff f0");

    // A server that will not do binary: CR goes out as CR NUL, and CR NUL comes in as CR.
    TelnetClient plain;
    plain.start();
    const T::Decoded refused =
        plain.decode(QByteArray::fromHex("fffe00fffc00fffe2cfffb03fffd0341"));
    EXPECT_TRUE(plain.settled());
    EXPECT_EQ(plain.comPort(), T::Agreement::No);
    EXPECT_EQ(plain.encode("\r\n\r").toHex(' '), "0d 00 0a 0d 00");
    EXPECT_EQ((refused.data + plain.decode(QByteArray::fromHex("0d000d0a")).data).toHex(' '),
              "41 0d 0d 0a");
}
