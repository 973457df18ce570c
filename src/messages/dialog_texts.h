#pragma once
// The captions of the program's small dialogs: the buttons they share, the About box, the
// properties dialog and the list of failed files.

#include <string>

namespace nuvelo {

std::string okCaption();
std::string cancelCaption();
std::string closeCaption();

struct AboutTexts {
  std::string title;            // "ﾊﾞｰｼﾞｮﾝ情報"
  std::string makerCredit;      // "Copyright (C) 2026 Nuvelo の開発者"
  std::string comments;         // "Comments : Freewear"
  std::string homePageCaption;  // "URL : ", before the link
  std::string homePageTip;      // the link's tool tip
};
AboutTexts aboutTexts();
// "Version: 1.3.0.2".
std::string aboutVersionText(const std::string& version);
// "Licence to : <user>"; the caption alone for no user.
std::string licenceText(const std::string& userName);

// The properties dialog: its title, and the captions of its lines in their order.
struct PropertiesTexts {
  std::string title;  // "プロパティ", followed by " - " and the name
  std::string name, type, size, place, modified, permissions;
};
PropertiesTexts propertiesTexts();
// A line's caption before its value: "名前：".
std::string fieldCaptionText(const std::string& caption);
// A size in bytes, its number already written: "182,000 バイト".
std::string byteCountText(const std::string& number);

std::string failedFilesTitle();

}  // namespace nuvelo
