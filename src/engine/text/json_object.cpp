#include "engine/text/json_object.h"

#include <charconv>

#include "platform/text_encoding.h"

namespace nuvelo {
namespace {

constexpr std::size_t MostItems = 100000;  // a line holds no more array items than this

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  std::optional<JsonObject> object() {
    JsonObject members;
    if (!take('{')) return std::nullopt;
    if (!take('}')) {
      do {
        auto key = string();
        if (!key || !take(':')) return std::nullopt;
        auto value = member();
        if (!value || members.contains(*key)) return std::nullopt;
        members.emplace(std::move(*key), std::move(*value));
      } while (take(','));
      if (!take('}')) return std::nullopt;
    }
    skipBlanks();
    return at_ == text_.size() ? std::optional(std::move(members)) : std::nullopt;
  }

 private:
  void skipBlanks() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
      ++at_;
  }
  char peek() {
    skipBlanks();
    return at_ < text_.size() ? text_[at_] : '\0';
  }
  bool take(char c) {
    if (peek() != c) return false;
    ++at_;
    return true;
  }
  bool takeWord(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  std::optional<JsonMember> member() {
    JsonMember m;
    const char c = peek();
    if (c == '"') {
      auto s = string();
      if (!s) return std::nullopt;
      m.kind = JsonMember::Kind::String;
      m.text = std::move(*s);
    } else if (c == '[') {
      if (!strings(m.items)) return std::nullopt;
      m.kind = JsonMember::Kind::Strings;
    } else if (takeWord("true") || takeWord("false")) {
      m.kind = JsonMember::Kind::Bool;
      m.text = c == 't' ? "true" : "false";
    } else if (takeWord("null")) {
      m.kind = JsonMember::Kind::Null;
    } else {
      auto n = number();
      if (!n) return std::nullopt;
      m.kind = JsonMember::Kind::Number;
      m.text = std::move(*n);
    }
    return m;
  }

  bool strings(std::vector<std::string>& items) {
    take('[');
    if (take(']')) return true;
    do {
      auto s = peek() == '"' ? string() : std::nullopt;
      if (!s || items.size() == MostItems) return false;
      items.push_back(std::move(*s));
    } while (take(','));
    return take(']');
  }

  // A number as JSON writes it: -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
  std::optional<std::string> number() {
    const std::size_t start = at_;
    const auto digits = [this] {
      const std::size_t from = at_;
      while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
      return at_ - from;
    };
    if (at_ < text_.size() && text_[at_] == '-') ++at_;
    const std::size_t whole = at_;
    if (digits() == 0 || (text_[whole] == '0' && at_ - whole > 1)) return std::nullopt;
    if (at_ < text_.size() && text_[at_] == '.' && (++at_, digits() == 0)) return std::nullopt;
    if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
      ++at_;
      if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
      if (digits() == 0) return std::nullopt;
    }
    return std::string(text_.substr(start, at_ - start));
  }

  std::optional<std::string> string() {
    if (!take('"')) return std::nullopt;
    std::string out;
    while (at_ < text_.size() && text_[at_] != '"') {
      const auto c = static_cast<unsigned char>(text_[at_]);
      if (c < 0x20) return std::nullopt;  // a control character must be escaped
      if (c == '\\') {
        if (!escape(out)) return std::nullopt;
        continue;
      }
      const std::size_t n = c < 0x80 ? 1 : utf8SequenceLength(text_, at_);
      if (n == 0) return std::nullopt;
      out.append(text_.substr(at_, n));
      at_ += n;
    }
    if (at_ == text_.size()) return std::nullopt;
    ++at_;
    return out;
  }

  bool escape(std::string& out) {
    if (++at_ >= text_.size()) return false;
    const char c = text_[at_++];
    switch (c) {
      case '"':
      case '\\':
      case '/':
        out += c;
        return true;
      case 'b':
        out += '\b';
        return true;
      case 'f':
        out += '\f';
        return true;
      case 'n':
        out += '\n';
        return true;
      case 'r':
        out += '\r';
        return true;
      case 't':
        out += '\t';
        return true;
      case 'u':
        return unicodeEscape(out);
      default:
        return false;
    }
  }

  std::optional<unsigned> hex4() {
    if (at_ + 4 > text_.size()) return std::nullopt;
    unsigned value = 0;
    const auto [end, error] =
        std::from_chars(text_.data() + at_, text_.data() + at_ + 4, value, 16);
    if (error != std::errc() || end != text_.data() + at_ + 4) return std::nullopt;
    at_ += 4;
    return value;
  }

  // \uXXXX, a surrogate pair as two of them.
  bool unicodeEscape(std::string& out) {
    auto first = hex4();
    if (!first || (*first >= 0xDC00 && *first <= 0xDFFF)) return false;
    unsigned code = *first;
    if (code >= 0xD800 && code <= 0xDBFF) {
      if (!takeWord("\\u")) return false;
      const auto second = hex4();
      if (!second || *second < 0xDC00 || *second > 0xDFFF) return false;
      code = 0x10000 + ((code - 0xD800) << 10) + (*second - 0xDC00);
    }
    appendUtf8(out, code);
    return true;
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

std::optional<JsonObject> readJsonObject(std::string_view line) {
  return Reader(line).object();
}

std::optional<std::string> jsonStringMember(const JsonObject& object, std::string_view key) {
  const auto found = object.find(key);
  if (found == object.end() || found->second.kind != JsonMember::Kind::String) return std::nullopt;
  return found->second.text;
}

std::optional<std::uint64_t> jsonCountMember(const JsonObject& object, std::string_view key) {
  const auto found = object.find(key);
  if (found == object.end() || found->second.kind != JsonMember::Kind::Number) return std::nullopt;
  const std::string& text = found->second.text;
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace nuvelo
