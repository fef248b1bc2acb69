#include "extract/html_text.h"

#include <algorithm>
#include <array>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <fstream>
#include <iterator>

#include "common/encoding.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/strings.h"
#include "extract/classify.h"
#include "extract/text_reader.h"

namespace quor {
namespace {

constexpr int kTitleScanLimit = 4096;

bool IsControl(char16_t ch) {
  return ch < 32;
}

void ReplaceEvery(std::u16string& text, std::u16string_view from, std::u16string_view to) {
  std::size_t pos = 0;
  while ((pos = text.find(from, pos)) != std::u16string::npos) {
    text.replace(pos, from.size(), to);
    pos += to.size();
  }
}

// Replaces from by to until no from is left (for replacements that can make
// a new occurrence, such as a double space in a run of spaces).
void ReplaceUntilGone(std::u16string& text, std::u16string_view from, std::u16string_view to) {
  std::size_t pos = 0;
  while ((pos = text.find(from, pos)) != std::u16string::npos) {
    text.replace(pos, from.size(), to);
    pos = pos >= from.size() ? pos - from.size() + 1 : 0;
  }
}

// The first bytes of a file, for the form of a UTF-16 or UTF-32 page.
std::string ReadHead(std::u16string_view path) {
  std::ifstream in(ToFsPath(path), std::ios::binary);
  char head[4] = {};
  in.read(head, sizeof head);
  return std::string(head, static_cast<std::size_t>(in.gcount()));
}

// Opens a page's lines. Pages are read with every line end (CR, LF, CR LF)
// ending a line, so that a page written with LF line ends has lines too; a
// UTF-16 or UTF-32 page is transcoded on the way.
bool OpenPageLines(TextLineReader& reader, std::u16string_view path) {
  return reader.Open(path, kTypeUnicode);
}

// The next line as display text: a line that is well-formed UTF-8 is decoded
// as such (a title "Café" is shown as written), any other as Windows-1252.
bool NextDisplayLine(TextLineReader& reader, std::u16string& line) {
  std::string_view bytes;
  if (!reader.NextLineBytes(bytes)) return false;
  line = IsValidUtf8(bytes) ? Utf8ToText(bytes) : AnsiToText(bytes);
  return true;
}

// A line of a plain file as its first text: cut to limit characters, leading
// blanks and control characters stripped, control characters other than LF
// removed, runs of spaces reduced to one, LF shown as " / ".
std::u16string CleanFirstLine(std::u16string_view line, std::size_t limit) {
  line = line.substr(0, limit);
  std::size_t start = 0;
  while (start < line.size() && line[start] <= 32) ++start;
  std::u16string text;
  text.reserve(line.size() - start);
  for (char16_t ch : line.substr(start)) {
    if (IsControl(ch) && ch != u'\n') continue;
    if (ch == u' ' && !text.empty() && text.back() == u' ') continue;
    text.push_back(ch);
  }
  ReplaceEvery(text, u"\n", u" / ");
  ReplaceUntilGone(text, u" /  / ", u" / ");
  std::erase_if(text, IsControl);
  return text;
}

std::u16string FirstTextOf(std::u16string_view path, int maxChars) {
  const std::size_t limit = static_cast<std::size_t>(maxChars < 0 ? 0 : maxChars);
  // A plain file keeps its LF characters inside a line (they show as " / ");
  // a UTF-16 or UTF-32 file is transcoded first.
  const bool unicode = DetectUnicodeHead(ReadHead(path)).form != UnicodeForm::kBytes;
  TextLineReader reader;
  if (!reader.Open(path, unicode ? kTypeUnicode : kTypeCrLf)) return {};
  std::u16string line;
  while (NextDisplayLine(reader, line)) {
    std::u16string text = CleanFirstLine(line, limit * 4);
    if (!text.empty()) return text.substr(0, limit);
  }
  return {};
}

std::u16string HtmlTitleOf(std::u16string_view path) {
  TextLineReader reader;
  if (!OpenPageLines(reader, path)) return {};
  std::int64_t scanned = 0;
  std::u16string read;
  while (scanned <= kTitleScanLimit && NextDisplayLine(reader, read)) {
    scanned += static_cast<std::int64_t>(read.size());
    std::u16string line = Trim(read);
    if (line.empty()) continue;
    std::u16string copy = FoldCase(line);
    const std::size_t p = copy.find(u"<title>");
    if (p != std::u16string::npos) {
      std::size_t q = copy.find(u"</title>", p + 7);
      if (q == std::u16string::npos && NextDisplayLine(reader, read)) {
        line += u' ';
        line += read;
        copy += u' ';
        copy += FoldCase(read);
        q = copy.find(u"</title>", p + 7);
      }
      if (q == std::u16string::npos) q = line.size();
      return Trim(std::u16string_view(line).substr(p + 7, q - (p + 7)));
    }
    if (copy.find(u"</head>") != std::u16string::npos) return std::u16string(kTitleUntitled);
  }
  if (scanned > kTitleScanLimit) return std::u16string(kTitleUntitled);
  return {};
}

}  // namespace

bool IsHtmlPath(std::u16string_view path) {
  return GetExtension(path, true).find(u"htm") != std::u16string::npos;
}

std::u16string StripEntities(std::u16string_view text) {
  std::u16string result;
  result.reserve(text.size());
  bool inRun = false;
  for (char16_t ch : text) {
    if (ch == u'&') {
      inRun = true;
    } else if (ch == u';') {
      inRun = false;
    } else if (ch == u' ') {
      inRun = false;
      result.push_back(ch);
    } else if (!inRun) {
      result.push_back(ch);
    }
  }
  ReplaceUntilGone(result, u"  ", u" ");
  return result;
}

std::u16string GetHtmlTitle(std::u16string_view path, std::u16string& firstText, int maxChars) {
  if (!FileExists(path)) return std::u16string(kTitleFileNotFound);
  if (IsDocxFile(path)) return std::u16string(kTitleDocx);
  if (!IsHtmlPath(path)) {
    firstText = FirstTextOf(path, maxChars);
    return std::u16string(kTitleNotHtml);
  }
  std::u16string title = HtmlTitleOf(path);
  if (title.empty()) return std::u16string(kTitleNone);
  ReplaceEvery(title, u"&#151;", u"&#8212;");
  return title;
}

std::u16string GetMetaContent(std::u16string_view path, std::u16string_view metaName, int maxScan) {
  if (!IsHtmlPath(path)) return std::u16string(kMetaNotHtml);
  if (!FileExists(path)) return std::u16string(kMetaFileNotFound);
  TextLineReader reader;
  if (!OpenPageLines(reader, path)) return {};
  const std::u16string wanted = FoldCase(Trim(metaName));
  const std::size_t limit = static_cast<std::size_t>(maxScan < 0 ? 0 : maxScan);
  constexpr std::u16string_view kNameAttribute = u" name=\"";
  std::int64_t scanned = 0;
  std::u16string read;
  while (scanned <= maxScan && NextDisplayLine(reader, read)) {
    scanned += static_cast<std::int64_t>(read.size());
    const std::u16string line = Trim(std::u16string_view(read).substr(0, limit));
    if (line.empty()) continue;
    const std::u16string copy = FoldCase(line);
    const std::size_t p = copy.find(u"<meta ");
    if (p != std::u16string::npos) {
      const std::size_t q = copy.find(kNameAttribute, p + 5);
      const std::size_t r =
          q == std::u16string::npos ? q : copy.find(u'"', q + kNameAttribute.size());
      if (r != std::u16string::npos &&
          Trim(std::u16string_view(copy).substr(q + kNameAttribute.size(),
                                                r - q - kNameAttribute.size())) == wanted) {
        // The ten characters after the name's closing quote are taken to be
        // ` content="` without looking at them.
        const std::size_t start = r + 11;
        const std::size_t c = start <= line.size() ? line.find(u'"', start) : std::u16string::npos;
        if (c != std::u16string::npos) {
          return Trim(std::u16string_view(line).substr(start, c - start));
        }
      }
    }
    if (copy.find(u"</head>") != std::u16string::npos) return {};
  }
  return {};
}

void BlankTags(std::span<std::uint8_t> block) {
  // Bytes outside tags that stay as they are: everything from 32 on but the
  // two brackets.
  static constexpr auto kKept = [] {
    std::array<bool, 256> kept{};
    for (int b = 32; b < 256; ++b) kept[static_cast<std::size_t>(b)] = b != '<' && b != '>';
    return kept;
  }();
  std::uint8_t* bytes = block.data();
  const std::size_t n = block.size();
  const auto startsTag = [&](std::size_t i) {
    return i + 1 == n || IsTagNameStart(static_cast<char16_t>(bytes[i + 1]));
  };
  int depth = 0;
  std::size_t i = 0;
  while (i < n) {
    if (depth == 0) {
#if defined(__SSE2__)
      // Runs of kept bytes are passed over 16 at a time.
      const __m128i open = _mm_set1_epi8('<');
      const __m128i close = _mm_set1_epi8('>');
      const __m128i control = _mm_set1_epi8(31);
      while (i + 16 <= n) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(v, control), v);  // v <= 31
        const __m128i brackets = _mm_or_si128(_mm_cmpeq_epi8(v, open), _mm_cmpeq_epi8(v, close));
        const int mask = _mm_movemask_epi8(_mm_or_si128(low, brackets));
        if (mask != 0) {
          i += static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
          break;
        }
        i += 16;
      }
#endif
      while (i < n && kKept[bytes[i]]) ++i;
      if (i == n) break;
      const std::uint8_t b = bytes[i];
      if (b == '<') {
        if (startsTag(i)) {
          depth = 1;
          bytes[i] = ' ';
        }
      } else {
        bytes[i] = b == 13 ? '/' : ' ';  // ">" without a tag, or a control byte
      }
      ++i;
      continue;
    }
    // Inside a tag every byte becomes a space; only brackets change the depth.
    std::size_t j = i;
    while (j < n && bytes[j] != '<' && bytes[j] != '>') ++j;
    std::memset(bytes + i, ' ', j - i);
    if (j == n) break;
    if (bytes[j] == '>') {
      --depth;
    } else if (startsTag(j)) {
      ++depth;
    }
    bytes[j] = ' ';
    i = j + 1;
  }
}

std::u16string BlockToText(std::span<const std::uint8_t> block) {
  const char16_t* ansi = AnsiCharTable();
  const void* zero = std::memchr(block.data(), 0, block.size());
  const std::size_t n =
      zero == nullptr ? block.size() : static_cast<const std::uint8_t*>(zero) - block.data();
  std::u16string text(n, u'\0');
  for (std::size_t i = 0; i < n; ++i) text[i] = ansi[block[i]];
  return text;
}

void BlankShortEntities(std::u16string& text) {
  const std::size_t n = text.size();
  for (std::size_t i = text.find(u'&'); i < n; i = text.find(u'&', i + 1)) {
    const std::size_t end = std::min(n, i + 6);
    for (std::size_t j = i + 1; j < end; ++j) {
      if (text[j] != u';') continue;
      std::fill(text.begin() + static_cast<std::ptrdiff_t>(i),
                text.begin() + static_cast<std::ptrdiff_t>(j) + 1, u' ');
      i = j;
      break;
    }
  }
}

}  // namespace quor
