#include "engine/settings/profile_file.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "platform/ascii_text.h"
#include "platform/posix/atomic_file.h"

namespace nuvelo {
namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trimLeft(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view trim(std::string_view s) {
  s = trimLeft(s);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A section header's name, if the line is one.
std::optional<std::string_view> sectionNameOf(std::string_view line) {
  line = trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  const auto close = line.find(']');
  return trim(line.substr(0, close));
}

struct KeyLine {
  std::string_view key;
  std::string_view value;
};

std::optional<KeyLine> keyLineOf(std::string_view line) {
  const auto equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  // Blanks around the "=" belong to the layout; a blank at the value's end is kept, since a
  // folder name may end with one.
  return KeyLine{trim(line.substr(0, equals)), trimLeft(line.substr(equals + 1))};
}

// A file that exists but cannot be read (a FIFO or a folder among them) must not be replaced by
// one holding only new keys. A symbolic link to nothing is a file still to be made.
bool existsButCannotBeRead(const std::string& path, const std::optional<std::string>& content) {
  return !content && access(path.c_str(), F_OK) == 0;
}

// The last line gets a line end before a line is added after it; a carriage return it ends
// with already is the first half of one.
void completeLineEnd(std::string& ending, const std::string& newEnding) {
  if (ending.empty())
    ending = newEnding;
  else if (ending == "\r")
    ending = "\r\n";
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

Result<> profileFileWritable(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    return failure(S_ISDIR(st.st_mode) ? std::errc::is_a_directory : std::errc::invalid_argument,
                   path);
  if (Result<> replaceable = checkReplaceable(path); !replaceable) return replaceable;
  if (existsButCannotBeRead(path, readWholeFile(path))) return failure(std::errc::io_error, path);
  return {};
}

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {
  std::optional<std::string> content = readWholeFile(path_);
  if (!content) {
    unreadable_ = existsButCannotBeRead(path_, content);
    return;
  }
  std::string_view rest = *content;
  if (rest.substr(0, ByteOrderMark.size()) == ByteOrderMark) {
    hasByteOrderMark_ = true;
    rest.remove_prefix(ByteOrderMark.size());
  }
  encoding_ = isValidUtf8(rest) ? TextEncoding::Utf8 : TextEncoding::ShiftJis;
  while (!rest.empty()) {
    const auto newline = rest.find('\n');
    std::string_view text = rest.substr(0, newline);
    std::string ending = newline == std::string_view::npos ? "" : "\n";
    if (!text.empty() && text.back() == '\r') {  // "\r" alone ends the file's last line
      text.remove_suffix(1);
      ending.insert(0, 1, '\r');
    }
    lines_.push_back(Line{std::string(text), ending});
    rest.remove_prefix(newline == std::string_view::npos ? rest.size() : newline + 1);
  }
}

std::string ProfileFile::decoded(std::string_view stored) const {
  return encoding_ == TextEncoding::ShiftJis ? shiftJisToUtf8(stored) : std::string(stored);
}

ProfileFile::Location ProfileFile::locate(std::string_view section, std::string_view key) const {
  Location where;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const std::string text = decoded(lines_[i].text);
    if (const auto name = sectionNameOf(text)) {
      if (where.sectionLine) break;  // the end of the (first) matching section
      if (equalsIgnoringAsciiCase(*name, section)) {
        where.sectionLine = i;
        where.lastLineOfSection = i;
      }
      continue;
    }
    if (!where.sectionLine) continue;
    if (!trim(text).empty()) where.lastLineOfSection = i;
    if (where.keyLine) continue;
    const auto keyLine = keyLineOf(text);
    if (keyLine && equalsIgnoringAsciiCase(keyLine->key, key)) where.keyLine = i;
  }
  return where;
}

std::optional<ProfileFile::Repeat> ProfileFile::firstRepeat() const {
  std::unordered_set<std::string> sections, keys;
  std::optional<std::string> section;  // nothing before the first header
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const std::string text = decoded(lines_[i].text);
    if (const auto name = sectionNameOf(text)) {
      section = std::string(*name);
      keys.clear();
      if (!sections.insert(asciiLowered(*name)).second) return Repeat{i + 1, *section, {}};
      continue;
    }
    const std::string_view content = trimLeft(text);
    if (!section || content.starts_with(';') || content.starts_with('#')) continue;
    if (const auto keyLine = keyLineOf(text);
        keyLine && !keys.insert(asciiLowered(keyLine->key)).second)
      return Repeat{i + 1, *section, std::string(keyLine->key)};
  }
  return std::nullopt;
}

std::optional<std::string> ProfileFile::readValue(std::string_view section,
                                                  std::string_view key) const {
  const Location where = locate(section, key);
  if (!where.keyLine) return std::nullopt;
  const std::string text = decoded(lines_[*where.keyLine].text);
  return std::string(keyLineOf(text)->value);
}

std::optional<std::size_t> ProfileFile::lineOf(std::string_view section,
                                               std::string_view key) const {
  const Location where = locate(section, key);
  if (!where.keyLine) return std::nullopt;
  return *where.keyLine + 1;
}

std::string ProfileFile::readString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
  auto value = readValue(section, key);
  return value ? std::move(*value) : std::string(defaultValue);
}

std::int32_t ProfileFile::readInteger(std::string_view section, std::string_view key,
                                      std::int32_t defaultValue) const {
  const auto value = readValue(section, key);
  if (!value) return defaultValue;
  return parseProfileInteger(*value).value_or(defaultValue);
}

bool ProfileFile::readBool(std::string_view section, std::string_view key,
                           bool defaultValue) const {
  return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::string ProfileFile::newLineEnding() const {
  for (const Line& line : lines_)
    if (!line.ending.empty() && line.ending != "\r") return line.ending;
  return "\n";
}

bool ProfileFile::encodeLine(std::string_view utf8, std::string& stored) const {
  if (encoding_ == TextEncoding::Utf8) {
    stored = utf8;
    return true;
  }
  auto encoded = utf8ToShiftJis(utf8);
  if (!encoded) return false;
  stored = std::move(*encoded);
  return true;
}

// A value with a character that Shift-JIS lacks turns the whole file into UTF-8, so nothing of
// the new value is lost. That is only done when every line keeps its text exactly; a line with
// bytes that are no Shift-JIS would be mangled, so the file stays as it is (false).
bool ProfileFile::switchToUtf8() {
  std::vector<Line> converted = lines_;
  for (Line& line : converted) {
    auto text = shiftJisToUtf8Exactly(line.text);
    if (!text) return false;
    line.text = std::move(*text);
  }
  lines_ = std::move(converted);
  encoding_ = TextEncoding::Utf8;
  return true;
}

std::string ProfileFile::serialised(const std::vector<Line>& lines) const {
  std::string out = hasByteOrderMark_ ? std::string(ByteOrderMark) : std::string();
  for (const Line& line : lines) out += line.text + line.ending;
  return out;
}

Result<> ProfileFile::writeString(std::string_view section, std::string_view key,
                                  std::string_view value) {
  if (unreadable_) return failure(std::errc::io_error, path_);
  // A line end inside the value would split it and corrupt the lines after it.
  if (value.find_first_of("\r\n") != std::string_view::npos)
    return failure(std::errc::invalid_argument, path_);

  ProfileFile next = *this;
  const std::string keyText = std::string(key) + "=" + std::string(value);
  const std::string headerText = "[" + std::string(section) + "]";
  std::string stored;
  std::string header;
  if (!next.encodeLine(keyText, stored) || !next.encodeLine(headerText, header)) {
    if (!next.switchToUtf8()) return failure(std::errc::illegal_byte_sequence, path_);
    next.encodeLine(keyText, stored);
    next.encodeLine(headerText, header);
  }
  const std::string ending = next.newLineEnding();

  const Location where = next.locate(section, key);
  if (where.keyLine) {
    next.lines_[*where.keyLine].text = stored;
  } else {
    if (!next.lines_.empty()) completeLineEnd(next.lines_.back().ending, ending);
    std::size_t insertAt = next.lines_.size();
    if (where.sectionLine) {
      insertAt = where.lastLineOfSection + 1;
      completeLineEnd(next.lines_[where.lastLineOfSection].ending, ending);
    } else {
      next.lines_.push_back(Line{header, ending});
      insertAt = next.lines_.size();
    }
    next.lines_.insert(next.lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                       Line{stored, ending});
  }

  // Shift-JIS bytes can form valid UTF-8 too (half-width katakana often do): once the line that
  // was no UTF-8 is gone, the file would read back as UTF-8 and its other lines as other
  // characters. Such a file is written in UTF-8, and refused when that cannot be done exactly.
  std::string content = serialised(next.lines_);
  if (next.encoding_ == TextEncoding::ShiftJis && isValidUtf8(content)) {
    if (!next.switchToUtf8()) return failure(std::errc::illegal_byte_sequence, path_);
    content = serialised(next.lines_);
  }
  if (Result<> replaced = replaceFileAtomically(path_, content); !replaced) return replaced;
  *this = std::move(next);
  return {};
}

Result<> ProfileFile::writeInteger(std::string_view section, std::string_view key,
                                   std::int32_t value) {
  return writeString(section, key, std::to_string(value));
}

Result<> ProfileFile::writeBool(std::string_view section, std::string_view key, bool value) {
  return writeString(section, key, profileBoolText(value));
}

Result<> ProfileFile::writeInOrder(const std::vector<KeyValue>& keys) {
  for (const KeyValue& k : keys)
    if (Result<> written = writeString(k.section, k.key, k.value); !written) return written;
  return {};
}

std::string profileBoolText(bool value) {
  return value ? "1" : "0";
}

std::optional<std::int32_t> parseProfileInteger(std::string_view text) {
  text = trim(text);
  const bool longEnoughForPrefix = text.size() > 2;
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (longEnoughForPrefix && text.size() > 2 && text[0] == '0' &&
             (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;

  std::uint64_t magnitude = 0;
  for (char c : text) {
    const int digit = base == 16 ? hexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (magnitude > 0xFFFFFFFFull) return std::nullopt;
  }
  if (base == 16) {
    // Eight hexadecimal digits cover the whole 32-bit pattern: $FFFFFFFF is -1.
    const auto bits = static_cast<std::uint32_t>(magnitude);
    const auto value = static_cast<std::int32_t>(bits);
    return negative ? static_cast<std::int32_t>(0u - bits) : value;
  }
  if (negative) {
    if (magnitude > 2147483648ull) return std::nullopt;
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
  }
  if (magnitude > 2147483647ull) return std::nullopt;
  return static_cast<std::int32_t>(magnitude);
}

}  // namespace nuvelo
