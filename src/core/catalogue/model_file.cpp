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

// The rules of the [model] settings, one text each, for files and for the window alike.
std::optional<QString> baudFault(int baud) {
    if (std::find(std::begin(kPanelBaudRates), std::end(kPanelBaudRates), baud) !=
        std::end(kPanelBaudRates))
        return std::nullopt;
    return QStringLiteral("baud %1 is not one of %2").arg(baud).arg(baudList());
}

std::optional<QString> dataBitsFault(int dataBits) {
    if (dataBits == 8)
        return std::nullopt;
    return QStringLiteral("data_bits must be 8: the panel's ports send 8");
}

std::optional<QString> stopBitsFault(int stopBits) {
    if (stopBits == 1)
        return std::nullopt;
    return QStringLiteral("stop_bits must be 1: the panel's ports send 1");
}

std::optional<QString> parityFault(const QString& parity) {
    if (parityFromName(parity))
        return std::nullopt;
    return QStringLiteral("parity must be None, Even or Odd");
}

std::optional<QString> presentAsFault(Notation presentAs) {
    if (presentAs == Notation::Text || presentAs == Notation::Hex)
        return std::nullopt;
    return QStringLiteral("present_as must be ASCII or Binary");
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
        out += fileErrorText(fileName, e) + QLatin1Char('\n');
    return out;
}

QList<Error> checkModelSettings(const ModelDefinition& d) {
    QList<Error> faults;
    for (const auto& [what, name] : {std::pair{QStringLiteral("manufacturer"), d.manufacturer},
                                     std::pair{QStringLiteral("model"), d.model}})
        if (const auto fault = nameFault(what, name))
            faults << makeError(*fault);
    for (const std::optional<QString>& fault :
         {baudFault(d.baud), dataBitsFault(d.dataBits), stopBitsFault(d.stopBits),
          parityFault(d.parity), presentAsFault(d.presentAs)})
        if (fault)
            faults << makeError(*fault);
    if (d.commands.isEmpty())
        faults << makeError(QStringLiteral("the model has no commands"));
    return faults;
}

namespace {

// The lines of a model file sorted into its sections, and the faults found on the way.
struct ModelFileText {
    explicit ModelFileText(const QStringList& names) : commandNames(names) {}
    const QStringList& commandNames;
    QList<Error> faults;
    QHash<QString, Entry> keys;     // [model], by the key's lower-case name
    QHash<QString, Entry> commands; // [commands], by the catalogue's spelling of the name
    QString section;                // "?" for a section whose lines are not looked at
    int modelLine = 0, lineNumber = 0, repliesLine = 0;
    QStringList replies; // the [replies] section's lines as written

    void fault(int line, const QString& message) { faults << makeError(message, line); }
};

void readHeader(ModelFileText& f, const QString& trimmed) {
    f.section = trimmed.mid(1, trimmed.size() - 2).trimmed().toLower();
    if (f.section == QLatin1String("model")) {
        f.modelLine = f.modelLine ? f.modelLine : f.lineNumber;
    } else if (f.section == QLatin1String("replies") && f.repliesLine) {
        f.fault(f.lineNumber,
                QStringLiteral("[replies] is given twice (first on line %1)").arg(f.repliesLine));
        f.section = QStringLiteral("?");
    } else if (f.section == QLatin1String("replies")) {
        f.repliesLine = f.lineNumber;
    } else if (f.section != QLatin1String("commands")) {
        f.fault(f.lineNumber, QStringLiteral("unknown section %1; a model file has [model], "
                                             "[commands] and [replies]")
                                  .arg(trimmed));
        f.section = QStringLiteral("?");
    }
}

void readModelKey(ModelFileText& f, const QString& key, const Entry& entry) {
    const QString name = key.toLower();
    if (std::none_of(std::begin(kModelKeys), std::end(kModelKeys),
                     [&](const char* k) { return name == QLatin1String(k); }))
        f.fault(f.lineNumber, QStringLiteral("unknown key \"%1\" in [model]").arg(key));
    else if (f.keys.contains(name))
        f.fault(f.lineNumber, QStringLiteral("%1 is given twice (first on line %2)")
                                  .arg(name)
                                  .arg(f.keys[name].line));
    else
        f.keys.insert(name, entry);
}

void readCommandLine(ModelFileText& f, const QString& key, const Entry& entry) {
    const auto known =
        std::find_if(f.commandNames.begin(), f.commandNames.end(),
                     [&](const QString& n) { return n.compare(key, Qt::CaseInsensitive) == 0; });
    if (known == f.commandNames.end())
        f.fault(f.lineNumber, QStringLiteral("unknown command name \"%1\"; the catalogue's "
                                             "commands are %2")
                                  .arg(key, f.commandNames.join(QStringLiteral(", "))));
    else if (f.commands.contains(*known))
        f.fault(f.lineNumber, QStringLiteral("%1 is given twice (first on line %2)")
                                  .arg(*known)
                                  .arg(f.commands[*known].line));
    else
        f.commands.insert(*known, entry);
}

// A "NAME = VALUE" line of [model] or [commands].
void readEntry(ModelFileText& f, const QString& line, const QString& trimmed) {
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0) {
        f.fault(f.lineNumber, QStringLiteral("expected NAME = VALUE, found \"%1\"").arg(trimmed));
        return;
    }
    const QString key = line.left(equals).trimmed();
    Entry entry{f.lineNumber, line.mid(equals + 1).trimmed(), 0};
    entry.valueColumn = int(equals + 1);
    while (entry.valueColumn < line.size() && line[entry.valueColumn].isSpace())
        ++entry.valueColumn;
    ++entry.valueColumn;
    if (f.section == QLatin1String("model"))
        readModelKey(f, key, entry);
    else if (f.section == QLatin1String("commands"))
        readCommandLine(f, key, entry);
    else
        f.fault(f.lineNumber, QStringLiteral("\"%1\" stands before [model]").arg(trimmed));
}

void readLines(ModelFileText& f, QString body) {
    if (body.startsWith(QChar(0xFEFF)))
        body.remove(0, 1);
    for (QString line : body.split(QLatin1Char('\n'))) {
        ++f.lineNumber;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        const bool header =
            trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'));
        if (f.section == QLatin1String("replies") && !header)
            f.replies << line;
        else if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        else if (header)
            readHeader(f, trimmed);
        else if (f.section != QLatin1String("?"))
            readEntry(f, line, trimmed);
    }
}

// The values of [model]: each missing, malformed or refused one is a fault on its line.
class ModelKeys {
public:
    explicit ModelKeys(ModelFileText& f) : f_(f), sectionLine_(f.modelLine ? f.modelLine : 1) {}

    std::optional<Entry> required(const char* key) {
        const QString name = QString::fromLatin1(key);
        if (!f_.keys.contains(name)) {
            f_.fault(sectionLine_, QStringLiteral("%1 is missing from [model]").arg(name));
            return std::nullopt;
        }
        return f_.keys[name];
    }
    int number(const char* key, int fallback) {
        const QString name = QString::fromLatin1(key);
        if (!f_.keys.contains(name))
            return fallback;
        bool ok = false;
        const int n = f_.keys[name].value.toInt(&ok);
        if (!ok)
            f_.fault(
                f_.keys[name].line,
                QStringLiteral("%1 \"%2\" is not a whole number").arg(name, f_.keys[name].value));
        return ok ? n : fallback;
    }
    void checked(const char* key, const std::optional<QString>& problem) {
        if (problem && f_.keys.contains(QString::fromLatin1(key)))
            f_.fault(f_.keys[QString::fromLatin1(key)].line, *problem);
    }
    bool has(const char* key) const { return f_.keys.contains(QString::fromLatin1(key)); }
    const Entry& at(const char* key) const { return f_.keys[QString::fromLatin1(key)]; }

private:
    ModelFileText& f_;
    int sectionLine_;
};

void readSerialKeys(ModelKeys& k, ModelDefinition& d) {
    if (k.required("baud")) {
        d.baud = k.number("baud", d.baud);
        k.checked("baud", baudFault(d.baud));
    }
    d.dataBits = k.number("data_bits", 8);
    k.checked("data_bits", dataBitsFault(d.dataBits));
    d.stopBits = k.number("stop_bits", 1);
    k.checked("stop_bits", stopBitsFault(d.stopBits));
    if (k.has("parity")) {
        d.parity = k.at("parity").value.toUpper();
        k.checked("parity", parityFault(d.parity));
    }
}

void readModelKeys(ModelFileText& f, ModelDefinition& d) {
    ModelKeys k(f);
    if (const auto e = k.required("manufacturer")) {
        d.manufacturer = e->value;
        k.checked("manufacturer", nameFault(QStringLiteral("manufacturer"), d.manufacturer));
    }
    if (const auto e = k.required("model")) {
        d.model = e->value;
        k.checked("model", nameFault(QStringLiteral("model"), d.model));
    }
    readSerialKeys(k, d);
    if (const auto e = k.required("present_as")) {
        const QString form = e->value.toLower();
        d.presentAs = form == QLatin1String("ascii")    ? Notation::Text
                      : form == QLatin1String("binary") ? Notation::Hex
                                                        : Notation::Decimal;
        if (const auto fault = presentAsFault(d.presentAs))
            k.checked("present_as", QStringLiteral("%1, not \"%2\"").arg(*fault, e->value));
    }
    if (k.has("notation")) {
        const Entry& e = k.at("notation");
        if (const auto n = notationFromName(e.value))
            d.notation = *n;
        else
            f.fault(
                e.line,
                QStringLiteral("notation must be text, hex or decimal, not \"%1\"").arg(e.value));
    }
}

// One command line: its on string and, after " / ", its off string.
void readCommand(ModelFileText& f, const QString& name, const Notation notation,
                 ModelDefinition& d) {
    const Entry& e = f.commands[name];
    ModelCommand command{name, {}, std::nullopt};
    const QStringList parts = e.value.split(kToggleSeparator);
    if (parts.size() > 2) {
        f.fault(e.line, QStringLiteral("%1 holds more than one \" / \"; a command has at most "
                                       "an on and an off string")
                            .arg(name));
        return;
    }
    int offset = 0;
    for (int p = 0; p < parts.size(); ++p) {
        const QString part = parts[p];
        qsizetype blanks = 0;
        while (blanks < part.size() && part[blanks].isSpace())
            ++blanks;
        const ParsedCommand parsed = parseCommandNotation(part.trimmed(), notation);
        if (!parsed.ok()) {
            NotationFault where = *parsed.fault;
            where.column += e.valueColumn - 1 + offset + int(blanks);
            f.fault(e.line, QStringLiteral("%1: %2").arg(name, where.message()));
        } else if (parsed.bytes.isEmpty()) {
            f.fault(e.line, QStringLiteral("%1 has an empty %2 string")
                                .arg(name, p == 0 ? QStringLiteral("on") : QStringLiteral("off")));
        } else {
            (p == 0 ? command.primary : command.secondary.emplace()) = parsed.bytes;
        }
        offset += int(part.size() + kToggleSeparator.size());
    }
    d.commands << command;
}

void readReplies(ModelFileText& f, ModelDefinition& d) {
    QStringList& replies = f.replies;
    while (!replies.isEmpty() && replies.last().trimmed().isEmpty())
        replies.removeLast();
    if (!f.repliesLine)
        return;
    QList<Error> found;
    static_cast<void>(parseReplyRules(replies.join(QLatin1Char('\n')), f.repliesLine + 1, &found));
    f.faults += found;
    while (!replies.isEmpty() && replies.first().trimmed().isEmpty())
        replies.removeFirst();
    d.replies = replies.join(QLatin1Char('\n'));
}

} // namespace

Result<ModelDefinition> parseModelFile(const QString& text, const QStringList& commandNames,
                                       ModelFileFaults* faultsOut) {
    ModelFileText f(commandNames);
    readLines(f, text);
    ModelDefinition d;
    readModelKeys(f, d);
    for (const QString& name : commandNames)
        if (f.commands.contains(name))
            readCommand(f, name, d.notation, d);
    if (f.commands.isEmpty())
        f.fault(f.lineNumber,
                QStringLiteral("the file has no commands; list them under [commands]"));
    readReplies(f, d);
    std::stable_sort(f.faults.begin(), f.faults.end(),
                     [](const Error& a, const Error& b) { return a.line < b.line; });
    if (faultsOut)
        faultsOut->faults = f.faults;
    if (!f.faults.isEmpty())
        return f.faults.front();
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
