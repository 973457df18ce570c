#pragma once
// The texts of the checks before a search or a copy starts, and of a condition file that
// cannot be read, in the user's words.

#include <cstdint>
#include <string>

#include "engine/search/search_run.h"

namespace nuvelo {

std::string searchRefusalText(SearchRefusal refusal);
std::string nothingToCopyText();
std::string noDestinationText();
std::string missingDestinationQuestion();
std::string cannotMakeDestinationText();
std::string invalidConditionFileText();
// "ヘルプファイル /usr/share/nuvelo/nuvelo.HLP が見つかりません".
std::string helpFileMissingText(const std::string& helpFile);
// The desktop notification's text when a long search has ended: "検索が終了しました (12個)".
std::string searchEndedText(std::size_t rows);
// The entries a running search has read so far: "12345 項目を読みました".
std::string entriesReadText(std::uint64_t entries);
// Memory ran out and the run stopped: "メモリが足りないため、コピーを中止しました", and the same
// of the search.
std::string copyOutOfMemoryText();
std::string searchOutOfMemoryText();

}  // namespace nuvelo
