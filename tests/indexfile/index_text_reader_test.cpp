#include "indexfile/index_text_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/encoding.h"
#include "common/records.h"
#include "indexfile/compressor.h"
#include "indexfile/index_format.h"
#include "indexfile/test_lexicon.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

using test::P;

// Three files with non-ASCII names, commas and blanks kept at both ends.
const std::vector<std::u16string> kFiles = {u"Übersicht/café, menu.txt", u" rapport 1 .htm",
                                            u"日本/文書.txt"};

std::string WrittenText(std::u16string_view title) {
  test::TestLexicon lexicon;
  lexicon.Add(u"zèbre", {P(1, 255), P(3, 9)});
  lexicon.Add(u"and", {P(2, 128)});
  lexicon.Add(u"émile", {P(3, 255)});
  RecordWriter out;
  for (const std::u16string& file : kFiles) out.WriteStringRecord(file);
  out.WriteStringRecord(kEndOfFileList);
  WriteLexicon(out, lexicon, title);
  WriteCountRows(out, lexicon, static_cast<std::int32_t>(kFiles.size()));
  return out.Take();
}

void ExpectWrittenText(const IndexText& read, std::u16string_view title) {
  EXPECT_EQ(read.error, u"");
  EXPECT_EQ(read.files, kFiles);
  EXPECT_EQ(read.title, title);
  EXPECT_EQ(read.announcedWordCount, 3);
  const std::vector<std::pair<std::int32_t, std::u16string>> lexicon = {
      {2, u"and"}, {1, u"zèbre"}, {3, u"émile"}};
  EXPECT_EQ(read.lexicon, lexicon);
  const std::vector<std::vector<std::uint8_t>> rows = {{255, 0, 9}, {0, 128, 0}, {0, 0, 255}};
  EXPECT_EQ(read.rows, rows);
}

TEST(IndexTextReader, ReadsBackWhatTheWriterWrote) {
  ExpectWrittenText(ReadIndexText(WrittenText(u"Dossiers d'été – 2024")), u"Dossiers d'été – 2024");
}

// The reader pulls the expansion of the compressed file in pieces; any
// piece size gives the same fields as the whole text.
TEST(IndexTextReader, ReadsTheExpansionOfTheCompressedFileInPieces) {
  test::TempFolder folder;
  const std::string text = WrittenText(u"Титул");
  folder.Write("p_index.quor", text);
  const std::u16string path = Utf8ToText((folder.Path() / "p_index.quor").string());
  FileCompressor compressor;
  ASSERT_TRUE(compressor.AllocateCompressionBuffer());
  ASSERT_EQ(compressor.CompressFile(path, path + u"c", true), kCompressOk);

  ASSERT_EQ(compressor.BeginExpand(path), kCompressOk);
  EXPECT_EQ(compressor.DeclaredSize(), text.size());
  RecordFieldReader streamed(
      [&](std::string& to, bool& done) { return compressor.ExpandMore(to, done); });
  std::vector<std::string> fields;
  std::string_view field;
  while (streamed.Next(field) == RecordFieldReader::Result::kField) fields.emplace_back(field);
  EXPECT_EQ(streamed.SourceStatus(), 0);
  EXPECT_EQ(streamed.Consumed(), static_cast<std::int64_t>(text.size()));

  // One byte at a time, against the reader of a whole text.
  std::size_t at = 0;
  RecordFieldReader bytewise([&](std::string& to, bool& done) {
    if (at < text.size()) to += text[at++];
    done = at == text.size();
    return 0;
  });
  RecordReader whole(text);
  std::u16string expected;
  std::size_t k = 0;
  while (whole.Next(expected)) {
    SCOPED_TRACE(k);
    ASSERT_EQ(bytewise.Next(field), RecordFieldReader::Result::kField);
    EXPECT_EQ(Utf8ToText(field), expected);
    ASSERT_LT(k, fields.size());
    EXPECT_EQ(fields[k++], field);
  }
  EXPECT_EQ(bytewise.Next(field), RecordFieldReader::Result::kEnd);
  EXPECT_EQ(k, fields.size());
}

TEST(IndexTextReader, DamagedTextsGiveTheInputErrorOfTheirSection) {
  struct Row {
    const char* name;
    std::string text;
    const char16_t* error;
  };
  const std::string files = "\"a\"\r\n\"b\"\r\n\"End of file list\"\r\n";
  const Row rows[] = {
      {"no end of file list", "\"a\"\r\n\"b\"\r\n", u"lexicon: Input past end of file"},
      {"a field without end", "\"" + std::string(5 << 20, 'a'), u"file list: Field too long"},
      {"cut in the header", files + "2", u"lexicon: Input past end of file"},
      {"word count no number", files + "x,\"t\"\r\n", u"lexicon: Type mismatch"},
      {"word count beyond 32 bits", files + "99999999999,\"t\"\r\n", u"lexicon: Overflow"},
      {"negative word count", files + "-1,\"t\"\r\n", u"lexicon: Subscript out of range"},
      {"more words than announced", files + "1,\"t\"\r\n1,\"a\"\r\n2,\"b\"\r\n",
       u"lexicon: Subscript out of range"},
      {"row number no number", files + "1,\"t\"\r\n\"a\",\"b\"\r\n", u"lexicon: Type mismatch"},
      {"cut in the lexicon", files + "2,\"t\"\r\n1,\"a\"\r\n", u"lexicon: Input past end of file"},
      {"cut in the count rows", files + "1,\"t\"\r\n1,\"a\"\r\n967,\"End of lexicon\"\r\n",
       u"count row 1: Input past end of file"},
      {"value above 255", files + "1,\"t\"\r\n1,\"a\"\r\n967,\"End of lexicon\"\r\n\"256,0\"\r\n",
       u"count row 1: Overflow"},
      {"row too long", files + "1,\"t\"\r\n1,\"a\"\r\n967,\"End of lexicon\"\r\n\"1,-2\"\r\n",
       u"count row 1: The count row covers more files than the index holds"},
      {"row too short", files + "1,\"t\"\r\n1,\"a\"\r\n967,\"End of lexicon\"\r\n\"7\"\r\n",
       u"count row 1: The count row covers fewer files than the index holds"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(ReadIndexText(r.text).error, r.error);
  }
}

TEST(IndexTextReader, EarlyEndOfLexiconLeavesTheWordsRead) {
  const IndexText read = ReadIndexText(
      "\"a\"\r\n\"End of file list\"\r\n5,\"t\"\r\n1,\"w\"\r\n967,\"End of lexicon\"\r\n\"9\"\r\n");
  EXPECT_EQ(read.error, u"");
  EXPECT_EQ(read.announcedWordCount, 5);
  ASSERT_EQ(read.lexicon.size(), 1u);
  EXPECT_EQ(read.rows, (std::vector<std::vector<std::uint8_t>>{{9}}));
}

TEST(IndexTextReader, CountRowsDecodeIntoEveryFilesValue) {
  struct Row {
    const char* row;
    std::size_t files;
    std::vector<std::uint8_t> values;
    const char16_t* error;
  };
  const Row rows[] = {
      {"3,0,-3,12", 6, {3, 0, 0, 0, 0, 12}, u""},
      {"-6", 6, {0, 0, 0, 0, 0, 0}, u""},
      {" 7 , 2.5", 2, {7, 2}, u""},  // blanks around, a fraction to the even
      {"255", 1, {255}, u""},
      {"", 1, {0}, u""},  // no number is 0
      {"-32769", 40000, {}, u"Overflow"},
      {"99999999999999999999", 1, {}, u"Overflow"},
      {"-1,-1", 1, {}, u"The count row covers more files than the index holds"},
      {"1,2,", 2, {}, u"The count row covers more files than the index holds"},
      {"-2", 3, {}, u"The count row covers fewer files than the index holds"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.row);
    // Left-overs of an earlier row never show through.
    std::vector<std::uint8_t> values(r.files, 0xAA);
    EXPECT_EQ(DecodeCountRow(r.row, values), r.error);
    if (r.error[0] == 0) {
      EXPECT_EQ(values, r.values);
    }
  }
}

TEST(IndexTextReader, FailedSourceEndsTheText) {
  int calls = 0;
  RecordFieldReader reader([&](std::string& to, bool& done) {
    done = false;
    if (calls++ == 0) {
      to += "\"a\"\r\n\"b";
      return 0;
    }
    return -8;
  });
  std::string_view field;
  ASSERT_EQ(reader.Next(field), RecordFieldReader::Result::kField);
  EXPECT_EQ(field, "a");
  EXPECT_EQ(reader.Next(field), RecordFieldReader::Result::kSourceError);
  EXPECT_EQ(reader.SourceStatus(), -8);

  // A field that never ends is refused before the text fills memory.
  std::size_t given = 0;
  RecordFieldReader endless([&](std::string& to, bool& done) {
    done = false;
    to += given == 0 ? std::string("\"") : std::string(1 << 20, 'a');
    given += 1;
    return 0;
  });
  EXPECT_EQ(endless.Next(field), RecordFieldReader::Result::kTooLong);
  EXPECT_LT(given, 8u);
}

}  // namespace
}  // namespace quor
