#pragma once

// Configuration files and projects that several test programs use.
#include "project/project_state.h"
#include "project/text_codec.h"
#include "tools/shutoff_timer.h"

#include <QStringList>

namespace ondrel::test {

inline QStringList repeated(const char* text, int count) {
    QStringList l;
    for (int i = 0; i < count; ++i)
        l << QString::fromLatin1(text);
    return l;
}

inline QByteArray fileBytes(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += toWindows1252(line) + "\r\n";
    return bytes;
}

// The worked example: 'Maker A' 'Model 1' on port one, button One sends 2 80 3 as an "On"
// button, port one 9600 NONE ASCII 1 stop bit 8 bits, a 90 minute timer.
inline void setUpWorkedExample(ProjectState& s) {
    s.setDeviceNames(0, "Maker A", "Model 1");
    s.setCommandText(0, 0, "On");
    s.updateButton(0, [&](ButtonConfig& record) {
        record.setCommandString1(3, ByteList{2, 80, 3});
    });
    s.updateButton(0, [&](ButtonConfig& record) { record.Button_type = TypeOn; });
    s.setDeviceLabel(0, "Maker A Model 1");
    s.setDeviceLabelVisible(0, true);
    CommSets p = s.port(0);
    p.BaudRate = 9600;
    p.Parity = "NONE";
    p.prsentAs = 1;
    p.StopBit = 1;
    p.TransmitFormat = 8;
    s.setPort(0, p);
    setShutOffTimer(s, 90);
}

inline QStringList workedExampleLines() {
    auto split = [](const char* text) { return QString::fromLatin1(text).split(QLatin1Char('|')); };
    QStringList l = split("<Data Set>|Maker A|Model 1|||On|") + repeated("", 18);
    l << "<P1 Primary Function>"
      << " 2 80 3" << repeated("None", 9);
    for (const char* tag :
         {"<P1 Secondary Function>", "<P2 Primary Function>", "<P2 Secondary Function>"})
        l << tag << repeated("None", 10);
    l << "<Button Type>"
      << "0" << repeated("3", 9);
    l << "<Relay 1>" << repeated("3", 10) << "<Relay 1_2>" << repeated("1", 10);
    l << "<Relay 2>" << repeated("3", 10) << "<Relay 2_2>" << repeated("1", 10);
    l << "<Dual Function>" << repeated("False", 10) << "<Repeat/Incr>" << repeated("0", 20);
    return l + split("<BL>|Maker A Model 1|Label4|<Port Settings>|9600||NONE||1||1||8||"
                     "<Timer>|1:30|1:08|0:45|0:22|<End>");
}

// Every field the file carries set to something other than its default.
inline void setUpFullState(ProjectState& s) {
    s.setDeviceNames(0, QString::fromUtf8("Société Écran"), "SX-1");
    s.setDeviceNames(1, "Maker B", "Model 9");
    for (int i = 0; i < kButtonCount; ++i) {
        s.setCommandText(0, i, QString("Cmd %1").arg(i));
        s.setCommandText(1, i, i == 3 ? QString::fromUtf8("Custom €") : QString("Other %1").arg(i));
        ButtonConfig b = s.button(i);
        b.setCommandString1(3, ByteList{2, 80 + i, 3});
        b.setCommandString1_2(2, ByteList{i, 255});
        b.setCommandString2(1, ByteList{0});
        b.setCommandString2_2(4, ByteList{126, 48 + i, 13, 10});
        b.Button_type = i % 5;
        b.setRelayInfo(1, i % 4);
        b.setRelayInfo(2, (i + 1) % 4);
        b.setRelayInfo(3, i % 3);
        b.setRelayInfo(4, (i + 2) % 3);
        if (i % 2)
            b.setDualFunction();
        b.Repeatng = i % 2;
        b.Incr = (i + 1) % 2;
        s.setButton(i, b);
    }
    s.setDeviceLabel(0, QString::fromUtf8("Société Écran SX-1"));
    s.setDeviceLabel(1, "Maker B Model 9");
    s.setCommandList2Visible(true);
    s.setPort(0, CommSets{"19200", "1", "8", "EVEN", "2"});
    s.setPort(1, CommSets{"115200", "1", "8", "ODD", "1"});
    s.setSecondProjectorEnabled(true);
    s.setPort1SelectDisabled(true);
    setShutOffTimer(s, 725);
}

} // namespace ondrel::test
