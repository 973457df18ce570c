#include "messages/totals_text.h"

#include <cmath>
#include <cstdio>

#include "messages/wording.h"

namespace nuvelo {
namespace {

std::string fixedOneDecimal(double value, const std::string& decimalSeparator) {
  const double tenths = std::round(value * 10.0);  // halves away from zero
  if (std::fabs(tenths) >= 9e17) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
  }
  const long long whole = static_cast<long long>(tenths);
  return std::to_string(whole / 10) + decimalSeparator + std::to_string(std::llabs(whole % 10));
}

}  // namespace

std::string totalsText(const Totals& totals, const std::string& decimalSeparator) {
  const std::string count = std::to_string(totals.count);
  if (totals.bytes > 1048576.0)
    return fill("合計= {1}個 ({2} M バイト)",
                {count, fixedOneDecimal(totals.bytes / 1024 / 1024, decimalSeparator)});
  if (totals.bytes > 1024.0)
    return fill("合計= {1}個 ({2} k バイト)",
                {count, fixedOneDecimal(totals.bytes / 1024, decimalSeparator)});
  return fill("合計= {1}個 ({2} バイト)", {count, std::to_string(std::llround(totals.bytes))});
}

}  // namespace nuvelo
