#include "common/strings.h"

#include <array>
#include <charconv>
#include <string>

namespace quor {

namespace {

bool IsBlank(std::u16string_view text) {
  return text.find_first_not_of(u' ') == text.npos;
}

}  // namespace

std::u16string Trim(std::u16string_view text) {
  const std::size_t first = text.find_first_not_of(u' ');
  if (first == text.npos) return {};
  const std::size_t last = text.find_last_not_of(u' ');
  return std::u16string(text.substr(first, last - first + 1));
}

std::u16string PluralS(std::int64_t n) {
  return n == 1 ? u"" : u"s";
}

std::u16string NumberToWords(std::int64_t n) {
  static constexpr std::array<std::u16string_view, 20> kUnits = {
      u"No",       u"One",     u"Two",     u"Three",     u"Four",     u"Five",    u"Six",
      u"Seven",    u"Eight",   u"Nine",    u"Ten",       u"Eleven",   u"Twelve",  u"Thirteen",
      u"Fourteen", u"Fifteen", u"Sixteen", u"Seventeen", u"Eighteen", u"Nineteen"};
  static constexpr std::array<std::u16string_view, 10> kTens = {
      u"",      u"",      u"Twenty",  u"Thirty", u"Forty",
      u"Fifty", u"Sixty", u"Seventy", u"Eighty", u"Ninety"};
  if (n < 0 || n >= 100) return GroupDigits(n);
  if (n < 20) return std::u16string(kUnits[n]);
  std::u16string words(kTens[n / 10]);
  if (n % 10 != 0) {
    std::u16string unit(kUnits[n % 10]);
    unit[0] = static_cast<char16_t>(unit[0] - u'A' + u'a');  // the units word in lower case
    words += u' ';
    words += unit;
  }
  return words;
}

std::u16string ToText(std::int64_t n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string GroupDigits(std::int64_t n) {
  const std::string digits = std::to_string(n);
  const std::size_t sign = n < 0 ? 1 : 0;
  std::u16string text(digits.begin(), digits.begin() + static_cast<std::ptrdiff_t>(sign));
  const std::size_t count = digits.size() - sign;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0 && (count - i) % 3 == 0) text += u',';
    text += static_cast<char16_t>(digits[sign + i]);
  }
  return text;
}

double LeadingNumber(std::u16string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t')) ++pos;
  // Copy the longest run that can belong to a number; from_chars then takes
  // the longest prefix that is one, independent of the locale.
  std::string ascii;
  if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'+')) {
    if (text[pos] == u'-') ascii += '-';
    ++pos;
  }
  for (; pos < text.size(); ++pos) {
    const char16_t ch = text[pos];
    const bool numeric = (ch >= u'0' && ch <= u'9') || ch == u'.' || ch == u'e' || ch == u'E' ||
                         ch == u'-' || ch == u'+';
    if (!numeric) break;
    ascii += static_cast<char>(ch);
  }
  double value = 0;
  const char* first = ascii.data();
  const char* last = ascii.data() + ascii.size();
  // from_chars accepts no leading "+", which was dropped above, and rejects a
  // second sign ("--1").
  if (first != last && *first == '-' && last - first > 1 && (first[1] == '-' || first[1] == '+')) {
    return 0;
  }
  const auto result = std::from_chars(first, last, value, std::chars_format::general);
  if (result.ec != std::errc()) return 0;
  return value;
}

int SplitLines(std::u16string_view text, TextList& list, int caseMode, bool trim) {
  list.clear();
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find_first_of(u"\r\n", pos);
    if (end == text.npos) end = text.size();
    std::u16string_view line = text.substr(pos, end - pos);
    if (!IsBlank(line)) {
      std::u16string entry = trim ? Trim(line) : std::u16string(line);
      if (caseMode == 1) FoldCaseInPlace(entry);
      list.push_back(std::move(entry));
    }
    if (end == text.size()) break;
    pos = end + 1;
    if (text[end] == u'\r' && pos < text.size() && text[pos] == u'\n') ++pos;
  }
  return static_cast<int>(list.size());
}

int SplitList(std::u16string_view text, std::u16string_view separator, TextList& list, bool trim,
              int minLength, int maxCount) {
  list.clear();
  // Adds one piece; false once the list is full.
  const auto add = [&](std::u16string_view piece) {
    std::u16string item = trim ? Trim(piece) : std::u16string(piece);
    if (static_cast<int>(item.size()) >= minLength) list.push_back(std::move(item));
    return maxCount <= 0 || static_cast<int>(list.size()) < maxCount;
  };
  if (!separator.empty() && text.starts_with(separator)) text.remove_prefix(separator.size());
  if (text.empty()) return 0;
  if (separator.empty()) {
    add(text);
    return static_cast<int>(list.size());
  }
  std::size_t pos = 0;
  while (true) {
    const std::size_t end = text.find(separator, pos);
    if (end == text.npos) {
      add(text.substr(pos));
      break;
    }
    if (!add(text.substr(pos, end - pos))) break;
    pos = end + separator.size();
  }
  return static_cast<int>(list.size());
}

std::u16string JoinLines(const TextList& list) {
  std::u16string text;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (i > 0) text += kCrLf;
    text += list[i];
  }
  return text;
}

}  // namespace quor
