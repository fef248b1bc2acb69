#include "index/index_run_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "common/encoding.h"
#include "common/files.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

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

TEST(IndexText, RecordsReachTheFileOnFlushAndClose) {
  test::TempFolder tmp;
  const std::u16string path = Utf8ToText((tmp.Path() / "index").string());
  IndexTextFile text;
  ASSERT_TRUE(text.Open(path, OpenFileForWriting));
  text.Records().WriteStringRecord(u"a.txt");
  EXPECT_TRUE(text.Flush());
  EXPECT_EQ(FileLength(path), 0);  // below the flush size: still waiting
  EXPECT_EQ(text.Length(), 9);
  std::string big(IndexTextFile::kFlushSize, 'x');
  text.Records().WriteStringRecord(Utf8ToText(big));
  EXPECT_TRUE(text.Flush());
  EXPECT_EQ(FileLength(path), text.Length());
  text.Records().WriteStringRecord(u"End");
  EXPECT_TRUE(text.Close());
  EXPECT_EQ(FileLength(path), text.Length());
  EXPECT_EQ(ReadWholeFile(path)->substr(0, 9), "\"a.txt\"\r\n");
}

TEST(IndexText, FullDiskFailsTheCloseAndEveryLaterFlush) {
  IndexTextFile text;
  ASSERT_TRUE(text.Open(
      u"ignored", [](const std::u16string&) { return ::open("/dev/full", O_WRONLY | O_CLOEXEC); }));
  text.Records().WriteStringRecord(u"a.txt");
  EXPECT_FALSE(text.Close());
  EXPECT_FALSE(text.Error().empty());
  EXPECT_FALSE(text.Flush(true));
}

TEST(IndexText, OpenFailureIsDescribed) {
  IndexTextFile text;
  EXPECT_FALSE(text.Open(u"/nonexistent-folder/index", OpenFileForWriting));
  EXPECT_FALSE(text.Error().empty());
}

}  // namespace
}  // namespace quor
