#pragma once
// How dates, times and decimals are written for the user.

#include <string>

namespace nuvelo {

struct DisplayFormats {
  std::string dateSeparator = "/";
  std::string timeSeparator = ":";
  std::string decimalSeparator = ".";

  // The separators of the user's locale.
  static DisplayFormats ofUser();
};

}  // namespace nuvelo
