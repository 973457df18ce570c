// nuvelo-cli's command line: any argument vector parses without a crash into either an error
// for the user or options that hang together.

#include <algorithm>
#include <cstdint>

#include "cli/cli_options.h"
#include "engine/copy/copy_retry.h"
#include "engine/search/name_patterns.h"
#include "fuzz_support.h"

namespace {

using namespace nuvelo;
using namespace nuvelo::fuzz;

// The input split at NUL bytes, as the arguments after the program name.
std::vector<std::string> argumentsOf(std::string_view bytes) {
  std::vector<std::string> args;
  if (bytes.empty()) return args;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = bytes.find('\0', start);
    args.emplace_back(bytes.substr(start, end - start));
    if (end == std::string_view::npos || args.size() == 64) break;
    start = end + 1;
  }
  return args;
}

std::string shown(const std::vector<std::string>& args) {
  std::string out;
  for (const std::string& arg : args) out += "\"" + nuvelo::fuzz::shown(arg) + "\" ";
  return out;
}

bool isPositional(const std::vector<std::string>& args, const std::optional<std::string>& value) {
  return !value || std::find(args.begin(), args.end(), *value) != args.end();
}

bool isRealDay(const CivilDate& d) {
  const char text[] = {static_cast<char>('0' + d.year / 1000 % 10),
                       static_cast<char>('0' + d.year / 100 % 10),
                       static_cast<char>('0' + d.year / 10 % 10),
                       static_cast<char>('0' + d.year % 10),
                       '-',
                       static_cast<char>('0' + d.month / 10),
                       static_cast<char>('0' + d.month % 10),
                       '-',
                       static_cast<char>('0' + d.day / 10),
                       static_cast<char>('0' + d.day % 10)};
  return d.year >= 0 && d.year <= 9999 && parseIsoDate(std::string(text, sizeof text)) == d;
}

void requireConsistent(const CliOptions& o, const std::vector<std::string>& args) {
  const std::string detail = shown(args);
  const bool copy = o.command == CliCommand::Copy;
  if (o.command == CliCommand::Help || o.command == CliCommand::Version) return;
  if (o.command == CliCommand::Versions) {
    require(o.source && isPositional(args, o.source) && !o.destination,
            "versions takes one file as given", detail);
    require(o.keepReplaced != false && !o.pruneVersionsDays && !o.overwrite && !o.dryRun,
            "versions takes no copy option", detail);
    return;
  }
  if (o.command == CliCommand::Log) {
    require(!o.source && !o.destination && !o.dryRun && !o.conditions && !o.job,
            "log takes no arguments and only its own options", detail);
    require(!o.lines || *o.lines <= 1000000, "log -n is at most a million", detail);
    return;
  }
  require(o.lines == std::nullopt, "-n counts runs only for log", detail);
  require(o.command == CliCommand::Search || copy, "the command is one of six", detail);
  const bool file = o.conditions || o.job;
  require(file || o.source, "a search or copy has a source, a condition file or a job file",
          detail);
  require(!(o.conditions && o.job), "a condition file and a job file exclude each other", detail);
  require(!(copy || o.compare) || file || o.destination,
          "a copy or a comparison has a destination, a condition file or a job file", detail);
  require(!o.destination || o.source, "a destination comes after a source", detail);
  require(isPositional(args, o.source) && isPositional(args, o.destination),
          "source and destination are arguments as given", detail);
  require(int(o.since.has_value()) + int(o.sinceLast) + int(o.compare) <= 1,
          "--since, --since-last and --compare exclude each other", detail);
  require(!o.since || o.since->instant || (o.since->day && isRealDay(*o.since->day)),
          "--since is an instant or a real calendar day", detail);
  require(!o.overwrite || (*o.overwrite >= 0 && *o.overwrite <= 3),
          "--overwrite is one of four policies", detail);
  require(copy || (!o.dryRun && !o.overwrite && !o.verify && !o.ignoreFreeSpace && !o.wait &&
                   !o.retries && !o.retryWait && !o.keepReplaced && !o.versionsFolder &&
                   !o.pruneVersionsDays),
          "copy-only options come only with copy", detail);
  require(!o.versionsFolder || (o.keepReplaced == true && !o.versionsFolder->empty()),
          "a versions folder is named only by --keep-replaced=FOLDER", detail);
  require(!o.pruneVersionsDays || *o.pruneVersionsDays <= 36500,
          "--prune-versions is at most a hundred years", detail);
  require(!o.retries || *o.retries <= RetryPolicy::MostRetries, "--retries is at most 100", detail);
  require(!o.retryWait || (o.retryWait->count() >= 0 && *o.retryWait <= RetryPolicy::LongestWait),
          "--retry-wait is at most an hour", detail);
  require(std::all_of(o.excludedNames.begin(), o.excludedNames.end(),
                      [](const std::string& pattern) {
                        return namePatternFault(pattern) == NamePatternFault::None;
                      }),
          "every --exclude-name pattern can name a name", detail);
  require(!copy || !o.formatGiven, "--format comes only with search", detail);
  require(o.formatGiven || o.format == OutputFormat::Text, "the format is text unless given",
          detail);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto args = argumentsOf(std::string_view(reinterpret_cast<const char*>(data), size));
  const ParsedCommandLine parsed = parseCommandLine(args);
  if (!parsed.options) {
    require(!parsed.error.empty(), "a bad command line says why", shown(args));
    return 0;
  }
  require(parsed.error.empty(), "a good command line has no error", shown(args));
  requireConsistent(*parsed.options, args);
  return 0;
}
