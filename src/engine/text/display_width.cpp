#include "engine/text/display_width.h"

#include <array>
#include <utility>

#include "platform/text_encoding.h"

namespace nuvelo {
namespace {

using Range = std::pair<char32_t, char32_t>;

constexpr std::array<Range, 6> ZeroWidth = {{{0x0300, 0x036F},
                                             {0x200B, 0x200F},
                                             {0x3099, 0x309A},
                                             {0xFE00, 0xFE0F},
                                             {0xFE20, 0xFE2F},
                                             {0xE0100, 0xE01EF}}};

constexpr std::array<Range, 14> DoubleWidth = {{{0x1100, 0x115F},
                                                {0x2E80, 0x303E},
                                                {0x3041, 0x3096},
                                                {0x309B, 0x33FF},
                                                {0x3400, 0x4DBF},
                                                {0x4E00, 0x9FFF},
                                                {0xA000, 0xA4CF},
                                                {0xAC00, 0xD7A3},
                                                {0xF900, 0xFAFF},
                                                {0xFE30, 0xFE4F},
                                                {0xFF00, 0xFF60},
                                                {0xFFE0, 0xFFE6},
                                                {0x1F300, 0x1F64F},
                                                {0x20000, 0x3FFFD}}};

template <std::size_t N>
bool within(const std::array<Range, N>& ranges, char32_t c) {
  for (const auto& [first, last] : ranges)
    if (c >= first && c <= last) return true;
  return false;
}

}  // namespace

std::size_t displayWidth(std::string_view text) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size();) {
    // A byte that starts no character is shown as one replacement character.
    const char32_t c = decodeAt(text, i).value_or(U'\uFFFD');
    width += within(ZeroWidth, c) ? 0 : within(DoubleWidth, c) ? 2 : 1;
  }
  return width;
}

std::string padRight(std::string_view text, std::size_t width) {
  std::string out(text);
  const std::size_t used = displayWidth(text);
  if (used < width) out.append(width - used, ' ');
  return out;
}

std::string padLeft(std::string_view text, std::size_t width) {
  const std::size_t used = displayWidth(text);
  std::string out(used < width ? width - used : 0, ' ');
  return out.append(text);
}

}  // namespace nuvelo
