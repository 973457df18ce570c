#pragma once
// The language of nuvelo-cli's texts: Japanese, the program's own, or English, from the catalog
// built into the program, chosen from the environment as gettext programs choose theirs.

#include <string>

namespace nuvelo {

// The locale that names the language of messages, as setlocale(LC_MESSAGES, "") reads the
// environment: LC_ALL, else LC_MESSAGES, else LANG (an empty value counts as unset).
std::string messagesLocale(const char* lcAll, const char* lcMessages, const char* lang);

// "ja", "ja_JP", "ja_JP.UTF-8", "ja_JP.eucJP", ...
bool isJapaneseLocale(const std::string& locale);

// Whether the texts are Japanese. LANGUAGE, a list of languages by preference ("fr:ja:en"),
// decides when the messages locale names a language (it is not C or POSIX, as gettext ignores
// LANGUAGE there): its first Japanese or English entry wins, as these are the program's
// languages. Otherwise, or when it names neither, the messages locale decides: Japanese for a
// Japanese locale, English for any other.
bool readsJapanese(const char* language, const std::string& messagesLocale);

// Turns the English catalog on unless the user reads Japanese; true when the texts stay
// Japanese.
bool chooseMessageLanguage();

}  // namespace nuvelo
