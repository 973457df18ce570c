#include "gui/dialogs/copy_notice.h"

#include <algorithm>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "engine/copy/copy_run.h"
#include "gui/widgets/program_icon.h"
#include "platform/desktop_shell.h"
#include "platform/message_boxes.h"
#include "platform/qt/gui_text.h"

namespace nuvelo {
namespace {

constexpr int WidenAbove = 150;
constexpr int ButtonsTop = 80;
constexpr int CheckBoxTop = 112;

QLabel* blueLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, Qt::blue);
  label->setPalette(palette);
  return label;
}

}  // namespace

TfrmRes::TfrmRes(bool& showResult, MessageBoxes& boxes, DesktopShell& shell, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      showResult_(showResult),
      boxes_(boxes),
      shell_(shell) {
  setObjectName(QStringLiteral("frmRes"));
  setWindowTitle(QStringLiteral("結果"));
  setWindowIcon(programIcon());
  setFixedSize(DesignWidth, DesignHeight);

  Label1 = new QLabel(QStringLiteral("コピーが終了しました。"), this);
  Label1->move(32, 24);
  Label1->adjustSize();

  Image1 = new QLabel(this);
  Image1->setGeometry(216, 8, 33, 33);
  Image1->setPixmap(programIconPixmap(32));

  Label2 = blueLabel(QStringLiteral("コピー先："), this);
  Label2->move(32, 48);
  Label2->adjustSize();

  LblCopyTo = blueLabel({}, this);
  LblCopyTo->setObjectName(QStringLiteral("LblCopyTo"));
  LblCopyTo->setTextFormat(Qt::PlainText);
  LblCopyTo->move(96, 48);

  Button1 = new QPushButton(QStringLiteral("OK"), this);
  Button1->setGeometry(32, ButtonsTop, 73, 25);
  Button1->setDefault(true);

  Button2 = new QPushButton(QStringLiteral("コピー先フォルダを開く"), this);
  Button2->setGeometry(120, ButtonsTop, 137, 25);
  Button2->setAutoDefault(false);

  cbNoReport = new QCheckBox(QStringLiteral("今後、この通知をしない"), this);
  cbNoReport->setGeometry(32, CheckBoxTop, 145, 17);

  LblCounts = new QLabel(this);
  LblCounts->setObjectName(QStringLiteral("LblCounts"));
  LblCounts->move(32, 64);
  LblCounts->hide();

  setTabOrder(Button1, Button2);
  setTabOrder(Button2, cbNoReport);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });

  move(227, 254);  // its own place on the screen, not centred on the main window
}

void TfrmRes::showDestination(const QString& destination) {
  LblCopyTo->setText(destination);
  LblCopyTo->adjustSize();
  if (LblCopyTo->width() > WidenAbove)
    setFixedSize(LblCopyTo->x() + LblCopyTo->width() + 30, height());
}

void TfrmRes::showNotes(const CopyRunResult& result) {
  const CopyCounts& counts = result.counts;
  QStringList lines;
  if (counts.failed > 0) {
    lines << QStringLiteral("コピー %1個, スキップ %2個, 失敗 %3個")
                 .arg(counts.copied)
                 .arg(counts.skipped)
                 .arg(counts.failed);
    lines << qt(failedNamesText(result.failedSources));
  }
  if (!result.attributesNote.empty()) lines << qt(result.attributesNote);
  LblCounts->setVisible(!lines.isEmpty());
  LblCounts->setText(lines.join(QLatin1Char('\n')));
  LblCounts->adjustSize();
  // The lines beyond the first push the buttons and the check box down.
  const int extra = lines.size() > 1 ? LblCounts->height() / lines.size() * (lines.size() - 1) : 0;
  Button1->move(Button1->x(), ButtonsTop + extra);
  Button2->move(Button2->x(), ButtonsTop + extra);
  cbNoReport->move(cbNoReport->x(), CheckBoxTop + extra);
  const int needed = lines.isEmpty() ? width() : LblCounts->x() + LblCounts->width() + 30;
  setFixedSize(std::max(width(), needed), DesignHeight + extra);
}

void TfrmRes::Button1Click() {
  if (cbNoReport->isChecked()) showResult_ = false;
  accept();
}

void TfrmRes::Button2Click() {
  if (cbNoReport->isChecked()) showResult_ = false;
  const Result<> opened = shell_.open(utf8(LblCopyTo->text()));
  if (!opened && opened.error().code == std::errc::not_enough_memory)
    boxes_.show(MessageKind::Error, "メモリーが不足しています", MessageButtons::Ok,
                MessagePlacement::centred());
  else if (!opened)
    boxes_.show(MessageKind::Error, "コピー先フォルダが開けません", MessageButtons::Ok,
                MessagePlacement::centred());
  accept();
}

// No button cancels the notice: Esc does nothing; the close box closes it.
void TfrmRes::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace nuvelo
