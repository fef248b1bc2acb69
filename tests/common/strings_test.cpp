#include "common/strings.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "common/encoding.h"

namespace quor {
namespace {

std::string Joined(const TextList& list) {
  std::string out;
  for (const auto& item : list) {
    out += '[';
    out += TextToUtf8(item);
    out += ']';
  }
  return out;
}

TEST(NumberToWords, WordsCountsBelowOneHundredAndGroupsTheRest) {
  struct Row {
    std::int64_t n;
    std::u16string words;
  };
  const Row rows[] = {
      {0, u"No"},           {1, u"One"},          {3, u"Three"},         {12, u"Twelve"},
      {19, u"Nineteen"},    {20, u"Twenty"},      {23, u"Twenty three"}, {40, u"Forty"},
      {71, u"Seventy one"}, {99, u"Ninety nine"}, {100, u"100"},         {150, u"150"},
      {1234, u"1,234"},     {-2, u"-2"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.n);
    EXPECT_EQ(NumberToWords(row.n), row.words);
  }
}

TEST(NumberText, GroupsDigitsInThreesAndSaysPlural) {
  struct Row {
    std::int64_t n;
    std::u16string grouped;
  };
  const Row rows[] = {
      {0, u"0"},
      {999, u"999"},
      {1000, u"1,000"},
      {12345, u"12,345"},
      {1234567, u"1,234,567"},
      {-1234, u"-1,234"},
      {-999, u"-999"},
      {-100000, u"-100,000"},
      {std::numeric_limits<std::int64_t>::min(), u"-9,223,372,036,854,775,808"},
      {std::numeric_limits<std::int64_t>::max(), u"9,223,372,036,854,775,807"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.n);
    EXPECT_EQ(GroupDigits(row.n), row.grouped);
  }
  EXPECT_EQ(ToText(-1234567), u"-1234567");
  EXPECT_EQ(PluralS(1), u"");
  EXPECT_EQ(PluralS(0), u"s");
  EXPECT_EQ(PluralS(2), u"s");
}

TEST(Trim, RemovesOnlySpacesAtBothEnds) {
  EXPECT_EQ(Trim(u"  a b  "), u"a b");
  EXPECT_EQ(Trim(u"   "), u"");
  EXPECT_EQ(Trim(u""), u"");
  EXPECT_EQ(Trim(u"\ta\t"), u"\ta\t");
}

TEST(LeadingNumber, ReadsTheNumberAtTheStartOfAText) {
  struct Row {
    std::u16string text;
    double value;
  };
  const Row rows[] = {
      {u"400", 400},   {u"  400 bytes", 400}, {u"\t12", 12}, {u"-3", -3}, {u"+7", 7},
      {u"12.5", 12.5}, {u"1e3", 1000},        {u"1e", 1},    {u"2.", 2},  {u".5", 0.5},
      {u"", 0},        {u"abc", 0},           {u"-", 0},     {u"--1", 0}, {u"4000x", 4000},
      {u"x4000", 0},   {u"1,5", 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.text));
    EXPECT_DOUBLE_EQ(LeadingNumber(row.text), row.value);
  }
}

TEST(SplitLines, SplitsAtAnyLineEndSkippingBlankLines) {
  struct Row {
    const char* name;
    std::u16string text;
    int caseMode;
    bool trim;
    std::string items;
  };
  const Row rows[] = {
      {"empty", u"", 0, true, ""},
      {"one line", u"a.txt", 0, true, "[a.txt]"},
      {"crlf", u"a\r\nb\r\n", 0, true, "[a][b]"},
      {"lone cr and lf", u"a\rb\nc", 0, true, "[a][b][c]"},
      {"blank lines skipped", u"\r\n\r\na\r\n   \r\nb", 0, true, "[a][b]"},
      {"trimmed", u"  a b  \r\n", 0, true, "[a b]"},
      {"untrimmed", u"  a  \r\n", 0, false, "[  a  ]"},
      {"blank skipped untrimmed", u"a\r\n  \r\nb", 0, false, "[a][b]"},
      {"folded", u"Docs\r\nÉTÉ", 1, true, "[docs][été]"},
      {"not folded", u"Docs", 0, true, "[Docs]"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TextList list = {u"stale"};
    const int count = SplitLines(row.text, list, row.caseMode, row.trim);
    EXPECT_EQ(Joined(list), row.items);
    EXPECT_EQ(count, static_cast<int>(list.size()));
  }
}

TEST(SplitList, SplitsAtTheSeparatorIgnoringALeadingOne) {
  struct Row {
    const char* name;
    std::u16string text;
    std::u16string separator;
    bool trim;
    int minLength;
    int maxCount;
    std::string items;
  };
  const Row rows[] = {
      {"empty text gives no items", u"", u",", true, 0, 0, ""},
      {"one item", u"tmp", u",", true, 0, 0, "[tmp]"},
      {"pieces trimmed", u"tmp , old,bak ", u",", true, 0, 0, "[tmp][old][bak]"},
      {"untrimmed", u"a , b", u",", false, 0, 0, "[a ][ b]"},
      {"leading separator ignored", u",a,b", u",", true, 0, 0, "[a][b]"},
      {"only a separator", u",", u",", true, 0, 0, ""},
      {"empty pieces kept", u"a,,b,", u",", true, 0, 0, "[a][][b][]"},
      {"blank piece kept empty", u"a, ,b", u",", true, 0, 0, "[a][][b]"},
      {"short pieces dropped", u"a,bb,,ccc", u",", true, 2, 0, "[bb][ccc]"},
      {"at most maxCount", u"a,b,c,d", u",", true, 0, 2, "[a][b]"},
      {"maxCount counts kept items", u"a,,b,c", u",", true, 1, 2, "[a][b]"},
      {"longer separator", u"a::b::c", u"::", true, 0, 0, "[a][b][c]"},
      {"space separator", u" one two", u" ", true, 0, 0, "[one][two]"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TextList list = {u"stale"};
    const int count =
        SplitList(row.text, row.separator, list, row.trim, row.minLength, row.maxCount);
    EXPECT_EQ(Joined(list), row.items);
    EXPECT_EQ(count, static_cast<int>(list.size()));
  }
}

TEST(JoinLines, JoinsWithCrLfWithoutATrailingOne) {
  EXPECT_EQ(JoinLines({}), u"");
  EXPECT_EQ(JoinLines({u"a"}), u"a");
  EXPECT_EQ(JoinLines({u"a", u"", u"b"}), u"a\r\n\r\nb");
  TextList back;
  SplitLines(JoinLines({u"x", u"y"}), back, 0, true);
  EXPECT_EQ(back, (TextList{u"x", u"y"}));
}

}  // namespace
}  // namespace quor
