#include "engine/settings/settings_file.h"

#include <algorithm>

#include "engine/search/name_patterns.h"
#include "engine/search/search_options.h"
#include "engine/settings/comma_text.h"
#include "platform/posix/filesystem.h"
#include "platform/posix/user_info.h"

namespace nuvelo {
namespace {

constexpr const char* Default = "Default";
constexpr const char* Option = "Option";
constexpr const char* ListView = "ListView";
constexpr const char* Window = "Window";
constexpr const char* Recent = "Recent";

std::string columnWidthKey(std::size_t column) {
  return "Column" + std::to_string(column) + "Width";
}

// [Option] Threads: a negative number as 0; beyond MostThreads, as a text that is no number,
// nothing.
std::optional<unsigned> threadsOf(const ProfileFile& file) {
  const auto value = file.readValue(Option, "Threads");
  const auto number = value ? parseProfileInteger(*value) : std::nullopt;
  if (!number) return std::nullopt;
  const unsigned threads = static_cast<unsigned>(std::max(0, *number));
  return threads <= MostThreads ? std::optional<unsigned>(threads) : std::nullopt;
}

}  // namespace

std::string resolveSettingsPath(const std::string& executableFolder) {
  const std::string besideProgram = executableFolder + "/" + SettingsFileName;
  if (isExistingEntry(besideProgram)) return besideProgram;
  if (!isInstalledProgramFolder(executableFolder) && isWritableFolder(executableFolder))
    return besideProgram;
  const std::string folder = userConfigFolder() + "/nuvelo";
  // A folder that cannot be made is not reported here: the settings file's first write then
  // fails and says so.
  static_cast<void>(makeFolders(folder));
  return folder + "/" + SettingsFileName;
}

MainWindowSettings readMainWindowSettings(const ProfileFile& file) {
  MainWindowSettings s;
  s.from = file.readString(Default, "From", "");
  s.to = file.readString(Default, "To", "");
  s.lastCopyDate = file.readString(Default, "LastCopyDate", "");
  s.lastCopyStart = file.readString(Default, "LastCopyStart", "");
  s.dirAbs = file.readBool(Option, "DirAbs", true);
  s.addDriveLetter = file.readBool(Option, "AddDriveLetter", true);
  s.includeSubfolders = file.readBool(Option, "DirKAI", true);
  s.showResult = file.readBool(Option, "ShowResult", true);
  s.perFolder = file.readBool(Option, "PickupFolder", false);
  s.overwrite = file.readInteger(Option, "Overwrite", 1);
  s.changeTime = file.readBool(Option, "ChangeTime", true);
  s.verify = file.readBool(Option, "Verify", false);
  s.keepReplaced = file.readBool(Option, "KeepReplaced", false);
  s.versionsFolder = file.readString(Option, "VersionsFolder", "");
  s.threads = threadsOf(file).value_or(0);
  s.retry.retries = parseRetries(file.readString(Option, "Retries", "")).value_or(s.retry.retries);
  s.retry.wait = parseRetryWait(file.readString(Option, "RetryWait", "")).value_or(s.retry.wait);
  s.excludedExtensions = fromCommaText(file.readString(Option, "EscExt", ""));
  s.excludedNames = usableNamePatterns(fromCommaText(file.readString(Option, "ExcludeNames", "")));
  for (std::size_t c = 0; c < s.columnWidths.size(); ++c)
    s.columnWidths[c] = file.readInteger(ListView, columnWidthKey(c), s.columnWidths[c]);
  s.top = file.readInteger(Window, "Top", 0);
  s.left = file.readInteger(Window, "Left", 0);
  s.height = file.readInteger(Window, "Height", 440);
  s.width = file.readInteger(Window, "Width", 420);
  s.recentSources = fromCommaText(file.readString(Recent, "From", ""));
  s.recentDestinations = fromCommaText(file.readString(Recent, "To", ""));
  return s;
}

Result<> writeSettingsAtClose(ProfileFile& file, const MainWindowSettings& s) {
  std::vector<ProfileFile::KeyValue> keys = {
      {Default, "From", s.from},
      {Default, "To", s.to},
      {Option, "DirKAI", profileBoolText(s.includeSubfolders)},
      {Option, "ShowResult", profileBoolText(s.showResult)},
      {Option, "PickupFolder", profileBoolText(s.perFolder)},
      {Option, "Overwrite", std::to_string(s.overwrite)},
      {Option, "EscExt", toCommaText(s.excludedExtensions)},
      {Option, "ExcludeNames", toCommaText(s.excludedNames)},
      {Option, "ChangeTime", profileBoolText(s.changeTime)},
      {Option, "KeepReplaced", profileBoolText(s.keepReplaced)},
      {Option, "VersionsFolder", s.versionsFolder},
  };
  for (std::size_t c = 0; c < s.columnWidths.size(); ++c)
    keys.push_back({ListView, columnWidthKey(c), std::to_string(s.columnWidths[c])});
  keys.push_back({Window, "Top", std::to_string(s.top)});
  keys.push_back({Window, "Left", std::to_string(s.left)});
  keys.push_back({Window, "Height", std::to_string(s.height)});
  keys.push_back({Window, "Width", std::to_string(s.width)});
  keys.push_back({Recent, "From", toCommaText(s.recentSources)});
  keys.push_back({Recent, "To", toCommaText(s.recentDestinations)});
  return file.writeInOrder(keys);
}

namespace {

// Where a key of the file is: the file's path, then the section and the key.
std::string keyPlace(const ProfileFile& file, const char* section, const char* key) {
  return file.path() + " [" + section + "] " + key;
}

void readSwitch(const ProfileFile& file, const char* key, Said<bool>& option) {
  const auto value = file.readValue(Option, key);
  if (const auto number = value ? parseProfileInteger(*value) : std::nullopt)
    option.set(*number != 0, keyPlace(file, Option, key));
}

}  // namespace

OptionLayer optionLayerOf(const ProfileFile& file) {
  OptionLayer layer;
  readSwitch(file, "DirKAI", layer.includeSubfolders);
  readSwitch(file, "PickupFolder", layer.perFolder);
  readSwitch(file, "ChangeTime", layer.changeTime);
  readSwitch(file, "DirAbs", layer.dirAbs);
  readSwitch(file, "AddDriveLetter", layer.addDriveLetter);
  readSwitch(file, "Verify", layer.verify);
  readSwitch(file, "KeepReplaced", layer.keepReplaced);
  if (const auto value = file.readValue(Option, "VersionsFolder"))
    layer.versionsFolder.set(*value, keyPlace(file, Option, "VersionsFolder"));
  if (const auto value = file.readValue(Option, "EscExt"))
    layer.excludedExtensions.set(fromCommaText(*value), keyPlace(file, Option, "EscExt"));
  if (const auto value = file.readValue(Option, "ExcludeNames"))
    layer.excludedNames.set(usableNamePatterns(fromCommaText(*value)),
                            keyPlace(file, Option, "ExcludeNames"));
  const auto overwrite = file.readValue(Option, "Overwrite");
  if (const auto number = overwrite ? parseProfileInteger(*overwrite) : std::nullopt)
    layer.overwrite.set(overwritePolicyOf(*number), keyPlace(file, Option, "Overwrite"));
  if (const auto value = file.readValue(Option, "Retries"))
    if (const auto retries = parseRetries(*value))
      layer.retries.set(*retries, keyPlace(file, Option, "Retries"));
  if (const auto value = file.readValue(Option, "RetryWait"))
    if (const auto wait = parseRetryWait(*value))
      layer.retryWait.set(*wait, keyPlace(file, Option, "RetryWait"));
  if (const auto threads = threadsOf(file))
    layer.threads.set(*threads, keyPlace(file, Option, "Threads"));
  return layer;
}

OptionLayer builtInOptions() {
  const MainWindowSettings defaults;
  OptionLayer layer;
  layer.source.set("", "");
  layer.destination.set("", "");
  layer.includeSubfolders.set(defaults.includeSubfolders, "");
  layer.excludedSubfolders.set({}, "");
  layer.excludedExtensions.set(defaults.excludedExtensions, "");
  layer.excludedNames.set(defaults.excludedNames, "");
  layer.perFolder.set(defaults.perFolder, "");
  layer.changeTime.set(defaults.changeTime, "");
  layer.dirAbs.set(defaults.dirAbs, "");
  layer.addDriveLetter.set(defaults.addDriveLetter, "");
  layer.overwrite.set(overwritePolicyOf(defaults.overwrite), "");
  layer.verify.set(defaults.verify, "");
  layer.keepReplaced.set(defaults.keepReplaced, "");
  layer.versionsFolder.set(defaults.versionsFolder, "");
  layer.pruneVersionsDays.set(std::nullopt, "");
  layer.threads.set(defaults.threads, "");
  layer.retries.set(defaults.retry.retries, "");
  layer.retryWait.set(defaults.retry.wait, "");
  layer.links.set(LinkMode::Copy, "");
  return layer;
}

WindowFolders windowFoldersOf(const ProfileFile& file) {
  return {file.readString(Default, "From", ""), file.readString(Default, "To", "")};
}

std::vector<std::string> withRecentFolder(std::vector<std::string> recent,
                                          const std::string& folder) {
  if (folder.empty()) return recent;
  std::erase(recent, folder);
  recent.insert(recent.begin(), folder);
  if (recent.size() > RecentFoldersKept) recent.resize(RecentFoldersKept);
  return recent;
}

Result<> writeDetailOptions(ProfileFile& file, bool dirAbs, bool addDriveLetter) {
  return file.writeInOrder({{Option, "DirAbs", profileBoolText(dirAbs)},
                            {Option, "AddDriveLetter", profileBoolText(addDriveLetter)}});
}

}  // namespace nuvelo
