#pragma once
// The totals of the checked rows as the status bar and nuvelo-cli show them.

#include <string>

#include "engine/search/result_rows.h"

namespace nuvelo {

// "合計= 3個 (2.0 M バイト)": megabytes above 1048576 bytes, kilobytes above 1024, else bytes;
// one decimal rounded half away from zero, with the given decimal separator.
std::string totalsText(const Totals& totals, const std::string& decimalSeparator);

}  // namespace nuvelo
