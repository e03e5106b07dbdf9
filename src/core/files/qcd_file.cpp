#include "files/qcd_file.h"

#include "catalogue/command_assignment.h"
#include "files/atomic_write.h"
#include "files/input_file.h"
#include "project/project_state.h"
#include "project/split_command_text.h"
#include "project/text_codec.h"
#include "tools/shutoff_timer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace ondrel {
namespace {

using Tag = QcdBlock::Tag;

// What applying a block needs besides the block and the state.
struct ApplyContext {
    const DatasetLookup& lookup;
    std::vector<Error>& lookupErrors;
};
using ApplyStep = void (*)(const QcdBlock&, ProjectState&, ApplyContext&);

void applyDataSet(const QcdBlock&, ProjectState&, ApplyContext&);
template <void (ButtonConfig::*set)(int, const ByteList&)>
void applyCommands(const QcdBlock&, ProjectState&, ApplyContext&);
void applyButtonTypes(const QcdBlock&, ProjectState&, ApplyContext&);
template <int relayNum> void applyRelays(const QcdBlock&, ProjectState&, ApplyContext&);
void applyDualFunction(const QcdBlock&, ProjectState&, ApplyContext&);
void applyRepeatIncr(const QcdBlock&, ProjectState&, ApplyContext&);
void applyLabels(const QcdBlock&, ProjectState&, ApplyContext&);
void applyPortSettings(const QcdBlock&, ProjectState&, ApplyContext&);
void applyTimer(const QcdBlock&, ProjectState&, ApplyContext&);
void applyPort2Enable(const QcdBlock&, ProjectState&, ApplyContext&);
void applyPort1Disable(const QcdBlock&, ProjectState&, ApplyContext&);

// Each tag: its line, how many value lines follow it, and how its checked block goes into the
// project.
struct TagInfo {
    Tag tag;
    const char* text;
    int values;
    ApplyStep apply;
};

constexpr TagInfo kTags[] = {
    {Tag::DataSet, "<Data Set>", 24, &applyDataSet},
    {Tag::P1Primary, "<P1 Primary Function>", 10, &applyCommands<&ButtonConfig::setCommandString1>},
    {Tag::P1Secondary, "<P1 Secondary Function>", 10,
     &applyCommands<&ButtonConfig::setCommandString1_2>},
    {Tag::P2Primary, "<P2 Primary Function>", 10, &applyCommands<&ButtonConfig::setCommandString2>},
    {Tag::P2Secondary, "<P2 Secondary Function>", 10,
     &applyCommands<&ButtonConfig::setCommandString2_2>},
    {Tag::ButtonType, "<Button Type>", 10, &applyButtonTypes},
    {Tag::Relay1, "<Relay 1>", 10, &applyRelays<1>},
    {Tag::Relay1_2, "<Relay 1_2>", 10, &applyRelays<3>},
    {Tag::Relay2, "<Relay 2>", 10, &applyRelays<2>},
    {Tag::Relay2_2, "<Relay 2_2>", 10, &applyRelays<4>},
    {Tag::DualFunction, "<Dual Function>", 10, &applyDualFunction},
    {Tag::RepeatIncr, "<Repeat/Incr>", 20, &applyRepeatIncr},
    {Tag::Labels, "<BL>", 2, &applyLabels},
    {Tag::PortSettings, "<Port Settings>", 10, &applyPortSettings},
    {Tag::Timer, "<Timer>", 4, &applyTimer},
    {Tag::Port2Enable, "<Port2.Enable>", 0, &applyPort2Enable},
    {Tag::Port1Disable, "<Port1.Disable>", 0, &applyPort1Disable},
};
const QString kEnd = QStringLiteral("<End>");

const TagInfo* findTag(const QString& line) {
    for (const TagInfo& info : kTags)
        if (line == QLatin1String(info.text))
            return &info;
    return nullptr;
}

const TagInfo& tagInfo(Tag tag) {
    for (const TagInfo& info : kTags)
        if (info.tag == tag)
            return info;
    Q_UNREACHABLE();
}

QString tagText(Tag tag) {
    for (const TagInfo& info : kTags)
        if (info.tag == tag)
            return QString::fromLatin1(info.text);
    return {};
}

QString qcdButtonName(int i) {
    static const char* names[kButtonCount] = {"One", "Two",   "Three", "Four", "Five",
                                              "Six", "Seven", "Eight", "Nine", "Ten"};
    return QStringLiteral("Button ") + QLatin1String(names[i]);
}

// Values of a file quoted in messages: a few characters, never the whole of a runaway line.
QString quoted(const QString& text) {
    return QLatin1Char('"') + excerpt(text) + QLatin1Char('"');
}

// ---- writer ----

void writeCommandBlock(QStringList& out, Tag tag, const ProjectState& state,
                       QString (ButtonConfig::*get)(const Value&) const, int selector) {
    out << tagText(tag);
    for (int i = 0; i < kButtonCount; ++i)
        out << (state.button(i).*get)(selector);
}

void writeRelayBlock(QStringList& out, Tag tag, const ProjectState& state,
                     Value (ButtonConfig::*get)(const Value&) const, int selector) {
    out << tagText(tag);
    for (int i = 0; i < kButtonCount; ++i)
        out << (state.button(i).*get)(selector).toText();
}

// ---- reader ----

std::optional<int> numberInRange(const QString& text, int low, int high) {
    const auto n = Value(text).toInteger();
    if (!n || *n < low || *n > high)
        return std::nullopt;
    return static_cast<int>(*n);
}

Result<std::optional<ByteList>> parseCommandLine(const QString& text, int line, int button) {
    if (text == QLatin1String("None"))
        return std::optional<ByteList>();
    const QString where = QStringLiteral("command string of %1").arg(qcdButtonName(button));
    if (text.trimmed().isEmpty())
        return makeError(where + QStringLiteral(" is empty (bytes or \"None\" expected)"), line);
    if (text.contains(QLatin1Char('/')))
        return makeError(where + QStringLiteral(" contains \"/\""), line);
    ByteList list = SplitCommandText(text).commandTokens;
    for (int k = 0; k < list.upperBound(); ++k) {
        const Value& slot = list.slot(k);
        if (slot.isEmpty())
            continue;
        const auto n = slot.toInteger();
        if (!n)
            return makeError(
                where + QStringLiteral(": %1 is not a number").arg(quoted(slot.toText())), line);
        if (*n < 0 || *n > 255)
            return makeError(where + QStringLiteral(": %1 is not a byte value from 0 to 255")
                                         .arg(excerpt(slot.toText())),
                             line);
    }
    return std::optional<ByteList>(std::move(list));
}

Status checkNumbers(QcdBlock& block, const QStringList& values, int firstLine, int low, int high,
                    const QString& what) {
    for (int k = 0; k < values.size(); ++k) {
        const auto n = numberInRange(values[k], low, high);
        if (!n) {
            // Repeat/Incr holds two values per button.
            const int button = values.size() == 2 * kButtonCount ? k / 2 : k;
            return makeError(QStringLiteral("%1 of %2 is %3, not a number from %4 to %5")
                                 .arg(what, qcdButtonName(button), quoted(values[k]))
                                 .arg(low)
                                 .arg(high),
                             firstLine + k);
        }
        block.numbers.push_back(*n);
    }
    return Ok{};
}

Status checkBlock(QcdBlock& block, const QStringList& values, int firstLine) {
    switch (block.tag) {
    case Tag::P1Primary:
    case Tag::P1Secondary:
    case Tag::P2Primary:
    case Tag::P2Secondary:
        for (int k = 0; k < values.size(); ++k) {
            auto list = parseCommandLine(values[k], firstLine + k, k);
            if (!list)
                return list.error();
            block.lists.push_back(std::move(list).value());
        }
        return Ok{};
    case Tag::ButtonType:
        return checkNumbers(block, values, firstLine, TypeOn, TypeToggle,
                            QStringLiteral("button type"));
    case Tag::Relay1:
    case Tag::Relay1_2:
    case Tag::Relay2:
    case Tag::Relay2_2:
        return checkNumbers(block, values, firstLine, RelayOn, RelayNoChange,
                            QStringLiteral("relay action"));
    case Tag::RepeatIncr:
        return checkNumbers(block, values, firstLine, 0, 1,
                            QStringLiteral("Repeating/Incrementing flag"));
    case Tag::DualFunction:
        for (int k = 0; k < values.size(); ++k) {
            if (values[k] != QLatin1String("True") && values[k] != QLatin1String("False"))
                return makeError(
                    QStringLiteral("dual function of %1 is %2, not \"True\" or \"False\"")
                        .arg(qcdButtonName(k), quoted(values[k])),
                    firstLine + k);
            block.flags.push_back(values[k] == QLatin1String("True"));
        }
        return Ok{};
    case Tag::Timer:
        for (int k = 0; k < values.size(); ++k) {
            if (!values[k].isEmpty() && !TimerTextToMinutes(values[k]))
                return makeError(QStringLiteral("timer text %1 is not a time in hours and minutes "
                                                "(such as \"1:30\")")
                                     .arg(quoted(values[k])),
                                 firstLine + k);
        }
        // An empty full time is what a project whose timer was never set saves.
        if (!values[0].isEmpty())
            block.timerMinutes = TimerTextToMinutes(values[0]);
        block.texts = values;
        return Ok{};
    case Tag::DataSet:
    case Tag::Labels:
    case Tag::PortSettings:
    case Tag::Port2Enable:
    case Tag::Port1Disable:
        block.texts = values;
        return Ok{};
    }
    return Ok{};
}

QStringList splitLines(const QByteArray& bytes) {
    QStringList lines = fromWindows1252(bytes).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    return lines;
}

// Gathers runs of lines that match no tag into one warning each, naming the first line that is
// not blank; a line that starts like a tag starts a run of its own. A file the tool wrote has none;
// one that has them lost whatever they held (a tag with a stray character drops its whole block).
class SkippedLines {
public:
    explicit SkippedLines(std::vector<Error>& warnings) : warnings_(warnings) {}

    void add(const QString& line, int lineNo) {
        if (line.startsWith(QLatin1Char('<')))
            flush(); // each would-be tag is named, with the values it lost
        if (firstLine_ == 0 && !line.trimmed().isEmpty()) {
            firstLine_ = lineNo;
            first_ = line;
        }
        if (firstLine_ != 0)
            lastLine_ = lineNo;
    }

    void flush() {
        if (firstLine_ == 0)
            return;
        if (warnings_.size() < kMaxWarnings) {
            QString text = QStringLiteral("%1 is not a tag of a configuration file; ")
                               .arg(QLatin1Char('"') + excerpt(first_) + QLatin1Char('"'));
            text +=
                lastLine_ == firstLine_
                    ? QStringLiteral("the line was skipped")
                    : QStringLiteral("lines %1 to %2 were skipped").arg(firstLine_).arg(lastLine_);
            warnings_.push_back(makeError(text, firstLine_));
        } else if (warnings_.size() == kMaxWarnings) {
            warnings_.push_back(makeError(
                QStringLiteral("further lines that are not tags were skipped"), firstLine_));
        }
        firstLine_ = lastLine_ = 0;
    }

private:
    static constexpr size_t kMaxWarnings = 10;
    std::vector<Error>& warnings_;
    QString first_;
    int firstLine_ = 0;
    int lastLine_ = 0;
};

Value fieldValue(const QString& text) {
    return text.isEmpty() ? Value() : Value(text);
}

void applyCommandBlock(const QcdBlock& block, ProjectState& state,
                       void (ButtonConfig::*set)(int, const ByteList&)) {
    for (int i = 0; i < kButtonCount; ++i) {
        // "None" keeps what the record held.
        if (const auto& list = block.lists[static_cast<size_t>(i)])
            state.updateButton(
                i, [&](ButtonConfig& record) { (record.*set)(list->upperBound(), *list); });
    }
}

void applyRelayBlock(const QcdBlock& block, ProjectState& state, int relayNum) {
    for (int i = 0; i < kButtonCount; ++i)
        state.updateButton(i, [&](ButtonConfig& record) {
            record.setRelayInfo(relayNum, block.numbers[static_cast<size_t>(i)]);
        });
}

void applyDataSet(const QcdBlock& b, ProjectState& state, ApplyContext& context) {
    const QStringList& t = b.texts;
    for (int device = 0; device < 2; ++device) {
        state.setDeviceNames(device, t[2 * device], t[2 * device + 1]);
        state.setDeviceNum(device);
        if (context.lookup) {
            const Status found = context.lookup(state, device, state.device(device).manufacturer,
                                                state.device(device).model);
            if (!found)
                context.lookupErrors.push_back(
                    makeError(found.error().message, b.line + 1 + 2 * device));
        }
    }
    // Only the texts of the lists: the command strings come from their own blocks.
    for (int i = 0; i < kButtonCount; ++i) {
        state.setCommandText(0, i, t[4 + 2 * i]);
        state.setCommandText(1, i, t[5 + 2 * i]);
    }
}

template <void (ButtonConfig::*set)(int, const ByteList&)>
void applyCommands(const QcdBlock& b, ProjectState& state, ApplyContext&) {
    applyCommandBlock(b, state, set);
}

void applyButtonTypes(const QcdBlock& b, ProjectState& state, ApplyContext&) {
    for (int i = 0; i < kButtonCount; ++i)
        state.updateButton(i, [&](ButtonConfig& record) {
            record.Button_type = b.numbers[static_cast<size_t>(i)];
        });
}

template <int relayNum> void applyRelays(const QcdBlock& b, ProjectState& state, ApplyContext&) {
    applyRelayBlock(b, state, relayNum);
}

void applyDualFunction(const QcdBlock& b, ProjectState& state, ApplyContext&) {
    for (int i = 0; i < kButtonCount; ++i) {
        state.updateButton(i, [&](ButtonConfig& record) {
            if (b.flags[static_cast<size_t>(i)])
                record.setDualFunction();
            else
                record.clrDualFunction();
        });
    }
}

void applyRepeatIncr(const QcdBlock& b, ProjectState& state, ApplyContext&) {
    for (int i = 0; i < kButtonCount; ++i) {
        state.updateButton(i, [&](ButtonConfig& record) {
            record.Repeatng = b.numbers[static_cast<size_t>(2 * i)];
            record.Incr = b.numbers[static_cast<size_t>(2 * i + 1)];
        });
    }
}

void applyLabels(const QcdBlock& b, ProjectState& state, ApplyContext&) {
    // A caption still at its placeholder means no model was chosen for that device.
    for (int device = 0; device < 2; ++device)
        state.restoreDeviceLabel(device, b.texts[device]);
}

void applyPortSettings(const QcdBlock& b, ProjectState& state, ApplyContext&) {
    const QStringList& t = b.texts;
    for (int p = 0; p < 2; ++p) {
        state.updatePort(p, [&](CommSets& port) {
            port.BaudRate = fieldValue(t[p]);
            port.Parity = fieldValue(t[2 + p]);
            port.prsentAs = fieldValue(t[4 + p]);
            port.StopBit = fieldValue(t[6 + p]);
            port.TransmitFormat = fieldValue(t[8 + p]);
        });
    }
}

void applyTimer(const QcdBlock& b, ProjectState& state, ApplyContext&) {
    std::array<QString, 4> texts;
    for (int k = 0; k < 4; ++k)
        texts[static_cast<size_t>(k)] = b.texts[k];
    state.setTimerTexts(texts);
    if (b.timerMinutes)
        state.setTimerMinutes(*b.timerMinutes);
    else
        state.setTimerMinutes(std::nullopt);
}

void applyPort2Enable(const QcdBlock&, ProjectState& state, ApplyContext&) {
    state.setSecondProjectorEnabled(true);
}

void applyPort1Disable(const QcdBlock&, ProjectState& state, ApplyContext&) {
    state.setPort1SelectDisabled(true);
}

} // namespace

DatasetLookup catalogueDatasetLookup(const Catalogue& catalogue) {
    return [&catalogue](ProjectState& state, int device, const QString& manufacturer,
                        const QString& model) -> Status {
        if (manufacturer.isEmpty() && model.isEmpty())
            return Ok{};
        const auto found = createDataset(state, catalogue, device, manufacturer, model);
        if (!found)
            return found.error();
        if (!found.value())
            return makeError(QStringLiteral("the catalogue has no model %1 of %2; device #%3 keeps "
                                            "its command lists and settings")
                                 .arg(quoted(model), quoted(manufacturer))
                                 .arg(device + 1));
        return Ok{};
    };
}

QString configurationFolder(const QString& programDir, const QString& documentsDir) {
    const QString beside = QDir(programDir).filePath(QStringLiteral("Custom"));
    if (QDir().mkpath(beside) && QFileInfo(beside).isWritable())
        return beside;
    const QString documents = QDir(documentsDir).filePath(QStringLiteral("Custom"));
    QDir().mkpath(documents);
    return documents;
}

QString qcdPathFor(const QString& chosenName) {
    return chosenName.endsWith(QLatin1String(".qcd"), Qt::CaseSensitive)
               ? chosenName
               : chosenName + QLatin1String(".qcd");
}

QByteArray writeQcd(const ProjectState& state) {
    QStringList out;
    out << tagText(Tag::DataSet) << state.device(0).manufacturer << state.device(0).model
        << state.device(1).manufacturer << state.device(1).model;
    for (int i = 0; i < kButtonCount; ++i)
        out << state.device(0).commandTexts[static_cast<size_t>(i)]
            << state.device(1).commandTexts[static_cast<size_t>(i)];
    writeCommandBlock(out, Tag::P1Primary, state, &ButtonConfig::getCommandString, 1);
    writeCommandBlock(out, Tag::P1Secondary, state, &ButtonConfig::getCommandString, 2);
    writeCommandBlock(out, Tag::P2Primary, state, &ButtonConfig::getCommandString_2, 1);
    writeCommandBlock(out, Tag::P2Secondary, state, &ButtonConfig::getCommandString_2, 2);
    out << tagText(Tag::ButtonType);
    for (int i = 0; i < kButtonCount; ++i)
        out << state.button(i).Button_type.toText();
    writeRelayBlock(out, Tag::Relay1, state, &ButtonConfig::getRelay1St, 0);
    writeRelayBlock(out, Tag::Relay1_2, state, &ButtonConfig::getRelay1St, 1);
    writeRelayBlock(out, Tag::Relay2, state, &ButtonConfig::getRelay2St, 0);
    writeRelayBlock(out, Tag::Relay2_2, state, &ButtonConfig::getRelay2St, 1);
    out << tagText(Tag::DualFunction);
    for (int i = 0; i < kButtonCount; ++i)
        out << QLatin1String(state.button(i).GetDualFunct() ? "True" : "False");
    out << tagText(Tag::RepeatIncr);
    for (int i = 0; i < kButtonCount; ++i)
        out << state.button(i).Repeatng.toText() << state.button(i).Incr.toText();
    out << tagText(Tag::Labels) << state.device(0).label << state.device(1).label;
    const CommSets& p0 = state.port(0);
    const CommSets& p1 = state.port(1);
    out << tagText(Tag::PortSettings) << p0.BaudRate.toText() << p1.BaudRate.toText()
        << p0.Parity.toText() << p1.Parity.toText() << p0.prsentAs.toText() << p1.prsentAs.toText()
        << p0.StopBit.toText() << p1.StopBit.toText() << p0.TransmitFormat.toText()
        << p1.TransmitFormat.toText();
    out << tagText(Tag::Timer);
    for (const QString& text : state.timerTexts())
        out << text;
    if (state.secondProjectorEnabled())
        out << tagText(Tag::Port2Enable);
    if (state.port1SelectDisabled())
        out << tagText(Tag::Port1Disable);
    out << kEnd;

    QString text;
    for (const QString& line : out)
        text += line + QLatin1String("\r\n");
    return toWindows1252(text);
}

Status saveQcd(const ProjectState& state, const QString& path,
               const std::function<void()>& beforeReplace) {
    return writeFileAtomically(path, writeQcd(state), beforeReplace);
}

Result<QString> saveConfiguration(ProjectState& state, const QString& chosenName) {
    if (chosenName.isEmpty())
        return makeError(QStringLiteral("no file name was given"));
    state.setCurrentFileName(chosenName);
    const QString path = qcdPathFor(chosenName);
    const Status saved = saveQcd(state, path);
    if (!saved)
        return saved.error();
    state.setUnmodified();
    return path;
}

Result<QcdContent> parseQcd(const QByteArray& bytes) {
    const QStringList lines = splitLines(bytes);
    QcdContent content;
    SkippedLines skipped(content.warnings);
    qsizetype i = 0;
    while (i < lines.size()) {
        const QString& line = lines[i];
        const int lineNo = static_cast<int>(i) + 1;
        ++i;
        if (line == kEnd) {
            skipped.flush();
            content.endLine = lineNo;
            return content;
        }
        const TagInfo* info = findTag(line);
        if (!info) {
            // Lines that match no tag are skipped, as always; but never silently.
            skipped.add(line, lineNo);
            continue;
        }
        skipped.flush();
        const qsizetype available = lines.size() - i;
        if (available < info->values)
            return makeError(
                QStringLiteral("the file ends inside the %1 block of line %2 (%3 of %4 "
                               "value lines)")
                    .arg(quoted(line))
                    .arg(lineNo)
                    .arg(available)
                    .arg(info->values),
                static_cast<int>(lines.size()));
        QcdBlock block;
        block.tag = info->tag;
        block.line = lineNo;
        const QStringList values = lines.mid(i, info->values);
        const Status checked = checkBlock(block, values, lineNo + 1);
        if (!checked)
            return checked.error();
        content.blocks.push_back(std::move(block));
        i += info->values;
    }
    return makeError(QStringLiteral("the file ends before \"<End>\""),
                     std::max(1, static_cast<int>(lines.size())));
}

std::vector<Error> applyQcd(const QcdContent& content, ProjectState& state,
                            const DatasetLookup& lookup) {
    std::vector<Error> lookupErrors;
    ApplyContext context{lookup, lookupErrors};
    const ProjectState::Batch batch(state);
    for (const QcdBlock& b : content.blocks)
        tagInfo(b.tag).apply(b, state, context);
    return lookupErrors;
}

Result<std::vector<Error>> openConfiguration(ProjectState& state, const QString& path,
                                             const DatasetLookup& lookup) {
    const Result<QByteArray> bytes =
        readInputFile(path, kMaxConfigurationFileBytes, QStringLiteral("a configuration file"));
    if (!bytes)
        return makeError(QStringLiteral("cannot open the file: %1").arg(bytes.error().message));
    auto content = parseQcd(bytes.value());
    if (!content)
        return content.error();
    std::vector<Error> warnings = content.value().warnings;
    for (Error& lookupError : applyQcd(content.value(), state, lookup))
        warnings.push_back(std::move(lookupError));
    std::stable_sort(warnings.begin(), warnings.end(),
                     [](const Error& a, const Error& b) { return a.line < b.line; });
    state.setUnmodified();
    return warnings;
}

} // namespace ondrel
