#include "serial/telnet_client.h"

namespace ondrel {

namespace {
constexpr char kCr = '\r';

QByteArray command(quint8 verb, quint8 option) {
    return TelnetClient::bytes({TelnetClient::kIac, verb, option});
}
} // namespace

QByteArray TelnetClient::start() {
    QByteArray out;
    for (auto& [option, agreement] : ours_) {
        agreement = Agreement::Asked;
        out += command(kWill, option);
    }
    for (auto& [option, agreement] : theirs_) {
        agreement = Agreement::Asked;
        out += command(kDo, option);
    }
    return out;
}

QByteArray TelnetClient::encode(const QByteArray& data) const {
    QByteArray out;
    out.reserve(data.size() + 8);
    for (const char c : data) {
        out += c;
        if (quint8(c) == kIac)
            out += c;
        else if (c == kCr && !binarySending())
            out += '\0';
    }
    return out;
}

QByteArray TelnetClient::comPortCommand(quint8 cmd, const QByteArray& value) {
    QByteArray out = bytes({kIac, kSb, kComPort, cmd});
    for (const char c : value) {
        out += c;
        if (quint8(c) == kIac)
            out += c;
    }
    return out + bytes({kIac, kSe});
}

QByteArray TelnetClient::bytes(std::initializer_list<quint8> values) {
    QByteArray out;
    for (const quint8 v : values)
        out += char(v);
    return out;
}

bool TelnetClient::settled() const {
    return ours_.at(kBinary) != Agreement::Asked && ours_.at(kComPort) != Agreement::Asked &&
           theirs_.at(kBinary) != Agreement::Asked;
}

// Per RFC 1143, without its queue: an answer only where the agreement changes, so two sides
// never ask each other in a loop. Options the client does not know are declined.
void TelnetClient::onOption(quint8 verb, quint8 option, QByteArray& answer) {
    const bool aboutOurs = verb == kDo || verb == kDont;
    auto& side = aboutOurs ? ours_ : theirs_;
    const bool enable = verb == kDo || verb == kWill;
    const quint8 yes = aboutOurs ? kWill : kDo;
    const quint8 no = aboutOurs ? kWont : kDont;
    const auto known = side.find(option);
    if (known == side.end()) {
        if (enable)
            answer += command(no, option);
        return;
    }
    Agreement& agreement = known->second;
    if (enable && agreement == Agreement::No)
        answer += command(yes, option);
    else if (!enable && agreement == Agreement::Yes)
        answer += command(no, option);
    agreement = enable ? Agreement::Yes : Agreement::No;
}

TelnetClient::Decoded TelnetClient::decode(const QByteArray& bytes) {
    Decoded out;
    for (const char c : bytes) {
        const quint8 b = quint8(c);
        switch (state_) {
        case State::CarriageReturn:
            state_ = State::Data;
            if (b == 0) // CR NUL stands for a lone CR outside binary mode
                break;
            [[fallthrough]];
        case State::Data:
            if (b == kIac) {
                state_ = State::Iac;
            } else {
                out.data += c;
                if (c == kCr && !binaryReceiving())
                    state_ = State::CarriageReturn;
            }
            break;
        case State::Iac:
            heardTelnet_ = true;
            state_ = State::Data;
            if (b == kIac) {
                out.data += c;
            } else if (b >= kWill && b <= kDont) {
                verb_ = b;
                state_ = State::Option;
            } else if (b == kSb) {
                sub_.clear();
                state_ = State::Sub;
            } // other commands (NOP, GA, data mark) carry nothing for a serial line
            break;
        case State::Option:
            onOption(verb_, b, out.answer);
            state_ = State::Data;
            break;
        case State::Sub:
            if (b == kIac)
                state_ = State::SubIac;
            else
                sub_ += c;
            break;
        case State::SubIac:
            if (b == kIac) {
                sub_ += c;
                state_ = State::Sub;
                break;
            }
            state_ = State::Data;
            if (b == kSe && sub_.size() >= 2 && quint8(sub_.at(0)) == kComPort)
                out.replies << Reply{quint8(sub_.at(1)), sub_.mid(2)};
            break;
        }
    }
    return out;
}

} // namespace ondrel
