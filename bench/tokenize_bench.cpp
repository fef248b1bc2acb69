// Speed of the word extraction of the indexing pass (line preparation,
// scanning and counting in the lexicon) over a generated mixed corpus, and of
// the count-row encoding for a large lexicon.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "common/encoding.h"
#include "common/records.h"
#include "extract/common_words.h"
#include "index/lexicon.h"
#include "index/word_scanner.h"
#include "indexfile/index_format.h"

namespace quor {
namespace {

constexpr std::size_t kCorpusBytes = 8 << 20;
constexpr std::size_t kLinesPerFile = 1500;

const char* const kCommonWords[] = {
    "a",     "about", "after", "all",   "also", "an",    "and", "any",   "are",  "as",    "at",
    "be",    "been",  "but",   "by",    "can",  "could", "do",  "for",   "from", "had",   "has",
    "have",  "he",    "her",   "his",   "how",  "i",     "if",  "in",    "into", "is",    "it",
    "its",   "more",  "most",  "no",    "not",  "of",    "on",  "one",   "or",   "other", "our",
    "out",   "so",    "some",  "such",  "than", "that",  "the", "their", "them", "then",  "there",
    "these", "they",  "this",  "to",    "up",   "was",   "we",  "were",  "what", "when",  "which",
    "who",   "will",  "with",  "would", "you",  "your",
};

// A vocabulary of made-up words; some carry accented letters written as
// UTF-8 bytes, as a UTF-8 document read byte by byte holds them.
std::vector<std::string> MakeVocabulary(std::mt19937& rng, int size) {
  const char* const syllables[] = {"ka",  "lo", "mi", "ter", "an", "sol", "ve", "ri",  "da",
                                   "nor", "pe", "tu", "gra", "fi", "on",  "es", "mar", "qui"};
  const char* const accented[] = {"\xC3\xA9", "\xC3\xA8", "\xC3\xBC", "\xC3\xB6",
                                  "\xC3\xA7", "\xC3\xA0", "\xC3\xB1", "\xC3\xAF"};
  std::vector<std::string> words;
  for (const char* w : kCommonWords) words.emplace_back(w);
  std::uniform_int_distribution<int> syllableCount(1, 4);
  std::uniform_int_distribution<int> pick(0, 17);
  std::uniform_int_distribution<int> accent(0, 7);
  std::uniform_int_distribution<int> percent(0, 99);
  while (static_cast<int>(words.size()) < size) {
    std::string w;
    const int n = syllableCount(rng);
    for (int i = 0; i < n; ++i) {
      w += syllables[pick(rng)];
      if (percent(rng) < 6) w += accented[accent(rng)];
    }
    if (percent(rng) < 8) w[0] = static_cast<char>(w[0] - 32);  // capitalised
    words.push_back(std::move(w));
  }
  return words;
}

void Append(std::string& line, std::initializer_list<std::string_view> parts) {
  for (std::string_view part : parts) line.append(part);
}

// Lines of a corpus: two parts prose (some with typographic punctuation in
// UTF-8), one part HTML with tags and entities.
std::vector<std::string> MakeCorpus() {
  std::mt19937 rng(12345);
  const std::vector<std::string> vocabulary = MakeVocabulary(rng, 20000);
  std::vector<double> weights(vocabulary.size());
  for (std::size_t i = 0; i < weights.size(); ++i) weights[i] = 1.0 / static_cast<double>(i + 1);
  std::discrete_distribution<std::size_t> zipf(weights.begin(), weights.end());
  std::uniform_int_distribution<int> percent(0, 99);
  std::uniform_int_distribution<int> lineWords(6, 16);

  auto word = [&] { return vocabulary[zipf(rng)]; };
  std::vector<std::string> lines;
  std::size_t total = 0;
  while (total < kCorpusBytes) {
    std::string line;
    const int kind = percent(rng);
    const int n = lineWords(rng);
    if (kind < 35) {
      line = "<p class=\"body\">";
      for (int i = 0; i < n; ++i) {
        const int r = percent(rng);
        if (r < 8) {
          Append(line, {"<b>", word(), "</b> "});
        } else if (r < 12) {
          Append(line, {"<a href=\"http://example.org/", word(), ".html\">", word(), "</a> "});
        } else if (r < 16) {
          Append(line, {word(), "&nbsp;"});
        } else if (r < 19) {
          line += "&amp; ";
        } else if (r < 21) {
          line += "caf&eacute; ";
        } else {
          Append(line, {word(), " "});
        }
      }
      line += "</p>";
    } else {
      for (int i = 0; i < n; ++i) {
        const int r = percent(rng);
        if (r < 3) {
          Append(line, {"\xE2\x80\x9C", word(), "\xE2\x80\x9D "});
        } else if (r < 5) {
          Append(line, {word(), "\xE2\x80\x99s "});
        } else if (r < 7) {
          Append(line, {word(), ", "});
        } else if (r < 8) {
          line += "\xE2\x80\x94 ";
        } else if (r < 10) {
          Append(line, {std::to_string(r * 37), " "});
        } else {
          Append(line, {word(), " "});
        }
      }
      line += ".";
    }
    total += line.size() + 2;
    lines.push_back(std::move(line));
  }
  return lines;
}

const std::vector<std::string>& Corpus() {
  static const std::vector<std::string> corpus = MakeCorpus();
  return corpus;
}

CommonWords MakeCommonWords() {
  std::vector<std::string> sorted(std::begin(kCommonWords), std::end(kCommonWords));
  std::sort(sorted.begin(), sorted.end());
  std::u16string text;
  for (const std::string& w : sorted) text += Utf8ToText(w) + u"\r\n";
  CommonWords common;
  common.LoadFromText(text);
  return common;
}

// Every line goes through the path of the indexing pass: its bytes become
// Windows-1252 characters in a reused buffer, then preparation, scanning and
// counting; files of kLinesPerFile lines get their values at the end.
void BM_TokenizeMixedText(benchmark::State& state) {
  const std::vector<std::string>& lines = Corpus();
  std::size_t bytes = 0;
  for (const std::string& line : lines) bytes += line.size() + 2;
  CommonWords common = MakeCommonWords();
  char16_t table[256];
  for (int b = 0; b < 256; ++b) table[b] = AnsiChar(static_cast<std::uint8_t>(b));

  std::int32_t words = 0;
  for (auto _ : state) {
    IndexLexicon lexicon;
    WordScanner scanner(lexicon, &common);
    scanner.InitWordExtraction();
    std::u16string text;
    std::uint32_t file = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (i % kLinesPerFile == 0) {
        if (file > 0) benchmark::DoNotOptimize(scanner.EndFile());
        scanner.BeginFile(++file);
      }
      const std::string& line = lines[i];
      text.resize(line.size());
      for (std::size_t k = 0; k < line.size(); ++k) {
        text[k] = table[static_cast<unsigned char>(line[k])];
      }
      benchmark::DoNotOptimize(scanner.ProcessLine(text));
    }
    benchmark::DoNotOptimize(scanner.EndFile());
    words = lexicon.WordCount();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["distinct_words"] = words;
}
BENCHMARK(BM_TokenizeMixedText)->Unit(benchmark::kMillisecond);

// A large lexicon: state.range(0) words over state.range(1) files, each file
// holding a few hundred distinct words drawn with a skewed distribution.
IndexLexicon MakeLargeLexicon(int wordCount, int fileCount) {
  std::mt19937 rng(777);
  std::vector<double> weights(static_cast<std::size_t>(wordCount));
  for (std::size_t i = 0; i < weights.size(); ++i) weights[i] = 1.0 / static_cast<double>(i + 1);
  std::discrete_distribution<int> zipf(weights.begin(), weights.end());
  std::uniform_int_distribution<int> countPick(1, 20);
  IndexLexicon lexicon;
  // Every word exists, in discovery order.
  lexicon.BeginFile(1);
  int step = 0;
  for (int w = 0; w < wordCount; ++w) {
    std::string name = std::to_string(w);
    name.insert(name.begin(), 'w');
    lexicon.AddWord(Utf8ToText(name), 0, step);
  }
  lexicon.EndFile();
  for (int f = 2; f <= fileCount; ++f) {
    lexicon.BeginFile(static_cast<std::uint32_t>(f));
    for (int k = 0; k < 300; ++k) {
      const std::int32_t row = zipf(rng) + 1;
      for (int c = countPick(rng); c > 0; --c) lexicon.CountRow(row);
    }
    lexicon.EndFile();
  }
  return lexicon;
}

void BM_EncodeCountRows(benchmark::State& state) {
  const auto wordCount = static_cast<int>(state.range(0));
  const auto fileCount = static_cast<int>(state.range(1));
  const IndexLexicon lexicon = MakeLargeLexicon(wordCount, fileCount);
  std::size_t textBytes = 0;
  for (auto _ : state) {
    RecordWriter out;
    WriteCountRows(out, lexicon, fileCount);
    textBytes = out.Utf8().size();
    benchmark::DoNotOptimize(out.Utf8().data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * wordCount);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * textBytes));
  state.counters["count_row_text_MB"] = static_cast<double>(textBytes) / 1e6;
}
BENCHMARK(BM_EncodeCountRows)->Args({100000, 8800})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quor
