#include "index/word_scanner.h"

#include <array>
#include <exception>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <new>

#include "common/encoding.h"
#include "common/strings.h"
#include "extract/common_words.h"
#include "extract/html_text.h"
#include "extract/text_normalize.h"

namespace quor {
namespace {

constexpr std::int32_t kWordLengthLimit = 65000;

constexpr bool LowByteIsLetter(unsigned b) {
  return (b >= 65 && b <= 90) || (b >= 97 && b <= 122) || (b >= 192 && b <= 214) ||
         (b >= 216 && b <= 246) || b >= 248;
}

// Word characters by low byte, for the scanner's settings.
constexpr std::array<bool, 256> kScannerWordByte = [] {
  std::array<bool, 256> table{};
  for (unsigned b = 0; b < 256; ++b) table[b] = LowByteIsLetter(b) || (b >= 48 && b <= 57);
  return table;
}();

// The folded, space-free line equals the attachment marker.
bool IsBase64Marker(std::u16string_view line) {
  std::size_t k = 0;
  for (char16_t ch : line) {
    if (ch == u' ') continue;
    if (k == kBase64Marker.size() || ch != kBase64Marker[k]) return false;
    ++k;
  }
  return k == kBase64Marker.size();
}

std::u16string DescribeFailure(const std::exception& e) {
  if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) return u"Out of memory";
  return Utf8ToText(e.what());
}

}  // namespace

bool IsScannerWordChar(char16_t c) {
  return kScannerWordByte[c & 0xFF];
}

bool IsWordChar(char16_t c, bool allowDigits, std::u16string_view extra) {
  const unsigned b = c & 0xFF;
  if (allowDigits && b >= 48 && b <= 57) return true;
  if (LowByteIsLetter(b)) return true;
  return !extra.empty() && extra.find(AnsiChar(static_cast<std::uint8_t>(b))) != extra.npos;
}

bool IsWordChar(std::u16string_view c, bool allowDigits, std::u16string_view extra) {
  return !c.empty() && IsWordChar(c[0], allowDigits, extra);
}

std::int32_t WordLength(std::u16string_view text, std::size_t position, bool allowDigits,
                        std::u16string_view extra) {
  std::int32_t n = 0;
  while (n < kWordLengthLimit && position + static_cast<std::size_t>(n) < text.size() &&
         IsWordChar(text[position + static_cast<std::size_t>(n)], allowDigits, extra)) {
    ++n;
  }
  return n;
}

bool HasCharRun(std::u16string_view word, int n) {
  if (n < 1 || static_cast<std::size_t>(n) > word.size()) return false;
  int run = 1;
  if (run >= n) return true;
  for (std::size_t i = 1; i < word.size(); ++i) {
    run = word[i] == word[i - 1] ? run + 1 : 1;
    if (run >= n) return true;
  }
  return false;
}

bool StartsTag(std::u16string_view text, std::size_t position) {
  return position + 1 < text.size() && text[position] == u'<' && IsTagNameStart(text[position + 1]);
}

namespace {

// What a prepared line may hold that the scan's first steps deal with; a step
// is skipped when its characters cannot be there.
enum LineFeature : unsigned {
  kHasControl = 1,    // backspace, tab, LF, form feed, CR, no-break space
  kHasAmpersand = 2,  // entities
};

// Characters above ASCII that matter before scanning.
enum HighClass : unsigned {
  kLatinLead = 1,  // "Â", "Ã", "Ä": two-byte UTF-8 remnants
  kPunctLead = 2,  // "â": three-byte UTF-8 remnants
  kNoBreakSpace = 4,
};

struct LineScan {
  bool nonAscii = false;
  bool low = false;  // a character at or below CR
  bool amp = false;
  unsigned high = 0;  // HighClasses, where the scan tells them
};

// One loop simple enough to be vectorised.
LineScan ScanAscii(std::u16string_view text) {
  const char16_t* p = text.data();
  const std::size_t n = text.size();
  // Accumulators as wide as the characters, so the loop vectorises.
  std::uint16_t all = 0;
  std::uint16_t low = 0;
  std::uint16_t amp = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint16_t ch = p[i];
    all = static_cast<std::uint16_t>(all | ch);
    low = static_cast<std::uint16_t>(low | (ch <= u'\r' ? 1 : 0));
    amp = static_cast<std::uint16_t>(amp | (ch == u'&' ? 1 : 0));
  }
  return LineScan{all >= 0x80, low != 0, amp != 0};
}

unsigned HighClasses(std::u16string_view text) {
  const char16_t* p = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
  std::uint16_t latin = 0;
  std::uint16_t punct = 0;
  std::uint16_t nbsp = 0;
#if defined(__SSE2__)
  const __m128i latinFirst = _mm_set1_epi16(0xC2);
  const __m128i latinSpan = _mm_set1_epi16(2);
  const __m128i punctLead = _mm_set1_epi16(0xE2);
  const __m128i noBreak = _mm_set1_epi16(0xA0);
  const __m128i zero = _mm_setzero_si128();
  __m128i latinV = zero;
  __m128i punctV = zero;
  __m128i nbspV = zero;
  for (; i + 8 <= n; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    // 0xC2 <= v <= 0xC4: v - 0xC2, unsigned, minus 2 saturates to 0.
    latinV = _mm_or_si128(
        latinV, _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(v, latinFirst), latinSpan), zero));
    punctV = _mm_or_si128(punctV, _mm_cmpeq_epi16(v, punctLead));
    nbspV = _mm_or_si128(nbspV, _mm_cmpeq_epi16(v, noBreak));
  }
  latin = _mm_movemask_epi8(latinV) != 0 ? 1 : 0;
  punct = _mm_movemask_epi8(punctV) != 0 ? 1 : 0;
  nbsp = _mm_movemask_epi8(nbspV) != 0 ? 1 : 0;
#endif
  for (; i < n; ++i) {
    const std::uint16_t ch = p[i];
    latin = static_cast<std::uint16_t>(latin | (ch >= 0xC2 && ch <= 0xC4 ? 1 : 0));
    punct = static_cast<std::uint16_t>(punct | (ch == 0xE2 ? 1 : 0));
    nbsp = static_cast<std::uint16_t>(nbsp | (ch == 0xA0 ? 1 : 0));
  }
  unsigned classes = 0;
  if (latin != 0) classes |= kLatinLead;
  if (punct != 0) classes |= kPunctLead;
  if (nbsp != 0) classes |= kNoBreakSpace;
  return classes;
}

// Folds the case of the characters above ASCII; blocks of eight ASCII
// characters are passed over whole where the processor allows.
void FoldHighChars(std::u16string& text) {
  char16_t* p = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i lastAscii = _mm_set1_epi16(0x7F);
  const __m128i zero = _mm_setzero_si128();
  for (; i + 8 <= n; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_subs_epu16(v, lastAscii), zero)) == 0xFFFF) {
      continue;
    }
    for (std::size_t k = i; k < i + 8; ++k) {
      if (p[k] >= 0x80) p[k] = FoldChar(p[k]);
    }
  }
#endif
  for (; i < n; ++i) {
    if (p[i] >= 0x80) p[i] = FoldChar(p[i]);
  }
}

unsigned Features(const LineScan& scan, unsigned highClasses) {
  return (scan.low || (highClasses & kNoBreakSpace) != 0 ? kHasControl : 0u) |
         (scan.amp ? kHasAmpersand : 0u);
}

unsigned ScanFeatures(std::u16string_view text) {
  const LineScan scan = ScanAscii(text);
  return Features(scan, scan.nonAscii ? HighClasses(text) : 0u);
}

// Copies the n units of from to to with the ASCII capitals made small, and
// tells what they hold (the high classes as well). Eight units at a time where the processor
// allows.
LineScan CopyLowered(const char16_t* from, std::size_t n, char16_t* to) {
  std::size_t i = 0;
  std::uint16_t all = 0;
  bool low = false;
  bool amp = false;
  unsigned high = 0;
#if defined(__SSE2__)
  const __m128i capitalA = _mm_set1_epi16('A');
  const __m128i letters = _mm_set1_epi16(25);
  const __m128i caseBit = _mm_set1_epi16(32);
  const __m128i cr = _mm_set1_epi16('\r');
  const __m128i ampersand = _mm_set1_epi16('&');
  const __m128i zero = _mm_setzero_si128();
  const __m128i latinFirst = _mm_set1_epi16(0xC2);
  const __m128i latinSpan = _mm_set1_epi16(2);
  const __m128i punctLead = _mm_set1_epi16(0xE2);
  const __m128i noBreak = _mm_set1_epi16(0xA0);
  __m128i allV = zero;
  __m128i lowV = zero;
  __m128i ampV = zero;
  __m128i latinV = zero;
  __m128i punctV = zero;
  __m128i nbspV = zero;
  for (; i + 8 <= n; i += 8) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
    allV = _mm_or_si128(allV, v);
    latinV = _mm_or_si128(
        latinV, _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(v, latinFirst), latinSpan), zero));
    punctV = _mm_or_si128(punctV, _mm_cmpeq_epi16(v, punctLead));
    nbspV = _mm_or_si128(nbspV, _mm_cmpeq_epi16(v, noBreak));
    // v <= 13 and v - 'A' <= 25, unsigned: the saturating difference is 0.
    lowV = _mm_or_si128(lowV, _mm_cmpeq_epi16(_mm_subs_epu16(v, cr), zero));
    ampV = _mm_or_si128(ampV, _mm_cmpeq_epi16(v, ampersand));
    const __m128i capital =
        _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(v, capitalA), letters), zero);
    v = _mm_add_epi16(v, _mm_and_si128(capital, caseBit));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), v);
  }
  alignas(16) std::uint16_t lanes[8];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), allV);
  for (std::uint16_t lane : lanes) all = static_cast<std::uint16_t>(all | lane);
  low = _mm_movemask_epi8(lowV) != 0;
  amp = _mm_movemask_epi8(ampV) != 0;
  if (_mm_movemask_epi8(latinV) != 0) high |= kLatinLead;
  if (_mm_movemask_epi8(punctV) != 0) high |= kPunctLead;
  if (_mm_movemask_epi8(nbspV) != 0) high |= kNoBreakSpace;
#endif
  for (; i < n; ++i) {
    const char16_t ch = from[i];
    all = static_cast<std::uint16_t>(all | ch);
    low |= ch <= u'\r';
    amp |= ch == u'&';
    if (ch >= 0xC2 && ch <= 0xC4) high |= kLatinLead;
    if (ch == 0xE2) high |= kPunctLead;
    if (ch == 0xA0) high |= kNoBreakSpace;
    to[i] = static_cast<char16_t>(ch + (static_cast<unsigned>(ch - u'A') < 26u ? 32 : 0));
  }
  return LineScan{all >= 0x80, low, amp, high};
}

// Line preparation; features tells what the prepared line holds.
//
// The ASCII capitals are made small while the line is copied, before the
// repairs: the repairs neither read nor write ASCII letters (a letter after a
// lead character is left, one after a punctuation lead removed, whatever its
// case), so the order makes no difference.
LinePreparation Prepare(std::u16string_view line, std::u16string& out, unsigned& features) {
  std::size_t first = 0;
  std::size_t last = line.size();
  while (first < last && line[first] == u' ') ++first;
  while (last > first && line[last - 1] == u' ') --last;
  const std::size_t length = last - first;
  // Room for the end-mark space, so that appending it never reallocates.
  if (out.capacity() < length + 1) out.reserve(length + 1);
  out.resize(length);
  LineScan scan = CopyLowered(line.data() + first, length, out.data());
  unsigned high = scan.high;
  if ((high & (kLatinLead | kPunctLead)) != 0) {
    if ((high & kLatinLead) != 0) RepairUtf8LatinInPlace(out);
    if ((high & kPunctLead) != 0) RepairUtf8PunctuationInPlace(out);
    // The repairs add no control character and no "&"; they may add a
    // no-break space and remove every character above ASCII.
    high = HighClasses(out);
  }
  if (out.empty()) return LinePreparation::kEmpty;
  if (scan.nonAscii) FoldHighChars(out);
  if (out[0] == kBase64Marker[0] && IsBase64Marker(out)) return LinePreparation::kEndOfText;
  out += u' ';
  features = Features(scan, high);
  return LinePreparation::kScan;
}

}  // namespace

LinePreparation PrepareLine(std::u16string_view line, std::u16string& out) {
  unsigned features = 0;
  return Prepare(line, out, features);
}

WordScanner::WordScanner(IndexLexicon& lexicon, CommonWords* commonWords)
    : lexicon_(lexicon), commonWords_(commonWords) {}

void WordScanner::InitWordExtraction() {
  lexicon_.Clear();
}

void WordScanner::BeginFile(std::uint32_t fileNumber) {
  if (commonWords_ != nullptr) commonWords_->ClearCommonWordFlags();
  lexicon_.BeginFile(fileNumber);
}

LineOutcome WordScanner::ProcessLine(std::u16string_view line) {
  unsigned features = 0;
  switch (Prepare(line, currentLine_, features)) {
    case LinePreparation::kEmpty:
      break;
    case LinePreparation::kEndOfText:
      return LineOutcome::kEndOfText;
    case LinePreparation::kScan:
      Scan(features);
      break;
  }
  return stopRequested_ ? LineOutcome::kStopped : LineOutcome::kContinue;
}

void WordScanner::TokenizeLine(std::u16string_view currentLine) {
  currentLine_.assign(currentLine);
  Scan(ScanFeatures(currentLine_));
}

std::u16string WordScanner::EndFile() {
  try {
    lexicon_.EndFile();
  } catch (const std::exception& e) {
    return DescribeFailure(e);
  }
  return {};
}

void WordScanner::SetEventPoll(std::function<bool()> poll, int everyTokens) {
  poll_ = std::move(poll);
  pollEvery_ = everyTokens > 0 ? everyTokens : 1;
  untilPoll_ = pollEvery_;
}

bool WordScanner::Poll() {
  if (!poll_ || --untilPoll_ > 0) return false;
  untilPoll_ = pollEvery_;
  if (poll_()) stopRequested_ = true;
  return stopRequested_;
}

bool WordScanner::IsCommonWordRepeat(std::u16string_view word) {
  if (commonWords_ == nullptr) return false;
  const int index = commonWords_->Find(word);
  if (index == 0) return false;
  bool& flag = commonWords_->Flag(index);
  const bool was = flag;
  flag = true;
  return was;
}

void WordScanner::OfferWord(std::u16string_view word) {
  if (word.empty()) return;
  // A word already in the lexicon passed the char-run rule when it was added,
  // and remembers whether it is a common word.
  if (const std::int32_t row = lexicon_.Find(word); row != 0) {
    const int common = lexicon_.Row(row).commonIndex;
    if (common != 0 && commonWords_ != nullptr) {
      bool& flag = commonWords_->Flag(common);
      if (flag) return;
      flag = true;
    }
    lexicon_.CountRow(row);
    return;
  }
  int common = 0;
  if (commonWords_ != nullptr && (common = commonWords_->Find(word)) != 0) {
    bool& flag = commonWords_->Flag(common);
    const bool repeat = flag;
    flag = true;
    if (repeat) return;
  }
  if (HasCharRun(word, kCharRunLength)) return;
  AddNewWord(word, common);
}

std::int32_t WordScanner::AddCountedWord(std::u16string_view word, int commonIndex, int times) {
  return AddNewWord(word, commonIndex, times);
}

std::int32_t WordScanner::AddNewWord(std::u16string_view word, int commonIndex, int times) {
  int step = 1;
  try {
    return lexicon_.AddWord(word, commonIndex, step, times);
  } catch (const std::exception& e) {
    errorText_ = DescribeFailure(e) + u" in module AWTL (" + ToText(step) + u").";
    stopRequested_ = true;
  }
  return 0;
}

void WordScanner::Scan(unsigned features) {
  std::u16string& line = currentLine_;
  if ((features & kHasControl) != 0) NormalizeWhitespace(line);
  if ((features & kHasAmpersand) != 0) {
    DecodeEntities(line);
    BlankEntityRuns(line);
  }

  const std::u16string_view text = line;
  const std::size_t n = text.size();
  // The last character is the end-mark space and is never examined.
  auto onlyEndMarkLeft = [&](std::size_t pos) { return pos + 1 == n && text[pos] == u' '; };

  std::size_t pos = 0;
  while (pos + 1 < n) {
    if (Poll()) return;
    if (!inTag_) inTag_ = StartsTag(text, pos);
    while (inTag_) {
      const std::size_t end = text.find(u'>', pos);
      pos = end == std::u16string_view::npos ? n : end + 1;
      if (pos >= n) return;  // the tag goes on in the next line
      if (onlyEndMarkLeft(pos)) {
        inTag_ = false;
        return;
      }
      inTag_ = StartsTag(text, pos);
    }
    if (IsScannerWordChar(text[pos])) {
      // The whole run of word characters is one word; an overlong run is
      // skipped as a whole, however long it is.
      std::size_t end = pos + 1;
      while (end < n && IsScannerWordChar(text[end])) ++end;
      const std::size_t length = end - pos;
      if (length <= static_cast<std::size_t>(kMaxWordLength)) OfferWord(text.substr(pos, length));
      pos = end;
      if (stopRequested_) return;
      continue;
    }
    ++pos;
    if (onlyEndMarkLeft(pos)) return;
  }
}

}  // namespace quor
