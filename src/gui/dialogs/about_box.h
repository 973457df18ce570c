#pragma once
// The About box TAboutBox: the program's title, its product version, the maker, comments, the
// web page link and the user's name. Made for each showing.

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

inline constexpr const char* MakerCredit = "Copyright (C) 2026 Nuvelo の開発者";
inline constexpr const char* HomePage = "https://nuvelo.example.org/";

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  TAboutBox(const VersionInfo& version, std::optional<std::string> userName, DesktopShell& shell,
            QWidget* owner = nullptr);

  QFrame* Panel1 = nullptr;
  QLabel* ProgramIcon = nullptr;
  QLabel* ProductName = nullptr;
  QLabel* Version = nullptr;
  QLabel* Copyright = nullptr;
  QLabel* Comments = nullptr;
  QLabel* Label2 = nullptr;
  ClickableLabel* LblURL = nullptr;
  QLabel* Label1 = nullptr;
  QPushButton* OKButton = nullptr;

  void LblURLClick();

 private:
  void FormCreate(const VersionInfo& version, const std::optional<std::string>& userName);

  DesktopShell& shell_;
};

}  // namespace nuvelo
