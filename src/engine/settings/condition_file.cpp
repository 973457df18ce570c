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
  c.dirFrom = file.readString(Nvo, "DirFrom", "");
  c.dirTo = file.readString(Nvo, "DirTo", "");
  c.cbKai = file.readBool(Nvo, "CBKai", false);
  c.folEx = fromCommaText(file.readString(Nvo, "FolEx", ""));
  c.escExt = fromCommaText(file.readString(Nvo, "EscExt", ""));
  return c;
}

Result<> writeConditionFile(const std::string& path, const SearchConditions& c) {
  ProfileFile file(path);
  return file.writeInOrder({{Nvo, "EscExt", toCommaText(c.escExt)},
                            {Application, "NVOFile", "1"},
                            {Nvo, "DirFrom", c.dirFrom},
                            {Nvo, "DirTo", c.dirTo},
                            {Nvo, "CBKai", profileBoolText(c.cbKai)},
                            {Nvo, "FolEx", toCommaText(c.folEx)}});
}

}  // namespace nuvelo
