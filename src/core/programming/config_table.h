#pragma once

#include "project/project_state.h"
#include "result.h"

#include <QByteArray>

namespace ondrel {

// Reads a configuration table (the bytes at word 0x1600, as BuildConfigImage makes them) back into
// button records and control port settings: what a panel holding these bytes acts on. Building the
// image again from the result gives the same bytes. What the table cannot hold is left as a new
// record has it (command names, secondary relay actions); a table that ends inside a button is an
// error naming the button. A type word without a known base reads as type -1 ("Not Defined").
// Clear With Sources is read from the Source buttons' off masks (with no Source button it makes no
// difference to the panel, and reads 0).
Status readConfigTable(const QByteArray& table, ProjectState& state);

} // namespace ondrel
