#pragma once

#include "project/byte_list.h"

#include <QString>

namespace ondrel {

// The tokens of a command text and what stood after its "/".
struct SplitResult {
    ByteList commandTokens; // decimal texts; upper bound = what callers pass as the byte count
    QString secondFunction; // the rest after "/", empty when there was none
};

// Splits a command text ("2 80 3 / 2 81 3") into byte tokens, exactly as the catalogue and the
// configuration file need: see the tests for the cut-down rule on doubled blanks.
SplitResult SplitCommandText(const QString& text);

} // namespace ondrel
