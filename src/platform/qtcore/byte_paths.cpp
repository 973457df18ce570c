#include "platform/qtcore/byte_paths.h"

#include <QByteArray>

#include "platform/text_encoding.h"

namespace nuvelo {
namespace {

constexpr char16_t KeptByteBase = 0xDC80;

// The length of the UTF-8 character that starts at text[i], or 0 when none does.
std::size_t utf8LengthAt(std::string_view text, std::size_t i) {
  for (std::size_t length = 1; length <= 4 && i + length <= text.size(); ++length)
    if (isValidUtf8(text.substr(i, length))) return length;
  return 0;
}

}  // namespace

QString pathToQt(std::string_view bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (std::size_t i = 0; i < bytes.size();) {
    if (const std::size_t length = utf8LengthAt(bytes, i)) {
      text += QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(length));
      i += length;
    } else {
      text += QChar(static_cast<char16_t>(KeptByteBase + static_cast<unsigned char>(bytes[i])));
      ++i;
    }
  }
  return text;
}

std::string pathFromQt(const QString& text) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  qsizetype runStart = 0;
  const auto flushRun = [&](qsizetype end) {
    if (end > runStart) bytes += text.mid(runStart, end - runStart).toStdString();
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i].unicode();
    const bool lowSurrogate = unit >= 0xDC00 && unit <= 0xDFFF;
    const bool paired = lowSurrogate && i > 0 && text[i - 1].isHighSurrogate();
    if (unit >= KeptByteBase && unit <= KeptByteBase + 0xFF && !paired) {
      flushRun(i);
      bytes += static_cast<char>(unit - KeptByteBase);
      runStart = i + 1;
    }
  }
  flushRun(text.size());
  return bytes;
}

QUrl fileUrlOf(const std::string& path) {
  const QByteArray raw = QByteArray::fromStdString(path).toPercentEncoding("/");
  return QUrl::fromEncoded("file://" + raw, QUrl::StrictMode);
}

}  // namespace nuvelo
