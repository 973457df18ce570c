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

void writeConditionFile(const std::string& path, const SearchConditions& c) {
  ProfileFile file(path);
  file.writeString(Nvo, "EscExt", toCommaText(c.escExt));
  file.writeString(Application, "NVOFile", "1");
  file.writeString(Nvo, "DirFrom", c.dirFrom);
  file.writeString(Nvo, "DirTo", c.dirTo);
  file.writeBool(Nvo, "CBKai", c.cbKai);
  file.writeString(Nvo, "FolEx", toCommaText(c.folEx));
}

}  // namespace nuvelo
