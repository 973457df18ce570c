#pragma once
// Paths are bytes; Qt's text is Unicode. A file name need not be UTF-8, and a conversion that
// turned its odd bytes into U+FFFD would make the program open, show or copy another file than
// the one found. These conversions keep every byte.

#include <QString>
#include <QUrl>
#include <string>
#include <string_view>

namespace nuvelo {

// The path as Qt text: UTF-8 decoded, each byte that belongs to no UTF-8 character kept as
// the lone surrogate U+DC80 + byte (shown as a replacement character).
QString pathToQt(std::string_view bytes);

// The bytes of a path given as Qt text, the kept bytes of pathToQt restored.
std::string pathFromQt(const QString& text);

// The file URL of exactly these bytes, percent-encoded: what the desktop opens is that file.
QUrl fileUrlOf(const std::string& path);

}  // namespace nuvelo
