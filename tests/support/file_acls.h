#pragma once
// ACLs and extended attributes given to a test's files as a user gives them (setfacl) and read
// back as a user reads them (getfacl), so that a test does not check the copy with the code
// that made it.

#include <sys/xattr.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "support/mounted_image.h"
#include "support/temp_folder.h"

namespace nuvelo::testing {

// setfacl -m ENTRIES PATH (with `-d` first: the folder's default ACL); true when it took.
inline bool setAcl(const std::string& path, const std::string& entries, bool defaultAcl = false) {
  const std::string setfacl = findProgram("setfacl");
  if (setfacl.empty()) return false;
  std::vector<std::string> command{setfacl};
  if (defaultAcl) command.push_back("-d");
  command.insert(command.end(), {"-m", entries, "--", path});
  return runProgram(command).status == 0;
}

// The entries of the path's ACL, one a line, numeric, without the effective rights:
// "user::rw-\nuser:65534:rw-\ngroup::---\nmask::rw-\nother::---\n" (a folder's default ACL
// follows as "default:..." lines).
inline std::string aclText(const std::string& path) {
  const std::string getfacl = findProgram("getfacl");
  if (getfacl.empty()) return "(no getfacl)";
  const ProgramRun run =
      runProgram({getfacl, "--omit-header", "--numeric", "--no-effective", "--", path});
  return run.status == 0 ? run.out.substr(0, run.out.find("\n\n") + 1) : "(getfacl failed)";
}

// Why ACLs cannot be given in `folder` (no setfacl or getfacl, or a file system without them);
// empty when they can.
inline std::string aclsMissingIn(const std::string& folder) {
  for (const char* program : {"setfacl", "getfacl"})
    if (findProgram(program).empty()) return std::string(program) + " is missing (package acl)";
  const std::string probe = folder + "/.acl-probe";
  writeFile(probe, "");
  const bool took = setAcl(probe, "u:0:r");
  unlink(probe.c_str());
  return took ? "" : "the file system of " + folder + " takes no ACL";
}

inline bool setAttribute(const std::string& path, const std::string& name,
                         const std::string& value) {
  return setxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0) == 0;
}

// The attribute's value; nothing when the file has no such attribute.
inline std::optional<std::string> attribute(const std::string& path, const std::string& name) {
  std::string value(1 << 16, '\0');
  const ssize_t length = getxattr(path.c_str(), name.c_str(), value.data(), value.size());
  if (length < 0) return std::nullopt;
  value.resize(static_cast<std::size_t>(length));
  return value;
}

}  // namespace nuvelo::testing
