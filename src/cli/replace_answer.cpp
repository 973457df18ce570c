#include "cli/replace_answer.h"

#include <array>
#include <utility>

#include "platform/ascii_text.h"

namespace nuvelo {

std::optional<ReplaceChoice> replaceChoiceOf(std::string_view answer) {
  // n and N differ (this file, every file); the other letters are taken in either case.
  static constexpr std::array<std::pair<std::string_view, ReplaceChoice>, 17> answers{{
      {"", ReplaceChoice::Keep},
      {"n", ReplaceChoice::Keep},
      {"no", ReplaceChoice::Keep},
      {"いいえ", ReplaceChoice::Keep},
      {"y", ReplaceChoice::Replace},
      {"Y", ReplaceChoice::Replace},
      {"yes", ReplaceChoice::Replace},
      {"はい", ReplaceChoice::Replace},
      {"a", ReplaceChoice::ReplaceAll},
      {"A", ReplaceChoice::ReplaceAll},
      {"all", ReplaceChoice::ReplaceAll},
      {"N", ReplaceChoice::KeepAll},
      {"none", ReplaceChoice::KeepAll},
      {"q", ReplaceChoice::Quit},
      {"Q", ReplaceChoice::Quit},
      {"quit", ReplaceChoice::Quit},
      {"中止", ReplaceChoice::Quit},
  }};
  const std::string_view given = trimmedOfBlanks(answer);
  for (const auto& [text, choice] : answers)
    if (text == given) return choice;
  return std::nullopt;
}

}  // namespace nuvelo
