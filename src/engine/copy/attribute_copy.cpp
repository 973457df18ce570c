#include "engine/copy/attribute_copy.h"

#include <cerrno>
#include <string_view>

#include "platform/posix/extended_attributes.h"
#include "platform/posix/file_acl.h"

namespace nuvelo {
namespace {

constexpr std::string_view Capability = "security.capability";

bool isCarried(std::string_view name) {
  return name.starts_with("user.") || name.starts_with("trusted.") || name == Capability;
}

bool is(const Failure& failure, std::errc code) {
  return failure.code == code;
}

}  // namespace

Result<SourceExtras> extrasOf(int sourceFd) {
  SourceExtras extras;
  if (sourceFd < 0) return extras;
  Result<std::vector<std::string>> names = attributeNames(sourceFd);
  if (!names) return Unexpected(names.error());
  for (std::string& name : *names) {
    if (name == AccessAclName)
      extras.accessAcl = true;
    else if (name == DefaultAclName)
      extras.defaultAcl = true;
    else if (isCarried(name))
      extras.attributes.push_back(std::move(name));
  }
  return extras;
}

Result<bool> carryAttributes(int sourceFd, int copyFd, const std::vector<std::string>& names,
                             bool ownerKept) {
  bool allKept = true;
  for (const std::string& name : names) {
    const bool capability = name == Capability;
    if (capability && !ownerKept) continue;
    const Result<std::string> value = attributeValue(sourceFd, name);
    if (!value && is(value.error(), std::errc::no_message_available)) continue;
    if (!value) return Unexpected(value.error());
    const Result<> set = setAttribute(copyFd, name, *value);
    if (set) continue;
    if (refusesAttributes(set.error().code)) {
      allKept = false;
      continue;
    }
    // Setting a capability takes CAP_SETFCAP; without it the copy is simply without one.
    if (capability && is(set.error(), std::errc::operation_not_permitted)) continue;
    return Unexpected(set.error());
  }
  return allKept;
}

}  // namespace nuvelo
