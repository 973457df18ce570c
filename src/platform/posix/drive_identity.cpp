#include "platform/posix/drive_identity.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>

#include "platform/path_text.h"
#include "platform/posix/filesystem.h"
#include "platform/posix/mount_table.h"

namespace nuvelo {
namespace {

constexpr std::string_view UuidTag = "UUID=";
constexpr std::string_view LabelTag = "LABEL=";
constexpr std::string_view On = " on ";

// The path itself where it exists, else the nearest folder above it that does, resolved.
std::optional<std::string> nearestExisting(const std::string& path) {
  std::string at = absoluteCleanPath(path);
  while (true) {
    char resolved[PATH_MAX];
    if (realpath(at.c_str(), resolved)) return std::string(resolved);
    if (at == "/" || at.empty()) return std::nullopt;
    at = folderOf(at);
  }
}

}  // namespace

std::string DriveIdentity::recordText() const {
  if (!uuid.empty()) return std::string(UuidTag) + uuid;
  if (!label.empty()) return std::string(LabelTag) + label;
  return source + std::string(On) + mountPoint;
}

std::optional<DriveIdentity> DriveIdentity::fromRecord(const std::string& text) {
  DriveIdentity drive;
  if (text.rfind(UuidTag, 0) == 0)
    drive.uuid = text.substr(UuidTag.size());
  else if (text.rfind(LabelTag, 0) == 0)
    drive.label = text.substr(LabelTag.size());
  else if (const std::size_t on = text.find(On); on != std::string::npos) {
    drive.source = text.substr(0, on);
    drive.mountPoint = text.substr(on + On.size());
  }
  if (drive.uuid.empty() && drive.label.empty() && drive.mountPoint.empty()) return std::nullopt;
  return drive;
}

std::string DriveIdentity::displayText() const {
  if (!uuid.empty()) return "UUID " + uuid;
  if (!label.empty()) return "LABEL " + label;
  return source + std::string(On) + mountPoint;
}

bool DriveIdentity::sameDrive(const DriveIdentity& other) const {
  if (!uuid.empty() || !other.uuid.empty()) return uuid == other.uuid;
  if (!label.empty() || !other.label.empty()) return label == other.label;
  return source == other.source && mountPoint == other.mountPoint;
}

std::optional<DriveIdentity> driveOf(const std::string& path) {
  const std::optional<std::string> existing = nearestExisting(path);
  struct stat st {};
  if (!existing || stat(existing->c_str(), &st) != 0) return std::nullopt;
  const std::optional<MountEntry> mount = mountEntryOf(st.st_dev, *existing);
  if (!mount) return std::nullopt;
  DriveIdentity drive;
  drive.source = mount->source;
  drive.mountPoint = mount->mountPoint;
  drive.uuid = uuidOfDevice(mount->source);
  if (drive.uuid.empty()) drive.label = labelOfDevice(mount->source);
  return drive;
}

}  // namespace nuvelo
