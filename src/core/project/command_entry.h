#pragma once

#include "project/byte_list.h"

#include <QChar>
#include <QString>
#include <array>
#include <optional>

namespace ondrel {

class ButtonConfig;
class ProjectState;

// Most bytes one custom command string may be given in the entry dialog.
inline constexpr int kMaxCommandBytes = 255;

// The byte count typed into the count dialog: a whole number from 0 to kMaxCommandBytes.
// Anything else (a non-number, a fraction, a negative number) gives nothing.
std::optional<int> parseByteCount(const QString& text);

// The value of one hexadecimal digit, either case; any other character gives its code minus
// the code of "0" (so 0 to 9 give 0 to 9).
int HexDigitValue(QChar c);

// One entry field of a custom command string: a single character is its Windows-1252 code
// ("5" is 53), two characters are hexadecimal ("0D" is 13). Empty entries, longer ones, two
// characters that are not both hexadecimal digits and characters without a single-byte code give
// nothing: the caller says "Value Not Recognized" and leaves the slot empty.
std::optional<int> ParseEntryByte(const QString& text);

// The control port a command string goes out on; the values are the codes the configuration
// dialog has always used for them.
enum class CommandPort { One = 5, Two = 6 };

// Which of a button's four command strings the entry dialogs edit.
struct StringTarget {
    CommandPort port = CommandPort::One;
    int dual = 0; // 0 primary, 1 secondary
};

// Stores `list` into the string of `record` that `target` selects.
void storeCommandString(ButtonConfig& record, StringTarget target, const ByteList& list);

// The four command-string boxes of the configuration dialog for a button, each in its port's
// presentation form: port one primary, port one secondary, port two primary, port two secondary.
std::array<QString, 4> ShowButtonStrings(const ProjectState& state, int button);

} // namespace ondrel
