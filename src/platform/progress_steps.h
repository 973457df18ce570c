#pragma once
// The stepping of a progress bar: one step past the maximum starts the bar again from the
// beginning, as a native progress control does.

namespace nuvelo {

constexpr long long steppedPosition(long long position, long long minimum, long long maximum) {
  const long long next = position + 1;
  if (maximum <= minimum) return minimum;
  if (next > maximum || next < minimum) return minimum + (next - minimum) % (maximum - minimum);
  return next;
}

}  // namespace nuvelo
