#pragma once
// Facts about the running program and its user.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace nuvelo {

// The user the program runs as (its effective user), from the user database.
struct UserEntry {
  std::string name;
  std::string home;
};
std::optional<UserEntry> runningUser();

// The name of the user the program runs as; nothing when the system cannot say.
std::optional<std::string> loggedOnUserName();

// A four-part version number, as the program's version information carries it.
using VersionNumber = std::array<std::uint16_t, 4>;

struct VersionInfo {
  VersionNumber product;
  VersionNumber file;
};

// The version information compiled into the program.
VersionInfo programVersion();

// "1.3.0.2": the four parts in decimal.
std::string versionText(const VersionNumber& version);

// The help file of an executable: its path with the extension replaced by ".HLP", or ".HLP"
// appended where it has none (nuvelo gives nuvelo.HLP).
std::string helpFileFor(const std::string& executablePath);

// The folder of an installed program's own data: <prefix>/share/nuvelo for a program in
// <prefix>/bin.
std::string installedDataFolder(const std::string& executableFolder);
// Whether the program lies in an installed prefix (its data folder exists), rather than in its
// build or unpacked folder.
bool isInstalledProgramFolder(const std::string& executableFolder);
// The help file the program shows: beside the program (its build or unpacked folder) when it
// lies there, else in the installed data folder; the one beside the program when neither
// exists.
std::string findHelpFile(const std::string& executablePath);

// The full path of the running executable.
std::string executablePath();

}  // namespace nuvelo
