#pragma once
// The command line of nuvelo-cli.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/since_text.h"
#include "engine/copy/link_mode.h"
#include "engine/copy/overwrite_policy.h"

namespace nuvelo {

// Versions: the kept versions of one file at a destination (its path is `source`); Log: the
// last runs of the run log.
enum class CliCommand { Search, Copy, Versions, Log, Help, Version };
enum class OutputFormat { Text, Tsv, Json };

struct CliOptions {
  CliCommand command = CliCommand::Help;
  std::optional<std::string> source;
  std::optional<std::string> destination;
  std::optional<SinceValue> since;
  bool sinceLast = false;
  // --compare: every file missing at DEST, older there or with a copy of another size, instead
  // of a day; --compare=contents: also those whose copy holds other bytes
  bool compare = false;
  bool compareContents = false;
  std::optional<bool> changeTime;         // nothing: the job file's, else the settings file's
  std::optional<bool> includeSubfolders;  // nothing: the condition file's, else the settings file's
  std::optional<std::vector<std::string>> excludedSubfolders;
  std::optional<std::vector<std::string>> excludedExtensions;
  // --exclude-name PATTERN, each as given, and --exclude-from FILE, each file's path: together
  // the command line's name patterns, which replace those of the job or settings file.
  std::vector<std::string> excludedNames;
  std::vector<std::string> excludeFromFiles;
  std::optional<bool> perFolder;  // nothing: the settings file's
  std::optional<bool> dirAbs;
  std::optional<bool> driveLetter;
  std::optional<OverwritePolicy> overwrite;
  std::optional<std::string> conditions;
  std::optional<std::string> job;  // --job FILE: a job file, in place of the settings' options
  bool wait = false;  // --wait: wait for a run of the same job to end instead of exiting
  std::optional<std::string> settings;
  bool dryRun = false;
  std::optional<bool> verify;  // nothing: the settings file's
  // --keep-replaced[=FOLDER] | --no-keep-replaced; nothing: the job file's, else the settings'
  std::optional<bool> keepReplaced;
  std::optional<std::string> versionsFolder;  // --keep-replaced=FOLDER
  std::optional<unsigned> pruneVersionsDays;  // --prune-versions DAYS
  bool ignoreFreeSpace = false;  // copy even when the destination seems to lack the room
  OutputFormat format = OutputFormat::Text;
  bool formatGiven = false;
  bool quiet = false;            // -q: errors only
  bool verbose = false;          // -v: the files left as they were too
  bool print0 = false;           // -0: a search's absolute paths, each ended by a NUL byte
  bool makeDestination = false;  // --mkdir: make a missing destination without asking
  // --any-drive: copy where the destination lies now, though the job recorded another drive
  bool anyDrive = false;
  std::optional<std::string> report;  // --report FILE|-: a JSON line for each file of a copy
  std::optional<bool> progress;       // nothing: when stderr is a terminal
  std::optional<unsigned> threads;    // nothing: the settings file's
  // --retries N and --retry-wait SECONDS; nothing: the job file's, else the settings file's
  std::optional<unsigned> retries;
  std::optional<std::chrono::milliseconds> retryWait;
  std::optional<LinkMode> links;  // --links copy|skip; nothing: the job file's, else copy
  std::optional<unsigned> lines;  // log -n N: how many runs; nothing: the default

  // --report -: the report takes standard output, and the lines naming each file go to stderr.
  bool reportsToStandardOutput() const { return report && *report == "-"; }
};

struct ParsedCommandLine {
  std::optional<CliOptions> options;  // nothing when the command line is bad
  std::string error;                  // why, for the user
};

// args: everything after the program name.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& args);

}  // namespace nuvelo
