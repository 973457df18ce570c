#pragma once
// INI-style profile files, read and written one key at a time.
//
// Sections and keys are matched without regard to ASCII case. A write replaces that one key's
// line (or adds the key, its section or the file) and keeps every other line byte for byte;
// the file on disk is replaced atomically by each write. Values are read back as written,
// enclosing quotes included, at any length. A file that is not valid UTF-8 is taken as
// Shift-JIS and written back in Shift-JIS; a value that Shift-JIS cannot hold, or a write after
// which the file would read as UTF-8 (its last line that is no UTF-8 replaced), turns it into
// UTF-8 when every line converts without loss, and is refused otherwise.
//
// Only a regular file that its owner may write is ever replaced (a symbolic link is followed
// to it); a folder, device, FIFO or socket reads as a file that cannot be read, without
// blocking, and is never written.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"
#include "platform/text_encoding.h"

namespace nuvelo {

class ProfileFile {
 public:
  // Reads the file now; a file that is missing or cannot be read behaves as an empty one.
  explicit ProfileFile(std::string path);

  const std::string& path() const { return path_; }
  TextEncoding encoding() const { return encoding_; }

  std::optional<std::string> readValue(std::string_view section, std::string_view key) const;
  // The line (from 1) that readValue reads the key from, for a message about its value.
  std::optional<std::size_t> lineOf(std::string_view section, std::string_view key) const;
  std::string readString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  // Decimal, or hexadecimal after "$", "0x" or "0X"; the default for an absent key or a text
  // that is not a 32-bit number.
  std::int32_t readInteger(std::string_view section, std::string_view key,
                           std::int32_t defaultValue) const;
  // An integer; any non-zero value is true.
  bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

  // A section header, or a key within its section, that one before it already holds (letter case
  // aside): reading takes the first and passes over the second without a word.
  struct Repeat {
    std::size_t line = 0;  // from 1
    std::string section;   // as the repeat's line writes it, or its section's header
    std::string key;       // empty: the section header is the repeat
  };
  // The file's first repeat; nothing when it has none. Comment lines (";" or "#") are no keys.
  std::optional<Repeat> firstRepeat() const;

  // Each write replaces the file on disk. When it cannot, the file and this object stay as they
  // were and the failure names the file: EIO for a file that exists but could not be read,
  // EINVAL for a value with a line end, EILSEQ for a value the file's encoding cannot hold, or
  // why the file could not be replaced.
  [[nodiscard]] Result<> writeString(std::string_view section, std::string_view key,
                                     std::string_view value);
  [[nodiscard]] Result<> writeInteger(std::string_view section, std::string_view key,
                                      std::int32_t value);
  [[nodiscard]] Result<> writeBool(std::string_view section, std::string_view key, bool value);

  // One key's new value, as writeString takes it.
  struct KeyValue {
    std::string_view section;
    std::string key;
    std::string value;
  };
  // Writes the keys in their order and stops at the first that cannot be written; the keys
  // before it stay written.
  [[nodiscard]] Result<> writeInOrder(const std::vector<KeyValue>& keys);

 private:
  struct Line {
    std::string text;    // the line's bytes as stored, without its line end
    std::string ending;  // "\n", "\r\n" or "" (last line without a line end)
  };
  struct Location {
    std::optional<std::size_t> keyLine;      // the line holding the key
    std::optional<std::size_t> sectionLine;  // the section's header line
    std::size_t lastLineOfSection = 0;       // last non-blank line of the section
  };

  Location locate(std::string_view section, std::string_view key) const;
  std::string decoded(std::string_view stored) const;
  std::string newLineEnding() const;
  std::string serialised(const std::vector<Line>& lines) const;
  bool encodeLine(std::string_view utf8, std::string& stored) const;
  bool switchToUtf8();

  std::string path_;
  TextEncoding encoding_ = TextEncoding::Utf8;
  bool hasByteOrderMark_ = false;
  bool unreadable_ = false;
  std::vector<Line> lines_;
};

// Whether the profile file at `path` can be written, for a check before a run: the failure
// names the file, with EISDIR or EINVAL for a folder, device, FIFO or socket (links followed),
// and another code for a file that cannot be read or written or a missing file whose folder is
// missing or cannot be written.
[[nodiscard]] Result<> profileFileWritable(const std::string& path);

// How writeBool stores a switch: "1" or "0".
std::string profileBoolText(bool value);

// The integer reading of a profile value, or nothing when the text is not a 32-bit number.
std::optional<std::int32_t> parseProfileInteger(std::string_view text);

}  // namespace nuvelo
