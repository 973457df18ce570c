#pragma once
// The one way the engine and the platform report a failure: a function that can fail returns a
// Result, which holds either its value or a Failure. A Failure says what went wrong as a
// std::error_code (an errno value in the generic category, or a code of the program's own
// category) and, where the caller needs it for its message, which path it concerns. The texts
// the user reads are made from it by the window and the command line, not here.
//
// Expected is the shape of C++23's std::expected, as far as the program uses it. It is our own
// because the Clang 14 that builds the fuzz targets cannot compile the standard library's.

#include <cerrno>
#include <optional>
#include <string>
#include <system_error>
#include <type_traits>
#include <utility>
#include <variant>

namespace nuvelo {

// The error of an Expected, on its way into one.
template <class E>
class Unexpected {
 public:
  explicit Unexpected(E error) : error_(std::move(error)) {}
  const E& error() const& { return error_; }
  E&& error() && { return std::move(error_); }

 private:
  E error_;
};
template <class E>
Unexpected(E) -> Unexpected<E>;

// A value of type T, or the error of type E that stands in for it.
template <class T, class E>
class Expected {
 public:
  Expected() requires std::is_default_constructible_v<T> : state_(std::in_place_index<0>) {}
  template <class U = T>
  requires std::is_constructible_v<T, U&&> &&(!std::is_same_v<std::remove_cvref_t<U>, Expected>)&&(
      !std::is_same_v<std::remove_cvref_t<U>, Unexpected<E>>)Expected(U&& value)
      : state_(std::in_place_index<0>, std::forward<U>(value)) {}
  template <class G>
  Expected(const Unexpected<G>& error) : state_(std::in_place_index<1>, error.error()) {}
  template <class G>
  Expected(Unexpected<G>&& error) : state_(std::in_place_index<1>, std::move(error).error()) {}

  bool has_value() const { return state_.index() == 0; }
  explicit operator bool() const { return has_value(); }

  T& operator*() & { return std::get<0>(state_); }
  const T& operator*() const& { return std::get<0>(state_); }
  T&& operator*() && { return std::get<0>(std::move(state_)); }
  T* operator->() { return &std::get<0>(state_); }
  const T* operator->() const { return &std::get<0>(state_); }

  const E& error() const { return std::get<1>(state_); }

  template <class U>
  T value_or(U&& otherwise) const& {
    return has_value() ? **this : static_cast<T>(std::forward<U>(otherwise));
  }
  template <class U>
  T value_or(U&& otherwise) && {
    return has_value() ? std::move(**this) : static_cast<T>(std::forward<U>(otherwise));
  }

  // Equal to a value only when it holds one and that one is equal.
  friend bool operator==(const Expected& expected, const T& value) {
    return expected.has_value() && *expected == value;
  }

 private:
  std::variant<T, E> state_;
};

// Success with nothing to hand back, or the error.
template <class E>
class Expected<void, E> {
 public:
  Expected() = default;
  template <class G>
  Expected(const Unexpected<G>& error) : error_(error.error()) {}
  template <class G>
  Expected(Unexpected<G>&& error) : error_(std::move(error).error()) {}

  bool has_value() const { return !error_; }
  explicit operator bool() const { return has_value(); }
  const E& error() const { return *error_; }

 private:
  std::optional<E> error_;
};

struct Failure {
  std::error_code code;
  std::string path;  // the file or folder the failure concerns; empty when the caller knows it
};

template <class T = void>
using Result = Expected<T, Failure>;

// A failure with the given code, for returning from a function with a Result.
inline Unexpected<Failure> failure(std::error_code code, std::string path = {}) {
  return Unexpected(Failure{code, std::move(path)});
}
inline Unexpected<Failure> failure(std::errc code, std::string path = {}) {
  return failure(std::make_error_code(code), std::move(path));
}
// The failure of the system call that just set errno.
inline Unexpected<Failure> failureFromErrno(std::string path = {}) {
  return failure(std::error_code(errno, std::generic_category()), std::move(path));
}

}  // namespace nuvelo
