#pragma once

#include <QString>
#include <utility>
#include <variant>

namespace ondrel {

// What kind of failure an error is, for callers that act on it; the message stays for people.
enum class ErrorKind {
    General,
    InvalidAddressRange, // a firmware line writes into the loader's own words
};

// A failure that the user is told about: readable text, the line of a file where it applies, and
// its kind. Behaviour depends on the kind, never on the text.
struct Error {
    QString message;
    int line = 0;
    ErrorKind kind = ErrorKind::General;
};

// The outcome of a core operation: a value, or an error with a readable message. Never dropped:
// a caller with nothing to do about a failure says so where it calls.
template <class T> class [[nodiscard]] Result {
public:
    Result(T value) : data_(std::move(value)) {}
    Result(Error error) : data_(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(data_); }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return std::get<T>(data_); }
    T& value() & { return std::get<T>(data_); }
    T&& value() && { return std::get<T>(std::move(data_)); }
    const Error& error() const { return std::get<Error>(data_); }

private:
    std::variant<T, Error> data_;
};

struct Ok {};
using Status = Result<Ok>;

inline Error makeError(QString message, int line = 0) {
    return Error{std::move(message), line, ErrorKind::General};
}

inline Error makeError(ErrorKind kind, QString message, int line = 0) {
    return Error{std::move(message), line, kind};
}

// "FILE:LINE: message", or "FILE: message" for an error without a line: how a file's errors are
// written on the command line and in lists of faults.
inline QString fileErrorText(const QString& path, const Error& error) {
    if (error.line > 0)
        return QStringLiteral("%1:%2: %3").arg(path).arg(error.line).arg(error.message);
    return QStringLiteral("%1: %2").arg(path, error.message);
}

} // namespace ondrel
