// The detail settings command: the dialog shows the window's detail settings and hands the
// accepted ones back; the window takes them, writes the two options the settings file keeps at
// once, and searches again when the per-folder mode changed while rows are listed.

#include "engine/search/name_patterns.h"
#include "engine/settings/folder_rules.h"
#include "engine/settings/settings_lock.h"
#include "gui/dialogs/detail_settings_dialog.h"
#include "gui/main_window/main_window.h"
#include "gui/main_window/write_failure_box.h"
#include "messages/window_messages.h"
#include "platform/qt/modal_runner.h"

namespace nuvelo {

void MainWindow::onDetailSettings() {
  if (running()) return;
  newSearchNeeded_ = false;
  detailSettingsDialog->load(detailOptions());
  detailSettingsDialog->centreOnParent();
  services_.dialogs->run(*detailSettingsDialog);
  if (newSearchNeeded_ && resultModel_->rowCount() > 0) {
    boxes().show(MessageKind::Information, searchAgainText(), MessageButtons::Ok,
                 positionedPlacement());
    onSearch();
  }
}

DetailOptions MainWindow::detailOptions() const {
  return {search_, copy_, showCopyNotice_};
}

void MainWindow::setDetailOptions(const DetailOptions& settings) {
  search_.perFolder = settings.search.perFolder;
  search_.changeTime = settings.search.changeTime;
  search_.excludedExtensions = settings.search.excludedExtensions;
  search_.excludedNames = settings.search.excludedNames;
  copy_.dirAbs = settings.copy.dirAbs;
  copy_.addDriveLetter = settings.copy.addDriveLetter;
  copy_.overwrite = settings.copy.overwrite;
  copy_.keepReplaced = settings.copy.keepReplaced;
  showCopyNotice_ = settings.showCopyNotice;
}

// A name pattern that can name nothing is shown, and nothing is taken: the dialog stays open
// for the user to mend it. Blank lines were dropped already; a "/" is the one mistake left.
bool MainWindow::refusesExcludedNames(const std::vector<std::string>& patterns) {
  for (const std::string& pattern : patterns)
    if (namePatternFault(pattern) != NamePatternFault::None) {
      boxes().show(MessageKind::Warning, slashInExcludedNameText(pattern), MessageButtons::Ok,
                   positionedPlacement());
      return true;
    }
  return false;
}

// The extensions, the name patterns, the path mode, the drive-letter folder and the overwrite
// policy apply before the settings file is written; when it cannot be, the error is shown, they
// stay applied, and the rest (the notice switch and per-folder mode) does not: the dialog stays
// open. The name patterns are kept in the settings file at close, as the extensions are.
bool MainWindow::adoptDetailOptions(const DetailOptions& settings) {
  if (refusesExcludedNames(settings.search.excludedNames)) return false;
  const bool pathModeChanged = settings.copy.dirAbs != copy_.dirAbs;
  search_.excludedExtensions = settings.search.excludedExtensions;
  search_.excludedNames = usableNamePatterns(settings.search.excludedNames);
  copy_.dirAbs = settings.copy.dirAbs;
  if (pathModeChanged) convertRowPaths();
  copy_.addDriveLetter = settings.copy.addDriveLetter;
  copy_.overwrite = settings.copy.overwrite;
  const Result<> written = changeSettingsFile(settingsPath_, [this](ProfileFile& file) {
    return writeDetailOptions(file, copy_.dirAbs, copy_.addDriveLetter);
  });
  if (!writtenOrShown(written, boxes())) return false;
  showCopyNotice_ = settings.showCopyNotice;
  search_.changeTime = settings.search.changeTime;
  copy_.keepReplaced = settings.copy.keepReplaced;
  if (settings.search.perFolder != search_.perFolder) newSearchNeeded_ = true;
  search_.perFolder = settings.search.perFolder;
  return true;
}

// The path column follows the new mode; the rows were built below the search's source folder.
void MainWindow::convertRowPaths() {
  std::vector<std::string> paths;
  for (const ResultRow& row : resultModel_->rows()) paths.push_back(row.pathText);
  resultModel_->setPathTexts(copy_.dirAbs ? toAbsolutePaths(paths, searchRoot_)
                                          : toRelativePaths(paths, searchRoot_));
}

}  // namespace nuvelo
