#pragma once

#include "project/value.h"

namespace ondrel {

// The three forms command bytes are written and shown in. The numbers are the codes project and
// catalogue files store for a control port's presentation (CommSets::prsentAs, Present_As):
// 0 decimal, 1 text (ASCII), 2 hexadecimal (binary). They never change.
enum class Notation { Decimal = 0, Text = 1, Hex = 2 };

// The form a stored presentation code asks for: 1 text, 2 hex; anything else, unset included,
// decimal, the form an unset presentation shows.
inline Notation notationOf(const Value& stored) {
    const auto code = stored.toInteger();
    if (code == 1)
        return Notation::Text;
    if (code == 2)
        return Notation::Hex;
    return Notation::Decimal;
}

// The code a file stores for `notation`.
inline int notationCode(Notation notation) {
    return static_cast<int>(notation);
}

} // namespace ondrel
