#pragma once
// Reads one line of JSON Lines output that holds a flat object (strings, numbers, true, false)
// strictly enough that output a JSON reader would refuse is refused here too.

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace nuvelo::testing {

class JsonLine {
 public:
  // Every member as its text: a string decoded to UTF-8, anything else as written. Nothing
  // when the line is not one well-formed flat object.
  static std::optional<std::map<std::string, std::string>> read(const std::string& line) {
    JsonLine reader(line);
    return reader.object();
  }

 private:
  explicit JsonLine(const std::string& text) : text_(text) {}

  std::optional<std::map<std::string, std::string>> object() {
    std::map<std::string, std::string> members;
    if (!take('{')) return std::nullopt;
    if (take('}')) return at_ == text_.size() ? std::optional(members) : std::nullopt;
    do {
      const auto key = string();
      if (!key || !take(':')) return std::nullopt;
      const auto value = peek() == '"' ? string() : bare();
      if (!value || members.count(*key)) return std::nullopt;
      members[*key] = *value;
    } while (take(','));
    if (!take('}')) return std::nullopt;
    return at_ == text_.size() ? std::optional(members) : std::nullopt;
  }

  char peek() {
    while (at_ < text_.size() && text_[at_] == ' ') ++at_;
    return at_ < text_.size() ? text_[at_] : '\0';
  }
  bool take(char c) {
    if (peek() != c) return false;
    ++at_;
    return true;
  }

  // true, false, or a number.
  std::optional<std::string> bare() {
    peek();
    const std::size_t start = at_;
    while (at_ < text_.size() &&
           std::string("-+.eE0123456789truefals").find(text_[at_]) != std::string::npos)
      ++at_;
    const std::string word = text_.substr(start, at_ - start);
    if (word == "true" || word == "false") return word;
    char* end = nullptr;
    std::strtod(word.c_str(), &end);
    return !word.empty() && *end == '\0' ? std::optional(word) : std::nullopt;
  }

  std::optional<std::string> string() {
    if (!take('"')) return std::nullopt;
    std::string out;
    while (at_ < text_.size() && text_[at_] != '"') {
      const auto c = static_cast<unsigned char>(text_[at_++]);
      if (c < 0x20) return std::nullopt;  // a control character must be escaped
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      if (at_ >= text_.size() || !escape(out)) return std::nullopt;
    }
    if (at_ >= text_.size()) return std::nullopt;
    ++at_;
    return out;
  }

  bool escape(std::string& out) {
    const char c = text_[at_++];
    const std::string simple = "\"\\/bfnrt", meant = "\"\\/\b\f\n\r\t";
    if (const auto i = simple.find(c); i != std::string::npos) {
      out += meant[i];
      return true;
    }
    if (c != 'u' || at_ + 4 > text_.size()) return false;
    const unsigned code = static_cast<unsigned>(std::stoul(text_.substr(at_, 4), nullptr, 16));
    at_ += 4;
    if (code >= 0xD800 && code < 0xE000) return false;  // no surrogates are written
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return true;
  }

  const std::string& text_;
  std::size_t at_ = 0;
};

// The bytes a "\xHH"-escaped byte string (path_bytes and the like) stands for.
inline std::string bytesOf(const std::string& escaped) {
  std::string out;
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped.compare(i, 2, "\\x") == 0 && i + 4 <= escaped.size()) {
      out += static_cast<char>(std::stoi(escaped.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      out += escaped[i];
    }
  }
  return out;
}

}  // namespace nuvelo::testing
