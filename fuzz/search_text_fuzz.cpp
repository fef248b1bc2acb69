// The search-time cleaners and matchers on arbitrary document bytes: tags
// blanked, the block's display and search texts made, the phrase matcher fed
// the texts in pieces, and report mode's block matcher run. The first bytes
// choose the phrase.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/encoding.h"
#include "extract/html_text.h"
#include "search/file_scanner.h"
#include "search/search_words.h"

namespace {

class CountingCollector : public quor::ExtractCollector {
 public:
  void BeginFile(std::int64_t) override {}
  std::size_t Occurrence(const quor::BlockTexts& block, std::int64_t, std::size_t position,
                         std::u16string_view word) override {
    if (position + word.size() > block.search.size()) __builtin_trap();
    return ++seen_ > 64 ? std::u16string_view::npos : position + word.size();
  }
  bool FileDone() const override { return false; }

 private:
  int seen_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t phraseLength = data[0] % 24;
  if (1 + phraseLength > size) return 0;
  std::u16string phraseText;
  for (std::size_t i = 0; i < phraseLength; ++i) phraseText += static_cast<char16_t>(data[1 + i]);
  quor::TextList words;
  quor::SplitWords(phraseText, words, quor::CaseMode::kLower, u"", u"", true);
  const std::uint8_t* doc = data + 1 + phraseLength;
  const std::size_t docSize = size - 1 - phraseLength;

  quor::BlockTexts texts;
  quor::PhraseMatcher matcher(words.empty() ? quor::TextList{u"a"} : words);
  CountingCollector collector;
  for (std::size_t at = 0; at < docSize; at += 4096) {
    const std::size_t n = std::min<std::size_t>(4096, docSize - at);
    std::vector<std::uint8_t> block(doc + at, doc + at + n);
    std::vector<std::uint8_t> plain = block;
    quor::BlankTags(plain);
    const bool isPlain = quor::MakePlainSearchBytes(plain);
    if (isPlain) matcher.FeedBytes({reinterpret_cast<const char*>(plain.data()), plain.size()});
    quor::MakeBlockTexts(block, texts);
    if (texts.search.size() != texts.display.size()) __builtin_trap();
    // The plain bytes are the search text, character for character.
    if (isPlain && std::string(plain.begin(), plain.end()) != quor::TextToAnsi(texts.search)) {
      __builtin_trap();
    }
    matcher.Feed(texts.search);
    if (!words.empty()) {
      quor::MatchBlockForReport(texts, 1, words, quor::SearchType::kExactPhrase, collector);
      quor::MatchBlockForReport(texts, 1, words, quor::SearchType::kAnyWord, collector);
    }
    std::u16string display = texts.display;
    quor::BlankShortEntities(display);
    if (display.size() != texts.display.size()) __builtin_trap();
    (void)quor::StripEntities(texts.display);
  }
  matcher.Finish();
  return 0;
}
