#include "indexfile/index_format.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "common/encoding.h"
#include "common/files.h"
#include "indexfile/test_lexicon.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

using test::P;
using test::TestLexicon;

std::u16string PathText(const std::filesystem::path& p) {
  return Utf8ToText(p.string());
}

// a.txt holds "Cats and dogs, cats", sub/b.htm "<b>Dogs</b>".
TestLexicon TwoFileExample() {
  TestLexicon lexicon;
  lexicon.Add(u"cats", {P(1, 255)});
  lexicon.Add(u"and", {P(1, 128)});
  lexicon.Add(u"dogs", {P(1, 128), P(2, 255)});
  return lexicon;
}

TEST(IndexFormatTest, TwoFileExampleGivesTheExactIndexTextAndDataFile) {
  test::TempFolder folder;
  const TestLexicon lexicon = TwoFileExample();
  RecordWriter text;
  text.WriteStringRecord(u"a.txt");
  text.WriteStringRecord(u"sub/b.htm");
  text.WriteStringRecord(kEndOfFileList);
  WriteLexicon(text, lexicon, u"My docs");
  WriteCountRows(text, lexicon, 2);
  EXPECT_EQ(text.Utf8(),
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

  const std::u16string dataPath = PathText(folder.Path() / "proj_data.quor");
  EXPECT_EQ(WriteDataFile(dataPath, lexicon, 2), u"");
  EXPECT_EQ(AppendLengthStamp(dataPath, static_cast<std::int64_t>(text.Utf8().size())), u"");
  EXPECT_EQ(folder.Read("proj_data.quor"),
            std::string("\xFF\x00\x80\x00\x80\xFF\x87\x00\x00\x00", 10));
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
      {"absent everywhere", {}, 3, u"-3"},
      {"long gap", {P(1, 12), P(1002, 3)}, 1002, u"12,-1000,3"},
      {"file beyond the row ignored", {P(2, 5), P(4, 6)}, 3, u"0,5,0"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(EncodeCountRow(r.postings, r.files), r.row);
  }
}

// Every word is in file 1; file 15000 holds word 100 and file 30000 the last
// word, each with value 255 beside word 0 with 128.
TestLexicon WideLexicon(int words) {
  TestLexicon lexicon;
  for (int i = 0; i < words; ++i) {
    std::vector<Posting> postings{P(1, 255)};
    if (i == 0) postings.insert(postings.end(), {P(15000, 128), P(30000, 128)});
    if (i == 100) postings.push_back(P(15000, 255));
    if (i == words - 1) postings.push_back(P(30000, 255));
    lexicon.Add(u"w" + Utf8ToText(std::to_string(i)), std::move(postings));
  }
  return lexicon;
}

TEST(DataMatrix, RowsHoldEachPostingAtItsColumnAcrossWriteWindows) {
  test::TempFolder tmp;
  constexpr int kWords = 200;
  constexpr int kFiles = 30000;  // 6 MB: more than one write window
  const TestLexicon lexicon = WideLexicon(kWords);
  const std::string path = (tmp.Path() / "data").string();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
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

TEST(DataMatrix, WriteErrorsAreReportedWithTheirDescription) {
  test::TempFolder folder;
  const TestLexicon lexicon = TwoFileExample();
  EXPECT_EQ(WriteDataFile(u"/dev/full", lexicon, 2), ErrorDescription(ENOSPC));
  EXPECT_EQ(WriteDataFile(PathText(folder.Path() / "missing" / "d"), lexicon, 2),
            ErrorDescription(ENOENT));
  EXPECT_EQ(AppendLengthStamp(PathText(folder.Path() / "none"), 5), ErrorDescription(ENOENT));
  EXPECT_EQ(AppendLengthStamp(u"/dev/full", 5), ErrorDescription(ENOSPC));
  EXPECT_FALSE(AppendLengthStamp(PathText(folder.Path() / "none"), 1LL << 31).empty());

  // An empty lexicon gives an empty matrix.
  const std::u16string empty = PathText(folder.Path() / "empty");
  EXPECT_EQ(WriteDataFile(empty, TestLexicon{}, 7), u"");
  EXPECT_EQ(FileLength(empty), 0);
}

}  // namespace
}  // namespace quor
