#include "project/command_entry.h"

#include "project/button_config.h"
#include "project/project_state.h"
#include "project/text_codec.h"
#include "project/value.h"

namespace ondrel {

std::optional<int> parseByteCount(const QString& text) {
    const std::optional<qint64> count = Value(text).toInteger();
    if (!count || *count < 0 || *count > kMaxCommandBytes)
        return std::nullopt;
    return static_cast<int>(*count);
}

int HexDigitValue(QChar c) {
    switch (c.toUpper().unicode()) {
    case 'A':
        return 10;
    case 'B':
        return 11;
    case 'C':
        return 12;
    case 'D':
        return 13;
    case 'E':
        return 14;
    case 'F':
        return 15;
    default:
        return c.unicode() - '0';
    }
}

std::optional<int> ParseEntryByte(const QString& text) {
    if (text.size() == 1) {
        const QByteArray code = toWindows1252(text);
        // '?' stands in for characters the code page lacks; only a typed '?' is 63.
        if (code.size() != 1 || (code.at(0) == '?' && text != QStringLiteral("?")))
            return std::nullopt;
        return static_cast<quint8>(code.at(0));
    }
    if (text.size() == 2) {
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F')))
                return std::nullopt;
        }
        return HexDigitValue(text.at(0)) * 16 + HexDigitValue(text.at(1));
    }
    return std::nullopt;
}

void storeCommandString(ButtonConfig& record, StringTarget target, const ByteList& list) {
    const int count = list.upperBound();
    if (target.port == CommandPort::One)
        target.dual == 0 ? record.setCommandString1(count, list)
                         : record.setCommandString1_2(count, list);
    else if (target.port == CommandPort::Two)
        target.dual == 0 ? record.setCommandString2(count, list)
                         : record.setCommandString2_2(count, list);
}

std::array<QString, 4> ShowButtonStrings(const ProjectState& state, int button) {
    const ButtonConfig& record = state.button(button);
    const Value& portOne = state.port(0).prsentAs;
    const Value& portTwo = state.port(1).prsentAs;
    return {record.commandString1Info(portOne), record.commandString1_2Info(portOne),
            record.commandString2Info(portTwo), record.commandString2_2Info(portTwo)};
}

} // namespace ondrel
