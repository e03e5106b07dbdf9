#pragma once

#include "project/project_state.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace ondrel {

class Catalogue;

// "Button One" to "Button Ten"; "port one", "port two".
QString buttonName(int button);
QString controlPortName(int port);

// A string the panel sends on one control port when a button is pressed.
struct ExpectedString {
    int button = 0;
    int port = 0;     // control port: 0 one, 1 two
    int function = 0; // 0 primary, 1 the second string of a Toggle button
    QByteArray bytes;
    QString command; // the command list's text ("Volume_Up", "Custom"), may be empty

    // "Button Three, port one: Volume_Up", "... (second string)" for a toggle's other string.
    QString name() const;
};

// The strings of control port `port` that presses send: every button's primary string, and the
// secondary string of Toggle buttons; buttons without a string there are left out, and so are
// strings holding a value that is not a byte (the tool never uploads those).
std::vector<ExpectedString> expectedStrings(const ProjectState& state, int port);

// A command of the catalogue for a chosen model.
struct CatalogueString {
    QString model;   // "Epson EB-85"
    QString command; // "Computer_1"
    QByteArray bytes;
};

// Every command of the models chosen for the two devices, both strings of two-part commands.
// A catalogue that cannot be read gives none.
std::vector<CatalogueString> catalogueStrings(const ProjectState& state,
                                              const Catalogue& catalogue);

// Names what a burst is: a string of the open configuration ("Button Three, port one:
// Volume_Up"), else a catalogue command of a chosen model ("Epson EB-85: Computer_1"), else
// "unknown".
class BurstNamer {
public:
    BurstNamer() = default;
    BurstNamer(const ProjectState& state, std::vector<CatalogueString> catalogue);
    QString name(const QByteArray& burst) const;

private:
    std::vector<ExpectedString> configured_;
    std::vector<CatalogueString> catalogue_;
};

// Checks a programmed panel: as presses arrive on a monitored control port, the checklist items
// whose bytes arrived tick; bytes that belong to no item are kept with the nearest item.
class PanelCheck {
public:
    struct Item {
        ExpectedString expected;
        bool seen = false;
    };
    struct Unexpected {
        int port = 0;
        QByteArray bytes;
        int nearest = -1; // index into items(), or -1 when the port has no items
        int distance = 0; // bytes to change, add or remove to reach the nearest item
    };

    // The checklist of the given control ports (0, 1 or both).
    PanelCheck(const ProjectState& state, const std::vector<int>& ports);

    // One burst received on control port `port`. A burst may hold several strings back to back.
    void feed(int port, const QByteArray& burst);
    // Ticks the item for the same button, port and string, if there is one.
    void markSeen(const ExpectedString& expected);

    const std::vector<Item>& items() const { return items_; }
    const std::vector<Unexpected>& unexpected() const { return unexpected_; }
    // Unexpected bursts beyond those kept.
    int unexpectedDropped() const { return dropped_; }
    bool hasPort(int port) const;
    // Every item of every checked port was seen.
    bool complete() const;
    // "Port one: 10 of 10 buttons sent what was programmed".
    QString summaryLine(int port) const;
    // The summary lines, then each missing item and each unexpected burst, naming buttons and
    // ports; lines end with "\n".
    QString report() const;
    QString unexpectedText(const Unexpected& u) const;

private:
    std::vector<Item> items_;
    std::vector<int> ports_;
    std::vector<Unexpected> unexpected_;
    int dropped_ = 0;
};

} // namespace ondrel
