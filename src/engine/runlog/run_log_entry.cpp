#include "engine/runlog/run_log_entry.h"

#include <algorithm>

#include "engine/jobs/run_status.h"
#include "engine/text/json_object.h"
#include "engine/text/output_text.h"
#

namespace nuvelo {
namespace {

void appendCount(std::string& out, std::string_view key, std::uint64_t value) {
  out += ", \"";
  out += key;
  out += "\": ";
  out += std::to_string(value);
}

void appendStringField(std::string& out, std::string_view key, std::string_view value) {
  out += ", \"";
  out += key;
  out += "\": ";
  appendJsonString(out, value);
}

// "failed_files" as an array, and "failed_files_bytes" beside it when a name is not UTF-8.
void appendFailedFiles(std::string& out, const std::vector<std::string>& files) {
  out += ", \"failed_files\": [";
  bool utf8 = true;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (i) out += ", ";
    utf8 &= appendJsonString(out, files[i]);
  }
  out += ']';
  if (utf8) return;
  out += ", \"failed_files_bytes\": [";
  for (std::size_t i = 0; i < files.size(); ++i) out += (i ? ", " : "") + jsonBytes(files[i]);
  out += ']';
}

}  // namespace

void countCopyRun(RunLogEntry& entry, const CopyRunResult& result,
                  const std::vector<std::string>& searchUnreadable) {
  entry.copied = result.counts.copied;
  entry.skipped = result.counts.skipped;
  entry.failed = failureCount(result, searchUnreadable.size());
  entry.unreadableFolders = unreadableFolderCount(result, searchUnreadable.size());
  entry.linksLeftOut = result.counts.linksLeftOut;
  entry.failedFiles.clear();
  for (const auto* list : {&result.failedSources, &searchUnreadable})
    for (const std::string& path : *list)
      if (entry.failedFiles.size() < RunLogEntry::MostFailedFiles)
        entry.failedFiles.push_back(path);
}

std::string runLogLine(const RunLogEntry& e) {
  std::string out = "{\"start\": ";
  appendJsonString(out, e.start);
  appendStringField(out, "end", e.end);
  appendStringField(out, "from", e.from);
  appendJsonPathFields(out, "job", e.job);
  appendJsonPathFields(out, "source", e.source);
  appendJsonPathFields(out, "destination", e.destination);
  appendCount(out, "found", e.found);
  appendCount(out, "copied", e.copied);
  appendCount(out, "skipped", e.skipped);
  appendCount(out, "failed", e.failed);
  appendCount(out, "unreadable_folders", e.unreadableFolders);
  appendCount(out, "links_left_out", e.linksLeftOut);
  appendCount(out, "bytes", e.bytes);
  appendCount(out, "exit_status", static_cast<std::uint64_t>(std::max(e.exitStatus, 0)));
  appendFailedFiles(out, e.failedFiles);
  appendCount(out, "waiting", e.waiting);
  out += "}\n";
  return out;
}

std::optional<RunLogEntry> parseRunLogLine(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  const auto object = readJsonObject(line);
  if (!object) return std::nullopt;
  RunLogEntry e;
  const auto start = jsonStringMember(*object, "start");
  const auto end = jsonStringMember(*object, "end");
  const auto from = jsonStringMember(*object, "from");
  const auto source = jsonStringMember(*object, "source");
  const auto status = jsonCountMember(*object, "exit_status");
  if (!start || !end || !from || !source || !status || *status > 255) return std::nullopt;
  e.start = *start;
  e.end = *end;
  e.from = *from;
  e.source = *source;
  e.exitStatus = static_cast<int>(*status);
  e.job = jsonStringMember(*object, "job").value_or("");
  e.destination = jsonStringMember(*object, "destination").value_or("");
  e.found = jsonCountMember(*object, "found").value_or(0);
  e.copied = jsonCountMember(*object, "copied").value_or(0);
  e.skipped = jsonCountMember(*object, "skipped").value_or(0);
  e.failed = jsonCountMember(*object, "failed").value_or(0);
  e.unreadableFolders = jsonCountMember(*object, "unreadable_folders").value_or(0);
  e.linksLeftOut = jsonCountMember(*object, "links_left_out").value_or(0);
  e.bytes = jsonCountMember(*object, "bytes").value_or(0);
  e.waiting = jsonCountMember(*object, "waiting").value_or(0);
  if (const auto files = object->find("failed_files");
      files != object->end() && files->second.kind == JsonMember::Kind::Strings)
    e.failedFiles = files->second.items;
  return e;
}

std::string runStartText(const RunLogEntry& entry, char dateSeparator) {
  std::string shown = entry.start.substr(0, 19);
  if (shown.size() > 10 && shown[10] == 'T') shown[10] = ' ';
  if (shown.size() >= 10 && shown[4] == '-' && shown[7] == '-') shown[4] = shown[7] = dateSeparator;
  return shown;
}

const std::string& runPlace(const RunLogEntry& entry) {
  return entry.job.empty() ? entry.source : entry.job;
}

}  // namespace nuvelo
