#pragma once
// Program-wide set-up of the Qt application: title, help file and Japanese translation. The
// font is the desktop's; tests and screenshots may pin the design font.

#include <QString>

class QApplication;

namespace nuvelo {

inline constexpr const char* ApplicationTitle = "Nuvelo";

// The help file the application starts with, beside the program.
QString startupHelpFile();

void configureApplication(QApplication& app);

// The design font for every window: "ＭＳ Ｐゴシック" where installed, else an installed
// Japanese desktop font, at 12 pixels (for tests and screenshots that want the design's
// pixels).
void applyProgramFont(QApplication& app);

}  // namespace nuvelo
