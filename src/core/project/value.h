#pragma once

#include <QString>
#include <optional>
#include <variant>

namespace ondrel {

// A field that may be empty, hold a whole number, or hold a text. Texts that read as decimal
// numbers compare equal to those numbers: "9600" and 9600 are the same baud rate.
class Value {
public:
    Value() = default;
    Value(int number) : data_(static_cast<qint64>(number)) {}
    Value(qint64 number) : data_(number) {}
    Value(const QString& text) : data_(text) {}
    Value(const char* text) : data_(QString::fromUtf8(text)) {}

    // Unset, with no number and no text.
    bool isUnset() const { return std::holds_alternative<std::monostate>(data_); }
    // Unset or the empty text.
    bool isEmpty() const;
    bool holdsNumber() const { return std::holds_alternative<qint64>(data_); }
    bool holdsText() const { return std::holds_alternative<QString>(data_); }

    // The whole number this value denotes: a number, or a text of decimal digits with an optional
    // sign and surrounding blanks. Empty, fractional or other texts give nothing.
    std::optional<qint64> toInteger() const;
    // The number this value denotes, fractions allowed ("1.5"); a point is the decimal separator.
    std::optional<double> toReal() const;
    // Whole numbers in plain decimal, texts as they stand, unset as the empty text.
    QString toText() const;

    friend bool operator==(const Value& a, const Value& b);

private:
    std::variant<std::monostate, qint64, QString> data_;
};

} // namespace ondrel
