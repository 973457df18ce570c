#include "engine/settings/job_file.h"

#include <array>

#include "engine/search/name_patterns.h"
#include "engine/settings/comma_text.h"
#include "engine/settings/condition_file.h"
#include "engine/settings/profile_file.h"
#include "engine/settings/stored_options.h"

namespace nuvelo {
namespace {

constexpr const char* JobSection = "Job";

// A hundred years: more is a slip of the keyboard.
constexpr int MostPruneDays = 36500;

constexpr std::array<const char*, 4> PolicyNames = {"always", "ask", "newer", "never"};

std::optional<OverwritePolicy> policyOf(const std::string& text) {
  for (std::size_t i = 0; i < PolicyNames.size(); ++i)
    if (text == PolicyNames[i]) return static_cast<OverwritePolicy>(i);
  const auto number = parseProfileInteger(text);
  if (number && *number >= OverwriteAlways && *number <= OverwriteNever)
    return static_cast<OverwritePolicy>(*number);
  return std::nullopt;
}

// Reads the [Job] keys one by one; the first value it cannot take is kept as the problem.
class JobKeys {
 public:
  JobKeys(const ProfileFile& file, OptionLayer& layer) : file_(file), layer_(layer) {}

  // The key's value through `parse`, which gives nothing for a value the key does not take.
  template <class T, class Parse>
  void read(const char* key, Said<T>& option, Parse parse) {
    const auto value = file_.readValue(JobSection, key);
    if (!value) return;
    const auto parsed = parse(*value);
    if (!parsed) return refuse(key, *value);
    option.set(static_cast<T>(*parsed), place(key));
  }
  void readSwitch(const char* key, Said<bool>& option) {
    read(key, option, [](const std::string& text) {
      const auto number = parseProfileInteger(text);
      return number ? std::optional<bool>(*number != 0) : std::nullopt;
    });
  }
  void readOverwrite() { read("Overwrite", layer_.overwrite, policyOf); }
  void readLinks() { read("Links", layer_.links, linkModeNamed); }
  void readThreads() {
    read("Threads", layer_.threads, [](const std::string& text) {
      const auto number = parseProfileInteger(text);
      return number && *number >= 0 && static_cast<unsigned>(*number) <= MostThreads ? number
                                                                                     : std::nullopt;
    });
  }
  void readRetries() {
    read("Retries", layer_.retries, [](const std::string& text) { return parseRetries(text); });
    read("RetryWait", layer_.retryWait,
         [](const std::string& text) { return parseRetryWait(text); });
  }
  // Comma text; a pattern that cannot name anything refuses the whole value.
  void readNamePatterns() {
    read("ExcludeNames", layer_.excludedNames,
         [](const std::string& text) -> std::optional<std::vector<std::string>> {
           std::vector<std::string> patterns = fromCommaText(text);
           for (const std::string& pattern : patterns)
             if (namePatternFault(pattern) != NamePatternFault::None) return std::nullopt;
           return patterns;
         });
  }
  void readText(const char* key, Said<std::string>& option) {
    if (const auto value = file_.readValue(JobSection, key)) option.set(*value, place(key));
  }
  void readPruneDays() {
    const auto value = file_.readValue(JobSection, "PruneVersions");
    if (!value) return;
    const auto number = parseProfileInteger(*value);
    if (!number || *number < 0 || *number > MostPruneDays) return refuse("PruneVersions", *value);
    layer_.pruneVersionsDays.set(static_cast<unsigned>(*number), place("PruneVersions"));
  }
  const std::optional<JobFileProblem>& problem() const { return problem_; }

 private:
  std::string place(const char* key) const { return file_.path() + " [" + JobSection + "] " + key; }
  void refuse(const char* key, const std::string& value) {
    if (!problem_)
      problem_ = JobFileProblem{JobFileProblem::Kind::BadValue,
                                std::string("[") + JobSection + "] " + key, value};
  }

  const ProfileFile& file_;
  OptionLayer& layer_;
  std::optional<JobFileProblem> problem_;
};

}  // namespace

const char* overwritePolicyName(OverwritePolicy policy) {
  return PolicyNames[static_cast<std::size_t>(overwritePolicyOf(policy))];
}

Expected<OptionLayer, JobFileProblem> readJobFile(const std::string& path) {
  const auto conditions = readConditionFile(path);
  if (!conditions) return Unexpected(JobFileProblem{});
  const ProfileFile file(path);
  if (const auto repeat = file.firstRepeat()) {
    const std::string header = "[" + repeat->section + "]";
    return Unexpected(JobFileProblem{JobFileProblem::Kind::Repeated,
                                     repeat->key.empty() ? header : header + " " + repeat->key,
                                     {},
                                     repeat->line});
  }
  OptionLayer layer = optionLayerOf(*conditions, path);
  JobKeys keys(file, layer);
  keys.readOverwrite();
  keys.readSwitch("DirAbs", layer.dirAbs);
  keys.readSwitch("AddDriveLetter", layer.addDriveLetter);
  keys.readSwitch("PickupFolder", layer.perFolder);
  keys.readSwitch("ChangeTime", layer.changeTime);
  keys.readSwitch("Verify", layer.verify);
  keys.readSwitch("KeepReplaced", layer.keepReplaced);
  keys.readText("VersionsFolder", layer.versionsFolder);
  keys.readNamePatterns();
  keys.readPruneDays();
  keys.readThreads();
  keys.readRetries();
  keys.readLinks();
  if (keys.problem()) return Unexpected(*keys.problem());
  return layer;
}

Result<> writeJobFile(const std::string& path, const SearchOptions& search,
                      const CopyOptions& copy) {
  if (Result<> written = writeConditionFile(path, conditionsOf(search, copy.destination)); !written)
    return written;
  ProfileFile file(path);
  std::vector<ProfileFile::KeyValue> keys = {
      {JobSection, "Overwrite", overwritePolicyName(overwritePolicyOf(copy.overwrite))},
      {JobSection, "DirAbs", profileBoolText(copy.dirAbs)},
      {JobSection, "AddDriveLetter", profileBoolText(copy.addDriveLetter)},
      {JobSection, "PickupFolder", profileBoolText(search.perFolder)},
      {JobSection, "ChangeTime", profileBoolText(search.changeTime)},
      {JobSection, "Verify", profileBoolText(copy.verify)},
      {JobSection, "Threads", std::to_string(search.walkThreads)},
      {JobSection, "Retries", std::to_string(copy.retry.retries)},
      {JobSection, "RetryWait", retryWaitText(copy.retry.wait)},
      {JobSection, "KeepReplaced", profileBoolText(copy.keepReplaced)},
      {JobSection, "VersionsFolder", copy.versionsFolder},
      {JobSection, "ExcludeNames", toCommaText(search.excludedNames)},
      {JobSection, "Links", linkModeName(copy.links)}};
  if (copy.pruneVersionsDays)
    keys.push_back({JobSection, "PruneVersions", std::to_string(*copy.pruneVersionsDays)});
  return file.writeInOrder(keys);
}

}  // namespace nuvelo
