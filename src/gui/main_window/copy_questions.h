#pragma once
// The window's answers to a running copy's questions: each one a box over the window, opened
// from its event loop, while the copy waits.

#include "gui/jobs/copy_job.h"
#include "platform/message_boxes.h"

namespace nuvelo {

class WindowCopyQuestions : public CopyQuestions {
 public:
  // `placement`: of the question about room, over the main window.
  WindowCopyQuestions(MessageBoxes& boxes, MessagePlacement placement)
      : boxes_(boxes), placement_(placement) {}

  MessageBoxes::Withdraw askReplace(const std::string& target,
                                    std::function<void(ReplaceAnswer)> answered) override;
  MessageBoxes::Withdraw askToGoOnWithoutRoom(const SpaceShortage& shortage,
                                              std::function<void(bool)> answered) override;
  MessageBoxes::Withdraw askToMakeDestination(std::function<void(bool)> answered) override;
  MessageBoxes::Withdraw askToUseOtherDrive(const DriveMismatch& mismatch,
                                            std::function<void(bool)> answered) override;
  MessageBoxes::Withdraw tellFailure(const EntryReport& report,
                                     std::function<void(bool)> moreWanted) override;

 private:
  MessageBoxes& boxes_;
  MessagePlacement placement_;
};

// The report with its paths as the user reads them (a Shift-JIS name decoded).
EntryReport shownReport(const EntryReport& report);

}  // namespace nuvelo
