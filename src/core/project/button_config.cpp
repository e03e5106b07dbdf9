#include "project/button_config.h"

namespace ondrel {

void ButtonConfig::setCommandString1(int, const ByteList& list) {
    commandString1_ = list;
}
void ButtonConfig::setCommandString1_2(int, const ByteList& list) {
    commandString1_2_ = list;
}
void ButtonConfig::setCommandString2(int, const ByteList& list) {
    commandString2_ = list;
}
void ButtonConfig::setCommandString2_2(int, const ByteList& list) {
    commandString2_2_ = list;
}

QString ButtonConfig::commandString1Info(const Value& f) const {
    return commandString1_.textForm(f);
}
QString ButtonConfig::commandString1_2Info(const Value& f) const {
    return commandString1_2_.textForm(f);
}
QString ButtonConfig::commandString2Info(const Value& f) const {
    return commandString2_.textForm(f);
}
QString ButtonConfig::commandString2_2Info(const Value& f) const {
    return commandString2_2_.textForm(f);
}

namespace {
QString noneIfEmpty(QString text) {
    return text.isEmpty() ? QStringLiteral("None") : text;
}
} // namespace

QString ButtonConfig::getCommandString(const Value& buttonState) const {
    const auto s = buttonState.toInteger();
    if (s == 1)
        return noneIfEmpty(commandString1_.textForm(Notation::Decimal));
    if (s == 2)
        return noneIfEmpty(commandString1_2_.textForm(Notation::Decimal));
    return QStringLiteral("None");
}

QString ButtonConfig::getCommandString_2(const Value& buttonState) const {
    const auto s = buttonState.toInteger();
    if (s == 1)
        return noneIfEmpty(commandString2_.textForm(Notation::Decimal));
    if (s == 2)
        return noneIfEmpty(commandString2_2_.textForm(Notation::Decimal));
    return QStringLiteral("None");
}

void ButtonConfig::setRelayInfo(const Value& relayNum, const Value& rlyState) {
    switch (relayNum.toInteger().value_or(0)) {
    case 1:
        rlyState1_ = rlyState;
        break;
    case 2:
        rlyState2_ = rlyState;
        break;
    case 3:
        rlyState1_2_ = rlyState;
        break;
    case 4:
        rlyState2_2_ = rlyState;
        break;
    default:
        break;
    }
}

Value ButtonConfig::getRelay1St(const Value& buttonState) const {
    const auto s = buttonState.toInteger();
    if (s == 0)
        return rlyState1_;
    if (s == 1)
        return rlyState1_2_;
    return {};
}

Value ButtonConfig::getRelay2St(const Value& buttonState) const {
    const auto s = buttonState.toInteger();
    if (s == 0)
        return rlyState2_;
    if (s == 1)
        return rlyState2_2_;
    return {};
}

UploadStrings ButtonConfig::setUpldStrngs() const {
    return {commandString1_, commandString1_2_, commandString2_, commandString2_2_};
}

void ButtonConfig::disablePrt2() {
    commandString2_ = ByteList();
    commandString2_2_ = ByteList();
}

QString buttonTypeCaption(int type) {
    switch (type) {
    case TypeOn:
        return QStringLiteral("On");
    case TypeOff:
        return QStringLiteral("Off");
    case TypeSource:
        return QStringLiteral("Source");
    case TypeMomentary:
        return QStringLiteral("Momentary");
    case TypeToggle:
        return QStringLiteral("Toggle");
    default:
        return {};
    }
}

} // namespace ondrel
