#pragma once
// Type names of files from shared-mime-info, by file name, cached per type. Icons are the
// window's business: the table keeps the icon names for it.

#include <QMimeDatabase>
#include <QString>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/type_names.h"

namespace nuvelo {

class FileTypeTable : public TypeNamer {
 public:
  static constexpr int MaxNameCharacters = 80;

  struct Type {
    QString name;  // the type's comment, in the program's language
    QString iconName;
    QString genericIconName;
  };

  std::uint16_t typeOf(std::string_view name, EntryKind kind) override;
  const Type* type(std::uint16_t index) const;
  QString name(std::uint16_t index) const;

 private:
  std::uint16_t indexOf(const QMimeType& mime);

  // Looked up by a view of the name: a row costs no allocation for its key.
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const {
      return std::hash<std::string_view>{}(key);
    }
  };

  QMimeDatabase database_;
  std::unordered_map<std::string, std::uint16_t, KeyHash, std::equal_to<>> byKey_;
  std::unordered_map<QString, std::uint16_t> byMimeName_;
  std::vector<Type> types_;
};

}  // namespace nuvelo
