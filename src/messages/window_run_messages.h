#pragma once
// The texts the window shows about its own runs: what a run is doing, what stopped or failed,
// and why a copy does not start.

#include <cstddef>
#include <string>
#include <vector>

namespace nuvelo {

// Panel 1 of the status bar after an abort, until the run has stopped: "中止しています…".
std::string stoppingText();
// After a copy in which files failed, whatever boxes were shown: how many, and how many of them
// wait; `lasting` of them failed in a way no later run mends and do not wait.
std::string copyFailuresWaitText(std::size_t failed, std::size_t lasting);
// The source folder's box no longer names the folder the listed rows were found in.
std::string sourceChangedSinceSearchText();
// The copy's job is being run by nuvelo-cli.
std::string jobRunningElsewhereText();
// The folders a search could not read: their count and the first few.
std::string unreadableFoldersText(const std::vector<std::string>& folders);
// The question after a shortage of room: the shortage's text, then whether to go on.
std::string goOnWithoutRoomQuestion(const std::string& shortageText);
// The failure box's check box.
std::string noMoreFailureBoxesText();
// A date that the last-copy label held but that is not one.
std::string labelNotADateText(const std::string& text);
// The last copy's day lies after today: search by comparing with the destination instead?
std::string futureLastCopyDayQuestionText(const std::string& day);

}  // namespace nuvelo
