#include "extract/program_texts.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/temp_folder.h"

namespace quor {
namespace {

std::u16string U16(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

class ProgramTextsTest : public ::testing::Test {
 protected:
  // Writes a texts file and loads it into texts_; returns the load result.
  int LoadFrom(std::string_view bytes) {
    path_ = U16(folder_.Write("quor.dat", bytes).string());
    return texts_.Load(path_);
  }

  test::TempFolder folder_;
  std::u16string path_;
  ProgramTexts texts_;
};

TEST_F(ProgramTextsTest, LoadsNumberedTextsAndSkipsCommentsAndBlankLines) {
  EXPECT_EQ(LoadFrom("# heading\n\n  # indented comment\n1=QUOR\n 25 = spaced number\n"
                     "30=Pause\r\n\t\n"),
            3);
  EXPECT_EQ(texts_.Get(1), u"QUOR");
  EXPECT_EQ(texts_.Get(25), u" spaced number");  // the text keeps its spaces
  EXPECT_EQ(texts_.Get(30), u"Pause");           // CR of a CR LF line end dropped
  EXPECT_EQ(texts_.ErrorLine(), 0);
}

TEST_F(ProgramTextsTest, DecodesEscapesUtf8AndAByteOrderMark) {
  ASSERT_EQ(LoadFrom("\xEF\xBB\xBF"
                     "31=Paused.\\nOK or Cancel\n"
                     "2=C:\\\\data\\x\n"
                     "3=caf\xC3\xA9 \xE2\x80\x94 =sign\n"
                     "4=tail\\\n"),
            4);
  EXPECT_EQ(texts_.Get(31), u"Paused.\r\nOK or Cancel");
  EXPECT_EQ(texts_.Get(2), u"C:\\data\\x");  // an unknown escape stays as written
  EXPECT_EQ(texts_.Get(3), u"caf\u00e9 \u2014 =sign");
  EXPECT_EQ(texts_.Get(4), u"tail\\");
}

TEST_F(ProgramTextsTest, TildeAndUnknownNumbersGiveEmptyText) {
  ASSERT_EQ(LoadFrom("5=~\n6=~~\n"), 2);
  EXPECT_EQ(texts_.Get(5), u"");
  EXPECT_EQ(texts_.Get(6), u"~~");
  EXPECT_EQ(texts_.Get(7), u"");
  EXPECT_EQ(texts_.Get(-1), u"");
  texts_.Set(7, u"~");
  EXPECT_EQ(texts_.Get(7), u"");
}

TEST_F(ProgramTextsTest, FailuresReturnTheirCodesAndLeaveTheStoreEmpty) {
  const std::string longText(ProgramTexts::kMaxTextLength + 1, 'x');
  const std::string longestText(ProgramTexts::kMaxTextLength, 'x');
  // "\n" in a text counts as the two characters CR LF.
  const std::string longByEscape(ProgramTexts::kMaxTextLength - 1, 'x');
  struct Case {
    const char* name;
    std::string bytes;
    int code;
    int line;
  };
  const Case cases[] = {
      {"empty file", "", -6, 0},
      {"only comments", "# nothing\n\n", 0, 0},
      {"only a byte order mark", "\xEF\xBB\xBF", 0, 0},
      {"not UTF-8", "1=caf\xE9\n", -7, 0},
      {"line without equals", "1=a\nhello\n", -502, 2},
      {"no number", "=text\n", -501, 1},
      {"number not digits", "# c\n1x=text\n", -502, 2},
      {"negative number", "-4=text\n", -501, 1},
      {"seven digits", "1234567=text\n", -501, 1},
      {"empty text", "1=a\n\n2=\n", -503, 3},
      {"duplicate", "1=a\n2=b\n# c\n01=again\n", -1504, 4},
      {"too long", "1=" + longText + "\n", -1001, 1},
      {"too long by escape", "1=" + longByEscape + "\\n\n", -1001, 1},
      {"longest allowed", "1=" + longestText + "\n", 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LoadFrom(c.bytes), c.code);
    EXPECT_EQ(texts_.ErrorLine(), c.line);
    if (c.code <= 0) {
      EXPECT_EQ(texts_.Get(1), u"");
    }
  }
}

TEST_F(ProgramTextsTest, LineNumbersPast500KeepTheirKindAndTheRealLine) {
  std::string bytes;
  for (int i = 0; i < 600; ++i) bytes += "# filler\n";
  EXPECT_EQ(LoadFrom(bytes + "oops\n"), -1000);
  EXPECT_EQ(texts_.ErrorLine(), 601);
  EXPECT_EQ(ProgramTextLoadMessage(-1000, path_, texts_.ErrorLine()),
            u"Missing string at line 601.");

  EXPECT_EQ(LoadFrom(bytes + "1=" + std::string(1100, 'y') + "\n"), -1500);
  EXPECT_EQ(ProgramTextLoadMessage(-1500, path_, texts_.ErrorLine()),
            u"String too long at line 601.");

  EXPECT_EQ(LoadFrom("1=a\n" + bytes + "1=b\n"), -2102);
  EXPECT_EQ(ProgramTextLoadMessage(-2102, path_), u"Duplicate in program text at line 602.");
}

TEST_F(ProgramTextsTest, MissingFileAndFolderAreReported) {
  EXPECT_EQ(texts_.Load(U16((folder_.Path() / "absent.dat").string())), -1);
  EXPECT_EQ(texts_.Load(u""), -1);
  // A folder opens but cannot be read.
  EXPECT_EQ(texts_.Load(U16(folder_.MakeFolder("sub").string())), -7);
}

TEST_F(ProgramTextsTest, ALaterLoadReplacesTheTexts) {
  ASSERT_EQ(LoadFrom("1=first\n2=second\n"), 2);
  ASSERT_EQ(LoadFrom("2=again\n"), 1);
  EXPECT_EQ(texts_.Get(1), u"");
  EXPECT_EQ(texts_.Get(2), u"again");
}

TEST(ProgramTextLoadMessageTest, WordsEachKindOfCode) {
  const std::u16string path = u"/opt/quor/quor.dat";
  struct Case {
    int code;
    std::u16string message;
  };
  const Case cases[] = {
      {12, u""},
      {0, u"No program text was read."},
      {-1, u"Cannot open file containing program text.\r\n/opt/quor/quor.dat"},
      {-5, u"Error -5"},
      {-500, u"Error -500"},
      {-501, u"Missing string at line 1."},
      {-1000, u"Missing string at line 500."},
      {-1001, u"String too long at line 1."},
      {-1500, u"String too long at line 500."},
      {-1501, u"Duplicate in program text at line 1."},
      {-2734, u"Duplicate in program text at line 1234."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(ProgramTextLoadMessage(c.code, path), c.message);
  }
  // A line handed in replaces the one the code carries.
  EXPECT_EQ(ProgramTextLoadMessage(-507, path, 777), u"Missing string at line 777.");
  EXPECT_EQ(ProgramTextLoadMessage(-6, path, 3), u"File is empty.");
}

// Every number the windows fetch.
constexpr int kUsedNumbers[] = {1,  2,  4,  6,  7,   17,  18,  19,  20,  23,  24,  25, 26, 27, 28,
                                29, 30, 31, 32, 33,  34,  35,  36,  37,  38,  40,  41, 42, 43, 44,
                                45, 46, 47, 48, 50,  53,  54,  55,  56,  57,  58,  59, 60, 61, 62,
                                63, 64, 65, 66, 68,  71,  72,  75,  76,  83,  86,  88, 89, 90, 91,
                                92, 93, 98, 99, 100, 151, 185, 310, 311, 424, 428, 429};

TEST(ShippedProgramTextsTest, LoadsWithoutErrorAndHoldsEveryUsedNumber) {
  ProgramTexts texts;
  const int count = texts.Load(U16(QUOR_DATA_DIR "/quor.dat"));
  ASSERT_GT(count, 0) << std::string(ProgramTextLoadMessage(count, u"").begin(),
                                     ProgramTextLoadMessage(count, u"").end());
  for (int number : kUsedNumbers) {
    SCOPED_TRACE(number);
    const std::u16string text = texts.Get(number);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.front(), u' ');
    EXPECT_NE(text.back(), u' ');
  }
}

TEST(ShippedProgramTextsTest, TextsThatTheProgramCompletesHoldTheirPlaceholders) {
  ProgramTexts texts;
  ASSERT_GT(texts.Load(U16(QUOR_DATA_DIR "/quor.dat")), 0);
  // The copy button compares its caption with these.
  EXPECT_EQ(texts.Get(428), u"Pause");
  EXPECT_EQ(texts.Get(429), u"Continue");
  EXPECT_EQ(texts.Get(310), u"QUOR");
  // "ocx" and "99" are replaced once; every capital N of 98 becomes a count.
  const auto occurrences = [](const std::u16string& text, std::u16string_view part) {
    int n = 0;
    for (auto at = text.find(part); at != std::u16string::npos; at = text.find(part, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(occurrences(texts.Get(42), u"ocx"), 1);
  EXPECT_EQ(occurrences(texts.Get(55), u"99"), 1);
  EXPECT_EQ(occurrences(texts.Get(98), u"N"), 1);
  // Texts followed by "." or ": " + a count must not end in a full stop.
  for (int number : {43, 45, 47, 56, 90, 91, 92, 93}) {
    SCOPED_TRACE(number);
    EXPECT_NE(texts.Get(number).back(), u'.');
  }
  // The data folder name must be usable as a folder name.
  EXPECT_EQ(texts.Get(310).find_first_of(u"/\\:*?\"<>|"), std::u16string::npos);
}

}  // namespace
}  // namespace quor
