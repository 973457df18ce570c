#pragma once
// The texts of a file the program reads or writes that does not serve, for the window and
// nuvelo-cli alike.

#include <string>

namespace nuvelo {

// "<path> に書き込めません".
std::string cannotWriteText(const std::string& path);
// "<path> は通常のファイルではありません".
std::string notRegularFileText(const std::string& path);
std::string cannotWriteStandardOutputText();
// Standard output's reader went away (a closed pipe): what followed was not written.
std::string outputClosedText();

}  // namespace nuvelo
