#include "gui/dialogs/about_box.h"

#include <QApplication>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "gui/widgets/clickable_label.h"
#include "gui/widgets/program_icon.h"
#include "gui/widgets/scale_to_font.h"
#include "messages/dialog_texts.h"
#include "platform/desktop_shell.h"
#include "platform/qt/gui_text.h"

namespace nuvelo {
namespace {

QLabel* label(const char* name, const std::string& text, QWidget* parent, QPoint at) {
  auto* l = new QLabel(qt(text), parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setTextFormat(Qt::PlainText);
  l->move(at);
  l->adjustSize();
  return l;
}

}  // namespace

AboutBox::AboutBox(const VersionInfo& version, std::optional<std::string> userName,
                   DesktopShell& shell, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      shell_(shell) {
  setObjectName(QStringLiteral("AboutBox"));
  const AboutTexts texts = aboutTexts();
  setWindowTitle(qt(texts.title));
  setWindowIcon(programIcon());
  setFixedSize(358, 172);

  infoPanel = new QFrame(this);
  infoPanel->setObjectName(QStringLiteral("Panel1"));
  infoPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  infoPanel->setLineWidth(2);
  infoPanel->setGeometry(8, 8, 345, 121);
  iconLabel = new QLabel(infoPanel);
  iconLabel->setObjectName(QStringLiteral("ProgramIcon"));
  iconLabel->setGeometry(16, 8, 33, 33);
  iconLabel->setPixmap(programIconPixmap(32));
  // Until fillIn, the labels the program fills show the captions they have on the form.
  productNameLabel = label("ProductName", "Product Name", infoPanel, {88, 8});
  QFont bold = productNameLabel->font();
  bold.setBold(true);
  bold.setPixelSize(QFontInfo(font()).pixelSize() * 13 / 12);  // 13 pixels at the design font
  productNameLabel->setFont(bold);
  versionLabel = label("Version", "Version", infoPanel, {88, 24});
  copyrightLabel = label("Copyright", "Copyright", infoPanel, {8, 48});
  commentsLabel = label("Comments", "Comments", infoPanel, {8, 64});
  homePageLabel = label("Label2", "Label2", infoPanel, {8, 80});
  homePageLink = new ClickableLabel(QStringLiteral("LblURL"), infoPanel);
  homePageLink->setObjectName(QStringLiteral("LblURL"));
  homePageLink->setTextFormat(Qt::PlainText);
  homePageLink->setForegroundRole(QPalette::Link);  // readable on a dark palette too
  QFont underlined = homePageLink->font();
  underlined.setUnderline(true);
  homePageLink->setFont(underlined);
  homePageLink->setCursor(Qt::PointingHandCursor);
  homePageLink->setToolTip(qt(texts.homePageTip));
  homePageLink->move(64, 80);
  licenceLabel = label("Label1", licenceText(""), infoPanel, {8, 96});

  okButton = new QPushButton(qt(okCaption()), this);
  okButton->setObjectName(QStringLiteral("OKButton"));
  okButton->setGeometry(141, 140, 75, 25);
  okButton->setDefault(true);
  connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(homePageLink, &ClickableLabel::clicked, this, [this] { onHomePageLinkClicked(); });

  scaleToFont(*this);
  fillIn(texts, version, userName);
}

void AboutBox::fillIn(const AboutTexts& texts, const VersionInfo& version,
                      const std::optional<std::string>& userName) {
  productNameLabel->setText(QApplication::applicationName());
  productNameLabel->adjustSize();
  versionLabel->setText(qt(aboutVersionText(versionText(version.product))));
  versionLabel->adjustSize();
  copyrightLabel->setText(qt(texts.makerCredit));
  copyrightLabel->adjustSize();
  commentsLabel->setText(qt(texts.comments));
  commentsLabel->adjustSize();
  homePageLabel->setText(qt(texts.homePageCaption));
  homePageLabel->adjustSize();
  homePageLink->move(homePageLabel->x() + homePageLabel->width(),
                     homePageLink->y());  // right after "URL : "
  homePageLink->setText(QString::fromUtf8(HomePage));
  homePageLink->adjustSize();
  if (userName) {
    licenceLabel->setText(qt(licenceText(*userName)));
    licenceLabel->adjustSize();
  }
}

void AboutBox::onHomePageLinkClicked() {
  // The browser opens or not; the About box has no message for a failure.
  shell_.openWebAddress(utf8(homePageLink->text()));
}

}  // namespace nuvelo
