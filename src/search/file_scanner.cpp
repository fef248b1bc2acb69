#include "search/file_scanner.h"

#include <algorithm>
#include <array>
#include <vector>

#include "extract/classify.h"
#include "extract/html_text.h"
#include "extract/text_normalize.h"

namespace quor {
namespace {

// The search text keeps letters and digits, folded; everything else is a space.
const std::array<char16_t, 65536>& SearchCharTable() {
  static const std::array<char16_t, 65536> table = [] {
    std::array<char16_t, 65536> t{};
    for (std::size_t c = 0; c < t.size(); ++c) {
      const auto ch = static_cast<char16_t>(c);
      t[c] = IsSearchLetter(ch) || IsSearchDigit(ch) ? FoldChar(ch) : u' ';
    }
    return t;
  }();
  return table;
}

// 1 when the words stand at start of a search text as consecutive whole
// words (the character before start is taken to be a space), 0 when they do
// not, -1 when the text ends too soon to tell and atEnd is false.
int PhraseStartsAt(std::u16string_view text, std::size_t start, const TextList& words, bool atEnd) {
  std::size_t pos = start;
  for (std::size_t k = 0; k < words.size(); ++k) {
    if (k > 0) {
      // Whole words are parted by one or more spaces.
      if (pos == text.size()) return atEnd ? 0 : -1;
      if (text[pos] != u' ') return 0;
      while (pos < text.size() && text[pos] == u' ') ++pos;
      if (pos == text.size()) return atEnd ? 0 : -1;
    }
    const std::u16string& word = words[k];
    const std::size_t have = std::min(word.size(), text.size() - pos);
    if (text.compare(pos, have, word, 0, have) != 0) return 0;
    if (have < word.size()) return atEnd ? 0 : -1;
    pos += word.size();
  }
  if (pos < text.size()) return text[pos] == u' ' ? 1 : 0;
  return atEnd ? 1 : -1;
}

// Runs the matcher's phrase search on one block of report mode.
void MatchPhraseInBlock(const BlockTexts& block, std::int64_t blockStart, const TextList& words,
                        ExtractCollector& collector) {
  const std::u16string_view text = block.search;
  std::size_t p = 0;
  while (p < text.size()) {
    const std::size_t start = FindWholeWord(text, words.front(), p);
    if (start == std::u16string_view::npos) return;
    if (PhraseStartsAt(text, start, words, true) > 0) {
      const std::size_t resume = collector.Occurrence(block, blockStart, start, words.front());
      if (resume == std::u16string_view::npos || resume <= start) return;
      p = resume;
      continue;
    }
    p = start + words.front().size();
  }
}

}  // namespace

void MakeBlockTexts(std::span<std::uint8_t> bytes, BlockTexts& texts, bool withDisplay) {
  BlankTags(bytes);
  const auto& table = SearchCharTable();
  if (!withDisplay) {
    // Without bytes above 127 and without "&" the repairs and the entity
    // steps change nothing: the search text is the blanked bytes mapped.
    const std::size_t n = bytes.size();
    texts.search.resize(n);
    std::size_t i = 0;
    for (; i < n; ++i) {
      const std::uint8_t b = bytes[i];
      if (b >= 0x80 || b == '&' || b == 0) break;
      texts.search[i] = table[b];
    }
    if (i == n) {
      texts.length = n;
      return;
    }
  }
  texts.display = BlockToText(bytes);
  RepairUtf8LatinInPlace(texts.display);
  RepairUtf8PunctuationInPlace(texts.display);
  texts.length = texts.display.size();
  DecodeEntities(texts.display);
  texts.search = texts.display;
  BlankShortEntities(texts.search);
  for (char16_t& ch : texts.search) ch = table[ch];
}

std::size_t FindWholeWord(std::u16string_view text, std::u16string_view word, std::size_t from) {
  const auto& table = SearchCharTable();
  for (std::size_t pos = text.find(word, from); pos != std::u16string_view::npos;
       pos = text.find(word, pos + 1)) {
    const bool before = pos == 0 || table[text[pos - 1]] == u' ';
    const std::size_t end = pos + word.size();
    const bool after = end == text.size() || table[text[end]] == u' ';
    if (before && after) return pos;
  }
  return std::u16string_view::npos;
}

PhraseMatcher::PhraseMatcher(const TextList& words) : words_(words) {}

bool PhraseMatcher::Feed(std::u16string_view searchText) {
  if (found_) return true;
  // What lies before the next possible start is no longer needed, except the
  // one character that tells whether a word starts there.
  if (next_ > 65536) {
    text_.erase(0, next_ - 1);
    next_ = 1;
  }
  text_ += searchText;
  Run(false);
  return found_;
}

bool PhraseMatcher::Finish() {
  if (!found_) Run(true);
  return found_;
}

void PhraseMatcher::Run(bool atEnd) {
  const std::u16string& first = words_.front();
  while (!found_) {
    std::size_t start = text_.find(first, next_);
    // A first word that reaches the end of the text may go on in the next.
    while (start != std::u16string::npos) {
      const bool before = start == 0 || text_[start - 1] == u' ';
      const std::size_t end = start + first.size();
      if (end == text_.size() && !atEnd) {
        next_ = start;
        return;
      }
      if (before && (end == text_.size() || text_[end] == u' ')) break;
      start = text_.find(first, start + 1);
    }
    if (start == std::u16string::npos) {
      // No start before the last characters, which a longer text may extend.
      next_ = text_.size() >= first.size() ? text_.size() - first.size() + 1 : 0;
      if (atEnd) next_ = text_.size();
      return;
    }
    const int at = PhraseStartsAt(text_, start, words_, atEnd);
    if (at < 0) {
      next_ = start;
      return;
    }
    if (at > 0) {
      found_ = true;
      return;
    }
    next_ = start + first.size();
  }
}

void MatchBlockForReport(const BlockTexts& block, std::int64_t blockStart, const TextList& words,
                         SearchType type, ExtractCollector& collector) {
  if (words.empty()) return;
  if (type == SearchType::kExactPhrase && words.size() > 1) {
    MatchPhraseInBlock(block, blockStart, words, collector);
    return;
  }
  const std::u16string_view text = block.search;
  std::size_t p = 0;
  while (p < text.size()) {
    std::size_t best = std::u16string_view::npos;
    const std::u16string* bestWord = nullptr;
    for (const std::u16string& word : words) {
      const std::size_t at = FindWholeWord(text, word, p);
      if (at < best) {
        best = at;
        bestWord = &word;
      }
    }
    if (bestWord == nullptr) return;
    const std::size_t resume = collector.Occurrence(block, blockStart, best, *bestWord);
    if (resume == std::u16string_view::npos || resume <= best) return;
    p = resume;
  }
}

ScanOutcome ScanFileText(std::u16string_view fullPath, const ScanRequest& request,
                         DocumentTextObserver& observer) {
  const TextList& words = *request.words;
  DocumentText document(observer);
  // The file list does not keep type codes: the file's start tells a UTF-16
  // or UTF-32 text from bytes, as classification did when it was indexed.
  switch (document.Open(fullPath, kTypeUnicode)) {
    case DocumentOpen::kOpened:
      break;
    case DocumentOpen::kPassedOver:
      return ScanOutcome::kNotRead;
    case DocumentOpen::kStopped:
      return ScanOutcome::kStopRequested;
    case DocumentOpen::kFailed:
      // A file that cannot be opened says why; a DOCX failure that ends the
      // work has been reported already and says nothing.
      return document.Error().empty() ? ScanOutcome::kStopRequested : ScanOutcome::kNotRead;
  }
  PhraseMatcher matcher(words);
  ExtractCollector* collector = request.collector;
  if (collector != nullptr) collector->BeginFile(document.TextSize());
  std::vector<std::uint8_t> bytes;
  BlockTexts texts;
  std::int64_t blockStart = 1;
  std::string_view block;
  while (document.NextBlock(block)) {
    bytes.assign(block.begin(), block.end());
    MakeBlockTexts(bytes, texts, collector != nullptr);
    if (collector == nullptr) {
      if (matcher.Feed(texts.search)) return ScanOutcome::kPhraseFound;
    } else {
      MatchBlockForReport(texts, blockStart, words, request.type, *collector);
      if (collector->FileDone()) return ScanOutcome::kDone;
    }
    blockStart += static_cast<std::int64_t>(texts.length);
  }
  if (document.Failed()) return ScanOutcome::kNotRead;
  if (collector == nullptr && matcher.Finish()) return ScanOutcome::kPhraseFound;
  return ScanOutcome::kDone;
}

}  // namespace quor
