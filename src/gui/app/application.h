#pragma once
// Program-wide set-up of the Qt application: title, help file, Japanese translation and font.

#include <QString>

class QApplication;

namespace nuvelo {

inline constexpr const char* ApplicationTitle = "Nuvelo";

// The help file the application starts with, beside the program.
QString startupHelpFile();

void configureApplication(QApplication& app);

// "ＭＳ Ｐゴシック" where installed, else an installed Japanese desktop font, at 12 pixels.
void applyProgramFont(QApplication& app);

}  // namespace nuvelo
