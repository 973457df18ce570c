#include "platform/posix/temporary_names.h"

#include <cstdio>
#include <random>

namespace nuvelo {
namespace {

constexpr std::string_view prefix = ".nuvelo-", suffix = ".tmp";
constexpr std::size_t digits = 16;
static_assert(prefix.size() + digits + suffix.size() == TemporaryNameLength);

}  // namespace

std::string freshTemporaryName() {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  char hex[digits + 1];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(random()));
  return std::string(prefix) + hex + std::string(suffix);
}

bool isTemporaryName(std::string_view name) {
  if (name.size() != TemporaryNameLength) return false;
  if (name.substr(0, prefix.size()) != prefix || name.substr(name.size() - suffix.size()) != suffix)
    return false;
  for (const char c : name.substr(prefix.size(), digits))
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

}  // namespace nuvelo
