#include "index/index_run_texts.h"

#include <cmath>
#include <vector>

#include "common/strings.h"

namespace quor {

namespace {

constexpr double kSecondsPerDay = 86400;

std::u16string Piece(std::int64_t n, std::u16string_view unit) {
  return ToText(n) + u" " + std::u16string(unit) + (n == 1 ? u"" : u"s");
}

// "a", "a and b", "a, b and c", ...
std::u16string JoinAsList(const std::vector<std::u16string>& pieces) {
  std::u16string text;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) text += i + 1 == pieces.size() ? u" and " : u", ";
    text += pieces[i];
  }
  return text;
}

}  // namespace

std::u16string ShortenPathForDisplay(std::u16string_view path, int limit) {
  if (limit < 7 || path.size() <= static_cast<std::size_t>(limit)) return std::u16string(path);
  const std::size_t tail = static_cast<std::size_t>(limit) - 6;
  return std::u16string(path.substr(0, 3)) + u"..." +
         std::u16string(path.substr(path.size() - tail));
}

std::u16string AsteriskText(std::int64_t fileNumber, std::int64_t wordCount) {
  const double steps = std::nearbyint(static_cast<double>(fileNumber + wordCount) / 97.0);
  const auto k = static_cast<std::size_t>(static_cast<std::int64_t>(steps) % 24);
  return std::u16string(k, u' ') + u"*" + std::u16string(24 - k, u' ');
}

std::u16string DurationText(double seconds) {
  if (seconds < 60) return ToText(static_cast<std::int64_t>(std::round(seconds))) + u" seconds";
  const auto n = static_cast<std::int64_t>(std::nearbyint(seconds));
  const std::int64_t s = n % 60;
  const std::int64_t m = n / 60;
  const std::int64_t days = m / 1440;
  const std::int64_t hours = (m % 1440) / 60;
  const std::int64_t minutes = m % 60;
  std::vector<std::u16string> pieces;
  if (days != 0) pieces.push_back(Piece(days, u"day"));
  if (hours != 0) pieces.push_back(Piece(hours, u"hour"));
  if (minutes != 0) pieces.push_back(Piece(minutes, u"minute"));
  if (s != 0) pieces.push_back(Piece(s, u"second"));
  return JoinAsList(pieces);
}

std::u16string RunTimeText(double seconds) {
  if (seconds < 5) return {};
  return u"Time = " + DurationText(seconds) + u".";
}

double ElapsedSeconds(double start, double end) {
  double elapsed = end - start;
  if (elapsed < 0) elapsed += kSecondsPerDay;
  return elapsed;
}

}  // namespace quor
