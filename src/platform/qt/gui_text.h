#pragma once
// Conversions between the engine's UTF-8 strings and Qt's text.

#include <QString>
#include <string>

namespace nuvelo {

inline QString qt(const std::string& utf8) {
  return QString::fromStdString(utf8);
}
inline std::string utf8(const QString& text) {
  return text.toStdString();
}

}  // namespace nuvelo
