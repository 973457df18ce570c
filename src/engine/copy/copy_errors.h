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
  UnusableName,            // the destination's file system does not take the name
  TooLarge,                // the file is larger than the destination's file system holds
  NameClash,               // the name is another spelling of one the destination folder holds
};

const std::error_category& copyErrorCategory();
std::error_code make_error_code(CopyError error);

// A failure that no later run mends while the source and the destination's file system stay as
// they are: a link where the destination keeps none, a name it refuses, a file larger than it
// holds. Everything else (an I/O error, a permission, a full disk, a lost share, a name that
// clashes with one the destination holds) may pass.
bool isLastingFailure(const std::error_code& code);

}  // namespace nuvelo

template <>
struct std::is_error_code_enum<nuvelo::CopyError> : std::true_type {};
