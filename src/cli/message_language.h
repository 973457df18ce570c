#pragma once
// The language of nuvelo-cli's texts: Japanese, the program's own, when the locale of the
// user's messages is Japanese; English, through the gettext catalog, for every other locale.

#include <string>

namespace nuvelo {

// The locale that names the language of messages, as setlocale(LC_MESSAGES, "") reads the
// environment: LC_ALL, else LC_MESSAGES, else LANG (an empty value counts as unset).
std::string messagesLocale(const char* lcAll, const char* lcMessages, const char* lang);

// "ja", "ja_JP", "ja_JP.UTF-8", "ja_JP.eucJP", ...
bool isJapaneseLocale(const std::string& locale);

// Turns the English catalog under `catalogFolder` on unless the user reads Japanese; true when
// the texts stay Japanese.
bool chooseMessageLanguage(const std::string& catalogFolder);

}  // namespace nuvelo
