#include "cli/replace_answer.h"

#include <array>
#include <utility>

namespace nuvelo {
namespace {

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") + 1 - first);
}

}  // namespace

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
  const std::string_view given = trimmed(answer);
  for (const auto& [text, choice] : answers)
    if (text == given) return choice;
  return std::nullopt;
}

}  // namespace nuvelo
