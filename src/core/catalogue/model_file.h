#pragma once

#include "project/comm_sets.h"
#include "project/command_notation.h"
#include "result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace ondrel {

// One command of a projector model: the bytes of its primary string and, for a command with an
// on and an off state, of its secondary string (a catalogue cell "A / B").
struct ModelCommand {
    QString name; // a command name of the catalogue's table available
    QByteArray primary;
    std::optional<QByteArray> secondary;
    friend bool operator==(const ModelCommand&, const ModelCommand&) = default;
};

// Everything the catalogue knows about one model, as an installer defines or shares it.
struct ModelDefinition {
    QString manufacturer;
    QString model;
    int baud = 9600;
    int dataBits = 8;
    QString parity = QStringLiteral("NONE"); // NONE, EVEN or ODD, as the catalogue writes it
    int stopBits = 1;
    Notation presentAs = Notation::Text; // Text (ASCII) or Hex (binary)
    Notation notation = Notation::Text;  // how the file writes the commands
    QList<ModelCommand> commands;        // in the order of the catalogue's command names
    QString replies; // what the projector answers (projector/reply_rules.h); empty: unknown
    friend bool operator==(const ModelDefinition&, const ModelDefinition&) = default;
};

// The faults of a model definition or file: every one with its line (0 when it has none).
struct ModelFileFaults {
    QList<Error> faults;
    QString text(const QString& fileName) const; // "FILE:LINE: message" lines
};

// Reads a model file (UTF-8 text, extension .ondrel-model): a [model] section with the keys
// manufacturer, model, baud, data_bits, parity, stop_bits, present_as and notation, and a
// [commands] section of "Name = command" lines, where " / " separates the on and the off string
// of a toggle command, and optionally a [replies] section: what the projector answers, kept as
// written (comments too) and checked with parseReplyRules. Lines starting with "#" are comments.
// `commandNames` are the names the catalogue offers (their spelling wins). The whole file is
// checked: every fault is reported.
Result<ModelDefinition> parseModelFile(const QString& text, const QStringList& commandNames,
                                       ModelFileFaults* faults = nullptr);

// Writes `definition` in that format; parseModelFile gives the same definition back.
QString writeModelFile(const ModelDefinition& definition);

// The checks of the [model] section for a definition built in a window: names, serial settings.
QList<Error> checkModelSettings(const ModelDefinition& definition);

// A command as a catalogue cell ("2 80 3 / 2 81 3") and back.
QString commandCell(const ModelCommand& command);
std::optional<ModelCommand> commandFromCell(const QString& name, const QString& cell);

} // namespace ondrel
