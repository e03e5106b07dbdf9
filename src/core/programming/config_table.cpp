#include "programming/config_table.h"
#include "serial/parity.h"

#include "tools/panel_check.h"

namespace ondrel {
namespace {

constexpr int kHeaderWords = 4;
constexpr int kButtonHeaderWords = 5;

class WordReader {
public:
    explicit WordReader(const QByteArray& bytes) : bytes_(bytes) {}
    bool has(int words) const { return pos_ + 2 * qsizetype(words) <= bytes_.size(); }
    int word() {
        const int value = quint8(bytes_[pos_]) << 8 | quint8(bytes_[pos_ + 1]);
        pos_ += 2;
        return value;
    }
    ByteList command(int count) {
        QByteArray data;
        for (int i = 0; i < count; ++i)
            data.append(char(word() & 0xFF));
        return ByteList::fromBytes(data);
    }

private:
    const QByteArray& bytes_;
    qsizetype pos_ = 0;
};

Value baudRate(int code) {
    switch (code) {
    case 1:
        return 7600;
    case 2:
        return 9600;
    case 3:
        return 19200;
    case 4:
        return 28800;
    case 5:
        return 38400;
    case 7:
        return 115200;
    default:
        return {};
    }
}

void readPort(int setting, CommSets& port) {
    port.BaudRate = baudRate(setting & 15);
    port.Parity = parityName(setting & 32   ? Parity::Odd
                             : setting & 16 ? Parity::Even
                                            : Parity::None);
}

int typeOf(int typeWord) {
    switch (typeWord & 0x67) { // the base bits: 0, 1, 2, 5, 6
    case 36:
        return TypeOn;
    case 65:
        return TypeOff;
    case 4:
        return TypeSource;
    case 1:
        return TypeMomentary;
    case 2:
        return TypeToggle;
    default:
        return -1;
    }
}

Value relayAction(int typeWord, int momentary, int on, int off) {
    if (typeWord & momentary)
        return RelayMomentary;
    if (typeWord & on)
        return RelayOn;
    if (typeWord & off)
        return RelayOff;
    return RelayNoChange;
}

} // namespace

Status readConfigTable(const QByteArray& table, ProjectState& state) {
    WordReader in(table);
    if (!in.has(kHeaderWords))
        return makeError(QStringLiteral("The configuration table is shorter than its header."));
    in.word(); // two constant words
    in.word();
    const int ports = in.word();
    const ProjectState::Batch batch(state);
    state.updatePort(0, [ports](CommSets& port) { readPort(ports & 0x7F, port); });
    state.updatePort(1, [ports](CommSets& port) { readPort(ports >> 7 & 0x7F, port); });
    state.setTimerMinutes(in.word());
    int offMasks[kButtonCount] = {};
    for (int i = 0; i < kButtonCount; ++i) {
        const auto missing =
            makeError(QStringLiteral("The configuration table ends inside %1.").arg(buttonName(i)));
        if (!in.has(kButtonHeaderWords))
            return missing;
        const int type = in.word();
        in.word(); // the state word follows from the type
        offMasks[i] = in.word();
        const int first = in.word();
        const int second = in.word();
        const int counts[4] = {first & 0x7F, first >> 7 & 0x7F, second & 0x7F, second >> 7 & 0x7F};
        if (!in.has(counts[0] + counts[1] + counts[2] + counts[3]))
            return missing;
        ByteList lists[4]; // port one first, port two first, port one second, port two second
        for (int k = 0; k < 4; ++k)
            lists[k] = in.command(counts[k]);
        ButtonConfig b;
        b.Button_type = typeOf(type);
        b.Incr = type & 8 ? 1 : 0;
        b.Repeatng = type & 16 ? 1 : 0;
        b.setRelayInfo(1, relayAction(type, 128, 512, 2048));
        b.setRelayInfo(2, relayAction(type, 256, 1024, 4096));
        // A port with a secondary string has it placed first and the primary second.
        const bool dual1 = !lists[2].isEmpty();
        const bool dual2 = !lists[3].isEmpty();
        b.setCommandString1(0, dual1 ? lists[2] : lists[0]);
        b.setCommandString1_2(0, dual1 ? lists[0] : ByteList());
        b.setCommandString2(0, dual2 ? lists[3] : lists[1]);
        b.setCommandString2_2(0, dual2 ? lists[1] : ByteList());
        if (dual1 || dual2)
            b.setDualFunction();
        state.setButton(i, b);
    }
    for (int i = 0; i < kButtonCount; ++i) {
        if (state.button(i).Button_type == Value(TypeSource))
            continue;
        for (int j = 0; j < kButtonCount; ++j)
            if (state.button(j).Button_type == Value(TypeSource) && (offMasks[j] >> i & 1))
                state.updateButton(i, [](ButtonConfig& record) { record.clrWthSrc = 1; });
    }
    return Ok{};
}

} // namespace ondrel
