// The text runs of a document part and the temporary text file they go into.
#include "extract/docx.h"

#include <algorithm>
#include <string>

#include "common/encoding.h"
#include "common/files.h"
#include "extract/text_normalize.h"

namespace quor {
namespace {

constexpr std::u16string_view kRunTag = u"<w:t";
constexpr std::u16string_view kRunEnd = u"</w:t>";
constexpr std::u16string_view kBreak = u"<w:br/>";
constexpr std::u16string_view kParagraphEnd = u"</w:p>";
constexpr std::size_t kNone = std::u16string_view::npos;

// A forward substring search that remembers its last answer. The parser asks
// for the next break and the next paragraph end after every run; in a large
// document without breaks a fresh search would run to the end each time and
// make the parse quadratic. Positions only ever move forward, so a remembered
// hit at or after the new start (or a remembered miss) is still the answer.
class ForwardFinder {
 public:
  ForwardFinder(std::u16string_view text, std::u16string_view needle)
      : text_(text), needle_(needle) {}

  std::size_t Next(std::size_t from) {
    if (searched_ && from >= lastFrom_ && (last_ == kNone || last_ >= from)) return last_;
    searched_ = true;
    lastFrom_ = from;
    last_ = from > text_.size() ? kNone : text_.find(needle_, from);
    return last_;
  }

 private:
  std::u16string_view text_;
  std::u16string_view needle_;
  bool searched_ = false;
  std::size_t lastFrom_ = 0;
  std::size_t last_ = kNone;
};

void ReplaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to) {
  std::size_t at = text.find(from);
  if (at == kNone) return;
  std::u16string out;
  out.reserve(text.size());
  std::size_t done = 0;
  for (; at != kNone; at = text.find(from, done)) {
    out.append(text, done, at - done);
    out.append(to);
    done = at + from.size();
  }
  out.append(text, done, kNone);
  text = std::move(out);
}

bool IsBlank(std::u16string_view text) {
  return std::all_of(text.begin(), text.end(), [](char16_t c) { return c == u' '; });
}

// True when the "<w:t" at a opens a text run: the tag name ends there.
bool IsRunTag(std::u16string_view xml, std::size_t a) {
  const std::size_t afterTag = a + kRunTag.size();
  return afterTag < xml.size() && (xml[afterTag] == u' ' || xml[afterTag] == u'>');
}

// The next "<w:t" at or after from that opens a text run, skipping w:tab,
// w:tbl, w:tc and the other elements whose name begins with w:t.
std::size_t NextRunTag(std::u16string_view xml, ForwardFinder& runTags, std::size_t from) {
  std::size_t p = runTags.Next(from);
  while (p != kNone && !IsRunTag(xml, p)) p = runTags.Next(p + kRunTag.size());
  return p;
}

// Before position d (the next run tag, kNone when there is none), is there a
// hit at p? With no next run nothing counts as coming before it.
bool ComesBefore(std::size_t p, std::size_t d) {
  return p != kNone && d != kNone && p < d;
}

}  // namespace

int ParseDocxRuns(std::u16string_view xml, std::size_t start, TextList& runs,
                  std::int64_t& totalLength, const std::function<bool()>& processEvents) {
  runs.clear();
  totalLength = 0;
  int count = 0;
  ForwardFinder runTags(xml, kRunTag);
  ForwardFinder nextRunTags(xml, kRunTag);
  ForwardFinder runEnds(xml, kRunEnd);
  ForwardFinder breaks(xml, kBreak);
  ForwardFinder paragraphEnds(xml, kParagraphEnd);

  std::size_t pos = start;
  while (pos < xml.size()) {
    const std::size_t a = runTags.Next(pos);
    if (a == kNone) break;
    if (processEvents && processEvents()) {
      runs.clear();
      totalLength = 0;
      return 0;
    }
    const std::size_t b = runEnds.Next(pos);
    if (b == kNone || b < a) break;

    // Only "<w:t>" and "<w:t attributes>" are runs; w:tab, w:tbl, w:tc and
    // the other elements whose name begins with w:t are not.
    const std::size_t afterTag = a + kRunTag.size();
    if (!IsRunTag(xml, a)) {
      pos = afterTag;
      continue;
    }
    if (b <= afterTag) {
      pos = b + kRunEnd.size();
      continue;
    }

    std::u16string run(xml.substr(afterTag, b - afterTag));
    const std::size_t next = b + kRunEnd.size();
    // A break or paragraph end counts when it comes before the next text run;
    // a w:tab or w:tbl element in between must not hide it, or the last word
    // of a paragraph would run into the first word of the next one.
    const std::size_t d = NextRunTag(xml, nextRunTags, next);
    if (ComesBefore(breaks.Next(next), d) || ComesBefore(paragraphEnds.Next(next), d)) {
      run += u' ';
    }
    // The text starts after the tag's ">"; attributes such as xml:space go.
    const std::size_t tagEnd = run.find(u'>');
    if (tagEnd != kNone) run.erase(0, tagEnd + 1);
    if (IsBlank(run)) {
      run = u" ";
    } else {
      // "&amp;" first, so that "&amp;lt;" ends up as "<".
      ReplaceAll(run, u"&amp;", u"&");
      ReplaceAll(run, u"&lt;", u"<");
      ReplaceAll(run, u"&gt;", u">");
      RepairUtf8LatinInPlace(run);
      RepairUtf8PunctuationInPlace(run);
    }
    totalLength += static_cast<std::int64_t>(run.size());
    runs.push_back(std::move(run));
    ++count;
    pos = next;
  }
  return count;
}

int ReadDocumentRuns(std::string_view part, TextList& runs, std::int64_t& totalLength,
                     const std::function<bool()>& processEvents) {
  return ParseDocxRuns(AnsiToText(part), 0, runs, totalLength, processEvents);
}

std::u16string WriteLinesToFile(std::u16string_view path, const TextList& lines, int first,
                                int last) {
  std::string bytes;
  const int from = std::max(first, 0);
  const int to = std::min(last, static_cast<int>(lines.size()) - 1);
  for (int i = from; i <= to; ++i) bytes += TextToAnsi(lines[static_cast<std::size_t>(i)]);
  std::u16string error;
  if (!WriteWholeFile(path, bytes, &error) && error.empty()) {
    error = u"Cannot write " + std::u16string(path);
  }
  return error;
}

}  // namespace quor
