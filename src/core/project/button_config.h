#pragma once

#include "project/byte_list.h"
#include "project/value.h"

#include <array>

namespace ondrel {

// Button type codes.
enum ButtonType { TypeOn = 0, TypeOff = 1, TypeSource = 2, TypeMomentary = 3, TypeToggle = 4 };
// Relay action codes.
enum RelayAction { RelayOn = 0, RelayOff = 1, RelayMomentary = 2, RelayNoChange = 3 };

// Copies of one button's four command strings, as the image builder and the simulator use them.
struct UploadStrings {
    ByteList UploadString1;   // port one, primary
    ByteList UploadString1_2; // port one, secondary
    ByteList UploadString2;   // port two, primary
    ByteList UploadString2_2; // port two, secondary
};

// The four relay selections of a button, as the configuration dialog shows them.
struct RelayInfo {
    Value relay1, relay2, relay1_2, relay2_2;
};

// Everything the tool knows about one panel button.
class ButtonConfig {
public:
    Value Incr = 0;
    Value Repeatng = 0;
    Value Button_type = TypeMomentary;
    Value clrWthSrc = 0;

    bool getDualFunction() const { return dualFunction_; }
    void setDualFunction() { dualFunction_ = true; }
    void clrDualFunction() { dualFunction_ = false; }
    bool GetDualFunct() const { return dualFunction_; }

    // Each stores an exact copy of `list`; `arraySize` is the count the caller has in mind and
    // never truncates.
    void setCommandString1(int arraySize, const ByteList& list);
    void setCommandString1_2(int arraySize, const ByteList& list);
    void setCommandString2(int arraySize, const ByteList& list);
    void setCommandString2_2(int arraySize, const ByteList& list);

    const ByteList& commandString1() const { return commandString1_; }
    const ByteList& commandString1_2() const { return commandString1_2_; }
    const ByteList& commandString2() const { return commandString2_; }
    const ByteList& commandString2_2() const { return commandString2_2_; }

    // What the four command boxes of the configuration dialog show, in each port's presentation
    // form (`port1Format` is port one's prsentAs, `port2Format` port two's).
    QString commandString1Info(const Value& port1Format) const;
    QString commandString1_2Info(const Value& port1Format) const;
    QString commandString2Info(const Value& port2Format) const;
    QString commandString2_2Info(const Value& port2Format) const;

    RelayInfo getRelayInfo() const { return {rlyState1_, rlyState2_, rlyState1_2_, rlyState2_2_}; }

    // Decimal form of port one's primary (1) or secondary (2) string; "None" when empty or when
    // the selector is neither.
    QString getCommandString(const Value& buttonState) const;
    QString getCommandString_2(const Value& buttonState) const;

    // relayNum 1 relay one, 2 relay two, 3 relay one secondary, 4 relay two secondary.
    void setRelayInfo(const Value& relayNum, const Value& rlyState);
    // buttonState 0 primary, 1 secondary; anything else gives an unset value.
    Value getRelay1St(const Value& buttonState) const;
    Value getRelay2St(const Value& buttonState) const;

    UploadStrings setUpldStrngs() const;
    void disablePrt2();

    friend bool operator==(const ButtonConfig&, const ButtonConfig&) = default;

private:
    ByteList commandString1_;
    ByteList commandString2_;
    ByteList commandString1_2_;
    ByteList commandString2_2_;
    Value rlyState1_ = RelayNoChange;
    Value rlyState2_ = RelayNoChange;
    Value rlyState1_2_ = RelayOff;
    Value rlyState2_2_ = RelayOff;
    bool dualFunction_ = false;
};

// Display names of button types ("On", "Off", "Source", "Momentary", "Toggle").
QString buttonTypeCaption(int type);

} // namespace ondrel
