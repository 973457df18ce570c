#include "engine/settings/settings_file.h"

#include "engine/settings/comma_text.h"
#include "platform/posix/filesystem.h"

namespace nuvelo {
namespace {

constexpr const char* Default = "Default";
constexpr const char* Option = "Option";
constexpr const char* ListView = "ListView";
constexpr const char* Window = "Window";

std::string columnWidthKey(std::size_t column) {
  return "Column" + std::to_string(column) + "Width";
}

}  // namespace

std::string resolveSettingsPath(const std::string& executableFolder) {
  const std::string besideProgram = executableFolder + "/" + SettingsFileName;
  if (isWritableFolder(executableFolder) || isExistingEntry(besideProgram)) return besideProgram;
  const std::string folder = userConfigFolder() + "/nuvelo";
  makeFolders(folder);  // a failure shows later, as the settings file's write error
  return folder + "/" + SettingsFileName;
}

MainWindowSettings readMainWindowSettings(const ProfileFile& file) {
  MainWindowSettings s;
  s.from = file.readString(Default, "From", "");
  s.to = file.readString(Default, "To", "");
  s.lastCopyDate = file.readString(Default, "LastCopyDate", "");
  s.dirAbs = file.readBool(Option, "DirAbs", true);
  s.addDriveLetter = file.readBool(Option, "AddDriveLetter", true);
  s.dirKai = file.readBool(Option, "DirKAI", true);
  s.showResult = file.readBool(Option, "ShowResult", true);
  s.pickupFolder = file.readBool(Option, "PickupFolder", false);
  s.overwrite = file.readInteger(Option, "Overwrite", 1);
  s.verify = file.readBool(Option, "Verify", false);
  s.escExt = fromCommaText(file.readString(Option, "EscExt", ""));
  for (std::size_t c = 0; c < s.columnWidths.size(); ++c)
    s.columnWidths[c] = file.readInteger(ListView, columnWidthKey(c), s.columnWidths[c]);
  s.top = file.readInteger(Window, "Top", 0);
  s.left = file.readInteger(Window, "Left", 0);
  s.height = file.readInteger(Window, "Height", 440);
  s.width = file.readInteger(Window, "Width", 420);
  return s;
}

void writeSettingsAtClose(ProfileFile& file, const MainWindowSettings& s) {
  file.writeString(Default, "From", s.from);
  file.writeString(Default, "To", s.to);
  file.writeBool(Option, "DirKAI", s.dirKai);
  file.writeBool(Option, "ShowResult", s.showResult);
  file.writeBool(Option, "PickupFolder", s.pickupFolder);
  file.writeInteger(Option, "Overwrite", s.overwrite);
  file.writeString(Option, "EscExt", toCommaText(s.escExt));
  for (std::size_t c = 0; c < s.columnWidths.size(); ++c)
    file.writeInteger(ListView, columnWidthKey(c), s.columnWidths[c]);
  file.writeInteger(Window, "Top", s.top);
  file.writeInteger(Window, "Left", s.left);
  file.writeInteger(Window, "Height", s.height);
  file.writeInteger(Window, "Width", s.width);
}

void writeDetailOptions(ProfileFile& file, bool dirAbs, bool addDriveLetter) {
  file.writeBool(Option, "DirAbs", dirAbs);
  file.writeBool(Option, "AddDriveLetter", addDriveLetter);
}

void writeLastCopyDate(ProfileFile& file, const CivilDate& day) {
  file.writeString(Default, "LastCopyDate", slashDateText(day));
}

}  // namespace nuvelo
