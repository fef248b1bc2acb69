// Line preparation and scanning of arbitrary document bytes: the bytes are
// cut into lines at CR and LF, taken as Windows-1252 characters and fed to one
// scanner, with a small common-word list; the lexicon's sorted order, count
// rows and file words must stay consistent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/encoding.h"
#include "common/records.h"
#include "extract/common_words.h"
#include "extract/text_normalize.h"
#include "index/lexicon.h"
#include "index/word_scanner.h"
#include "indexfile/index_format.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quor;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  CommonWords common;
  common.LoadFromText(u"a\r\nand\r\nthe\r\n");
  IndexLexicon lexicon;
  WordScanner scanner(lexicon, &common);
  scanner.InitWordExtraction();

  // Two files: the first half and the rest, so the open-tag state crosses a
  // file boundary.
  const std::size_t half = bytes.size() / 2;
  std::uint32_t file = 0;
  for (std::string_view part : {bytes.substr(0, half), bytes.substr(half)}) {
    scanner.BeginFile(++file);
    std::size_t pos = 0;
    while (pos <= part.size()) {
      std::size_t end = part.find_first_of("\r\n", pos);
      if (end == std::string_view::npos) end = part.size();
      const std::u16string line = AnsiToText(part.substr(pos, end - pos));
      if (scanner.ProcessLine(line) != LineOutcome::kContinue) break;
      pos = end + 1;
    }
    Check(scanner.EndFile().empty());
    for (const FileWord& w : lexicon.CurrentFileWords()) {
      Check(!w.word.empty() && w.word.size() <= static_cast<std::size_t>(kMaxWordLength));
      Check(w.count >= 1 && w.count <= 255 && w.value >= 1 && w.value <= 255);
      Check(!HasCharRun(w.word, kCharRunLength));
      for (char16_t ch : w.word) Check(IsScannerWordChar(ch));
    }
  }

  // Sorted order, strictly ascending, every row once.
  const auto& sorted = lexicon.SortedRows();
  Check(sorted.size() == static_cast<std::size_t>(lexicon.WordCount()));
  for (std::size_t i = 1; i < sorted.size(); ++i) {
    Check(lexicon.Row(sorted[i - 1]).word < lexicon.Row(sorted[i]).word);
  }
  RecordWriter out;
  WriteLexicon(out, lexicon, u"fuzz");
  WriteCountRows(out, lexicon, 2);

  // The normalisers on the whole input as one text.
  std::u16string text = AnsiToText(bytes);
  NormalizeWhitespace(text);
  DecodeEntities(text);
  BlankEntityRuns(text);
  (void)RepairUtf8Punctuation(RepairUtf8Latin(text, 0));
  return 0;
}
