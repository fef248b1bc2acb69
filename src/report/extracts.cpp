#include "report/extracts.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/strings.h"
#include "search/search_words.h"

namespace quor {
namespace {

bool IsWholeWordAt(std::u16string_view text, std::size_t at, std::size_t length) {
  if (at > 0 && IsSearchLetter(text[at - 1])) return false;
  const std::size_t end = at + length;
  return end >= text.size() || !IsSearchLetter(text[end]);
}

bool Overlaps(const std::vector<ExtractMark>& marks, std::size_t start, std::size_t length) {
  return std::any_of(marks.begin(), marks.end(), [&](const ExtractMark& mark) {
    return start < mark.start + mark.length && mark.start < start + length;
  });
}

// Replaces every occurrence of from by to until none is left.
void CollapseAll(std::u16string& text, std::u16string_view from, std::u16string_view to) {
  for (std::size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
  }
}

}  // namespace

void ForEachExtractPiece(const Extract& extract,
                         const std::function<void(std::u16string_view piece, bool isMark)>& piece) {
  const std::u16string_view text = extract.text;
  std::size_t at = 0;
  for (const ExtractMark& mark : extract.marks) {
    if (mark.start < at || mark.start + mark.length > text.size()) continue;
    if (mark.start > at) piece(text.substr(at, mark.start - at), false);
    piece(text.substr(mark.start, mark.length), true);
    at = mark.start + mark.length;
  }
  if (at < text.size()) piece(text.substr(at), false);
}

int ExtractWidth(int sizeItem) {
  return std::clamp(sizeItem, 1, 9) * 10;
}

std::vector<ExtractMark> FindExtractMarks(std::u16string_view text,
                                          const std::vector<std::u16string>& searchWords,
                                          bool exactPhrase) {
  const std::u16string folded = FoldCase(text);
  std::vector<ExtractMark> marks;
  for (std::size_t k = 0; k < searchWords.size(); ++k) {
    const std::u16string& word = searchWords[k];
    if (word.empty()) continue;
    // In a phrase a later word is bold only where the word before it came first.
    std::size_t from = 0;
    if (exactPhrase && k > 0) {
      const std::size_t previous = folded.find(searchWords[k - 1]);
      if (previous == std::u16string::npos) continue;
      from = previous + 1;
    }
    for (std::size_t at = folded.find(word, from); at != std::u16string::npos;
         at = folded.find(word, at + 1)) {
      if (!IsWholeWordAt(folded, at, word.size()) || Overlaps(marks, at, word.size())) continue;
      marks.push_back({at, word.size()});
      at += word.size() - 1;
    }
  }
  std::sort(marks.begin(), marks.end(),
            [](const ExtractMark& a, const ExtractMark& b) { return a.start < b.start; });
  return marks;
}

MadeExtract MakeExtract(std::u16string_view blockText, std::size_t position,
                        std::u16string_view word, int width,
                        const std::vector<std::u16string>& searchWords, bool exactPhrase) {
  MadeExtract made;
  if (blockText.empty() || position >= blockText.size()) {
    made.resumePosition = blockText.size();
    return made;
  }
  // Blanks do not count towards the width.
  std::size_t first = position;
  for (int count = 0; count < width && first > 0;) {
    --first;
    if (blockText[first] != u' ') ++count;
  }
  std::size_t last =
      std::min(position + std::max<std::size_t>(word.size(), 1), blockText.size()) - 1;
  for (int count = 0; count < width && last + 1 < blockText.size();) {
    ++last;
    if (blockText[last] != u' ') ++count;
  }
  made.resumePosition = last + 1;

  std::u16string cut = Trim(blockText.substr(first, last - first + 1));
  CollapseAll(cut, u"  ", u" ");
  CollapseAll(cut, u"/ / ", u"/ ");

  // A word cut off at either end is dropped when it lies in the outer quarter
  // and is not the occurrence itself. Positions are 1-based, 0 for none.
  const std::size_t wordAt = FoldCase(cut).find(FoldCase(word));
  const double q = wordAt == std::u16string::npos ? 0.0 : static_cast<double>(wordAt + 1);
  const std::size_t firstSpace = cut.find(u' ');
  if (firstSpace != std::u16string::npos) {
    const double s = static_cast<double>(firstSpace + 1);
    if (s <= static_cast<double>(cut.size()) / 4 && s < q) cut.erase(0, firstSpace + 1);
  }
  const std::size_t lastSpace = cut.rfind(u' ');
  if (lastSpace != std::u16string::npos) {
    const double t = static_cast<double>(lastSpace + 1);
    const double length = static_cast<double>(cut.size());
    if (length - t <= length / 4 && t > q) cut.erase(lastSpace);
  }

  made.marks = FindExtractMarks(cut, searchWords, exactPhrase);
  constexpr std::u16string_view kLead = u"... ";
  for (ExtractMark& mark : made.marks) mark.start += kLead.size();
  made.text.reserve(cut.size() + 8);
  made.text.append(kLead).append(cut).append(u" ...");
  return made;
}

int PlaceExtract(DecileState& state, std::int64_t blockStart, std::size_t position,
                 std::int64_t fileLength) {
  // Both counted from 1, as the file's characters are.
  const double at = static_cast<double>(blockStart) + static_cast<double>(position + 1);
  const double ratio = fileLength > 0 ? at / static_cast<double>(fileLength) : 1.0;
  int decile = std::clamp(static_cast<int>(std::nearbyint(ratio * 10)), 1, 9);
  if (decile < state.highest) return state.highest;
  state.highest = decile;
  return decile;
}

bool StoreExtract(std::vector<Extract>& list, Extract extract, int maxExtracts) {
  if (!list.empty() && list.back().decile == extract.decile && list.back().text == extract.text) {
    return true;
  }
  list.push_back(std::move(extract));
  return maxExtracts == kNoExtractLimit ||
         std::ssize(list) <= static_cast<std::ptrdiff_t>(kOverCollectFactor) * maxExtracts;
}

FileExtractCollector::FileExtractCollector(int width, int maxExtracts,
                                           std::vector<std::u16string> searchWords,
                                           bool exactPhrase)
    : width_(width),
      maxExtracts_(maxExtracts),
      searchWords_(std::move(searchWords)),
      exactPhrase_(exactPhrase) {}

void FileExtractCollector::BeginFile(std::int64_t fileLength) {
  fileLength_ = fileLength;
  deciles_ = {};
  extracts_.clear();
}

std::size_t FileExtractCollector::Occurrence(std::u16string_view blockText, std::int64_t blockStart,
                                             std::size_t position, std::u16string_view word) {
  MadeExtract made = MakeExtract(blockText, position, word, width_, searchWords_, exactPhrase_);
  const int decile = PlaceExtract(deciles_, blockStart, position, fileLength_);
  const bool more =
      StoreExtract(extracts_, {decile, std::move(made.text), std::move(made.marks)}, maxExtracts_);
  return more ? made.resumePosition : std::u16string_view::npos;
}

bool FileExtractCollector::FileDone() const {
  return maxExtracts_ != kNoExtractLimit &&
         std::ssize(extracts_) > static_cast<std::ptrdiff_t>(kOverCollectFactor) * maxExtracts_;
}

MaxExtractsCheck ValidateMaxExtracts(std::u16string_view boxText, std::u16string_view title) {
  MaxExtractsCheck check;
  check.text = Trim(boxText);
  if (check.text.empty()) return check;
  const bool digits = std::all_of(check.text.begin(), check.text.end(),
                                  [](char16_t ch) { return ch >= u'0' && ch <= u'9'; });
  // The maximum is held in 16 bits; a longer run of digits is no valid count.
  const std::size_t significant =
      check.text.size() - std::min(check.text.find_first_not_of(u'0'), check.text.size());
  long value = 0;
  if (digits && significant <= 5) {
    for (char16_t ch : check.text) value = value * 10 + (ch - u'0');
  }
  if (!digits || significant > 5 || value > 32767) {
    check.refusal = MessageBoxRequest{
        u"Invalid input for maximum number of extracts.\r\n"
        u"Enter the maximum number of extracts to be displayed\r\n"
        u"in the report or leave blank if no limit.",
        std::u16string(title), MsgButtons::Ok, MsgIcon::Exclamation};
    return check;
  }
  if (value == 0) {
    check.refusal = MessageBoxRequest{u"The maximum number of extracts cannot be zero.",
                                      std::u16string(title), MsgButtons::Ok, MsgIcon::Exclamation};
    return check;
  }
  check.maximum = static_cast<int>(value);
  return check;
}

ExtractCount CountExtracts(std::size_t count, int maxExtracts) {
  ExtractCount result;
  const auto c = static_cast<std::int64_t>(count);
  if (maxExtracts != kNoExtractLimit && c > maxExtracts) {
    result.shown = static_cast<std::size_t>(maxExtracts);
    result.shortened = true;
    result.line = u"Number of extracts: " + GroupDigits(maxExtracts);
    if (c > static_cast<std::int64_t>(kOverCollectFactor) * maxExtracts) {
      result.line += u" (more than " + GroupDigits(c - 1) + u" possible)";
    } else {
      result.line += u" (" + GroupDigits(c) + u" possible)";
    }
    return result;
  }
  result.shown = count;
  if (count >= 5) result.line = u"Number of extracts: " + GroupDigits(c);
  return result;
}

}  // namespace quor
