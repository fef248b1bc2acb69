#include "search/file_scanner.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/encoding.h"
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
template <typename Char, typename Words>
int PhraseStartsAt(std::basic_string_view<Char> text, std::size_t start, const Words& words,
                   bool atEnd) {
  std::size_t pos = start;
  for (std::size_t k = 0; k < words.size(); ++k) {
    if (k > 0) {
      // Whole words are parted by one or more spaces.
      if (pos == text.size()) return atEnd ? 0 : -1;
      if (text[pos] != ' ') return 0;
      while (pos < text.size() && text[pos] == ' ') ++pos;
      if (pos == text.size()) return atEnd ? 0 : -1;
    }
    const std::basic_string_view<Char> word = words[k];
    const std::size_t have = std::min(word.size(), text.size() - pos);
    if (text.compare(pos, have, word, 0, have) != 0) return 0;
    if (have < word.size()) return atEnd ? 0 : -1;
    pos += word.size();
  }
  if (pos < text.size()) return text[pos] == ' ' ? 1 : 0;
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

// The length of the longest entity the entity steps decode ("&" to ";").
std::size_t LongestEntity() {
  const std::u16string_view table = EntityTable();
  std::size_t longest = 0;
  for (std::size_t a = table.find(u'&'); a != std::u16string_view::npos;
       a = table.find(u'&', a + 1)) {
    const std::size_t semicolon = table.find(u';', a + 1);
    if (semicolon == std::u16string_view::npos) break;
    longest = std::max(longest, semicolon - a + 1);
  }
  return longest;
}

// True when no "&" of bytes can be changed by the entity steps: the next ";"
// after each lies farther than the longest entity (and so farther than a
// short entity) or there is none. DecodeEntities and BlankShortEntities then
// leave the text as it is.
bool AmpersandsAreInert(const std::uint8_t* bytes, std::size_t n) {
  static const std::size_t longest = std::max<std::size_t>(LongestEntity(), 6);
  const auto* start = reinterpret_cast<const char*>(bytes);
  const char* end = start + n;
  const char* semicolon = nullptr;
  for (const char* at = static_cast<const char*>(std::memchr(start, '&', n)); at != nullptr;
       at = static_cast<const char*>(
           std::memchr(at + 1, '&', static_cast<std::size_t>(end - at - 1)))) {
    if (semicolon == nullptr || semicolon <= at) {
      semicolon = static_cast<const char*>(
          std::memchr(at + 1, ';', static_cast<std::size_t>(end - at - 1)));
      if (semicolon == nullptr) return true;
    }
    if (static_cast<std::size_t>(semicolon - at) + 1 <= longest) return false;
  }
  return true;
}

}  // namespace

void MakeBlockTexts(std::span<std::uint8_t> bytes, BlockTexts& texts) {
  BlankTags(bytes);
  MakeTextsFromBlanked(bytes, texts);
}

void MakeTextsFromBlanked(std::span<const std::uint8_t> bytes, BlockTexts& texts) {
  const auto& table = SearchCharTable();
  texts.display = BlockToText(bytes);
  RepairUtf8LatinInPlace(texts.display);
  RepairUtf8PunctuationInPlace(texts.display);
  texts.length = texts.display.size();
  DecodeEntities(texts.display);
  texts.search = texts.display;
  BlankShortEntities(texts.search);
  for (char16_t& ch : texts.search) ch = table[ch];
}

bool MakePlainSearchBytes(std::span<std::uint8_t> blanked) {
  // Without bytes above 127 and zero bytes the repairs change nothing, and
  // neither do the entity steps when no "&" starts an entity: the search
  // text is then the blanked bytes mapped. The blocks are checked and mapped
  // 16 bytes at a time where the processor allows it.
  std::uint8_t* bytes = blanked.data();
  const std::size_t n = blanked.size();
  std::size_t i = 0;
  int ampersands = 0;
#if defined(__SSE2__)
  const __m128i amp = _mm_set1_epi8('&');
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    if (_mm_movemask_epi8(_mm_or_si128(v, _mm_cmpeq_epi8(v, zero))) != 0) return false;
    ampersands |= _mm_movemask_epi8(_mm_cmpeq_epi8(v, amp));
  }
#endif
  for (std::size_t k = i; k < n; ++k) {
    if (bytes[k] >= 0x80 || bytes[k] == 0) return false;
    ampersands |= bytes[k] == '&';
  }
  if (ampersands != 0 && !AmpersandsAreInert(bytes, n)) return false;
  i = 0;
#if defined(__SSE2__)
  // Every byte is below 128 now, so signed comparisons order them.
  const __m128i caseBit = _mm_set1_epi8(0x20);
  const __m128i space = _mm_set1_epi8(' ');
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    const __m128i lower = _mm_or_si128(v, caseBit);
    const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)),
                                         _mm_cmplt_epi8(lower, _mm_set1_epi8('z' + 1)));
    const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('0' - 1)),
                                        _mm_cmplt_epi8(v, _mm_set1_epi8('9' + 1)));
    const __m128i kept = _mm_or_si128(_mm_and_si128(letter, lower), _mm_and_si128(digit, v));
    const __m128i blank = _mm_andnot_si128(_mm_or_si128(letter, digit), space);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + i), _mm_or_si128(kept, blank));
  }
#endif
  for (; i < n; ++i) {
    const std::uint8_t b = bytes[i];
    const auto lower = static_cast<std::uint8_t>(b | 0x20);
    const bool letter = lower >= 'a' && lower <= 'z';
    const bool digit = b >= '0' && b <= '9';
    bytes[i] = letter ? lower : digit ? b : static_cast<std::uint8_t>(' ');
  }
  return true;
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

PhraseMatcher::PhraseMatcher(const TextList& words) {
  for (const std::u16string& word : words) words_.push_back(TextToAnsi(word));
}

void PhraseMatcher::DropConsumed() {
  // What lies before the next possible start is no longer needed, except the
  // one character that tells whether a word starts there.
  if (next_ > 1) {
    text_.erase(0, next_ - 1);
    next_ = 1;
  }
}

bool PhraseMatcher::FeedBytes(std::string_view searchBytes) {
  if (found_) return true;
  DropConsumed();
  text_ += searchBytes;
  Run(false);
  return found_;
}

bool PhraseMatcher::Feed(std::u16string_view searchText) {
  if (found_) return true;
  DropConsumed();
  const std::size_t old = text_.size();
  text_.resize(old + searchText.size());
  char* out = text_.data() + old;
  for (char16_t ch : searchText) {
    *out++ = ch < 0x80 ? static_cast<char>(ch) : static_cast<char>(AnsiCode(ch));
  }
  Run(false);
  return found_;
}

bool PhraseMatcher::Finish() {
  if (!found_) Run(true);
  return found_;
}

void PhraseMatcher::Run(bool atEnd) {
  const std::string_view text = text_;
  const std::string_view first = words_.front();
  while (!found_) {
    std::size_t start = text.find(first, next_);
    // A first word that reaches the end of the text may go on in the next.
    while (start != std::string_view::npos) {
      const bool before = start == 0 || text[start - 1] == ' ';
      const std::size_t end = start + first.size();
      if (end == text.size() && !atEnd) {
        next_ = start;
        return;
      }
      if (before && (end == text.size() || text[end] == ' ')) break;
      start = text.find(first, start + 1);
    }
    if (start == std::string_view::npos) {
      // No start before the last characters, which a longer text may extend.
      next_ = text.size() >= first.size() ? text.size() - first.size() + 1 : 0;
      if (atEnd) next_ = text.size();
      return;
    }
    const int at = PhraseStartsAt(text, start, words_, atEnd);
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
    bytes.resize(block.size());
    std::memcpy(bytes.data(), block.data(), block.size());
    if (collector == nullptr) {
      // Phrase mode needs only the search text: a plain block goes straight
      // from its bytes.
      BlankTags(bytes);
      if (MakePlainSearchBytes(bytes)) {
        if (matcher.FeedBytes({reinterpret_cast<const char*>(bytes.data()), bytes.size()})) {
          return ScanOutcome::kPhraseFound;
        }
        continue;
      }
      MakeTextsFromBlanked(bytes, texts);
      if (matcher.Feed(texts.search)) return ScanOutcome::kPhraseFound;
      continue;
    }
    MakeBlockTexts(bytes, texts);
    MatchBlockForReport(texts, blockStart, words, request.type, *collector);
    if (collector->FileDone()) return ScanOutcome::kDone;
    blockStart += static_cast<std::int64_t>(texts.length);
  }
  if (document.Failed()) return ScanOutcome::kNotRead;
  if (collector == nullptr && matcher.Finish()) return ScanOutcome::kPhraseFound;
  return ScanOutcome::kDone;
}

}  // namespace quor
