#include "messages/message_catalog.h"

#include <cstdint>

namespace nuvelo {
namespace {

constexpr std::uint32_t moMagic = 0x950412de;

std::uint32_t byteSwapped(std::uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0xff00) | ((value << 8) & 0xff0000) | (value << 24);
}

// Reads the 32-bit numbers of a catalog in the byte order its magic number shows.
class Words {
 public:
  explicit Words(std::string_view bytes) : bytes_(bytes) {}

  bool knowsOrder() {
    const auto magic = at(0);
    if (!magic) return false;
    swapped_ = *magic == byteSwapped(moMagic);
    return *magic == moMagic || swapped_;
  }

  std::optional<std::uint32_t> at(std::uint64_t offset) const {
    if (offset + 4 > bytes_.size()) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
      value = (value << 8) | static_cast<unsigned char>(bytes_[offset + static_cast<unsigned>(i)]);
    return swapped_ ? byteSwapped(value) : value;
  }

  // The string that the table entry at `entry` (length, offset) points at.
  std::optional<std::string_view> stringAt(std::uint64_t entry) const {
    const auto length = at(entry);
    const auto offset = at(entry + 4);
    if (!length || !offset || std::uint64_t{*offset} + *length > bytes_.size()) return std::nullopt;
    return bytes_.substr(*offset, *length);
  }

 private:
  std::string_view bytes_;
  bool swapped_ = false;
};

bool isPlainText(std::string_view original) {
  return !original.empty() && original.find('\0') == std::string_view::npos &&
         original.find('\x04') == std::string_view::npos;
}

}  // namespace

std::optional<MessageCatalog> MessageCatalog::read(std::string_view bytes) {
  Words words(bytes);
  if (!words.knowsOrder()) return std::nullopt;
  const auto count = words.at(8);
  const auto originals = words.at(12);
  const auto translations = words.at(16);
  if (!count || !originals || !translations) return std::nullopt;
  MessageCatalog catalog;
  for (std::uint64_t i = 0; i < *count; ++i) {
    const auto original = words.stringAt(*originals + 8 * i);
    const auto translation = words.stringAt(*translations + 8 * i);
    if (!original || !translation) return std::nullopt;
    if (isPlainText(*original)) catalog.translations_.emplace(*original, *translation);
  }
  return catalog;
}

std::optional<std::string_view> MessageCatalog::find(std::string_view text) const {
  const auto found = translations_.find(text);
  if (found == translations_.end()) return std::nullopt;
  return found->second;
}

}  // namespace nuvelo
