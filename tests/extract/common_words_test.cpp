#include "extract/common_words.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "support/temp_folder.h"

namespace quor {
namespace {

std::u16string U16(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

// "w0001", "w0002" ...: words in ascending order.
std::string NumberedWord(int i) {
  char word[16];
  std::snprintf(word, sizeof word, "w%04d", i);
  return word;
}

std::string NumberedWords(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += NumberedWord(i) + "\r\n";
  return text;
}

TEST(CommonWordsTest, LoadsOnlyTrimmedWordsSkippingCommentsAndBlankLines) {
  test::TempFolder folder;
  const auto path = folder.Write("cwds.txt",
                                 "' heading comment\r\n"
                                 "  a  \r\n"
                                 "\r\n"
                                 "   \r\n"
                                 "and\n"  // LF only
                                 "  'indented comment\r\n"
                                 "the\r"        // CR only
                                 "zebra's\r\n"  // an apostrophe inside a word is kept
                                 "\xE9t\xE9");  // Windows-1252, no final line end
  CommonWords words;
  ASSERT_EQ(words.LoadCommonWords(U16(path.string())), 5);
  EXPECT_EQ(words.Word(1), u"a");
  EXPECT_EQ(words.Word(2), u"and");
  EXPECT_EQ(words.Word(3), u"the");
  EXPECT_EQ(words.Word(4), u"zebra's");
  EXPECT_EQ(words.Word(5), u"\u00e9t\u00e9");
  for (int i = 1; i <= 5; ++i) EXPECT_FALSE(words.Flag(i));
}

TEST(CommonWordsTest, ListStopsAt1000Words) {
  test::TempFolder folder;
  struct Case {
    int inFile;
    int loaded;
  };
  for (const Case c : {Case{999, 999}, Case{1000, 1000}, Case{1001, 1000}, Case{1500, 1000}}) {
    SCOPED_TRACE(c.inFile);
    CommonWords words;
    const auto path = folder.Write("cwds.txt", "' words\r\n" + NumberedWords(c.inFile));
    ASSERT_EQ(words.LoadCommonWords(U16(path.string())), c.loaded);
    EXPECT_EQ(words.Word(c.loaded), U16(NumberedWord(c.loaded)));
    EXPECT_EQ(words.Find(u"w1001"), 0);
    EXPECT_EQ(words.Find(u"w0500"), 500);
    EXPECT_THROW(words.Flag(c.loaded + 1), std::out_of_range);
  }
}

TEST(CommonWordsTest, MissingOrUnreadableFileLeavesTheListEmpty) {
  test::TempFolder folder;
  CommonWords words;
  words.LoadFromText(u"a\r\nb");
  EXPECT_EQ(words.LoadCommonWords(U16((folder.Path() / "none.txt").string())), 0);
  EXPECT_EQ(words.Count(), 0);
  EXPECT_EQ(words.Find(u"a"), 0);
  EXPECT_EQ(words.LoadCommonWords(U16(folder.MakeFolder("dir").string())), 0);
  EXPECT_EQ(words.Count(), 0);
}

TEST(CommonWordsTest, FindComparesPlainCharacterCodes) {
  CommonWords words;
  ASSERT_EQ(words.LoadFromText(u"Zed\r\nalpha\r\nbeta\r\ngamma\r\n\u00e9t\u00e9"), 5);
  struct Case {
    std::u16string word;
    int index;
  };
  const Case cases[] = {
      {u"Zed", 1},           {u"alpha", 2}, {u"beta", 3},   {u"gamma", 4},
      {u"\u00e9t\u00e9", 5}, {u"zed", 0},   {u"Alpha", 0},  {u"alph", 0},
      {u"alphas", 0},        {u"", 0},      {u"\u00fe", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.word.begin(), c.word.end()));
    EXPECT_EQ(words.Find(c.word), c.index);
  }
  CommonWords empty;
  EXPECT_EQ(empty.Find(u"a"), 0);
}

TEST(CommonWordsTest, FlagsAreClearedTogetherAndByAReload) {
  CommonWords words;
  ASSERT_EQ(words.LoadFromText(u"a\nof\nthe"), 3);
  words.Flag(2) = true;
  words.ClearCommonWordFlags();
  EXPECT_FALSE(words.Flag(2));
  words.Flag(3) = true;
  ASSERT_EQ(words.LoadFromText(u"a\nof\nthe\nto"), 4);
  EXPECT_FALSE(words.Flag(3));
  EXPECT_FALSE(words.Flag(4));
}

TEST(ShippedCommonWordsTest, AreSortedByCharacterCodeWithoutDuplicates) {
  CommonWords words;
  const int count = words.LoadCommonWords(U16(QUOR_DATA_DIR "/cwds.txt"));
  ASSERT_GE(count, 200);
  ASSERT_LE(count, CommonWords::kMaxWords);
  for (int i = 1; i <= count; ++i) {
    SCOPED_TRACE(i);
    const std::u16string& word = words.Word(i);
    for (char16_t ch : word) EXPECT_TRUE(ch >= u'a' && ch <= u'z');
    if (i > 1) {
      EXPECT_LT(words.Word(i - 1), word);
    }
    EXPECT_EQ(words.Find(word), i);
  }
  for (const char16_t* common : {u"the", u"and", u"of", u"a", u"which", u"you"}) {
    EXPECT_NE(words.Find(common), 0);
  }
  for (const char16_t* content : {u"index", u"search", u"folder", u"The"}) {
    EXPECT_EQ(words.Find(content), 0);
  }
}

}  // namespace
}  // namespace quor
