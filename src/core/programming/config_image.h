#pragma once

#include "project/comm_sets.h"
#include "project/project_state.h"
#include "result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ondrel {

// The bytes written to the panel's configuration table (word address 0x1600) and the upload
// report, a readable dump of the same bytes (lines end with CR LF).
struct ConfigImage {
    QByteArray bytes;
    QString report;
    // What is sent but does not matter: a control port setting the panel does not know on a
    // port no button sends on.
    QStringList warnings;
};

// Builds the configuration image from the button records, the two control ports, the shut-off
// timer and the KDX device. Refused before anything is sent, with a message naming the button
// and control port: a button type outside 0 to 4, a command byte that is not a number from 0 to
// 255, a command longer than its 7-bit length field, an image over 4097 bytes; also a timer that
// does not fit its 16-bit word, a KDX code that is not a byte, and a control port setting the
// panel does not know (unknownPortSettings) on a port a button sends on: the panel would take it
// as "not set up" and talk to the projector at the wrong speed.
//
// With the KDX device, its two code words follow the first port-one command and count towards
// that command's length, whichever list was placed first (the secondary one on a dual button), so
// every length field matches the words that follow it.
Result<ConfigImage> BuildConfigImage(const ProjectState& state);

// The 7-bit setting of one control port in the image: baud code plus 16 for "EVEN", 32 for "ODD".
int portSettingCode(const CommSets& port);

} // namespace ondrel
