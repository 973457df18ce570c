#include "engine/copy/link_mode.h"

namespace nuvelo {

std::optional<LinkMode> linkModeNamed(std::string_view name) {
  if (name == "copy") return LinkMode::Copy;
  if (name == "skip") return LinkMode::Skip;
  return std::nullopt;
}

const char* linkModeName(LinkMode mode) {
  return mode == LinkMode::Skip ? "skip" : "copy";
}

}  // namespace nuvelo
