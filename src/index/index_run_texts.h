// The texts an index build shows while it runs and when it ends: the current
// file's path shortened for its label, the wandering star of the words
// display, and the duration of the run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quor {

// A path longer than limit characters is shown as its first 3 characters,
// "..." and its last limit - 6 characters (80 gives 3 + 3 + 74); a shorter
// path is shown whole.
std::u16string ShortenPathForDisplay(std::u16string_view path, int limit);

// The star of lblAsterisks: k spaces, "*" and 24 - k spaces, where k is
// (fileNumber + wordCount) / 97 rounded to a whole number (halves to even),
// modulo 24. It wanders as files and words accumulate.
std::u16string AsteriskText(std::int64_t fileNumber, std::int64_t wordCount);

// How long a run took, for t of 5 seconds or more: below 60 "12 seconds";
// otherwise the non-zero pieces of days, hours, minutes and seconds joined as
// an English list, e.g. "1 minute and 15 seconds", "1 hour, 2 minutes and 5
// seconds", "1 hour".
std::u16string DurationText(double seconds);

// The time text of a run's result: empty below 5 seconds, otherwise "Time = "
// + DurationText + ".".
std::u16string RunTimeText(double seconds);

// Seconds between two readings of a clock that may have been set back (or a
// seconds-since-midnight clock that passed midnight): a negative difference
// gains a day.
double ElapsedSeconds(double start, double end);

}  // namespace quor
