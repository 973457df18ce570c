#pragma once
// The captions of the detail settings dialog, page by page.

#include <string>
#include <vector>

namespace nuvelo {

struct DetailSettingsTexts {
  std::string title;
  // The extension and path page.
  std::string extensionPathPage, extensionGroup, extensionCaption, addExtension, removeExtension,
      extensionListCaption;
  std::string pathModeGroup;
  std::vector<std::string> pathModes;  // absolute from the drive's root, relative
  // The search and copy page.
  std::string searchCopyPage, searchGroup, perFolder, perFolderNote, changeTime, changeTimeTip;
  std::string copyGroup, overwriteGroup;
  std::vector<std::string> overwriteChoices;  // in the order of OverwritePolicy
  std::string driveLetter, copyNotice, keepReplaced, keepReplacedTip;
  // The name page: patterns one a line, and how they are written.
  std::string namePage, nameGroup, nameNote;
};

DetailSettingsTexts detailSettingsTexts();

}  // namespace nuvelo
