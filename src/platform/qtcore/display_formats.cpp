#include "platform/qtcore/display_formats.h"

#include <QLocale>

namespace nuvelo {
namespace {

// The first character of a format that is not a letter of a field: the separator it uses.
std::string separatorIn(const QString& format, const char* fallback) {
  for (const QChar c : format)
    if (!c.isLetter() && !c.isSpace()) return QString(c).toStdString();
  return fallback;
}

}  // namespace

DisplayFormats DisplayFormats::ofUser() {
  const QLocale locale = QLocale::system();
  return {separatorIn(locale.dateFormat(QLocale::ShortFormat), "/"),
          separatorIn(locale.timeFormat(QLocale::ShortFormat), ":"),
          locale.decimalPoint().toStdString()};
}

}  // namespace nuvelo
