#include "catalogue/command_assignment.h"

#include "project/split_command_text.h"

namespace ondrel {

namespace {

Error noProtocolRow(const Value& protocolNumber) {
    return makeError(
        QStringLiteral("The catalogue has no protocol %1.")
            .arg(protocolNumber.isEmpty() ? QStringLiteral("(none)") : protocolNumber.toText()));
}

// Writes a model's protocol, settings option, presentation form and label captions: the part of
// a model selection that a configuration file repeats.
void storeModelRow(ProjectState& state, int device, const ModelRow& row,
                   const QString& manufacturer, const QString& model) {
    const ProjectState::Batch batch(state);
    state.setProtocolNumber(row.protocal);
    state.setRs232Option(row.rs_232Setup);
    state.updatePort(device, [&](CommSets& port) { port.prsentAs = row.Present_As; });
    state.setDeviceLabel(device, manufacturer + QLatin1Char(' ') + model);
}

// Copies the serial settings of state.rs232Option() into the device's port; an option without a
// row keeps the port as it was.
Result<bool> storeSerialSettings(ProjectState& state, const Catalogue& catalogue, int device) {
    auto settings = catalogue.serialSettings(state.rs232Option());
    if (!settings)
        return settings.error();
    if (!settings.value())
        return false;
    const SerialSettingsRow& row = *settings.value();
    state.updatePort(device, [&](CommSets& port) {
        port.BaudRate = row.baudRate;
        port.TransmitFormat = row.bits;
        port.StopBit = row.stopBits;
        port.Parity = Value(row.parity.toText());
    });
    return true;
}

} // namespace

CommandCell parseCommandCell(const QString& text) {
    SplitResult first = SplitCommandText(text);
    CommandCell cell{std::move(first.commandTokens), {}};
    if (!first.secondFunction.isEmpty())
        cell.secondary = SplitCommandText(first.secondFunction).commandTokens;
    return cell;
}

Result<CommandListFill> populateCommandLists(ProjectState& state, const Catalogue& catalogue,
                                             int device) {
    auto names = catalogue.commandNames();
    if (!names)
        return names.error();
    auto protocol = catalogue.protocol(state.protocolNumber());
    if (!protocol)
        return protocol.error();
    if (!protocol.value())
        return noProtocolRow(state.protocolNumber());

    CommandListFill fill;
    fill.items << QString();
    for (const QString& name : names.value()) {
        if (protocol.value()->has(name))
            fill.items << name;
    }
    state.fillCommandLists(device, fill.items, state.protocolNumber());
    return fill;
}

namespace {
// A port's command of a button: the primary and secondary strings, and the dual flag, which
// stays only while a port keeps a secondary string.
void storePortCommand(ButtonConfig& record, int device, const ByteList& primary,
                      const ByteList& secondary) {
    if (device == 0) {
        record.setCommandString1(primary.upperBound(), primary);
        record.setCommandString1_2(secondary.upperBound(), secondary);
    } else {
        record.setCommandString2(primary.upperBound(), primary);
        record.setCommandString2_2(secondary.upperBound(), secondary);
    }
    if (!secondary.isEmpty())
        record.setDualFunction();
    else if (record.commandString1_2().isEmpty() && record.commandString2_2().isEmpty())
        record.clrDualFunction();
}
} // namespace

Result<CommandListFill> populateCommandListsWithDefaults(ProjectState& state,
                                                         const Catalogue& catalogue, int device) {
    const ProjectState::Batch batch(state);
    auto filled = populateCommandLists(state, catalogue, device);
    if (!filled)
        return filled;
    CommandListFill fill = std::move(filled).value();
    auto protocol = catalogue.protocol(state.protocolNumber());
    if (!protocol)
        return protocol.error();

    // The j-th supported default command sits at list position j because table available lists
    // the default commands first and in button order.
    int j = 0;
    for (int k = 0; k < kButtonCount; ++k) {
        const QString name = QString::fromLatin1(kDefaultCommands[static_cast<size_t>(k)]);
        if (protocol.value()->has(name)) {
            ++j;
            if (j >= fill.items.size())
                continue;
            fill.position[static_cast<size_t>(k)] = j;
            if (Status chosen = chooseCommand(state, catalogue, device, k, fill.items[j]); !chosen)
                return chosen.error();
        } else {
            // The new model has no default for this button: it must not keep sending the
            // previous model's command, which the list no longer shows.
            state.updateButton(k, [device](ButtonConfig& record) {
                storePortCommand(record, device, ByteList(), ByteList());
            });
            if (k == 7)
                fill.renameButton8 = true;
            else
                fill.position[static_cast<size_t>(k)] = 0; // the empty item of the list
        }
    }
    return fill;
}

Status chooseCommand(ProjectState& state, const Catalogue& catalogue, int device, int button,
                     const QString& name) {
    const ProjectState::Batch batch(state);
    state.setCommandText(device, button, name);
    const Value& listProtocol = state.device(device).protocol;
    if (name.isEmpty() || listProtocol.isEmpty())
        return Ok{};
    auto protocol = catalogue.protocol(listProtocol);
    if (!protocol)
        return protocol.error();
    if (!protocol.value() || !protocol.value()->has(name))
        return Ok{};

    const auto [primary, secondary] = parseCommandCell(protocol.value()->command(name));
    state.updateButton(button, [&, device](ButtonConfig& record) {
        storePortCommand(record, device, primary, secondary);
    });

    if (device == 0 || state.kdxDevicePresent())
        return applyButtonMask(state, catalogue, button);
    return Ok{};
}

Status applyButtonMask(ProjectState& state, const Catalogue& catalogue, int button) {
    auto mask = catalogue.commandMask(state.device(0).commandTexts[static_cast<size_t>(button)]);
    if (!mask)
        return mask.error();
    if (!mask.value())
        return Ok{};
    static const QString letters = QStringLiteral("ofsmd"); // in the order of the type codes
    const QString& letter = *mask.value();
    const qsizetype type = letter.size() == 1 ? letters.indexOf(letter) : -1;
    if (type >= 0)
        state.updateButton(button, [type](ButtonConfig& record) {
            record.Button_type = Value(static_cast<int>(type));
        });
    return Ok{};
}

Result<ModelSelection> selectModel(ProjectState& state, const Catalogue& catalogue, int device,
                                   const QString& manufacturer, const QString& model) {
    auto row = catalogue.model(manufacturer, model);
    if (!row)
        return row.error();
    ModelSelection selection;
    if (!row.value())
        return selection;
    selection.found = true;
    const ProjectState::Batch batch(state);
    state.setDeviceNames(device, manufacturer, model);
    storeModelRow(state, device, *row.value(), manufacturer, model);
    auto lists = populateCommandListsWithDefaults(state, catalogue, device);
    if (!lists)
        return lists.error();
    selection.lists = std::move(lists).value();
    auto settings = storeSerialSettings(state, catalogue, device);
    if (!settings)
        return settings.error();
    selection.hasSettings = settings.value();
    return selection;
}

Result<bool> createDataset(ProjectState& state, const Catalogue& catalogue, int device,
                           const QString& manufacturer, const QString& model) {
    auto row = catalogue.model(manufacturer, model);
    if (!row)
        return row.error();
    if (!row.value())
        return false;
    const ProjectState::Batch batch(state);
    storeModelRow(state, device, *row.value(), manufacturer, model);
    if (auto lists = populateCommandLists(state, catalogue, device); !lists)
        return lists.error();
    if (auto settings = storeSerialSettings(state, catalogue, device); !settings)
        return settings.error();
    return true;
}

} // namespace ondrel
