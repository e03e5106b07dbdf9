#pragma once

#include "project/notation.h"
#include "project/value.h"

#include <QByteArray>
#include <QString>
#include <initializer_list>
#include <optional>
#include <vector>

namespace ondrel {

// A command string: value slots indexed from 0. A list of n bytes has upper bound n and n + 1
// slots; slot n is never read. A slot holds the byte as a number, as its decimal text, or
// nothing where an entry was not readable. The empty list is one empty slot.
class ByteList {
public:
    ByteList() : slots_(1) {}
    ByteList(std::initializer_list<int> bytes);
    static ByteList fromBytes(const QByteArray& bytes);
    // A list with `upperBound` byte slots (all empty) plus the closing slot.
    static ByteList withUpperBound(int upperBound);

    int upperBound() const { return static_cast<int>(slots_.size()) - 1; }
    int byteCount() const { return upperBound(); }
    bool isEmpty() const { return upperBound() <= 0; }

    const Value& slot(int index) const { return slots_.at(static_cast<size_t>(index)); }
    void setSlot(int index, const Value& value) { slots_.at(static_cast<size_t>(index)) = value; }
    // Cuts or extends the list to `upperBound`, keeping the slots that remain.
    void resize(int upperBound);

    // The value of byte slot `index` when it is a whole number from 0 to 255; an empty slot
    // gives 0 (the panel receives a zero there). Anything else gives nothing.
    std::optional<quint8> byteAt(int index) const;
    // All byte slots as bytes, or nothing when one of them is not a byte value.
    std::optional<QByteArray> toBytes() const;

    // The three text forms of a command string (decimal, ASCII, hexadecimal). An unset format
    // counts as decimal; a format other than 0, 1 or 2 gives the empty text.
    QString textForm(const Value& format) const;
    QString textForm(Notation format) const { return textForm(Value(notationCode(format))); }

    friend bool operator==(const ByteList& a, const ByteList& b) { return a.slots_ == b.slots_; }

private:
    std::vector<Value> slots_;
};

} // namespace ondrel
