#include "cli/message_language.h"

#include <cstdlib>
#include <string_view>

#include "messages/english_catalog.h"
#include "messages/wording.h"

namespace nuvelo {
namespace {

bool startsWithLanguage(std::string_view name, std::string_view language) {
  return name.substr(0, language.size()) == language &&
         (name.size() == language.size() || name[language.size()] == '_' ||
          name[language.size()] == '.' || name[language.size()] == '@');
}

bool namesNoLanguage(const std::string& locale) {
  return locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0;
}

}  // namespace

std::string messagesLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* value : {lcAll, lcMessages, lang})
    if (value && *value) return value;
  return "C";
}

bool isJapaneseLocale(const std::string& locale) {
  return startsWithLanguage(locale, "ja");
}

bool readsJapanese(const char* language, const std::string& messagesLocale) {
  if (language && !namesNoLanguage(messagesLocale)) {
    std::string_view list(language);
    while (!list.empty()) {
      const std::size_t colon = list.find(':');
      const std::string_view entry = list.substr(0, colon);
      if (startsWithLanguage(entry, "ja")) return true;
      if (startsWithLanguage(entry, "en")) return false;
      list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
  }
  return isJapaneseLocale(messagesLocale);
}

bool chooseMessageLanguage() {
  if (readsJapanese(
          std::getenv("LANGUAGE"),
          messagesLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"))))
    return true;
  static const std::optional<MessageCatalog> english = MessageCatalog::read(englishCatalogBytes());
  useMessageCatalog(english ? &*english : nullptr);
  return false;
}

}  // namespace nuvelo
