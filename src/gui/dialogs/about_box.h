#pragma once
// The About box (design name AboutBox): the program's title, its product version, the maker,
// comments, the web page link and the user's name. Made for each showing.

#include <QDialog>
#include <optional>
#include <string>

#include "platform/posix/user_info.h"

class QFrame;
class QLabel;
class QPushButton;

namespace nuvelo {

class ClickableLabel;
class DesktopShell;
struct AboutTexts;

inline constexpr const char* HomePage = "https://nuvelo.example.org/";

class AboutBox : public QDialog {
  Q_OBJECT
 public:
  AboutBox(const VersionInfo& version, std::optional<std::string> userName, DesktopShell& shell,
           QWidget* owner = nullptr);

  // Controls; each one's Qt object name is its name on the form ("Panel1", "LblURL", ...), set
  // where it is built.
  QFrame* infoPanel = nullptr;
  QLabel* iconLabel = nullptr;
  QLabel* productNameLabel = nullptr;
  QLabel* versionLabel = nullptr;
  QLabel* copyrightLabel = nullptr;
  QLabel* commentsLabel = nullptr;
  QLabel* homePageLabel = nullptr;
  ClickableLabel* homePageLink = nullptr;
  QLabel* licenceLabel = nullptr;
  QPushButton* okButton = nullptr;

  // Opens the home page in the browser.
  void onHomePageLinkClicked();

 private:
  // The texts that come from the program: its name, version, maker, home page and user.
  void fillIn(const AboutTexts& texts, const VersionInfo& version,
              const std::optional<std::string>& userName);

  DesktopShell& shell_;
};

}  // namespace nuvelo
