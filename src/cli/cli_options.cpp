#include "cli/cli_options.h"

#include <getopt.h>

#include <cstring>
#include <ctime>
#include <map>

#include "engine/copy/copy_retry.h"
#include "engine/search/name_patterns.h"
#include "engine/search/search_options.h"
#include "engine/search/walk_rules.h"
#include "messages/option_messages.h"
#include "messages/run_messages.h"

namespace nuvelo {
namespace {

// The long options' codes beyond the characters of the short ones.
enum LongOption : int {
  Since = 256,
  SinceLast,
  Subfolders,
  NoSubfolders,
  PerFolder,
  NoPerFolder,
  Verify,
  NoVerify,
  IgnoreFreeSpace,
  ExcludeFolder,
  ExcludeExt,
  ExcludeName,
  ExcludeFrom,
  Relative,
  Absolute,
  DriveLetter,
  NoDriveLetter,
  Overwrite,
  Conditions,
  Settings,
  Format,
  Threads,
  Version,
  MakeDestination,
  AnyDrive,
  Report,
  Progress,
  NoProgress,
  ChangeTime,
  NoChangeTime,
  Compare,
  JobFile,
  Wait,
  Retries,
  RetryWait,
  KeepReplaced,
  NoKeepReplaced,
  PruneVersions,
  Lines,
  Links,
};

// The options of a command: its short options for getopt and its long ones.
struct OptionTable {
  const char* shortOptions;
  const option* longOptions;
};

constexpr const char* ShortOptions = ":nqv0h";

const option LongOptions[] = {{"since", required_argument, nullptr, Since},
                              {"since-last", no_argument, nullptr, SinceLast},
                              {"subfolders", no_argument, nullptr, Subfolders},
                              {"no-subfolders", no_argument, nullptr, NoSubfolders},
                              {"per-folder", no_argument, nullptr, PerFolder},
                              {"no-per-folder", no_argument, nullptr, NoPerFolder},
                              {"verify", no_argument, nullptr, Verify},
                              {"no-verify", no_argument, nullptr, NoVerify},
                              {"ignore-free-space", no_argument, nullptr, IgnoreFreeSpace},
                              {"exclude-folder", required_argument, nullptr, ExcludeFolder},
                              {"exclude-ext", required_argument, nullptr, ExcludeExt},
                              {"exclude-name", required_argument, nullptr, ExcludeName},
                              {"exclude-from", required_argument, nullptr, ExcludeFrom},
                              {"relative", no_argument, nullptr, Relative},
                              {"absolute", no_argument, nullptr, Absolute},
                              {"drive-letter", no_argument, nullptr, DriveLetter},
                              {"no-drive-letter", no_argument, nullptr, NoDriveLetter},
                              {"overwrite", required_argument, nullptr, Overwrite},
                              {"conditions", required_argument, nullptr, Conditions},
                              {"settings", required_argument, nullptr, Settings},
                              {"format", required_argument, nullptr, Format},
                              {"threads", required_argument, nullptr, Threads},
                              {"mkdir", no_argument, nullptr, MakeDestination},
                              {"any-drive", no_argument, nullptr, AnyDrive},
                              {"report", required_argument, nullptr, Report},
                              {"progress", no_argument, nullptr, Progress},
                              {"no-progress", no_argument, nullptr, NoProgress},
                              {"change-time", no_argument, nullptr, ChangeTime},
                              {"no-change-time", no_argument, nullptr, NoChangeTime},
                              {"compare", optional_argument, nullptr, Compare},
                              {"job", required_argument, nullptr, JobFile},
                              {"wait", no_argument, nullptr, Wait},
                              {"retries", required_argument, nullptr, Retries},
                              {"retry-wait", required_argument, nullptr, RetryWait},
                              {"keep-replaced", optional_argument, nullptr, KeepReplaced},
                              {"no-keep-replaced", no_argument, nullptr, NoKeepReplaced},
                              {"prune-versions", required_argument, nullptr, PruneVersions},
                              {"links", required_argument, nullptr, Links},
                              {"dry-run", no_argument, nullptr, 'n'},
                              {"quiet", no_argument, nullptr, 'q'},
                              {"verbose", no_argument, nullptr, 'v'},
                              {"print0", no_argument, nullptr, '0'},
                              {"help", no_argument, nullptr, 'h'},
                              {"version", no_argument, nullptr, Version},
                              {nullptr, 0, nullptr, 0}};

// `log` takes few options, and its -n is the number of runs, as in journalctl and git log.
constexpr const char* LogShortOptions = ":n:h";
const option LogLongOptions[] = {{"lines", required_argument, nullptr, Lines},
                                 {"format", required_argument, nullptr, Format},
                                 {"settings", required_argument, nullptr, Settings},
                                 {"help", no_argument, nullptr, 'h'},
                                 {nullptr, 0, nullptr, 0}};

constexpr OptionTable CommandOptions{ShortOptions, LongOptions};
constexpr OptionTable LogOptions{LogShortOptions, LogLongOptions};

std::optional<OverwritePolicy> policyNamed(const std::string& name) {
  static const std::map<std::string, OverwritePolicy> policies = {{"always", OverwriteAlways},
                                                                  {"ask", OverwriteAsk},
                                                                  {"newer", OverwriteIfNewer},
                                                                  {"never", OverwriteNever}};
  const auto found = policies.find(name);
  return found == policies.end() ? std::nullopt : std::optional<OverwritePolicy>(found->second);
}

std::optional<OutputFormat> formatNamed(const std::string& name) {
  if (name == "text") return OutputFormat::Text;
  if (name == "tsv") return OutputFormat::Tsv;
  if (name == "json") return OutputFormat::Json;
  return std::nullopt;
}

// A whole number of at most `most`, digits only.
std::optional<unsigned> countOf(const std::string& text, unsigned most) {
  if (text.empty() || text.size() > std::to_string(most).size()) return std::nullopt;
  unsigned count = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    count = count * 10 + static_cast<unsigned>(c - '0');
  }
  return count <= most ? std::optional<unsigned>(count) : std::nullopt;
}

constexpr unsigned MostLoggedRuns = 1000000;
constexpr unsigned MostPruneDays = 36500;  // a hundred years

// "*.bak", ".bak" and "bak" all name the extension "bak", as the walk reads it.
std::string extensionEntry(std::string text) {
  if (text.rfind("*.", 0) == 0) return text.substr(2);
  if (!text.empty() && text.front() == '.') return text.substr(1);
  return text;
}

bool isShortOption(const OptionTable& table, int code) {
  return code > 0 && code < 256 && std::strchr(table.shortOptions + 1, code) != nullptr;
}

// The words of an option as written, up to an "=".
std::string optionWord(const char* element) {
  const std::string word(element ? element : "");
  return word.substr(0, word.find('='));
}

// Long options whose names begin with what was written, for an abbreviation that fits more
// than one.
std::vector<std::string> longOptionsStartingWith(const OptionTable& table,
                                                 const std::string& word) {
  std::vector<std::string> names;
  if (word.rfind("--", 0) != 0) return names;
  const std::string prefix = word.substr(2);
  for (const option* o = table.longOptions; o->name; ++o)
    if (std::string(o->name).rfind(prefix, 0) == 0) names.push_back(std::string("--") + o->name);
  return names;
}

// The text GNU tools give for an option they do not know, or one given a value it does not
// take; `element` is the argument that held it.
std::string badOptionText(const OptionTable& table, int code, const char* element) {
  const std::string word = optionWord(element);
  if (isShortOption(table, code) || code >= 256) return optionTakesNoValueText(word);
  if (code != 0) return invalidShortOptionText(char(code));
  const auto candidates = longOptionsStartingWith(table, word);
  if (candidates.size() > 1) {
    std::string names;
    for (const std::string& name : candidates) names += (names.empty() ? "'" : " '") + name + "'";
    return ambiguousOptionText(word, names);
  }
  return unknownOptionText(word);
}

std::string missingValueText(const char* element) {
  return optionNeedsValueText(optionWord(element));
}

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& args) : args_(args) {}

  ParsedCommandLine parse() {
    if (args_.empty()) return fail(noCommandText());
    const std::string& command = args_[0];
    if (command == "--help" || command == "-h" || command == "help") return done(CliCommand::Help);
    if (command == "--version") return done(CliCommand::Version);
    if (command == "search")
      options_.command = CliCommand::Search;
    else if (command == "copy")
      options_.command = CliCommand::Copy;
    else if (command == "versions")
      options_.command = CliCommand::Versions;
    else if (command == "log")
      options_.command = CliCommand::Log;
    else
      return fail(unknownCommandText(command));
    if (!readOptions()) return {std::nullopt, error_};
    if (options_.command == CliCommand::Help || options_.command == CliCommand::Version)
      return {options_, {}};
    return finish(positional_);
  }

 private:
  ParsedCommandLine done(CliCommand command) {
    options_.command = command;
    return {options_, {}};
  }
  ParsedCommandLine fail(std::string_view why) { return {std::nullopt, std::string(why)}; }
  bool error(const std::string& why) {
    error_ = why;
    return false;
  }

  // getopt_long over the words after the command: options anywhere, bundled short options,
  // "--" ends the options. What is left is the positional arguments.
  bool readOptions() {
    std::vector<std::string> words{"nuvelo-cli"};
    words.insert(words.end(), args_.begin() + 1, args_.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size());
    optind = 0;  // glibc starts over, forgetting the last command line
    opterr = 0;  // the errors are told in the program's words
    const OptionTable& table = options_.command == CliCommand::Log ? LogOptions : CommandOptions;
    for (int code; (code = getopt_long(argc, argv.data(), table.shortOptions, table.longOptions,
                                       nullptr)) != -1;) {
      const char* element = optind - 1 < argc ? argv[optind - 1] : nullptr;
      if (code == '?') return error(badOptionText(table, optopt, element));
      if (code == ':') return error(missingValueText(element));
      if (!apply(code, optarg ? std::string(optarg) : std::string())) return false;
    }
    for (int i = optind; i < argc; ++i) positional_.push_back(argv[i]);
    return true;
  }

  bool setOnce(std::optional<bool>& target, bool value, int code) {
    if (target && *target != value) return error(oppositeOptionsText(nameOf(code)));
    target = value;
    return true;
  }

  static std::string nameOf(int code) {
    for (const option* o = LongOptions; o->name; ++o)
      if (o->val == code) return std::string("--") + o->name;
    return {};
  }

  // The three ways of choosing files exclude each other.
  bool selectionOnce(const char* given) {
    const char* earlier = options_.since       ? "--since"
                          : options_.sinceLast ? "--since-last"
                          : options_.compare   ? "--compare"
                                               : nullptr;
    if (!earlier) return true;
    return error(exclusiveOptionsText(earlier, given));
  }

  bool since(const std::string& value) {
    if (!selectionOnce("--since")) return false;
    options_.since =
        parseSince(value, static_cast<std::int64_t>(std::time(nullptr)), civilDateOf(todayValue()));
    if (!options_.since) return error(notADateText(value));
    return true;
  }

  bool excludeName(const std::string& pattern) {
    switch (namePatternFault(pattern)) {
      case NamePatternFault::Empty:
        return error(emptyNamePatternText());
      case NamePatternFault::HoldsSlash:
        return error(slashInNamePatternText(pattern));
      case NamePatternFault::None:
        break;
    }
    options_.excludedNames.push_back(pattern);
    return true;
  }

  bool value(int code, const std::string& value) {
    switch (code) {
      case Since:
        return since(value);
      case ExcludeFolder:
        if (!options_.excludedSubfolders) options_.excludedSubfolders.emplace();
        options_.excludedSubfolders->push_back(subfolderEntryOf(value));
        return true;
      case ExcludeExt:
        if (!options_.excludedExtensions) options_.excludedExtensions.emplace();
        options_.excludedExtensions->push_back(extensionEntry(value));
        return true;
      case ExcludeName:
        return excludeName(value);
      case ExcludeFrom:
        options_.excludeFromFiles.push_back(value);
        return true;
      case Overwrite:
        options_.overwrite = policyNamed(value);
        return options_.overwrite || error(overwriteValuesText());
      case Conditions:
        options_.conditions = value;
        return true;
      case JobFile:
        options_.job = value;
        return true;
      case Settings:
        options_.settings = value;
        return true;
      case Report:
        options_.report = value;
        return true;
      case Format:
        options_.formatGiven = true;
        options_.format = formatNamed(value).value_or(OutputFormat::Text);
        return formatNamed(value) || error(formatValuesText());
      case Threads:
        options_.threads = countOf(value, MostThreads);
        return options_.threads || error(threadsValuesText());
      case Retries:
        options_.retries = parseRetries(value);
        return options_.retries || error(retriesValuesText());
      case RetryWait:
        options_.retryWait = parseRetryWait(value);
        return options_.retryWait || error(retryWaitValuesText());
      case PruneVersions:
        options_.pruneVersionsDays = countOf(value, MostPruneDays);
        return options_.pruneVersionsDays || error(pruneVersionsValuesText());
      case Lines:
        options_.lines = countOf(value, MostLoggedRuns);
        return options_.lines || error(linesValuesText());
      case Links:
        options_.links = linkModeNamed(value);
        return options_.links || error(linksValuesText());
    }
    return true;
  }

  bool apply(int code, const std::string& argument) {
    if (options_.command == CliCommand::Log && code == 'n') return value(Lines, argument);
    switch (code) {
      case 'h':
        options_.command = CliCommand::Help;
        return true;
      case Version:
        options_.command = CliCommand::Version;
        return true;
      case SinceLast:
        if (!selectionOnce("--since-last")) return false;
        options_.sinceLast = true;
        return true;
      case Compare:
        if (!selectionOnce("--compare")) return false;
        if (optarg && argument != "contents") return error(compareValuesText());
        options_.compare = true;
        options_.compareContents = optarg != nullptr;
        return true;
      case ChangeTime:
      case NoChangeTime:
        return setOnce(options_.changeTime, code == ChangeTime, code);
      case Subfolders:
      case NoSubfolders:
        return setOnce(options_.includeSubfolders, code == Subfolders, code);
      case PerFolder:
      case NoPerFolder:
        return setOnce(options_.perFolder, code == PerFolder, code);
      case Verify:
      case NoVerify:
        return setOnce(options_.verify, code == Verify, code);
      case Relative:
      case Absolute:
        return setOnce(options_.dirAbs, code == Absolute, code);
      case DriveLetter:
      case NoDriveLetter:
        return setOnce(options_.driveLetter, code == DriveLetter, code);
      case Progress:
      case NoProgress:
        return setOnce(options_.progress, code == Progress, code);
      case KeepReplaced:
        if (optarg && !argument.empty()) options_.versionsFolder = argument;
        if (optarg && argument.empty()) return error(keepReplacedFolderMissingText());
        return setOnce(options_.keepReplaced, true, code);
      case NoKeepReplaced:
        return setOnce(options_.keepReplaced, false, code);
    }
    return flag(code) || value(code, argument);
  }

  // The options that only switch something on; false for any other.
  bool flag(int code) {
    bool* target = code == 'n'               ? &options_.dryRun
                   : code == 'q'             ? &options_.quiet
                   : code == 'v'             ? &options_.verbose
                   : code == '0'             ? &options_.print0
                   : code == IgnoreFreeSpace ? &options_.ignoreFreeSpace
                   : code == MakeDestination ? &options_.makeDestination
                   : code == AnyDrive        ? &options_.anyDrive
                   : code == Wait            ? &options_.wait
                                             : nullptr;
    if (target) *target = true;
    return target != nullptr;
  }

  // versions PATH: the file, and the few options that say where its versions are.
  ParsedCommandLine finishVersions(const std::vector<std::string>& positional) {
    if (positional.empty()) return fail(noFileText());
    if (positional.size() > 1) return fail(tooManyArgumentsText(positional[1]));
    options_.source = positional[0];
    if (options_.keepReplaced == false) return fail(notForVersionsText("--no-keep-replaced"));
    if (const char* copyOnly = copyOnlyOptionGiven()) return fail(copyOnlyOptionText(copyOnly));
    if (options_.print0 && options_.formatGiven)
      return fail(exclusiveOptionsText("-0", "--format"));
    return {options_, {}};
  }

  // log: no arguments, only its own options.
  ParsedCommandLine finishLog(const std::vector<std::string>& positional) {
    if (!positional.empty()) return fail(tooManyArgumentsText(positional[0]));
    return {options_, {}};
  }

  ParsedCommandLine finish(const std::vector<std::string>& positional) {
    if (options_.command == CliCommand::Versions) return finishVersions(positional);
    if (options_.command == CliCommand::Log) return finishLog(positional);
    const bool copy = options_.command == CliCommand::Copy;
    // A search may name the destination too: the job whose day --since-last takes, and the
    // folder --compare compares with.
    const bool needsDestination = copy || options_.compare;
    if (positional.size() > 2) return fail(tooManyArgumentsText(positional[2]));
    if (options_.conditions && options_.job)
      return fail(exclusiveOptionsText("--conditions", "--job"));
    if (!positional.empty()) options_.source = positional[0];
    if (positional.size() > 1) options_.destination = positional[1];
    if (!options_.conditions && !options_.job) {
      if (!options_.source) return fail(noSourceFolderText());
      if (needsDestination && !options_.destination) return fail(noDestinationText());
    }
    if (options_.quiet && options_.verbose) return fail(exclusiveOptionsText("-q", "-v"));
    if (options_.print0 && options_.formatGiven)
      return fail(exclusiveOptionsText("-0", "--format"));
    const char* searchOnly = options_.formatGiven ? "--format" : options_.print0 ? "-0" : nullptr;
    if (copy && searchOnly) return fail(searchOnlyOptionText(searchOnly));
    if (const char* copyOnly = copyOnlyOptionGiven(); !copy && copyOnly)
      return fail(copyOnlyOptionText(copyOnly));
    return {options_, {}};
  }

  // The first option given that only a copy takes, or nothing.
  const char* copyOnlyOptionGiven() const {
    if (options_.dryRun) return "--dry-run";
    if (options_.overwrite) return "--overwrite";
    if (options_.verify) return "--verify";
    if (options_.ignoreFreeSpace) return "--ignore-free-space";
    if (options_.makeDestination) return "--mkdir";
    if (options_.anyDrive) return "--any-drive";
    if (options_.report) return "--report";
    if (options_.wait) return "--wait";
    if (options_.retries) return "--retries";
    if (options_.retryWait) return "--retry-wait";
    if (options_.pruneVersionsDays) return "--prune-versions";
    if (options_.links) return "--links";
    if (options_.command != CliCommand::Versions) {
      if (options_.versionsFolder) return "--keep-replaced";
      if (options_.keepReplaced)
        return *options_.keepReplaced ? "--keep-replaced" : "--no-keep-replaced";
    }
    return nullptr;
  }

  const std::vector<std::string>& args_;
  std::vector<std::string> positional_;
  CliOptions options_;
  std::string error_;
};

}  // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args) {
  return Parser(args).parse();
}

}  // namespace nuvelo
