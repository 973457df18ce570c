#include "gui/dialogs/about_box.h"

#include <QApplication>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "gui/widgets/clickable_label.h"
#include "gui/widgets/program_icon.h"
#include "gui/widgets/scale_to_font.h"
#include "platform/desktop_shell.h"
#include "platform/qt/gui_text.h"

namespace nuvelo {
namespace {

QLabel* label(const char* name, const char* text, QWidget* parent, QPoint at) {
  auto* l = new QLabel(QString::fromUtf8(text), parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setTextFormat(Qt::PlainText);
  l->move(at);
  l->adjustSize();
  return l;
}

}  // namespace

TAboutBox::TAboutBox(const VersionInfo& version, std::optional<std::string> userName,
                     DesktopShell& shell, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      shell_(shell) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
  setWindowIcon(programIcon());
  setFixedSize(358, 172);

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setLineWidth(2);
  Panel1->setGeometry(8, 8, 345, 121);
  ProgramIcon = new QLabel(Panel1);
  ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
  ProgramIcon->setGeometry(16, 8, 33, 33);
  ProgramIcon->setPixmap(programIconPixmap(32));
  ProductName = label("ProductName", "Product Name", Panel1, {88, 8});
  QFont bold = ProductName->font();
  bold.setBold(true);
  bold.setPixelSize(QFontInfo(font()).pixelSize() * 13 / 12);  // 13 pixels at the design font
  ProductName->setFont(bold);
  Version = label("Version", "Version", Panel1, {88, 24});
  Copyright = label("Copyright", "Copyright", Panel1, {8, 48});
  Comments = label("Comments", "ｺﾒﾝﾄ", Panel1, {8, 64});
  Label2 = label("Label2", "Label2", Panel1, {8, 80});
  LblURL = new ClickableLabel(QStringLiteral("LblURL"), Panel1);
  LblURL->setObjectName(QStringLiteral("LblURL"));
  LblURL->setTextFormat(Qt::PlainText);
  LblURL->setForegroundRole(QPalette::Link);  // readable on a dark palette too
  QFont underlined = LblURL->font();
  underlined.setUnderline(true);
  LblURL->setFont(underlined);
  LblURL->setCursor(Qt::PointingHandCursor);
  LblURL->setToolTip(QStringLiteral("Browserを起動しWebサイトを開きます"));
  LblURL->move(64, 80);
  Label1 = label("Label1", "Licence to : ", Panel1, {8, 96});

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(141, 140, 75, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(LblURL, &ClickableLabel::clicked, this, [this] { LblURLClick(); });

  scaleToFont(*this);
  FormCreate(version, userName);
}

void TAboutBox::FormCreate(const VersionInfo& version, const std::optional<std::string>& userName) {
  ProductName->setText(QApplication::applicationName());
  ProductName->adjustSize();
  Version->setText(QStringLiteral("Version: ") + qt(versionText(version.product)));
  Version->adjustSize();
  Copyright->setText(QString::fromUtf8(MakerCredit));
  Copyright->adjustSize();
  Comments->setText(QStringLiteral("Comments : Freewear"));
  Comments->adjustSize();
  Label2->setText(QStringLiteral("URL : "));
  Label2->adjustSize();
  LblURL->move(Label2->x() + Label2->width(), LblURL->y());  // right after "URL : "
  LblURL->setText(QString::fromUtf8(HomePage));
  LblURL->adjustSize();
  if (userName) {
    Label1->setText(Label1->text() + qt(*userName));
    Label1->adjustSize();
  }
}

void TAboutBox::LblURLClick() {
  // The browser opens or not; the About box has no message for a failure.
  shell_.openWebAddress(utf8(LblURL->text()));
}

}  // namespace nuvelo
