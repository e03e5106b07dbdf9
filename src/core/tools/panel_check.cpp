#include "tools/panel_check.h"

#include "catalogue/catalogue.h"
#include "edit_distance.h"
#include "project/byte_text.h"
#include "project/split_command_text.h"
#include "tools/simulator_panel.h"

#include <QStringList>
#include <algorithm>

namespace ondrel {
namespace {

constexpr size_t kMaxUnexpected = 200; // a noisy line must not grow the check without end

QByteArray commandBytes(const QString& text) {
    return SplitCommandText(text).commandTokens.toBytes().value_or(QByteArray());
}

} // namespace

QString buttonName(int button) {
    static const char* const kNames[kButtonCount] = {"One", "Two",   "Three", "Four", "Five",
                                                     "Six", "Seven", "Eight", "Nine", "Ten"};
    return QStringLiteral("Button ") + QLatin1String(kNames[button]);
}

QString controlPortName(int port) {
    return port == 0 ? QStringLiteral("port one") : QStringLiteral("port two");
}

QString ExpectedString::name() const {
    QString text = buttonName(button) + QStringLiteral(", ") + controlPortName(port);
    if (!command.isEmpty())
        text += QStringLiteral(": ") + command;
    if (function == 1)
        text += QStringLiteral(" (second string)");
    return text;
}

std::vector<ExpectedString> expectedStrings(const ProjectState& state, int port) {
    std::vector<ExpectedString> out;
    for (int i = 0; i < kButtonCount; ++i) {
        const ButtonConfig& b = state.button(i);
        const UploadStrings lists = b.setUpldStrngs();
        const bool toggle = b.Button_type.toInteger() == TypeToggle;
        const auto& texts = state.device(port).commandTexts;
        for (int function = 0; function <= (toggle ? 1 : 0); ++function) {
            const auto bytes = simulatorString(lists, port, function).toBytes();
            if (bytes && !bytes->isEmpty())
                out.push_back({i, port, function, *bytes, texts[size_t(i)].trimmed()});
        }
    }
    return out;
}

std::vector<CatalogueString> catalogueStrings(const ProjectState& state,
                                              const Catalogue& catalogue) {
    std::vector<CatalogueString> out;
    for (int d = 0; d < 2; ++d) {
        const QString model =
            (state.device(d).manufacturer + QLatin1Char(' ') + state.device(d).model).trimmed();
        if (model.isEmpty() || state.device(d).protocol.isEmpty())
            continue;
        const auto row = catalogue.protocol(state.device(d).protocol);
        if (!row || !row.value())
            continue;
        QStringList names = state.device(d).commandItems;
        if (names.size() <= 1)
            names =
                catalogue.commandNames().ok() ? catalogue.commandNames().value() : QStringList();
        for (const QString& name : names) {
            const QString text = row.value()->command(name);
            if (name.isEmpty() || text.isEmpty())
                continue;
            const SplitResult split = SplitCommandText(text);
            for (const QByteArray& bytes : {split.commandTokens.toBytes().value_or(QByteArray()),
                                            commandBytes(split.secondFunction)})
                if (!bytes.isEmpty())
                    out.push_back({model, name, bytes});
        }
    }
    return out;
}

BurstNamer::BurstNamer(const ProjectState& state, std::vector<CatalogueString> catalogue)
    : catalogue_(std::move(catalogue)) {
    for (int port = 0; port < 2; ++port)
        for (ExpectedString& e : expectedStrings(state, port))
            configured_.push_back(std::move(e));
}

QString BurstNamer::name(const QByteArray& burst) const {
    QStringList names;
    for (const ExpectedString& e : configured_)
        if (e.bytes == burst)
            names << e.name();
    if (!names.isEmpty())
        return names.join(QStringLiteral("; "));
    for (const CatalogueString& c : catalogue_)
        if (c.bytes == burst)
            return c.model + QStringLiteral(": ") + c.command;
    return QStringLiteral("unknown");
}

PanelCheck::PanelCheck(const ProjectState& state, const std::vector<int>& ports) : ports_(ports) {
    for (int port : ports)
        for (ExpectedString& e : expectedStrings(state, port))
            items_.push_back({std::move(e), false});
}

bool PanelCheck::hasPort(int port) const {
    return std::find(ports_.begin(), ports_.end(), port) != ports_.end();
}

void PanelCheck::feed(int port, const QByteArray& burst) {
    qsizetype unknownFrom = -1;
    auto keepUnknown = [&](qsizetype end) {
        if (unknownFrom < 0)
            return;
        Unexpected u{port, burst.mid(unknownFrom, end - unknownFrom)};
        unknownFrom = -1;
        for (size_t i = 0; i < items_.size(); ++i) {
            if (items_[i].expected.port != port)
                continue;
            const int d = editDistance(u.bytes, items_[i].expected.bytes);
            if (u.nearest < 0 || d < u.distance) {
                u.nearest = int(i);
                u.distance = d;
            }
        }
        if (unexpected_.size() < kMaxUnexpected)
            unexpected_.push_back(std::move(u));
        else
            ++dropped_;
    };
    for (qsizetype pos = 0; pos < burst.size();) {
        // The longest string that starts here; among equal strings the first not yet seen.
        int best = -1;
        for (size_t i = 0; i < items_.size(); ++i) {
            const QByteArray& bytes = items_[i].expected.bytes;
            if (items_[i].expected.port != port || burst.mid(pos, bytes.size()) != bytes)
                continue;
            if (best < 0 || bytes.size() > items_[size_t(best)].expected.bytes.size() ||
                (bytes == items_[size_t(best)].expected.bytes && items_[size_t(best)].seen &&
                 !items_[i].seen))
                best = int(i);
        }
        if (best < 0) {
            if (unknownFrom < 0)
                unknownFrom = pos;
            ++pos;
            continue;
        }
        keepUnknown(pos);
        items_[size_t(best)].seen = true;
        pos += items_[size_t(best)].expected.bytes.size();
    }
    keepUnknown(burst.size());
}

void PanelCheck::markSeen(const ExpectedString& expected) {
    for (Item& item : items_)
        if (item.expected.button == expected.button && item.expected.port == expected.port &&
            item.expected.function == expected.function && item.expected.bytes == expected.bytes)
            item.seen = true;
}

bool PanelCheck::complete() const {
    return std::all_of(items_.begin(), items_.end(), [](const Item& i) { return i.seen; });
}

QString PanelCheck::summaryLine(int port) const {
    std::array<int, kButtonCount> state{}; // 0 no string, 1 all seen, 2 something missing
    for (const Item& item : items_)
        if (item.expected.port == port) {
            int& s = state[size_t(item.expected.button)];
            s = std::max(s, item.seen ? 1 : 2);
        }
    const auto buttons = std::count_if(state.begin(), state.end(), [](int s) { return s > 0; });
    const auto good = std::count(state.begin(), state.end(), 1);
    const QString name = port == 0 ? QStringLiteral("Port one") : QStringLiteral("Port two");
    if (buttons == 0)
        return name + QStringLiteral(": no button has a string for this port");
    return QStringLiteral("%1: %2 of %3 buttons sent what was programmed")
        .arg(name)
        .arg(good)
        .arg(buttons);
}

QString PanelCheck::unexpectedText(const Unexpected& u) const {
    QString text = QStringLiteral("Unexpected on %1: %2")
                       .arg(controlPortName(u.port), hexMnemonicText(u.bytes));
    if (u.nearest >= 0)
        text += QStringLiteral(", nearest %1 (%2 %3 apart)")
                    .arg(items_[size_t(u.nearest)].expected.name())
                    .arg(u.distance)
                    .arg(u.distance == 1 ? QStringLiteral("byte") : QStringLiteral("bytes"));
    return text;
}

QString PanelCheck::report() const {
    QString text;
    for (int port : ports_)
        text += summaryLine(port) + QLatin1Char('\n');
    for (const Item& item : items_)
        if (!item.seen)
            text += QStringLiteral("Missing: %1 (%2)\n")
                        .arg(item.expected.name(), hexText(item.expected.bytes));
    for (const Unexpected& u : unexpected_)
        text += unexpectedText(u) + QLatin1Char('\n');
    if (dropped_ > 0)
        text += QStringLiteral("(%1 more unexpected bursts not listed)\n").arg(dropped_);
    return text;
}

} // namespace ondrel
