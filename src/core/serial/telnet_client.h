#pragma once

#include <QByteArray>
#include <QList>
#include <initializer_list>
#include <map>

namespace ondrel {

// The client's half of Telnet (RFC 854, binary transmission RFC 856) with the COM-PORT option
// of RFC 2217, without the network: what to send, and what the server's bytes mean. The line
// that owns a connection feeds it the server's bytes in whatever pieces they arrive.
class TelnetClient {
public:
    static constexpr quint8 kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250,
                            kSe = 240;
    static constexpr quint8 kBinary = 0, kSuppressGoAhead = 3, kComPort = 44;
    // COM-PORT commands; the server answers each with the command plus 100 and the value in
    // force on its port.
    static constexpr quint8 kSetBaudRate = 1, kSetDataSize = 2, kSetParity = 3, kSetStopSize = 4,
                            kSetControl = 5, kServerReply = 100;
    // SET-CONTROL values.
    static constexpr quint8 kNoFlowControl = 1, kDtrOn = 8, kRtsOn = 11;

    enum class Agreement { Asked, Yes, No };

    // What the client says on connecting: it will send and asks to receive in binary (all eight
    // bits, CR untouched) without go-aheads, and offers to set the serial port.
    QByteArray start();
    // Data as it goes on the wire: IAC doubled; outside binary mode CR is followed by NUL.
    QByteArray encode(const QByteArray& data) const;
    // A COM-PORT command with its value, IAC doubled inside.
    static QByteArray comPortCommand(quint8 command, const QByteArray& value);
    // Bytes as listed, for commands on the wire.
    static QByteArray bytes(std::initializer_list<quint8> values);

    struct Reply {
        quint8 command = 0; // as the server sent it: the client's command plus 100
        QByteArray value;
    };
    struct Decoded {
        QByteArray data;   // the serial port's bytes
        QByteArray answer; // to send back: the client's answers to the server's requests
        QList<Reply> replies;
    };
    Decoded decode(const QByteArray& bytes);

    // Whether the server lets the client set the serial port.
    Agreement comPort() const { return ours_.at(kComPort); }
    // Whether the server answered about what matters to a serial line: binary transmission
    // both ways and the COM-PORT option.
    bool settled() const;
    // Whether the server has said anything in Telnet at all.
    bool heardTelnet() const { return heardTelnet_; }

private:
    enum class State { Data, CarriageReturn, Iac, Option, Sub, SubIac };
    void onOption(quint8 verb, quint8 option, QByteArray& answer);
    bool binarySending() const { return ours_.at(kBinary) == Agreement::Yes; }
    bool binaryReceiving() const { return theirs_.at(kBinary) == Agreement::Yes; }

    // Options the client uses itself, and options it wants the server to use.
    std::map<quint8, Agreement> ours_{
        {kBinary, Agreement::No}, {kSuppressGoAhead, Agreement::No}, {kComPort, Agreement::No}};
    std::map<quint8, Agreement> theirs_{{kBinary, Agreement::No},
                                        {kSuppressGoAhead, Agreement::No}};
    State state_ = State::Data;
    quint8 verb_ = 0;
    QByteArray sub_;
    bool heardTelnet_ = false;
};

} // namespace ondrel
