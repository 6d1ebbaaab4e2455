#pragma once

#include <optional>
#include <string>
#include <utility>

// A value or a readable reason why there is none. The core reports every
// failure this way; windows show the reason and write nothing.
template <typename T>
class Result {
public:
    Result(T value) : m_value(std::move(value)) {}  // NOLINT: implicit on purpose

    static Result failure(std::string reason)
    {
        Result r;
        r.m_error = std::move(reason);
        return r;
    }

    explicit operator bool() const { return m_value.has_value(); }
    bool ok() const { return m_value.has_value(); }
    const T& value() const { return *m_value; }
    T& value() { return *m_value; }
    const T& operator*() const { return *m_value; }
    const T* operator->() const { return &*m_value; }
    const std::string& error() const { return m_error; }

private:
    Result() = default;
    std::optional<T> m_value;
    std::string m_error;
};

struct Done {};
using Status = Result<Done>;

inline Status success() { return Done{}; }
