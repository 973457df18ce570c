#include "platform/text_encoding.h"

#include <iconv.h>
#include <cerrno>

namespace nuvelo {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool usable() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much as it can; stops at the first byte it cannot convert and leaves
  // `in` pointing at it. Returns false on such a stop.
  bool convert(std::string_view& in, std::string& out) {
    char buffer[4096];
    while (!in.empty()) {
      char* src = const_cast<char*>(in.data());
      std::size_t srcLeft = in.size();
      char* dst = buffer;
      std::size_t dstLeft = sizeof buffer;
      const std::size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buffer, sizeof buffer - dstLeft);
      in.remove_prefix(in.size() - srcLeft);
      if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) return false;
    }
    return true;
  }

 private:
  iconv_t cd_;
};

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

// Single bytes that Windows' code page 932 maps and glibc's CP932 leaves out.
struct SingleByte {
  unsigned char byte;
  std::string_view utf8;
};
constexpr SingleByte WindowsSingleBytes[] = {
    {0x80, "\xC2\x80"},      // U+0080
    {0xA0, "\xEF\xA3\xB0"},  // U+F8F0
    {0xFD, "\xEF\xA3\xB1"},  // U+F8F1
    {0xFE, "\xEF\xA3\xB2"},  // U+F8F2
    {0xFF, "\xEF\xA3\xB3"},  // U+F8F3
};

const SingleByte* windowsSingleByteFor(char byte) {
  for (const SingleByte& single : WindowsSingleBytes)
    if (single.byte == static_cast<unsigned char>(byte)) return &single;
  return nullptr;
}

// The single byte whose character starts the UTF-8 text, if it is one of them.
const SingleByte* windowsSingleByteStarting(std::string_view utf8) {
  for (const SingleByte& single : WindowsSingleBytes)
    if (utf8.substr(0, single.utf8.size()) == single.utf8) return &single;
  return nullptr;
}

// Appends the UTF-8 form of Shift-JIS text; each byte that belongs to no character becomes
// U+FFFD. Returns whether every byte belonged to one.
bool decodeShiftJis(std::string_view text, std::string& out) {
  Converter converter("UTF-8", "CP932");
  if (!converter.usable()) {
    out += withReplacementCharacters(text);
    return false;
  }
  bool complete = true;
  while (!text.empty() && !converter.convert(text, out)) {
    // iconv stops at a lone byte or at a lead byte whose next byte cannot trail it.
    if (const SingleByte* single = windowsSingleByteFor(text.front())) {
      out += single->utf8;
    } else {
      out += ReplacementCharacter;
      complete = false;
    }
    text.remove_prefix(1);
  }
  return complete;
}

}  // namespace

std::size_t utf8SequenceLength(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  char32_t minimum = 0;
  char32_t cp = 0;
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    minimum = 0x80;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    minimum = 0x800;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    minimum = 0x10000;
    cp = lead & 0x07;
  } else
    return 0;
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

bool isValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {  // most names are ASCII
      ++i;
      continue;
    }
    const std::size_t n = utf8SequenceLength(text, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string shiftJisToUtf8(std::string_view text) {
  std::string out;
  decodeShiftJis(text, out);
  return out;
}

std::optional<std::string> shiftJisToUtf8Exactly(std::string_view text) {
  std::string utf8;
  if (!decodeShiftJis(text, utf8) || utf8ToShiftJis(utf8) != text) return std::nullopt;
  return utf8;
}

std::optional<std::string> utf8ToShiftJis(std::string_view text) {
  std::string out;
  Converter converter("CP932", "UTF-8");
  if (!converter.usable()) return std::nullopt;
  std::string_view rest = text;
  while (!converter.convert(rest, out)) {
    const SingleByte* single = windowsSingleByteStarting(rest);
    if (!single) return std::nullopt;
    out += static_cast<char>(single->byte);
    rest.remove_prefix(single->utf8.size());
  }
  // iconv also gives a "best fit" code to some characters Shift-JIS lacks (U+00A5 becomes the
  // backslash); such a text would not read back as written.
  if (shiftJisToUtf8(out) != text) return std::nullopt;
  return out;
}

std::string nameForDisplay(std::string_view path) {
  if (isValidUtf8(path)) return std::string(path);
  std::string out;
  out.reserve(path.size() * 3 / 2);
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t slash = std::min(path.find('/', start), path.size());
    const std::string_view component = path.substr(start, slash - start);
    if (isValidUtf8(component))
      out.append(component);
    else if (const auto decoded = shiftJisToUtf8Exactly(component))
      out += *decoded;
    else
      out += withReplacementCharacters(component);
    if (slash < path.size()) out += '/';
    start = slash + 1;
  }
  return out;
}

std::string withReplacementCharacters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = utf8SequenceLength(text, i);
    if (n == 0) {
      out += ReplacementCharacter;
      ++i;
    } else {
      out.append(text.substr(i, n));
      i += n;
    }
  }
  return out;
}

std::string_view firstCharacters(std::string_view utf8, std::size_t maxChars) {
  std::size_t i = 0;
  for (std::size_t count = 0; i < utf8.size() && count < maxChars; ++count) {
    const std::size_t n = utf8SequenceLength(utf8, i);
    i += n == 0 ? 1 : n;  // a stray byte counts as one character
  }
  return utf8.substr(0, i);
}

char32_t lastCodePoint(std::string_view utf8) {
  if (utf8.empty()) return 0;
  std::size_t start = utf8.size() - 1;
  while (start > 0 && utf8.size() - start < 4 &&
         (static_cast<unsigned char>(utf8[start]) & 0xC0) == 0x80)
    --start;
  const std::size_t n = utf8SequenceLength(utf8, start);
  if (n == 0 || start + n != utf8.size()) return static_cast<unsigned char>(utf8.back());
  char32_t cp = static_cast<unsigned char>(utf8[start]);
  if (n > 1) cp &= (0xFF >> (n + 1));
  for (std::size_t k = 1; k < n; ++k)
    cp = (cp << 6) | (static_cast<unsigned char>(utf8[start + k]) & 0x3F);
  return cp;
}

// Decodes one UTF-8 character at text[i]; nothing (and one byte used) for a byte that starts
// none.
std::optional<char32_t> decodeAt(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const std::size_t length = lead < 0x80         ? 1
                             : (lead >> 5) == 6  ? 2
                             : (lead >> 4) == 14 ? 3
                             : (lead >> 3) == 30 ? 4
                                                 : 0;
  if (length == 0 || i + length > text.size() || !isValidUtf8(text.substr(i, length))) {
    ++i;
    return std::nullopt;
  }
  char32_t code = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k)
    code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  i += length;
  return code;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace nuvelo
