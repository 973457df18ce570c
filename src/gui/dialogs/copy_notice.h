#pragma once
// The copy-finished notice (design name frmRes): says the copy has finished and is written to
// the drive, names the destination, can open it, can remove its drive when that is removable,
// and can turn further notices off. Made once and reused, so its check box, width and position
// carry over from one notice to the next.

#include <QDialog>
#include <QStringList>
#include <optional>
#include <string>

#include "platform/removable_drives.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace nuvelo {

class MessageBoxes;
class DesktopShell;
class ModalRunner;
struct CopyRunResult;

class CopyNotice : public QDialog {
  Q_OBJECT
 public:
  CopyNotice(MessageBoxes& boxes, DesktopShell& shell, ModalRunner& dialogs,
             RemovableDrives& drives, QWidget* parent = nullptr);

  QLabel* finishedLabel = nullptr;
  // What was copied is on the drive: the run flushed it before it ended.
  QLabel* writtenLabel = nullptr;
  QLabel* iconLabel = nullptr;
  QLabel* destinationCaption = nullptr;
  QLabel* destinationLabel = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* openDestinationButton = nullptr;
  QCheckBox* noMoreNoticesCheckBox = nullptr;
  // Unmounts the destination's drive and powers it off; shown, beside the open button, when
  // the destination lies on a removable drive.
  QPushButton* removeDriveButton = nullptr;
  // The counts of a run in which some file failed, and what the destination could not keep;
  // hidden after a run with neither.
  QLabel* notesLabel = nullptr;
  // Opens the list of the failed files with their reasons; shown when some file failed, on a
  // row of its own under the check box.
  QPushButton* failedFilesButton = nullptr;

  void onOk();
  void onOpenDestination();
  void onFailedFiles();
  void onRemoveDrive();

  // Whether notices are to show after later copies: set before a showing; OK and the open
  // button clear it when the check box asks for no more notices.
  void setNoticesWanted(bool wanted) { noticesWanted_ = wanted; }
  bool noticesWanted() const { return noticesWanted_; }

  // Names the destination before a showing; a label wider than 150 design pixels widens the
  // window to hold it, a narrower one leaves the width as it is.
  void showDestination(const QString& destination);
  // Shows the counts of copied, skipped and failed files when a file failed, how many files
  // wait for the next copy, how many replaced files were kept and old versions removed, and the
  // note on what the destination could not keep, making the
  // window wider and taller to hold them; without any the window has its design layout.
  // `failedFiles`: a line for each failed file with its reason, for the list the failed files
  // button opens. `waiting`: the files and folders the job's next copy takes again.
  void showNotes(const CopyRunResult& result, const QStringList& failedFiles = {},
                 std::size_t waiting = 0);
  // Hides the remove button and asks, without waiting, for the drive `destination` lies on;
  // the answer, if it comes for this showing, offers its removal.
  void lookForRemovableDrive(const std::string& destination);
  // Shows the remove button for `drive`, widening the window to hold it, or hides it.
  void offerRemoval(std::optional<RemovableDrive> drive);

  static constexpr int DesignWidth = 284;
  static constexpr int DesignHeight = 135;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void takeNoMoreNoticesChoice();
  void placeFailedFilesButton();
  void placeRemoveDriveButton();
  void driveRemovalEnded(const DriveRemoval& removal, unsigned showing);

  bool noticesWanted_ = true;
  QStringList failedFiles_;
  std::optional<RemovableDrive> drive_;
  unsigned showing_ = 0;  // counts the look-ups: an answer to an earlier one is too late
  MessageBoxes& boxes_;
  DesktopShell& shell_;
  ModalRunner& dialogs_;
  RemovableDrives& drives_;
};

}  // namespace nuvelo
