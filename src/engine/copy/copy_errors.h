#pragma once
// The copy's own reasons for a failure, where the system gives no errno value of its own, as
// std::error_code values of the program's own category.

#include <string>
#include <system_error>
#include <type_traits>

namespace nuvelo {

enum class CopyError {
  OutsideDestination = 1,  // a subpath that climbs out of the destination folder ("..")
  ChangedWhileCopied,      // the source changed during every attempt, or became another entry
  Differs,                 // the copy read back from the disk is not the source's content
  NotARegularFile,         // the source is a device, FIFO or socket
  NoLinks,                 // the destination's file system cannot hold a symbolic link
};

const std::error_category& copyErrorCategory();
std::error_code make_error_code(CopyError error);

// The reason of a failed copy as the run reports it: the system's words for an errno value, the
// program's for a CopyError.
std::string failureReason(std::error_code code);

}  // namespace nuvelo

template <>
struct std::is_error_code_enum<nuvelo::CopyError> : std::true_type {};
