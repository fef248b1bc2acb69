// The size texts of files.h.
#include "common/files.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/strings.h"

namespace quor {

namespace {

constexpr std::int64_t kKb = 1024;
constexpr std::int64_t kMb = 1024 * kKb;
constexpr double kGb = 1024.0 * kMb;

// units = the value times 10^decimals, already rounded: "1,234.50".
std::u16string FixedText(std::uint64_t units, int decimals, bool negative) {
  std::uint64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  std::u16string text = negative && units != 0 ? u"-" : u"";
  text += GroupDigits(static_cast<std::int64_t>(units / scale));
  if (decimals > 0) {
    std::u16string fraction = ToText(static_cast<std::int64_t>(units % scale));
    text += u'.';
    text.append(static_cast<std::size_t>(decimals) - fraction.size(), u'0');
    text += fraction;
  }
  return text;
}

// n / unit in hundredths, halves rounded up, without overflow for any
// non-negative n.
std::uint64_t Hundredths(std::int64_t n, std::int64_t unit) {
  const auto whole = static_cast<std::uint64_t>(n / unit);
  const auto rest = static_cast<std::uint64_t>(n % unit);
  return whole * 100 +
         (rest * 100 + static_cast<std::uint64_t>(unit) / 2) / static_cast<std::uint64_t>(unit);
}

// value with the given decimals, halves rounded away from zero, grouped.
std::u16string FormatFixed(double value, int decimals) {
  decimals = std::clamp(decimals, 0, 6);
  const double scaled = std::round(std::fabs(value) * std::pow(10.0, decimals));
  // Sizes are far below this; it only keeps the conversion defined.
  const double capped = std::min(scaled, 9.0e18);
  return FixedText(static_cast<std::uint64_t>(capped), decimals, value < 0);
}

}  // namespace

std::u16string FormatByteSize(std::int64_t n) {
  if (n < kKb) return ToText(n) + u" bytes";
  if (n < kMb) return FixedText(Hundredths(n, kKb), 2, false) + u" Kb";
  return FixedText(Hundredths(n, kMb), 2, false) + u" Mb";
}

std::u16string FormatTotalSize(double bytes, int decimals) {
  if (bytes < kKb) return GroupDigits(std::llround(bytes)) + u" bytes";
  if (bytes < kMb) return FormatFixed(bytes / kKb, decimals) + u" Kb";
  if (bytes < kGb) return FormatFixed(bytes / kMb, decimals) + u" Mb";
  return FormatFixed(bytes / kGb, decimals) + u" Gb";
}

}  // namespace quor
