#include "common/records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/encoding.h"

namespace quor {
namespace {

std::vector<std::u16string> ReadAll(std::string_view text) {
  RecordReader reader(text);
  std::vector<std::u16string> fields;
  std::u16string field;
  while (reader.Next(field)) fields.push_back(field);
  return fields;
}

TEST(RecordWriter, WritesQuotedStringsBareNumbersAndCrLf) {
  RecordWriter writer;
  writer.WriteString(u"a");
  writer.WriteNumber(3);
  writer.EndRecord();
  writer.WriteNumber(-42);
  writer.WriteString(u"");
  writer.WriteString(u"x, y");
  writer.EndRecord();
  writer.WriteStringRecord(u"End of file list");
  writer.WriteNumber(967);
  writer.WriteString(u"End of lexicon");
  writer.EndRecord();
  writer.WriteStringRecord(u"été\r\nline two");
  EXPECT_EQ(writer.Utf8(),
            "\"a\",3\r\n"
            "-42,\"\",\"x, y\"\r\n"
            "\"End of file list\"\r\n"
            "967,\"End of lexicon\"\r\n"
            "\"\xC3\xA9t\xC3\xA9\r\nline two\"\r\n");
}

TEST(RecordWriter, WritesBareLinesAndNeverLetsAQuoteSplitAField) {
  RecordWriter writer;
  writer.WriteNumber(1);
  writer.WriteLine(u"cats dogs");  // ends the open record first
  writer.WriteString(u"say \"hi\", then go");
  writer.WriteNumber(7);
  writer.EndRecord();
  EXPECT_EQ(writer.Take(), "1\r\ncats dogs\r\n\"say 'hi', then go\",7\r\n");
}

TEST(RecordReader, ReadsFieldsAsTheInputStatementDoes) {
  struct Row {
    const char* name;
    std::string text;
    std::vector<std::u16string> fields;
  };
  const Row rows[] = {
      {"quoted and bare", "\"a\",3\r\n", {u"a", u"3"}},
      {"records across lines", "\"a\"\r\n\"b\"\r\n", {u"a", u"b"}},
      {"crlf inside quotes", "\"one\r\ntwo\",5\r\n", {u"one\r\ntwo", u"5"}},
      {"comma inside quotes", "\"x, y\",\"z\"\r\n", {u"x, y", u"z"}},
      {"leading spaces and tabs skipped", "  \t\"a\", \t7\r\n", {u"a", u"7"}},
      {"bare field trimmed", "  a b  ,c\t\r\n", {u"a b", u"c"}},
      {"text after closing quote dropped", "\"a\"junk,\"b\" \r\n", {u"a", u"b"}},
      {"empty quoted string", "\"\",\"\"\r\n", {u"", u""}},
      {"empty line is one empty field", "\"a\"\r\n\r\n\"b\"\r\n", {u"a", u"", u"b"}},
      {"blank between commas", "1,,2\r\n", {u"1", u"", u"2"}},
      {"trailing comma before line end", "1,\r\n2\r\n", {u"1", u"", u"2"}},
      {"lone lf and lone cr end lines", "a\nb\rc", {u"a", u"b", u"c"}},
      {"no final line end", "\"a\",2", {u"a", u"2"}},
      {"unterminated quote runs to the end", "\"abc\r\ndef", {u"abc\r\ndef"}},
      {"quote inside bare field kept", "ab\"c\r\n", {u"ab\"c"}},
      {"utf8 decoded", "\"\xC3\xA9t\xC3\xA9\"\r\n", {u"été"}},
      {"bad utf8 kept as escaped bytes", "\"caf\xE9\"\r\n", {u"caf\xDCE9"}},
      {"empty text", "", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ReadAll(row.text), row.fields);
  }
}

TEST(RecordReader, ReadingPastTheEndFails) {
  RecordReader reader("\"a\"\r\n");
  std::u16string field = u"untouched";
  EXPECT_FALSE(reader.AtEnd());
  ASSERT_TRUE(reader.Next(field));
  EXPECT_EQ(field, u"a");
  EXPECT_TRUE(reader.AtEnd());
  field = u"untouched";
  EXPECT_FALSE(reader.Next(field));
  EXPECT_EQ(field, u"untouched");
  std::int64_t value = 99;
  EXPECT_FALSE(reader.NextNumber(value));
  EXPECT_EQ(value, 99);
}

TEST(RecordReader, ReadsDecimalNumbersAndRefusesOtherText) {
  struct Row {
    std::string field;
    bool ok;
    std::int64_t value;
  };
  const Row rows[] = {
      {"0", true, 0},
      {"967", true, 967},
      {"-42", true, -42},
      {"+5", true, 5},
      {" 12 ", true, 12},
      {"\"34\"", true, 34},
      {"9223372036854775807", true, 9223372036854775807},
      {"9223372036854775808", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {"12a", false, 0},
      {"1.5", false, 0},
      {"+-1", false, 0},
      {"\"\"", false, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.field);
    const std::string text = row.field + ",\"next\"\r\n";
    RecordReader reader(text);
    std::int64_t value = -1;
    EXPECT_EQ(reader.NextNumber(value), row.ok);
    if (row.ok) {
      EXPECT_EQ(value, row.value);
    }
    std::u16string next;
    ASSERT_TRUE(reader.Next(next)) << "a refused number is consumed all the same";
    EXPECT_EQ(next, u"next");
  }
}

TEST(Records, RoundTripTheIndexTextAndSettingsShapes) {
  RecordWriter writer;
  for (const auto* path : {u"a.txt", u"sub/a, b.txt", u"été/ü.htm", u" lead"}) {
    writer.WriteStringRecord(path);
  }
  writer.WriteNumber(-2147483648LL);
  writer.WriteString(u"");
  writer.WriteString(u"docs/old.txt\r\ntmp/x.txt");
  writer.EndRecord();
  writer.WriteStringRecord(u"255,-3,0,17");
  writer.WriteLine(u"  cats dogs  ");
  // A bare line loses its surrounding blanks; everything else comes back as written.
  EXPECT_EQ(ReadAll(writer.Utf8()),
            (std::vector<std::u16string>{u"a.txt", u"sub/a, b.txt", u"été/ü.htm", u" lead",
                                         u"-2147483648", u"", u"docs/old.txt\r\ntmp/x.txt",
                                         u"255,-3,0,17", u"cats dogs"}));
}

}  // namespace
}  // namespace quor
