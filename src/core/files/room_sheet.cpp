#include "files/room_sheet.h"

#include "app_version.h"
#include "files/crc32.h"
#include "programming/config_image.h"
#include "programming/programming.h"
#include "project/byte_text.h"
#include "project/command_notation.h"
#include "project/text_codec.h"
#include "tools/byte_presentation.h"
#include "tools/shutoff_timer.h"

#include <QFileInfo>

namespace ondrel {

namespace {

QString yesNo(const Value& flag) {
    return flag.toInteger().value_or(0) != 0 ? QStringLiteral("Yes") : QStringLiteral("No");
}

QString relayCaption(const Value& action) {
    switch (action.toInteger().value_or(-1)) {
    case RelayOn:
        return QStringLiteral("On");
    case RelayOff:
        return QStringLiteral("Off");
    case RelayMomentary:
        return QStringLiteral("Momentary");
    case RelayNoChange:
        return QStringLiteral("No Change");
    default:
        return action.toText();
    }
}

QString presentationCaption(const Value& prsentAs) {
    switch (notationOf(prsentAs)) {
    case Notation::Text:
        return QStringLiteral("ASCII");
    case Notation::Hex:
        return QStringLiteral("Hexadecimal");
    case Notation::Decimal:
        break;
    }
    return QStringLiteral("Decimal");
}

QString orDash(const QString& text) {
    return text.trimmed().isEmpty() ? QStringLiteral("-") : text;
}

QString serialSettings(const CommSets& port) {
    if (port.BaudRate.isEmpty())
        return QStringLiteral("Not set");
    return QStringLiteral("%1 baud, parity %2, %3 data bits, %4 stop bit(s)")
        .arg(port.BaudRate.toText(), orDash(port.Parity.toText()),
             orDash(port.TransmitFormat.toText()), orDash(port.StopBit.toText()));
}

// What one control port does for a button: the command's name, then its bytes; a dual button
// has its second function's bytes below.
QString portCell(const QString& listText, const ByteList& primary, const ByteList& secondary,
                 bool dual, const Value& prsentAs) {
    if (primary.isEmpty() && secondary.isEmpty())
        return QStringLiteral("None");
    QString name = listText.trimmed();
    if (name.isEmpty())
        name = QStringLiteral("Custom");
    QString cell = name + QLatin1Char('\n') + sheetBytesText(primary, prsentAs).trimmed();
    if (dual || !secondary.isEmpty())
        cell += QStringLiteral("\nSecond: ") + sheetBytesText(secondary, prsentAs).trimmed();
    return cell;
}

} // namespace

QStringList defaultLabelCaptions() {
    return {QStringLiteral("On"),           QStringLiteral("Off"),
            QStringLiteral("Volume Up"),    QStringLiteral("Volume Down"),
            QStringLiteral("VCR"),          QStringLiteral("DVD"),
            QStringLiteral("VGA One"),      QStringLiteral("VGA Two"),
            QStringLiteral("Black Screen"), QStringLiteral("Auto Image")};
}

QString sheetBytesText(const ByteList& list, const Value& prsentAs) {
    if (list.isEmpty())
        return QStringLiteral("None");
    const Notation form = notationOf(prsentAs);
    QString text;
    for (int i = 0; i < list.upperBound(); ++i) {
        const std::optional<quint8> byte = list.byteAt(i);
        if (!byte) { // not a byte value: shown as stored, the image refuses it anyway
            text += QLatin1Char(' ') + list.slot(i).toText();
            continue;
        }
        const int b = *byte;
        if (form != Notation::Text)
            text += QLatin1Char(' ') + byteNumber(b, form, HexWidth::Two, QLatin1String("H"));
        else if (b < 32 || b == 127)
            text += controlMnemonic(b);
        else
            text += singleByteChar(b);
    }
    return text;
}

namespace {

// The facts above the tables: file, date, versions, timer and the image's size and checksum.
void addFacts(RoomSheet& sheet, const ProjectState& state, const QString& fileName,
              const QDate& date) {
    const QFileInfo file(fileName);
    sheet.facts << qMakePair(QStringLiteral("Configuration file"),
                             fileName.isEmpty() ? QStringLiteral("(not saved)") : file.fileName())
                << qMakePair(QStringLiteral("Date"), date.toString(Qt::ISODate))
                << qMakePair(QStringLiteral("Tool version"), versionText())
                << qMakePair(
                       QStringLiteral("Firmware programmed"),
                       QStringLiteral("%1 (firmware/%2)")
                           .arg(versionText(), QFileInfo(firmwareFilePath(QString())).fileName()));
    const std::optional<double>& minutes = state.timerMinutes();
    const QString timer = minutes ? QStringLiteral("%1 (%2 minutes)")
                                        .arg(FormatTimerText(*minutes))
                                        .arg(qRound64(*minutes))
                                  : QStringLiteral("Not set");
    sheet.facts << qMakePair(QStringLiteral("Shut-off timer"), timer);
    const Result<ConfigImage> image = BuildConfigImage(state);
    if (image) {
        sheet.crc = crc32Text(crc32(image.value().bytes));
        sheet.facts << qMakePair(
            QStringLiteral("Configuration image"),
            QStringLiteral("%1 bytes, CRC-32 %2").arg(image.value().bytes.size()).arg(sheet.crc));
    } else {
        sheet.facts << qMakePair(QStringLiteral("Configuration image"),
                                 QStringLiteral("cannot be built: ") + image.error().message);
    }
}

SheetTable devicesTable(const ProjectState& state) {
    SheetTable devices;
    devices.title = QStringLiteral("Devices");
    devices.header = {QStringLiteral("Device"), QStringLiteral("Maker"), QStringLiteral("Model"),
                      QStringLiteral("Serial settings"), QStringLiteral("Commands shown as")};
    devices.widths = {0.20, 0.16, 0.16, 0.32, 0.16};
    for (int d = 0; d < 2; ++d) {
        const DeviceView& device = state.device(d);
        const bool used = d == 0 || state.secondProjectorEnabled() || !device.model.isEmpty();
        const CommSets& port = state.port(d);
        devices.rows << QStringList{d == 0 ? QStringLiteral("#1, control port one")
                                           : QStringLiteral("#2, control port two"),
                                    used ? orDash(device.manufacturer) : QStringLiteral("Not used"),
                                    used ? orDash(device.model) : QStringLiteral("-"),
                                    used ? serialSettings(port) : QStringLiteral("-"),
                                    used ? presentationCaption(port.prsentAs)
                                         : QStringLiteral("-")};
    }
    return devices;
}

// One row of the buttons table: number and caption, type, relays and both ports' commands.
QStringList buttonRow(const ProjectState& state, int i, const QString& label) {
    const ButtonConfig& b = state.button(i);
    const bool dual = b.GetDualFunct();
    const RelayInfo relays = b.getRelayInfo();
    QString type = buttonTypeCaption(int(b.Button_type.toInteger().value_or(-1)));
    if (type.isEmpty())
        type = b.Button_type.toText();
    type += QStringLiteral("\nRepeating: %1\nClear With Sources: %2")
                .arg(yesNo(b.Repeatng), yesNo(b.clrWthSrc));
    if (dual)
        type += QStringLiteral("\nDual function");
    QString relayText = QStringLiteral("Relay 1: %1\nRelay 2: %2")
                            .arg(relayCaption(relays.relay1), relayCaption(relays.relay2));
    if (dual)
        relayText += QStringLiteral("\nSecond: %1, %2")
                         .arg(relayCaption(relays.relay1_2), relayCaption(relays.relay2_2));
    return {QStringLiteral("%1\n%2").arg(i + 1).arg(label), type, relayText,
            portCell(state.device(0).commandTexts[size_t(i)], b.commandString1(),
                     b.commandString1_2(), dual, state.port(0).prsentAs),
            portCell(state.device(1).commandTexts[size_t(i)], b.commandString2(),
                     b.commandString2_2(), dual, state.port(1).prsentAs)};
}

SheetTable buttonsTable(const ProjectState& state, const QStringList& labels) {
    SheetTable buttons;
    buttons.title = QStringLiteral("Buttons");
    buttons.header = {QStringLiteral("Button"), QStringLiteral("Type"), QStringLiteral("Relays"),
                      QStringLiteral("Control port one"), QStringLiteral("Control port two")};
    buttons.widths = {0.14, 0.23, 0.19, 0.22, 0.22};
    for (int i = 0; i < kButtonCount; ++i)
        buttons.rows << buttonRow(state, i, labels[i]);
    return buttons;
}

} // namespace

RoomSheet buildRoomSheet(const ProjectState& state, const QString& fileName, const QDate& date,
                         const QStringList& labelCaptions) {
    const QStringList labels =
        labelCaptions.size() == kButtonCount ? labelCaptions : defaultLabelCaptions();
    RoomSheet sheet;
    sheet.title = fileName.isEmpty() ? QStringLiteral("Unsaved configuration")
                                     : QFileInfo(fileName).completeBaseName();

    addFacts(sheet, state, fileName, date);
    sheet.tables << devicesTable(state) << buttonsTable(state, labels);
    return sheet;
}

} // namespace ondrel
