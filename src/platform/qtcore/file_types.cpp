#include "platform/qtcore/file_types.h"

namespace nuvelo {
namespace {

// Files of one extension share a type, as on the desktop: the key is everything from the
// first "." after the name's first character ("report.tar.gz" gives ".tar.gz"), or the whole
// name when it has none ("Makefile").
std::string_view typeKey(std::string_view name) {
  const auto dot = name.find('.', 1);
  return dot == std::string_view::npos ? name : name.substr(dot);
}

}  // namespace

std::uint16_t FileTypeTable::typeOf(std::string_view name, EntryKind kind) {
  // Keys of folders and links cannot clash with a file's key, which never holds a "/".
  const std::string_view key = kind == EntryKind::Folder ? std::string_view("/")
                               : kind == EntryKind::Link ? std::string_view("/link")
                                                         : typeKey(name);
  if (const auto found = byKey_.find(key); found != byKey_.end()) return found->second;
  QMimeType mime;
  if (kind == EntryKind::Folder)
    mime = database_.mimeTypeForName(QStringLiteral("inode/directory"));
  else if (kind == EntryKind::Link)
    mime = database_.mimeTypeForName(QStringLiteral("inode/symlink"));
  else {
    const std::string probe = !key.empty() && key.front() == '.' && key != name
                                  ? "x" + std::string(key)
                                  : std::string(key);
    mime = database_.mimeTypeForFile(QString::fromStdString(probe), QMimeDatabase::MatchExtension);
  }
  const std::uint16_t index = indexOf(mime);
  byKey_.emplace(key, index);
  return index;
}

std::uint16_t FileTypeTable::indexOf(const QMimeType& mime) {
  if (const auto found = byMimeName_.find(mime.name()); found != byMimeName_.end())
    return found->second;
  if (types_.size() >= 0xFFFF) return 0;  // the table is full: the first type stands in
  types_.push_back(
      {mime.comment().left(MaxNameCharacters), mime.iconName(), mime.genericIconName()});
  const auto index = static_cast<std::uint16_t>(types_.size() - 1);
  byMimeName_.emplace(mime.name(), index);
  return index;
}

const FileTypeTable::Type* FileTypeTable::type(std::uint16_t index) const {
  return index < types_.size() ? &types_[index] : nullptr;
}

QString FileTypeTable::name(std::uint16_t index) const {
  const Type* t = type(index);
  return t ? t->name : QString();
}

}  // namespace nuvelo
