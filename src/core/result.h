#pragma once

#include <QString>
#include <utility>
#include <variant>

namespace ondrel {

// A failure that the user is told about: readable text, and the line of a file where it applies.
struct Error {
    QString message;
    int line = 0;
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
    return Error{std::move(message), line};
}

} // namespace ondrel
