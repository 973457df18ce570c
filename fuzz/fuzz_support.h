#pragma once
// What the fuzz targets share: a property check that stops the run with a readable message
// (libFuzzer then keeps the input that broke it), a scratch folder for targets that go through
// files, and the cleaning that keeps generated texts inside what the parsers promise to keep.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/text_encoding.h"

namespace nuvelo::fuzz {

// The bytes with everything outside printable ASCII as \xNN, for messages.
inline std::string shown(std::string_view bytes) {
  std::string out;
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F && c != '\\') {
      out += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", u);
      out += hex;
    }
  }
  return out;
}

inline std::string shownOrNone(const std::optional<std::string>& text) {
  return text ? "\"" + shown(*text) + "\"" : std::string("(none)");
}

[[noreturn]] inline void fail(const char* property, const std::string& detail) {
  std::fprintf(stderr, "\n*** property broken: %s\n%s\n", property, detail.c_str());
  std::fflush(stderr);
  std::abort();
}

inline void require(bool holds, const char* property, const std::string& detail = {}) {
  if (!holds) fail(property, detail);
}

// A folder of this process's own under the temporary folder, made at the first call and removed
// when the process ends (libFuzzer runs several processes side by side with -jobs).
inline const std::string& scratchFolder() {
  struct Folder {
    std::string path;
    Folder() {
      std::string pattern =
          (std::filesystem::temp_directory_path() / "nuvelo-fuzz-XXXXXX").string();
      if (!mkdtemp(pattern.data())) fail("a scratch folder can be made", pattern);
      path = pattern;
    }
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  };
  static const Folder folder;
  return folder.path;
}

inline void writeWholeFile(const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  require(static_cast<bool>(out), "the scratch file can be written", path);
}

inline std::string readWholeFileOrEmpty(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Texts reach profile files from the window as UTF-8; any other bytes become U+FFFD.
inline std::string asUtf8(std::string_view bytes) {
  return isValidUtf8(bytes) ? std::string(bytes) : withReplacementCharacters(bytes);
}

// A profile value is read back from after the blanks that follow "=": those belong to the
// layout, so a value written with leading blanks cannot come back with them.
inline std::string withoutLeadingBlanks(std::string text) {
  text.erase(0, text.find_first_not_of(" \t"));
  return text;
}

inline bool hasLineEnd(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace nuvelo::fuzz
