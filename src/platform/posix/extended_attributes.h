#pragma once
// A file's extended attributes, through its descriptor: their names, one value, and setting one.

#include <string>
#include <system_error>
#include <vector>

#include "platform/result.h"

namespace nuvelo {

// The names of the open file's extended attributes that this process may see: trusted.* ones
// only with CAP_SYS_ADMIN, as the kernel lists them. Empty, not a failure, where the file
// system keeps none.
Result<std::vector<std::string>> attributeNames(int fd);

// The value of the attribute `name` of the open file (at most 64 KiB), read again into more room
// when it grew meanwhile.
Result<std::string> attributeValue(int fd, const std::string& name);

// Gives the open file the attribute `name` with `value`, replacing one of that name.
Result<> setAttribute(int fd, const std::string& name, const std::string& value);

// The errors of a file system, or a namespace on it, that holds no such attribute or ACL: FAT
// and exFAT, many shares and file systems in user space, a value beyond what it stores (ext4
// answers ENOSPC for one larger than its room for attributes).
bool refusesAttributes(std::error_code code);

}  // namespace nuvelo
