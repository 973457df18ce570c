#pragma once
// The one way the engine and the platform report a failure: a function that can fail returns a
// Result, which holds either its value or a Failure. A Failure says what went wrong as a
// std::error_code (an errno value in the generic category, or a code of the program's own
// category) and, where the caller needs it for its message, which path it concerns. The texts
// the user reads are made from it by the window and the command line, not here.

#include <cerrno>
#include <expected>
#include <string>
#include <system_error>
#include <utility>

namespace nuvelo {

struct Failure {
  std::error_code code;
  std::string path;  // the file or folder the failure concerns; empty when the caller knows it
};

template <class T = void>
using Result = std::expected<T, Failure>;

// A failure with the given code, for returning from a function with a Result.
inline std::unexpected<Failure> failure(std::error_code code, std::string path = {}) {
  return std::unexpected(Failure{code, std::move(path)});
}
inline std::unexpected<Failure> failure(std::errc code, std::string path = {}) {
  return failure(std::make_error_code(code), std::move(path));
}
// The failure of the system call that just set errno.
inline std::unexpected<Failure> failureFromErrno(std::string path = {}) {
  return failure(std::error_code(errno, std::generic_category()), std::move(path));
}

}  // namespace nuvelo
