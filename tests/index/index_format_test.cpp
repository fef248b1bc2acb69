#include "index/index_format.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "common/encoding.h"
#include "common/files.h"
#include "common/strings.h"
#include "index/index_run_output.h"
#include "index/word_scanner.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

std::u16string PathText(const std::filesystem::path& p) {
  return Utf8ToText(p.string());
}

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

TEST(IndexFormatTest, TwoFileExampleGivesTheExactIndexTextAndDataFile) {
  test::TempFolder folder;
  MiniRun run;
  run.AddFile(u"a.txt", {u"Cats and dogs, cats"});
  run.AddFile(u"sub/b.htm", {u"<b>Dogs</b>"});
  const std::string indexText = run.Finish(u"My docs");

  EXPECT_EQ(indexText,
            "\"a.txt\"\r\n"
            "\"sub/b.htm\"\r\n"
            "\"End of file list\"\r\n"
            "3,\"My docs\"\r\n"
            "2,\"and\"\r\n"
            "1,\"cats\"\r\n"
            "3,\"dogs\"\r\n"
            "967,\"End of lexicon\"\r\n"
            "\"255,0\"\r\n"
            "\"128,0\"\r\n"
            "\"128,255\"\r\n");
  EXPECT_EQ(indexText.size(), 135u);

  const std::u16string dataPath = PathText(folder.Path() / "proj_data.quor");
  EXPECT_EQ(WriteDataFile(dataPath, run.lexicon, 2), u"");
  EXPECT_EQ(AppendLengthStamp(dataPath, static_cast<std::int64_t>(indexText.size())), u"");
  EXPECT_EQ(folder.Read("proj_data.quor"),
            std::string("\xFF\x00\x80\x00\x80\xFF\x87\x00\x00\x00", 10));
}

TEST(IndexFormatTest, ByteValuesScaleToTheMostFrequentWord) {
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
      {1, 3, 85},                  // exact
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

Posting P(std::uint32_t file, std::uint8_t value) {
  return Posting{file << 8 | value};
}

TEST(IndexFormatTest, CountRowsRunLengthEncodeZeroFiles) {
  struct Row {
    const char* name;
    std::vector<Posting> postings;
    std::int32_t files;
    const char16_t* row;
  };
  const Row rows[] = {
      {"one file, present", {P(1, 7)}, 1, u"7"},
      {"one file, absent", {}, 1, u"0"},
      {"last of six files", {P(6, 255)}, 6, u"-5,255"},
      {"files one and three of three", {P(1, 40), P(3, 255)}, 3, u"40,0,255"},
      {"zeros at the end", {P(2, 9)}, 4, u"0,9,-2"},
      {"single zero at the end", {P(1, 9)}, 2, u"9,0"},
      {"every file", {P(1, 1), P(2, 2), P(3, 3)}, 3, u"1,2,3"},
      {"absent everywhere", {}, 3, u"-3"},
      {"long gap", {P(1, 12), P(1002, 3)}, 1002, u"12,-1000,3"},
      {"file beyond the row ignored", {P(2, 5), P(4, 6)}, 3, u"0,5,0"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(EncodeCountRow(r.postings, r.files), r.row);
  }
}

TEST(IndexFormatTest, LexiconIsSortedWhileCountRowsFollowRowNumbers) {
  MiniRun run;
  run.AddFile(u"one.txt", {u"pear apple pear"});
  run.AddFile(u"two.txt", {u""});
  run.AddFile(u"a, b.txt", {u"zucchini apple"});
  const std::string text = run.Finish(u"Fruit");
  EXPECT_EQ(text,
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

TEST(IndexFormatTest, DataFileRowsHoldEveryFilesValues) {
  test::TempFolder folder;
  MiniRun run;
  run.AddFile(u"1", {u"alpha beta beta"});
  run.AddFile(u"2", {u"<only markup>"});
  run.AddFile(u"3", {u"gamma alpha"});
  run.Finish(u"t");
  const std::u16string dataPath = PathText(folder.Path() / "d");
  ASSERT_EQ(WriteDataFile(dataPath, run.lexicon, 3), u"");
  // Rows: alpha (128, 0, 255), beta (255, 0, 0), gamma (0, 0, 255).
  EXPECT_EQ(folder.Read("d"), std::string("\x80\x00\xFF\xFF\x00\x00\x00\x00\xFF", 9));
  ASSERT_EQ(AppendLengthStamp(dataPath, 0x01020304), u"");
  EXPECT_EQ(folder.Read("d").substr(9), std::string("\x04\x03\x02\x01", 4));
}

TEST(IndexFormatTest, LargeMatrixIsWrittenInChunksRowByRow) {
  test::TempFolder folder;
  IndexLexicon lexicon;
  const std::int32_t files = 3000;
  for (std::uint32_t f = 1; f <= static_cast<std::uint32_t>(files); ++f) {
    lexicon.BeginFile(f);
    int step = 0;
    lexicon.AddWord(u"w" + ToText(f % 700), 0, step);
    lexicon.EndFile();
  }
  const std::u16string dataPath = PathText(folder.Path() / "big");
  ASSERT_EQ(WriteDataFile(dataPath, lexicon, files), u"");
  const std::string data = folder.Read("big");
  ASSERT_EQ(data.size(), static_cast<std::size_t>(700 * files));
  for (std::uint32_t f = 1; f <= static_cast<std::uint32_t>(files); ++f) {
    const std::int32_t row = lexicon.Find(u"w" + ToText(f % 700));
    for (std::int32_t r : {row, row % 700 + 1}) {
      const auto cell =
          static_cast<std::uint8_t>(data[static_cast<std::size_t>(r - 1) * files + (f - 1)]);
      EXPECT_EQ(cell, r == row ? 255 : 0) << "file " << f << " row " << r;
    }
  }
}

TEST(IndexFormatTest, WriteErrorsAreReportedWithTheirDescription) {
  test::TempFolder folder;
  MiniRun run;
  run.AddFile(u"a", {u"word"});
  EXPECT_EQ(WriteDataFile(u"/dev/full", run.lexicon, 1), ErrorDescription(ENOSPC));
  EXPECT_EQ(WriteDataFile(PathText(folder.Path() / "missing" / "d"), run.lexicon, 1),
            ErrorDescription(ENOENT));
  EXPECT_EQ(AppendLengthStamp(PathText(folder.Path() / "none"), 5), ErrorDescription(ENOENT));
  EXPECT_EQ(AppendLengthStamp(u"/dev/full", 5), ErrorDescription(ENOSPC));
  EXPECT_FALSE(AppendLengthStamp(PathText(folder.Path() / "none"), 1LL << 31).empty());
}

std::u16string Word(int i) {
  return u"w" + Utf8ToText(std::to_string(i));
}

// File 1 holds every word once; file 15000 holds word 100 and file 30000 the
// last word, each twice beside word 0 once.
void FillLexicon(IndexLexicon& lexicon, int words) {
  int step = 0;
  lexicon.BeginFile(1);
  for (int i = 0; i < words; ++i) lexicon.AddWord(Word(i), 0, step);
  lexicon.EndFile();
  for (auto [file, word] : {std::pair{15000, 100}, std::pair{30000, words - 1}}) {
    lexicon.BeginFile(static_cast<std::uint32_t>(file));
    lexicon.AddWord(Word(word), 0, step);
    lexicon.AddWord(Word(word), 0, step);
    lexicon.AddWord(Word(0), 0, step);
    lexicon.EndFile();
  }
}

TEST(DataMatrix, RowsHoldEachPostingAtItsColumnAcrossWriteWindows) {
  test::TempFolder tmp;
  IndexLexicon lexicon;
  constexpr int kWords = 200;
  constexpr int kFiles = 30000;  // 6 MB: more than one write window
  FillLexicon(lexicon, kWords);
  const std::string path = (tmp.Path() / "data").string();
  const int fd = OpenFileForWriting(Utf8ToText(path));
  ASSERT_GE(fd, 0);
  EXPECT_EQ(WriteDataMatrix(fd, lexicon, kFiles), u"");
  ::close(fd);

  std::string expected(static_cast<std::size_t>(kWords) * kFiles, '\0');
  auto cell = [&](int row, int file) -> char& {
    return expected[static_cast<std::size_t>(row - 1) * kFiles +
                    static_cast<std::size_t>(file - 1)];
  };
  for (int row = 1; row <= kWords; ++row) cell(row, 1) = '\xFF';
  cell(101, 15000) = '\xFF';
  cell(1, 15000) = '\x80';
  cell(kWords, 30000) = '\xFF';
  cell(1, 30000) = '\x80';
  const std::string written = *ReadWholeFile(Utf8ToText(path));
  ASSERT_EQ(written.size(), expected.size());
  EXPECT_TRUE(written == expected);

  // Blocks without a value are holes.
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_LT(info.st_blocks * 512, info.st_size / 2);
}

TEST(DataMatrix, EmptyLexiconGivesAnEmptyFile) {
  test::TempFolder tmp;
  IndexLexicon lexicon;
  const std::u16string path = Utf8ToText((tmp.Path() / "data").string());
  const int fd = OpenFileForWriting(path);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(WriteDataMatrix(fd, lexicon, 7), u"");
  ::close(fd);
  EXPECT_EQ(FileLength(path), 0);
}

TEST(DataMatrix, FullDiskIsReported) {
  IndexLexicon lexicon;
  FillLexicon(lexicon, 101);
  const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  EXPECT_NE(WriteDataMatrix(fd, lexicon, 30000), u"");
  ::close(fd);
}

TEST(IndexFormatTest, FileWordsComeInLexiconOrderWithTheirValues) {
  MiniRun run;
  run.AddFile(u"a.txt", {u"Cats and dogs, cats"});
  const std::vector<FileWord> words = run.lexicon.CurrentFileWords();
  ASSERT_EQ(words.size(), 3u);
  EXPECT_EQ(words[0].word, u"and");
  EXPECT_EQ(words[0].count, 1);
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
