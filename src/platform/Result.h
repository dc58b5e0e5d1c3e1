#pragma once
// The outcome of a call that can fail: its value, or a text saying why it failed, written for
// the person who will read it in a message, the status bar or the log ("cannot write in
// /web: Permission denied"). Result<> is the outcome of a call that gives nothing back.
//
//     Result<std::string> bytes = ReadFileBytes(path);
//     if (!bytes)
//         return Fail("cannot read " + path.string() + ": " + bytes.error());
//     use(*bytes);
//
// A failure is made with Fail(why) and converts to a Result of any type. Reading the value of
// a failure, or the reason of a success, is a programming error (checked by assert()).

#include <cassert>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace tlx {

// Why a call failed, on its way into a Result.
struct Failure {
    std::string why;
};

inline Failure Fail(std::string why) {
    return Failure{std::move(why)};
}

template <typename T = void> class [[nodiscard]] Result {
    static_assert(!std::is_same_v<std::decay_t<T>, Failure>, "a Result holds a value");

public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure.why)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & {
        assert(ok());
        return *std::get_if<0>(&state_);
    }
    const T& value() const& {
        assert(ok());
        return *std::get_if<0>(&state_);
    }
    T&& value() && {
        assert(ok());
        return std::move(*std::get_if<0>(&state_));
    }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    // The value, or `fallback` for a failure.
    template <typename U> T value_or(U&& fallback) const& {
        return ok() ? value() : static_cast<T>(std::forward<U>(fallback));
    }
    template <typename U> T value_or(U&& fallback) && {
        return ok() ? std::move(*this).value() : static_cast<T>(std::forward<U>(fallback));
    }

    // Why it failed; the empty text for a success.
    const std::string& error() const {
        static const std::string none;
        return ok() ? none : *std::get_if<1>(&state_);
    }

private:
    std::variant<T, std::string> state_;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failed_(true), why_(std::move(failure.why)) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    // Why it failed; the empty text for a success.
    const std::string& error() const { return why_; }

private:
    bool failed_ = false;
    std::string why_;
};

} // namespace tlx
