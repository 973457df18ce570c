#include "engine/copy/destination_path.h"

namespace nuvelo {
namespace {

// The folder part of a path with its trailing separator: everything up to and including the
// last separator (or, in Windows style, drive colon).
std::string folderPartOf(const std::string& path, PathStyle style) {
  const auto last = style == PathStyle::Windows ? path.find_last_of("\\:") : path.rfind('/');
  return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string windowsSubpath(const std::string& folder, const DestinationRule& rule) {
  if (!rule.dirAbs)
    return folder.size() > rule.searchRoot.size() ? folder.substr(rule.searchRoot.size()) : "";
  if (folder.rfind("\\\\", 0) == 0) return folder.substr(1);  // \\server\share: server first
  if (folder.size() < 2) return folder;
  if (rule.addDriveLetter) return "\\" + folder.substr(0, 1) + folder.substr(2);
  return folder.substr(2);
}

std::string posixSubpath(const std::string& folder, const DestinationRule& rule) {
  if (rule.dirAbs) return folder.rfind("//", 0) == 0 ? folder.substr(1) : folder;
  // Rows below the root folder "/" are "/" + name, not "//" + name.
  const std::size_t rootLength =
      rule.searchRoot.size() - (!rule.searchRoot.empty() && rule.searchRoot.back() == '/' ? 1 : 0);
  return folder.size() > rootLength ? folder.substr(rootLength) : "";
}

}  // namespace

std::string destinationSubpath(const std::string& sourceFile, const DestinationRule& rule) {
  const std::string folder = folderPartOf(sourceFile, rule.style);
  std::string subpath =
      rule.style == PathStyle::Windows ? windowsSubpath(folder, rule) : posixSubpath(folder, rule);
  if (!subpath.empty()) subpath.pop_back();  // the trailing separator
  return subpath;
}

std::string destFolderOf(const std::string& sourceFile, const std::string& destinationText,
                         const DestinationRule& rule) {
  return destinationText + destinationSubpath(sourceFile, rule);
}

std::string fileNameOf(const std::string& path, PathStyle style) {
  const auto last = style == PathStyle::Windows ? path.find_last_of("\\:") : path.rfind('/');
  return last == std::string::npos ? path : path.substr(last + 1);
}

}  // namespace nuvelo
