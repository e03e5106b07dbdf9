#include "programming/config_image.h"
#include "serial/parity.h"

#include "programming/loader_protocol.h"

#include <array>
#include <cmath>

namespace ondrel {

namespace {

const QString crlf = QStringLiteral("\r\n");
constexpr int kLengthFieldMax = 127;
constexpr int kKdxWords = 2;

int baudCode(const Value& baudRate) {
    const auto rate = baudRate.toReal();
    if (!rate)
        return 0;
    static constexpr std::array<std::pair<double, int>, 6> codes{
        {{7600, 1}, {9600, 2}, {19200, 3}, {28800, 4}, {38400, 5}, {115200, 7}}};
    for (const auto& [r, code] : codes)
        if (*rate == r)
            return code;
    return 0;
}

QString portName(int port) {
    return port == 0 ? QStringLiteral("control port 1") : QStringLiteral("control port 2");
}

Error buttonError(int button, const QString& what) {
    return makeError(QStringLiteral("Button %1: %2").arg(button + 1).arg(what));
}

Error commandError(int button, int port, const QString& what) {
    return makeError(QStringLiteral("Button %1, %2: %3").arg(button + 1).arg(portName(port), what));
}

Result<QByteArray> commandBytes(const ByteList& list, int button, int port, bool secondary) {
    QByteArray bytes;
    for (int i = 0; i < list.upperBound(); ++i) {
        const auto b = list.byteAt(i);
        if (!b)
            return commandError(button, port,
                                QStringLiteral("byte %1 (\"%2\") of the %3 command is not a number "
                                               "from 0 to 255")
                                    .arg(i + 1)
                                    .arg(list.slot(i).toText(), secondary
                                                                    ? QStringLiteral("secondary")
                                                                    : QStringLiteral("primary")));
        bytes.append(static_cast<char>(*b));
    }
    return bytes;
}

class ImageWriter {
public:
    void word(int value) {
        bytes_.append(static_cast<char>((value >> 8) & 0xFF));
        bytes_.append(static_cast<char>(value & 0xFF));
    }
    // "Label: hi lo" plus the trailing text, as the report shows a header word.
    void reportedWord(const QString& label, int value, const QString& after) {
        word(value);
        report_ += label + QString::number((value >> 8) & 0xFF) + QLatin1Char(' ') +
                   QString::number(value & 0xFF) + after + crlf;
    }
    void command(const QByteArray& data) {
        for (char c : data)
            word(static_cast<quint8>(c));
    }
    void reportCommand(const QString& label, const QByteArray& data) {
        report_ += label;
        for (char c : data)
            report_ +=
                QStringLiteral("0 ") + QString::number(static_cast<quint8>(c)) + QLatin1Char(' ');
        report_ += crlf;
    }
    void reportLine(const QString& text) { report_ += text + crlf; }
    qsizetype size() const { return bytes_.size(); }
    ConfigImage result() && { return {std::move(bytes_), std::move(report_), {}}; }

private:
    QByteArray bytes_;
    QString report_;
};

// One control port's two commands of a button, in the order the panel reads them.
struct PortCommands {
    QByteArray first;
    QByteArray second;
};

Result<PortCommands> portCommands(const ByteList& primary, const ByteList& secondary, int button,
                                  int port) {
    auto p = commandBytes(primary, button, port, false);
    if (!p)
        return p.error();
    auto s = commandBytes(secondary, button, port, true);
    if (!s)
        return s.error();
    // A secondary command is sent first.
    if (secondary.upperBound() > 0)
        return PortCommands{std::move(s.value()), std::move(p.value())};
    return PortCommands{std::move(p.value()), std::move(s.value())};
}

int typeWord(const ButtonConfig& b, int type) {
    static constexpr std::array<int, 5> base{36, 65, 4, 1, 2};
    int word = base[static_cast<size_t>(type)];
    if (b.Incr == Value(1))
        word += 8;
    if (b.Repeatng == Value(1))
        word += 16;
    const Value relay1 = b.getRelay1St(0);
    const Value relay2 = b.getRelay2St(0);
    if (relay1 == Value(RelayMomentary))
        word += 128;
    if (relay2 == Value(RelayMomentary))
        word += 256;
    if (relay1 == Value(RelayOn))
        word += 512;
    if (relay2 == Value(RelayOn))
        word += 1024;
    if (relay1 == Value(RelayOff))
        word += 2048;
    if (relay2 == Value(RelayOff))
        word += 4096;
    return word;
}

// What the whole image depends on, checked before anything is written.
struct ImagePlan {
    std::array<int, kButtonCount> types{};
    int sourceClearMask = 0; // buttons that a Source button turns off
    int timer = 0;
    QStringList warnings;
};

// The first button that sends anything on control port `port`, or -1.
int firstButtonSendingOn(const ProjectState& state, int port) {
    if (port == 0 && state.kdxDevicePresent())
        return 0; // the KDX codes go out on port one with every button
    for (int i = 0; i < kButtonCount; ++i) {
        const UploadStrings u = state.button(i).setUpldStrngs();
        const ByteList& primary = port == 0 ? u.UploadString1 : u.UploadString2;
        const ByteList& secondary = port == 0 ? u.UploadString1_2 : u.UploadString2_2;
        if (primary.upperBound() > 0 || secondary.upperBound() > 0)
            return i;
    }
    return -1;
}

// A port setting the panel does not know is sent as "not set up": harmless on a port nobody
// uses, a projector addressed at the wrong speed on one a button sends on.
Status checkPortSettings(const ProjectState& state, QStringList& warnings) {
    for (int port = 0; port < 2; ++port) {
        const QStringList unknown = unknownPortSettings(state.port(port));
        if (unknown.isEmpty())
            continue;
        const QString what =
            QStringLiteral("Control port %1 has %2 the panel does not know: %3")
                .arg(port + 1)
                .arg(unknown.size() == 1 ? QStringLiteral("a setting") : QStringLiteral("settings"),
                     unknown.join(QStringLiteral("; ")));
        const int button = firstButtonSendingOn(state, port);
        if (button < 0) {
            warnings << what + QStringLiteral(". No button sends on that port, so the panel "
                                              "takes it as not set up.");
            continue;
        }
        return makeError(what + QStringLiteral(". Button %1 sends on that port: correct it under "
                                               "Control Ports > Settings > Port %2 before "
                                               "uploading.")
                                    .arg(button + 1)
                                    .arg(port + 1));
    }
    return Ok{};
}

Result<ImagePlan> checkProject(const ProjectState& state) {
    ImagePlan plan;
    for (int i = 0; i < kButtonCount; ++i) {
        const ButtonConfig& b = state.button(i);
        const auto type = b.Button_type.toInteger();
        if (!type || *type < TypeOn || *type > TypeToggle)
            return buttonError(i, QStringLiteral("button type \"%1\" is not one of 0 (On) to 4 "
                                                 "(Toggle)")
                                      .arg(b.Button_type.toText()));
        plan.types[static_cast<size_t>(i)] = static_cast<int>(*type);
        if (*type == TypeSource || b.clrWthSrc == Value(1))
            plan.sourceClearMask |= 1 << i;
    }
    const double timer = std::nearbyint(state.timerMinutes().value_or(0));
    if (!(timer >= 0 && timer <= 0xFFFF))
        return makeError(QStringLiteral("The shut-off timer of %1 minutes does not fit the panel "
                                        "(0 to 65535 minutes)")
                             .arg(*state.timerMinutes()));
    plan.timer = static_cast<int>(timer);
    if (const Status ports = checkPortSettings(state, plan.warnings); !ports)
        return ports.error();
    return plan;
}

// One button's commands in the order the panel reads them, and its KDX codes, checked against
// the 7-bit length fields.
struct ButtonCommands {
    PortCommands port1, port2;
    QByteArray kdx;
};

Result<ButtonCommands> buttonCommands(const ProjectState& state, int i) {
    const UploadStrings u = state.button(i).setUpldStrngs();
    auto port1 = portCommands(u.UploadString1, u.UploadString1_2, i, 0);
    if (!port1)
        return port1.error();
    auto port2 = portCommands(u.UploadString2, u.UploadString2_2, i, 1);
    if (!port2)
        return port2.error();
    ButtonCommands c{std::move(port1.value()), std::move(port2.value()), {}};
    if (state.kdxDevicePresent()) {
        for (size_t k : {static_cast<size_t>(i), static_cast<size_t>(i + 11)}) {
            const int code = state.kdxCodeTable()[k];
            if (code < 0 || code > 255)
                return buttonError(
                    i, QStringLiteral("KDX code %1 is not a number from 0 to 255").arg(code));
            c.kdx.append(static_cast<char>(code));
        }
    }
    const auto tooLong = [&](qsizetype count, qsizetype limit, int port) -> std::optional<Error> {
        if (count <= limit)
            return std::nullopt;
        return commandError(
            i, port,
            QStringLiteral("a command of %1 bytes is too long; at most %2 bytes fit%3")
                .arg(count)
                .arg(limit)
                .arg(limit < kLengthFieldMax ? QStringLiteral(" with the KDX device") : QString()));
    };
    for (auto error : {tooLong(c.port1.first.size(), kLengthFieldMax - c.kdx.size(), 0),
                       tooLong(c.port1.second.size(), kLengthFieldMax, 0),
                       tooLong(c.port2.first.size(), kLengthFieldMax, 1),
                       tooLong(c.port2.second.size(), kLengthFieldMax, 1)})
        if (error)
            return *error;
    return c;
}

// Button i's section of the image and of the report; fails when the image outgrows the panel.
Status writeButton(ImageWriter& image, const ProjectState& state, int i, const ImagePlan& plan,
                   const ButtonCommands& c) {
    const int type = plan.types[static_cast<size_t>(i)];
    int offMask = 0;
    if (type == TypeSource)
        offMask = plan.sourceClearMask & ~(1 << i);
    else if (type == TypeOff)
        offMask = 1023 & ~(1 << i);
    const PortCommands& p1 = c.port1;
    const PortCommands& p2 = c.port2;

    image.reportLine(QString());
    image.reportLine(QStringLiteral("Button Number %1").arg(i + 1));
    image.reportedWord(QStringLiteral("Button Type: "), typeWord(state.button(i), type), QString());
    image.reportedWord(QStringLiteral("State: "), type == TypeOff ? 1 : 0, QStringLiteral(" "));
    image.reportedWord(QStringLiteral("Off: "), offMask, QStringLiteral(" "));
    image.reportedWord(QStringLiteral("P1 Bytes: "),
                       static_cast<int>(p2.first.size() * 128 + p1.first.size() + c.kdx.size()),
                       QString());
    image.reportedWord(QStringLiteral("P2 Bytes: "),
                       static_cast<int>(p2.second.size() * 128 + p1.second.size()), QString());

    const std::array<std::pair<const QByteArray*, int>, 4> commands{
        {{&p1.first, 0}, {&p2.first, 1}, {&p1.second, 0}, {&p2.second, 1}}};
    for (const auto& [data, port] : commands) {
        image.command(*data);
        if (data == &p1.first)
            image.command(c.kdx);
        if (image.size() > kConfigCapacity)
            return commandError(i, port,
                                QStringLiteral("the configuration does not fit the panel's "
                                               "memory (at most %1 bytes)")
                                    .arg(kConfigCapacity));
    }
    image.reportCommand(QStringLiteral("P1C1: "), p1.first);
    image.reportCommand(QStringLiteral("P2C1: "), p2.first);
    image.reportCommand(QStringLiteral("P1C2: "), p1.second);
    image.reportCommand(QStringLiteral("P2C2: "), p2.second);
    return Ok{};
}

} // namespace

int portSettingCode(const CommSets& port) {
    int code = baudCode(port.BaudRate);
    const Parity parity = parityOrNone(port.Parity.toText());
    if (parity == Parity::Even)
        code += 16;
    else if (parity == Parity::Odd)
        code += 32;
    return code;
}

Result<ConfigImage> BuildConfigImage(const ProjectState& state) {
    const Result<ImagePlan> plan = checkProject(state);
    if (!plan)
        return plan.error();
    ImageWriter image;
    image.word(1);
    image.word(1);
    image.reportedWord(QStringLiteral("Baud Rate: "),
                       (portSettingCode(state.port(1)) % 128) * 128 +
                           portSettingCode(state.port(0)) % 128,
                       QStringLiteral(" "));
    image.reportedWord(QStringLiteral("Timer: "), plan.value().timer, QString());
    for (int i = 0; i < kButtonCount; ++i) {
        const Result<ButtonCommands> commands = buttonCommands(state, i);
        if (!commands)
            return commands.error();
        if (const Status written = writeButton(image, state, i, plan.value(), commands.value());
            !written)
            return written.error();
    }
    ConfigImage result = std::move(image).result();
    result.warnings = plan.value().warnings;
    return result;
}

} // namespace ondrel
