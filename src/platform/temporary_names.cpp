#include "platform/temporary_names.h"

namespace nuvelo {

bool isTemporaryName(std::string_view name) {
  constexpr std::string_view prefix = ".nuvelo-", suffix = ".tmp";
  constexpr std::size_t digits = 16;
  if (name.size() != prefix.size() + digits + suffix.size()) return false;
  if (name.substr(0, prefix.size()) != prefix || name.substr(name.size() - suffix.size()) != suffix)
    return false;
  for (const char c : name.substr(prefix.size(), digits))
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

}  // namespace nuvelo
