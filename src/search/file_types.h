#pragma once
// Type names and icons of files, from shared-mime-info by file name, cached per type.

#include <QIcon>
#include <QMimeDatabase>
#include <QString>
#include <string>
#include <unordered_map>
#include <vector>

#include "search/result_rows.h"

namespace nuvelo {

class FileTypeTable : public TypeNamer {
 public:
  static constexpr int MaxNameCharacters = 80;

  std::uint16_t typeOf(std::string_view name, bool folder) override;
  QString name(std::uint16_t type) const;
  QIcon icon(std::uint16_t type) const;

 private:
  struct Type {
    QString name;
    QString iconName;
    QString genericIconName;
    mutable QIcon icon;  // loaded when first shown
  };
  std::uint16_t indexOf(const QMimeType& mime);

  QMimeDatabase database_;
  std::unordered_map<std::string, std::uint16_t> byKey_;
  std::unordered_map<QString, std::uint16_t> byMimeName_;
  std::vector<Type> types_;
};

}  // namespace nuvelo
