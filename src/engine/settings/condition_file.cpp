#include "engine/settings/condition_file.h"

#include "engine/settings/comma_text.h"
#include "engine/settings/profile_file.h"

namespace nuvelo {
namespace {

constexpr const char* Application = "Application";
constexpr const char* Nvo = "NVO";

}  // namespace

std::optional<SearchConditions> readConditionFile(const std::string& path) {
  const ProfileFile file(path);
  if (!file.readBool(Application, "NVOFile", false)) return std::nullopt;
  SearchConditions c;
  c.source = file.readString(Nvo, "DirFrom", "");
  c.destination = file.readString(Nvo, "DirTo", "");
  c.includeSubfolders = file.readBool(Nvo, "CBKai", false);
  c.excludedSubfolders = fromCommaText(file.readString(Nvo, "FolEx", ""));
  c.excludedExtensions = fromCommaText(file.readString(Nvo, "EscExt", ""));
  return c;
}

OptionLayer optionLayerOf(const SearchConditions& c, const std::string& path) {
  const auto place = [&path](const char* section, const char* key) {
    return path + " [" + section + "] " + key;
  };
  OptionLayer layer;
  layer.source.set(c.source, place(Nvo, "DirFrom"));
  layer.destination.set(c.destination, place(Nvo, "DirTo"));
  layer.includeSubfolders.set(c.includeSubfolders, place(Nvo, "CBKai"));
  layer.excludedSubfolders.set(c.excludedSubfolders, place(Nvo, "FolEx"));
  layer.excludedExtensions.set(c.excludedExtensions, place(Nvo, "EscExt"));
  return layer;
}

Result<> writeConditionFile(const std::string& path, const SearchConditions& c) {
  ProfileFile file(path);
  return file.writeInOrder({{Nvo, "EscExt", toCommaText(c.excludedExtensions)},
                            {Application, "NVOFile", "1"},
                            {Nvo, "DirFrom", c.source},
                            {Nvo, "DirTo", c.destination},
                            {Nvo, "CBKai", profileBoolText(c.includeSubfolders)},
                            {Nvo, "FolEx", toCommaText(c.excludedSubfolders)}});
}

}  // namespace nuvelo
