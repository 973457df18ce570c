#pragma once
// A table of translations read from a compiled gettext catalog (the .mo format): each Japanese
// text of the program to its translation.

#include <optional>
#include <string_view>
#include <unordered_map>

namespace nuvelo {

class MessageCatalog {
 public:
  // The catalog in `bytes`, which must outlive it; nothing when they are no catalog. Texts
  // with a context or a plural form, and the catalog's header, are left out.
  static std::optional<MessageCatalog> read(std::string_view bytes);

  // The translation of `text`, or nothing when the catalog lacks it.
  std::optional<std::string_view> find(std::string_view text) const;

  std::size_t size() const { return translations_.size(); }

 private:
  std::unordered_map<std::string_view, std::string_view> translations_;
};

}  // namespace nuvelo
