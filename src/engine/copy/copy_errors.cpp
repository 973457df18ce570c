#include "engine/copy/copy_errors.h"

#include <cstring>
#include <iterator>

namespace nuvelo {
namespace {

struct CopyErrorTexts {
  const char* description;  // for logs and debugging
  const char* reason;       // what the run reports
};

// The texts of each code, in the order of CopyError.
constexpr CopyErrorTexts Texts[] = {
    {"path leads outside the destination folder", "コピー先の外を指すパスです"},
    {"source changed while it was copied", "コピー中にファイルが変更されました"},
    {"copy differs from the source", "検証に失敗しました"},
    {"not a regular file", "通常のファイルではありません"},
    {"destination cannot hold symbolic links",
     "コピー先のファイルシステムはシンボリックリンクを保存できません"},
};

const CopyErrorTexts* textsOf(int value) {
  if (value < 1 || value > static_cast<int>(std::size(Texts))) return nullptr;
  return &Texts[value - 1];
}

class CopyErrorCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "nuvelo-copy"; }

  std::string message(int value) const override {
    const CopyErrorTexts* texts = textsOf(value);
    return texts ? texts->description : "unknown copy error";
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

std::string failureReason(std::error_code code) {
  if (code.category() != copyErrorCategory()) return std::strerror(code.value());
  const CopyErrorTexts* texts = textsOf(code.value());
  return texts ? texts->reason : code.message();
}

}  // namespace nuvelo
