#pragma once
// nuvelo-cli's help: the usage text of --help, and the line after a command-line error that
// points to it.

#include <string>

namespace nuvelo {

std::string usageText();
// "詳しくは nuvelo-cli --help".
std::string moreHelpText();

}  // namespace nuvelo
