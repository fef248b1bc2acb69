// The index build's lexicon through the index-text writers: byte values, the
// sorted lexicon beside count rows in row-number order, a file's words.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/records.h"
#include "index/lexicon.h"
#include "index/word_scanner.h"
#include "indexfile/index_format.h"

namespace quor {
namespace {

// Drives a run the way the index build does: list record, lines, end of file.
struct MiniRun {
  IndexLexicon lexicon;
  WordScanner scanner{lexicon, nullptr};
  RecordWriter text;
  std::uint32_t files = 0;

  MiniRun() { scanner.InitWordExtraction(); }

  void AddFile(std::u16string_view relativePath, const std::vector<std::u16string>& lines) {
    ++files;
    text.WriteStringRecord(relativePath);
    scanner.BeginFile(files);
    for (const std::u16string& line : lines) {
      if (scanner.ProcessLine(line) != LineOutcome::kContinue) break;
    }
    if (lexicon.MaxCountInFile() > 0) {
      EXPECT_EQ(scanner.EndFile(), u"");
    }
  }

  std::string Finish(std::u16string_view title) {
    text.WriteStringRecord(kEndOfFileList);
    WriteLexicon(text, lexicon, title);
    WriteCountRows(text, lexicon, static_cast<std::int32_t>(files));
    return text.Utf8();
  }
};

TEST(LexiconIndexText, ByteValuesScaleToTheMostFrequentWord) {
  struct Row {
    int count;
    int max;
    int value;
  };
  const Row rows[] = {
      {1, 2, 128},                 // 127.5 rounds to the even 128
      {1, 6, 42},                  // 42.5 rounds to the even 42
      {3, 10, 76},                 // 76.5 rounds to the even 76
      {7, 10, 178},                // 178.5 rounds to the even 178
      {1, 10, 26},                 // 25.5 rounds to the even 26
      {1, 14, 18},                 // 18.2
      {2, 3, 170},                 // exact
      {5, 7, 182},                 // 182.14
      {1, 254, 1},                 // 1.004
      {4, 4, 255},                 // the most frequent word
      {1, 255, 1},                 // raw counts once a word is at the cap
      {200, 255, 200}, {0, 5, 0},  // absent
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::to_string(r.count) + "/" + std::to_string(r.max));
    EXPECT_EQ(ByteValue(r.count, r.max), r.value);
  }
}

TEST(LexiconIndexText, LexiconIsSortedWhileCountRowsFollowRowNumbers) {
  MiniRun run;
  run.AddFile(u"one.txt", {u"pear apple pear"});
  run.AddFile(u"two.txt", {u""});
  run.AddFile(u"a, b.txt", {u"zucchini apple"});
  EXPECT_EQ(run.Finish(u"Fruit"),
            "\"one.txt\"\r\n"
            "\"two.txt\"\r\n"
            "\"a, b.txt\"\r\n"
            "\"End of file list\"\r\n"
            "3,\"Fruit\"\r\n"
            "2,\"apple\"\r\n"
            "1,\"pear\"\r\n"
            "3,\"zucchini\"\r\n"
            "967,\"End of lexicon\"\r\n"
            "\"255,-2\"\r\n"
            "\"128,0,255\"\r\n"
            "\"-2,255\"\r\n");
}

TEST(LexiconIndexText, FileWordsComeInLexiconOrderWithTheirValues) {
  MiniRun run;
  run.AddFile(u"a.txt", {u"Cats and dogs, cats"});
  const std::vector<FileWord> words = run.lexicon.CurrentFileWords();
  ASSERT_EQ(words.size(), 3u);
  EXPECT_EQ(words[0].word, u"and");
  EXPECT_EQ(words[0].value, 128);
  EXPECT_EQ(words[1].word, u"cats");
  EXPECT_EQ(words[1].count, 2);
  EXPECT_EQ(words[1].value, 255);
  EXPECT_EQ(words[2].word, u"dogs");
  EXPECT_EQ(words[2].value, 128);
  // Ending a file twice adds no second posting.
  EXPECT_EQ(run.scanner.EndFile(), u"");
  EXPECT_EQ(run.lexicon.Postings(1).size(), 1u);
}

}  // namespace
}  // namespace quor
