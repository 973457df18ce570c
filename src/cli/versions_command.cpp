#include "cli/versions_command.h"

#include <algorithm>
#include <ctime>

#include "cli/cli_job.h"
#include "engine/copy/replaced_versions.h"
#include "engine/copy/version_history.h"
#include "engine/settings/job_file.h"
#include "engine/settings/profile_file.h"
#include "engine/settings/settings_file.h"
#include "engine/text/output_text.h"
#include "messages/versions_messages.h"

namespace nuvelo {
namespace {

// The destination and versions folder a job file or a settings file names; a message when it
// names none.
std::string namedPlace(const CliOptions& o, VersionsPlace& place) {
  std::string destination, folder;
  if (o.job) {
    const auto layer = readJobFile(*o.job);
    if (!layer) return jobFileProblemText(layer.error(), *o.job);
    destination = layer->destination.value.value_or("");
    folder = layer->versionsFolder.value.value_or("");
  } else {
    const ProfileFile settings(*o.settings);
    destination = windowFoldersOf(settings).to;
    folder = readMainWindowSettings(settings).versionsFolder;
  }
  if (o.versionsFolder) folder = *o.versionsFolder;
  const std::string& file = o.job ? *o.job : *o.settings;
  if (destination.empty()) return namesNoDestinationText(terminalText(file));
  if (!pathBelow(*o.source, destination))
    return outsideDestinationText(terminalText(*o.source), terminalText(destination));
  place = {destination, versionsRootOf(destination, folder)};
  return {};
}

std::string localTimeText(std::int64_t seconds) {
  const auto time = static_cast<std::time_t>(seconds);
  std::tm parts{};
  localtime_r(&time, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
  return text;
}

void writeText(std::ostream& out, const std::vector<KeptVersion>& versions) {
  std::size_t sizeWidth = 0;
  for (const KeptVersion& v : versions)
    sizeWidth = std::max(sizeWidth, std::to_string(v.bytes).size());
  for (const KeptVersion& v : versions) {
    const std::string size = std::to_string(v.bytes);
    out << terminalText(v.stamp) << "  " << std::string(sizeWidth - size.size(), ' ') << size
        << "  " << localTimeText(v.modifiedSeconds) << "  " << terminalText(v.path) << '\n';
  }
}

void writeVersions(std::ostream& out, const std::vector<KeptVersion>& versions,
                   const CliOptions& o) {
  if (o.print0) {
    for (const KeptVersion& v : versions) out << v.path << '\0';
    return;
  }
  switch (o.format) {
    case OutputFormat::Text:
      writeText(out, versions);
      break;
    case OutputFormat::Tsv:
      for (const KeptVersion& v : versions)
        out << tsvField(v.stamp) << '\t' << v.bytes << '\t' << localTimeText(v.modifiedSeconds)
            << '\t' << tsvField(v.path) << '\n';
      break;
    case OutputFormat::Json:
      for (const KeptVersion& v : versions)
        out << "{\"stamp\": " << jsonString(v.stamp) << ", \"size\": " << v.bytes
            << ", \"modified\": " << jsonString(isoLocalTime(v.modifiedSeconds))
            << jsonPathFields("path", v.path) << "}\n";
      break;
  }
}

}  // namespace

int runVersions(const CliOptions& o, CliEnvironment& env) {
  const std::string& path = *o.source;
  VersionsPlace place;
  if (o.job || o.settings) {
    if (std::string why = namedPlace(o, place); !why.empty()) {
      env.err << "nuvelo-cli: " << why << '\n';
      return ExitStatus::BadUsage;
    }
  } else if (auto found = versionsPlaceOf(path, o.versionsFolder.value_or(""))) {
    place = std::move(*found);
  } else {
    env.err << "nuvelo-cli: " << outsideKeptDestinationText(terminalText(path), VersionsFolderName)
            << '\n';
    return ExitStatus::BadUsage;
  }
  const std::vector<KeptVersion> versions =
      keptVersionsOf(place.root, pathBelow(path, place.destination).value_or(""));
  if (versions.empty() && !o.quiet)
    env.err << "nuvelo-cli: " << noKeptVersionsText(terminalText(path)) << '\n';
  writeVersions(env.out, versions, o);
  return ExitStatus::Done;
}

}  // namespace nuvelo
