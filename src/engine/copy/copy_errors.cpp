#include "engine/copy/copy_errors.h"

#include <iterator>

namespace nuvelo {
namespace {

// The description of each code for logs and debugging, in the order of CopyError; the user's
// words are made at the edge (src/messages).
constexpr const char* Descriptions[] = {
    "path leads outside the destination folder",
    "source changed while it was copied",
    "copy differs from the source",
    "not a regular file",
    "destination cannot hold symbolic links",
    "name not taken by the destination's file system",
    "file too large for the destination's file system",
    "name folds into another one at the destination",
};

class CopyErrorCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "nuvelo-copy"; }

  std::string message(int value) const override {
    if (value < 1 || value > static_cast<int>(std::size(Descriptions))) return "unknown copy error";
    return Descriptions[value - 1];
  }
};

}  // namespace

const std::error_category& copyErrorCategory() {
  static const CopyErrorCategory category;
  return category;
}

std::error_code make_error_code(CopyError error) {
  return {static_cast<int>(error), copyErrorCategory()};
}

bool isLastingFailure(const std::error_code& code) {
  return code == CopyError::NoLinks || code == CopyError::UnusableName ||
         code == CopyError::TooLarge;
}

}  // namespace nuvelo
