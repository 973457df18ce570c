#include "cli/message_language.h"

#include <clocale>
#include <cstdlib>
#include <cstring>

#include "messages/wording.h"

namespace nuvelo {

std::string messagesLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* value : {lcAll, lcMessages, lang})
    if (value && *value) return value;
  return "C";
}

bool isJapaneseLocale(const std::string& locale) {
  return locale.rfind("ja", 0) == 0 &&
         (locale.size() == 2 || locale[2] == '_' || locale[2] == '.' || locale[2] == '@');
}

bool chooseMessageLanguage(const std::string& catalogFolder) {
  if (isJapaneseLocale(
          messagesLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"))))
    return true;
  // gettext picks the catalog by LANGUAGE, but reads it only when LC_MESSAGES is not "C": the
  // user's own locale serves where it is installed, C.UTF-8 where it is "C" or missing. Only
  // LC_MESSAGES changes, so numbers keep the "." that JSON and the reports need.
  const char* messages = std::setlocale(LC_MESSAGES, "");
  if (!messages || std::strcmp(messages, "C") == 0 || std::strcmp(messages, "POSIX") == 0)
    std::setlocale(LC_MESSAGES, "C.UTF-8");
  setenv("LANGUAGE", "en", 1);
  useMessageCatalog("nuvelo", catalogFolder);
  return false;
}

}  // namespace nuvelo
