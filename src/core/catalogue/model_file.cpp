#include "catalogue/model_file.h"
#include "serial/parity.h"

#include "projector/reply_rules.h"

#include <QHash>
#include <algorithm>

namespace ondrel {

namespace {

const QString kToggleSeparator = QStringLiteral(" / ");
constexpr int kMaxNameLength = 100;

const char* const kModelKeys[] = {"manufacturer", "model",     "baud",       "data_bits",
                                  "parity",       "stop_bits", "present_as", "notation"};

struct Entry {
    int line = 0;
    QString value;
    int valueColumn = 1; // 1-based column of the value's first character
};

QString parityName(const QString& parity) {
    return parity.left(1) + parity.mid(1).toLower(); // NONE -> None
}

QString baudList() {
    QStringList rates;
    for (int rate : kPanelBaudRates)
        rates << QString::number(rate);
    return rates.join(QStringLiteral(", "));
}

// Errors of a manufacturer or model name.
std::optional<QString> nameFault(const QString& what, const QString& name) {
    if (name.trimmed().isEmpty())
        return QStringLiteral("%1 is empty").arg(what);
    if (name != name.trimmed())
        return QStringLiteral("%1 \"%2\" starts or ends with a blank").arg(what, name);
    if (name.size() > kMaxNameLength)
        return QStringLiteral("%1 is longer than %2 characters").arg(what).arg(kMaxNameLength);
    for (QChar c : name)
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("%1 \"%2\" holds a control character").arg(what, name);
    return std::nullopt;
}

// A command written in a text notation must not contain the toggle separator, nor lose blanks
// at its ends when the file's line is trimmed.
QString protectText(QString part) {
    // A slash beside a blank could join with the separator ("A /" then " / "): escape it.
    part.replace(QStringLiteral(" /"), QStringLiteral(" \\x2F"));
    part.replace(QStringLiteral("/ "), QStringLiteral("\\x2F "));
    if (part.startsWith(QLatin1Char(' ')))
        part.replace(0, 1, QStringLiteral("\\x20"));
    if (part.endsWith(QLatin1Char(' ')))
        part.replace(part.size() - 1, 1, QStringLiteral("\\x20"));
    return part;
}

} // namespace

QString ModelFileFaults::text(const QString& fileName) const {
    QString out;
    for (const Error& e : faults)
        out += (e.line > 0 ? QStringLiteral("%1:%2: %3").arg(fileName).arg(e.line).arg(e.message)
                           : QStringLiteral("%1: %2").arg(fileName, e.message)) +
               QLatin1Char('\n');
    return out;
}

QList<Error> checkModelSettings(const ModelDefinition& d) {
    QList<Error> faults;
    for (const auto& [what, name] : {std::pair{QStringLiteral("manufacturer"), d.manufacturer},
                                     std::pair{QStringLiteral("model"), d.model}})
        if (const auto fault = nameFault(what, name))
            faults << makeError(*fault);
    if (std::find(std::begin(kPanelBaudRates), std::end(kPanelBaudRates), d.baud) ==
        std::end(kPanelBaudRates))
        faults << makeError(QStringLiteral("baud %1 is not one of %2").arg(d.baud).arg(baudList()));
    if (d.dataBits != 8)
        faults << makeError(
            QStringLiteral("data_bits %1: the panel's ports send 8 data bits").arg(d.dataBits));
    if (d.stopBits != 1)
        faults << makeError(
            QStringLiteral("stop_bits %1: the panel's ports send 1 stop bit").arg(d.stopBits));
    if (!parityFromName(d.parity))
        faults << makeError(QStringLiteral("parity %1 is not None, Even or Odd").arg(d.parity));
    if (d.presentAs != Notation::Text && d.presentAs != Notation::Hex)
        faults << makeError(QStringLiteral("present_as must be ASCII or Binary"));
    if (d.commands.isEmpty())
        faults << makeError(QStringLiteral("the model has no commands"));
    return faults;
}

Result<ModelDefinition> parseModelFile(const QString& text, const QStringList& commandNames,
                                       ModelFileFaults* faultsOut) {
    QList<Error> faults;
    auto fault = [&faults](int line, const QString& message) {
        faults << makeError(message, line);
    };
    QHash<QString, Entry> keys;
    QHash<QString, Entry> commands; // by the catalogue's spelling of the name
    QString section;
    int modelLine = 0, lineNumber = 0, repliesLine = 0;
    QStringList replies; // the section's lines as written
    QString body = text;
    if (body.startsWith(QChar(0xFEFF)))
        body.remove(0, 1);
    for (QString line : body.split(QLatin1Char('\n'))) {
        ++lineNumber;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        const bool header =
            trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'));
        if (section == QLatin1String("replies") && !header) {
            replies << line;
            continue;
        }
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (header) {
            section = trimmed.mid(1, trimmed.size() - 2).trimmed().toLower();
            if (section == QLatin1String("model"))
                modelLine = modelLine ? modelLine : lineNumber;
            else if (section == QLatin1String("replies") && repliesLine) {
                fault(
                    lineNumber,
                    QStringLiteral("[replies] is given twice (first on line %1)").arg(repliesLine));
                section = QStringLiteral("?");
            } else if (section == QLatin1String("replies"))
                repliesLine = lineNumber;
            else if (section != QLatin1String("commands")) {
                fault(lineNumber, QStringLiteral("unknown section %1; a model file has [model], "
                                                 "[commands] and [replies]")
                                      .arg(trimmed));
                section = QStringLiteral("?"); // its lines are not looked at
            }
            continue;
        }
        if (section == QLatin1String("?"))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) {
            fault(lineNumber, QStringLiteral("expected NAME = VALUE, found \"%1\"").arg(trimmed));
            continue;
        }
        const QString key = line.left(equals).trimmed();
        Entry entry{lineNumber, line.mid(equals + 1).trimmed(), 0};
        entry.valueColumn = int(equals + 1);
        while (entry.valueColumn < line.size() && line[entry.valueColumn].isSpace())
            ++entry.valueColumn;
        ++entry.valueColumn;
        if (section == QLatin1String("model")) {
            const QString name = key.toLower();
            if (std::none_of(std::begin(kModelKeys), std::end(kModelKeys),
                             [&](const char* k) { return name == QLatin1String(k); }))
                fault(lineNumber, QStringLiteral("unknown key \"%1\" in [model]").arg(key));
            else if (keys.contains(name))
                fault(lineNumber, QStringLiteral("%1 is given twice (first on line %2)")
                                      .arg(name)
                                      .arg(keys[name].line));
            else
                keys.insert(name, entry);
        } else if (section == QLatin1String("commands")) {
            const auto known =
                std::find_if(commandNames.begin(), commandNames.end(), [&](const QString& n) {
                    return n.compare(key, Qt::CaseInsensitive) == 0;
                });
            if (known == commandNames.end())
                fault(lineNumber, QStringLiteral("unknown command name \"%1\"; the catalogue's "
                                                 "commands are %2")
                                      .arg(key, commandNames.join(QStringLiteral(", "))));
            else if (commands.contains(*known))
                fault(lineNumber, QStringLiteral("%1 is given twice (first on line %2)")
                                      .arg(*known)
                                      .arg(commands[*known].line));
            else
                commands.insert(*known, entry);
        } else {
            fault(lineNumber, QStringLiteral("\"%1\" stands before [model]").arg(trimmed));
        }
    }

    ModelDefinition d;
    const int sectionLine = modelLine ? modelLine : 1;
    auto required = [&](const char* key) -> std::optional<Entry> {
        const QString name = QString::fromLatin1(key);
        if (!keys.contains(name)) {
            fault(sectionLine, QStringLiteral("%1 is missing from [model]").arg(name));
            return std::nullopt;
        }
        return keys[name];
    };
    auto number = [&](const char* key, int fallback) {
        const QString name = QString::fromLatin1(key);
        if (!keys.contains(name))
            return fallback;
        bool ok = false;
        const int n = keys[name].value.toInt(&ok);
        if (!ok)
            fault(keys[name].line,
                  QStringLiteral("%1 \"%2\" is not a whole number").arg(name, keys[name].value));
        return ok ? n : fallback;
    };
    auto checked = [&](const char* key, const std::optional<QString>& problem) {
        if (problem && keys.contains(QString::fromLatin1(key)))
            fault(keys[QString::fromLatin1(key)].line, *problem);
    };
    if (const auto e = required("manufacturer")) {
        d.manufacturer = e->value;
        checked("manufacturer", nameFault(QStringLiteral("manufacturer"), d.manufacturer));
    }
    if (const auto e = required("model")) {
        d.model = e->value;
        checked("model", nameFault(QStringLiteral("model"), d.model));
    }
    if (required("baud")) {
        d.baud = number("baud", d.baud);
        if (std::find(std::begin(kPanelBaudRates), std::end(kPanelBaudRates), d.baud) ==
            std::end(kPanelBaudRates))
            checked("baud", QStringLiteral("baud %1 is not one of %2").arg(d.baud).arg(baudList()));
    }
    d.dataBits = number("data_bits", 8);
    checked("data_bits", d.dataBits != 8 ? std::optional<QString>(QStringLiteral(
                                               "data_bits must be 8: the panel's ports send 8"))
                                         : std::nullopt);
    d.stopBits = number("stop_bits", 1);
    checked("stop_bits", d.stopBits != 1 ? std::optional<QString>(QStringLiteral(
                                               "stop_bits must be 1: the panel's ports send 1"))
                                         : std::nullopt);
    if (keys.contains(QStringLiteral("parity"))) {
        d.parity = keys[QStringLiteral("parity")].value.toUpper();
        checked("parity",
                parityFromName(d.parity)
                    ? std::nullopt
                    : std::optional<QString>(QStringLiteral("parity must be None, Even or Odd")));
    }
    if (const auto e = required("present_as")) {
        const QString form = e->value.toLower();
        d.presentAs = form == QLatin1String("ascii")    ? Notation::Text
                      : form == QLatin1String("binary") ? Notation::Hex
                                                        : Notation::Decimal;
        checked("present_as",
                d.presentAs != Notation::Decimal
                    ? std::nullopt
                    : std::optional<QString>(
                          QStringLiteral("present_as must be ASCII or Binary, not \"%1\"")
                              .arg(e->value)));
    }
    if (keys.contains(QStringLiteral("notation"))) {
        const Entry& e = keys[QStringLiteral("notation")];
        if (const auto n = notationFromName(e.value))
            d.notation = *n;
        else
            fault(e.line,
                  QStringLiteral("notation must be text, hex or decimal, not \"%1\"").arg(e.value));
    }

    for (const QString& name : commandNames) {
        if (!commands.contains(name))
            continue;
        const Entry& e = commands[name];
        ModelCommand command{name, {}, std::nullopt};
        const QStringList parts = e.value.split(kToggleSeparator);
        if (parts.size() > 2) {
            fault(e.line, QStringLiteral("%1 holds more than one \" / \"; a command has at most "
                                         "an on and an off string")
                              .arg(name));
            continue;
        }
        int offset = 0;
        for (int p = 0; p < parts.size(); ++p) {
            const QString part = parts[p];
            qsizetype blanks = 0;
            while (blanks < part.size() && part[blanks].isSpace())
                ++blanks;
            const ParsedCommand parsed = parseCommandNotation(part.trimmed(), d.notation);
            if (!parsed.ok()) {
                NotationFault where = *parsed.fault;
                where.column += e.valueColumn - 1 + offset + int(blanks);
                fault(e.line, QStringLiteral("%1: %2").arg(name, where.message()));
            } else if (parsed.bytes.isEmpty()) {
                fault(e.line,
                      QStringLiteral("%1 has an empty %2 string")
                          .arg(name, p == 0 ? QStringLiteral("on") : QStringLiteral("off")));
            } else if (p == 0) {
                command.primary = parsed.bytes;
            } else {
                command.secondary = parsed.bytes;
            }
            offset += int(part.size() + kToggleSeparator.size());
        }
        d.commands << command;
    }
    if (commands.isEmpty())
        fault(lineNumber, QStringLiteral("the file has no commands; list them under [commands]"));
    while (!replies.isEmpty() && replies.last().trimmed().isEmpty())
        replies.removeLast();
    if (repliesLine) {
        QList<Error> found;
        static_cast<void>(
            parseReplyRules(replies.join(QLatin1Char('\n')), repliesLine + 1, &found));
        faults += found;
        while (!replies.isEmpty() && replies.first().trimmed().isEmpty())
            replies.removeFirst();
        d.replies = replies.join(QLatin1Char('\n'));
    }

    std::stable_sort(faults.begin(), faults.end(),
                     [](const Error& a, const Error& b) { return a.line < b.line; });
    if (faultsOut)
        faultsOut->faults = faults;
    if (!faults.isEmpty())
        return faults.front();
    return d;
}

QString writeModelFile(const ModelDefinition& d) {
    QString text = QStringLiteral("# Ondrel projector model\n[model]\n");
    text += QStringLiteral("manufacturer = %1\nmodel = %2\n").arg(d.manufacturer, d.model);
    text += QStringLiteral("baud = %1\ndata_bits = %2\nparity = %3\nstop_bits = %4\n")
                .arg(d.baud)
                .arg(d.dataBits)
                .arg(parityName(d.parity))
                .arg(d.stopBits);
    text +=
        QStringLiteral("present_as = %1\nnotation = %2\n\n[commands]\n")
            .arg(d.presentAs == Notation::Hex ? QStringLiteral("Binary") : QStringLiteral("ASCII"),
                 notationName(d.notation));
    for (const ModelCommand& c : d.commands) {
        auto written = [&](const QByteArray& bytes) {
            const QString part = formatCommandNotation(bytes, d.notation);
            return d.notation == Notation::Text ? protectText(part) : part;
        };
        text += c.name + QStringLiteral(" = ") + written(c.primary);
        if (c.secondary)
            text += kToggleSeparator + written(*c.secondary);
        text += QLatin1Char('\n');
    }
    if (!d.replies.isEmpty())
        text += QStringLiteral("\n[replies]\n") + d.replies + QLatin1Char('\n');
    return text;
}

QString commandCell(const ModelCommand& command) {
    QString cell = formatCommandNotation(command.primary, Notation::Decimal);
    if (command.secondary)
        cell += kToggleSeparator + formatCommandNotation(*command.secondary, Notation::Decimal);
    return cell;
}

std::optional<ModelCommand> commandFromCell(const QString& name, const QString& cell) {
    const QStringList parts = cell.split(QLatin1Char('/'));
    if (cell.trimmed().isEmpty() || parts.size() > 2)
        return std::nullopt;
    ModelCommand command{name, {}, std::nullopt};
    for (int p = 0; p < parts.size(); ++p) {
        const ParsedCommand parsed = parseCommandNotation(parts[p], Notation::Decimal);
        if (!parsed.ok() || parsed.bytes.isEmpty())
            return std::nullopt;
        (p == 0 ? command.primary : command.secondary.emplace()) = parsed.bytes;
    }
    return command;
}

} // namespace ondrel
