#include "gui/main_window/copy_questions.h"

#include "messages/copy_messages.h"
#include "messages/run_messages.h"
#include "messages/window_run_messages.h"
#include "platform/text_encoding.h"

namespace nuvelo {

EntryReport shownReport(const EntryReport& report) {
  EntryReport shown = report;
  shown.source = nameForDisplay(report.source);
  shown.target = nameForDisplay(report.target);
  return shown;
}

MessageBoxes::Withdraw WindowCopyQuestions::askReplace(
    const std::string& target, std::function<void(ReplaceAnswer)> answered) {
  return boxes_.ask(
      MessageKind::Confirmation, replaceQuestionText(nameForDisplay(target)), MessageButtons::YesNo,
      MessagePlacement::centred(), [answered = std::move(answered)](MessageAnswer answer) {
        answered(answer == MessageAnswer::Yes ? ReplaceAnswer::Replace : ReplaceAnswer::Keep);
      });
}

MessageBoxes::Withdraw WindowCopyQuestions::askToGoOnWithoutRoom(
    const SpaceShortage& shortage, std::function<void(bool)> answered) {
  return boxes_.ask(MessageKind::Warning, goOnWithoutRoomQuestion(spaceShortageText(shortage)),
                    MessageButtons::YesNo, placement_,
                    [answered = std::move(answered)](MessageAnswer answer) {
                      answered(answer == MessageAnswer::Yes);
                    });
}

// The box asks for a check mark rather than a click on はい, so that a copy onto the system
// disk is never one careless Enter away.
MessageBoxes::Withdraw WindowCopyQuestions::askToUseOtherDrive(const DriveMismatch& mismatch,
                                                               std::function<void(bool)> answered) {
  return boxes_.askWithCheckBox(MessageKind::Warning,
                                nameForDisplay(otherDriveQuestionText(mismatch)),
                                useOtherDriveCheckText(), placement_, std::move(answered));
}

MessageBoxes::Withdraw WindowCopyQuestions::askToMakeDestination(
    std::function<void(bool)> answered) {
  return boxes_.ask(MessageKind::Warning, missingDestinationQuestion(), MessageButtons::YesNo,
                    placement_, [answered = std::move(answered)](MessageAnswer answer) {
                      answered(answer == MessageAnswer::Yes);
                    });
}

MessageBoxes::Withdraw WindowCopyQuestions::tellFailure(const EntryReport& report,
                                                        std::function<void(bool)> moreWanted) {
  return boxes_.askWithCheckBox(
      MessageKind::Error, copyFailureText(shownReport(report)), noMoreFailureBoxesText(),
      MessagePlacement::centred(),
      [moreWanted = std::move(moreWanted)](bool noMore) { moreWanted(!noMore); });
}

}  // namespace nuvelo
