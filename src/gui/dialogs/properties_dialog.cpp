#include "gui/dialogs/properties_dialog.h"

#include <sys/stat.h>

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/search/file_date.h"
#include "gui/widgets/program_icon.h"
#include "gui/widgets/scale_to_font.h"
#include "messages/dialog_texts.h"
#include "platform/path_text.h"
#include "platform/posix/filesystem.h"
#include "platform/qt/gui_text.h"
#include "platform/qtcore/display_formats.h"

namespace nuvelo {
namespace {

QString fromBytes(std::string_view bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// rwxr-x--- and its octal value.
QString permissionText(mode_t mode) {
  const char* letters = "rwxrwxrwx";
  QString text;
  for (int bit = 0; bit < 9; ++bit)
    text += (mode & (0400 >> bit)) ? QChar(letters[bit]) : QChar('-');
  return text + QStringLiteral(" (%1)").arg(mode & 07777, 4, 8, QChar('0'));
}

QString sizeDescription(const struct stat& st) {
  const QLocale locale = QLocale::system();
  return qt(byteCountText(utf8(locale.toString(static_cast<qlonglong>(st.st_size)))));
}

}  // namespace

std::vector<std::pair<QString, QString>> PropertiesDialog::linesFor(const std::string& path) {
  struct stat st {};
  if (!lookUpEntry(path, st)) return {};
  const std::string_view name = lastComponent(path);
  const std::string folder = folderOf(path);
  QMimeDatabase mimes;
  const QMimeType type =
      S_ISDIR(st.st_mode) ? mimes.mimeTypeForName(QStringLiteral("inode/directory"))
                          : mimes.mimeTypeForFile(fromBytes(name), QMimeDatabase::MatchExtension);
  const DisplayFormats formats = DisplayFormats::ofUser();
  const PropertiesTexts captions = propertiesTexts();
  return {
      {qt(captions.name), fromBytes(name)},
      {qt(captions.type), type.comment()},
      {qt(captions.size), sizeDescription(st)},
      {qt(captions.place), fromBytes(folder)},
      {qt(captions.modified),
       QString::fromStdString(dateTimeText(localTimeParts(st.st_mtim.tv_sec), formats.dateSeparator,
                                           formats.timeSeparator))},
      {qt(captions.permissions), permissionText(st.st_mode)},
  };
}

PropertiesDialog::PropertiesDialog(const std::string& path, QWidget* parent) : QDialog(parent) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(programIcon());
  const auto lines = linesFor(path);
  setWindowTitle(qt(propertiesTexts().title) +
                 (lines.empty() ? QString() : QStringLiteral(" - ") + lines.front().second));
  auto* form = new QFormLayout;
  for (const auto& [label, value] : lines) {
    auto* text = new QLabel(value);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->setTextFormat(Qt::PlainText);
    form->addRow(qt(fieldCaptionText(utf8(label))), text);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  buttons->button(QDialogButtonBox::Close)->setText(qt(closeCaption()));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  scaleToFont(*this);
}

}  // namespace nuvelo
