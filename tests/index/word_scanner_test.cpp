#include "index/word_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/encoding.h"
#include "extract/common_words.h"

namespace quor {
namespace {

// Document bytes as the program reads them: one Windows-1252 character each.
std::u16string Doc(std::string_view bytes) {
  return AnsiToText(bytes);
}

// The words of one file in lexicon order, as "word[count]" separated by
// spaces (UTF-8).
std::string Describe(const IndexLexicon& lexicon) {
  std::string out;
  for (const FileWord& w : lexicon.CurrentFileWords()) {
    if (!out.empty()) out += ' ';
    out += TextToUtf8(w.word) + "[" + std::to_string(w.count) + "]";
  }
  return out;
}

struct ScanCase {
  const char* name;
  std::vector<std::u16string> lines;  // one file
  std::string expected;
};

void ExpectWords(const ScanCase& c, CommonWords* common = nullptr) {
  SCOPED_TRACE(c.name);
  IndexLexicon lexicon;
  WordScanner scanner(lexicon, common);
  scanner.InitWordExtraction();
  scanner.BeginFile(1);
  for (const std::u16string& line : c.lines) {
    if (scanner.ProcessLine(line) != LineOutcome::kContinue) break;
  }
  EXPECT_EQ(Describe(lexicon), c.expected);
}

TEST(WordScannerTest, MarkupIsSkippedAcrossLines) {
  const ScanCase cases[] = {
      {"tags inside a line", {u"<p>Hello, <b>world</b></p>"}, "hello[1] world[1]"},
      {"tag split over two lines", {u"before <a", u"href=x>after"}, "after[1] before[1]"},
      {"tag open over several lines", {u"x <b", u"y z", u"w> v"}, "v[1] x[1]"},
      {"tag directly after a tag", {u"<a><b>w</b></a>"}, "w[1]"},
      {"comment and declaration", {u"<!DOCTYPE html><!-- note -->text"}, "text[1]"},
      {"processing instruction", {u"<?xml version=1?>body"}, "body[1]"},
      {"tag closed at the end of a line", {u"w <b>", u"v"}, "v[1] w[1]"},
      {"entity-escaped tag is text", {u"&lt;b&gt;Dogs&lt;/b&gt;"}, "b[2] dogs[1]"},
  };
  for (const ScanCase& c : cases) ExpectWords(c);
}

TEST(WordScannerTest, LessThanOnlyStartsTagBeforeTagName) {
  const ScanCase cases[] = {
      {"comparison in plain text", {u"a < b and c > d"}, "a[1] and[1] b[1] c[1] d[1]"},
      {"less than before a digit", {u"x<3 y>2"}, "2[1] 3[1] x[1] y[1]"},
      {"less than at the end of a line", {u"word <", u"next>"}, "next[1] word[1]"},
      {"single angle quotes repaired to brackets",
       {Doc("\xE2\x80\xB9 mot \xE2\x80\xBA suite")},
       "mot[1] suite[1]"},
      {"less than sign from a document text",
       {u"if x <= 5 then y"},
       "5[1] if[1] then[1] x[1] y[1]"},
  };
  for (const ScanCase& c : cases) ExpectWords(c);
}

TEST(WordScannerTest, EntitiesAndUtf8RemnantsAreRepairedBeforeScanning) {
  const ScanCase cases[] = {
      // Case is folded before entities are decoded, so a capital entity
      // arrives in small letters.
      {"capital entity yields a small letter", {u"&Eacute;t&eacute;"}, "\xC3\xA9t\xC3\xA9[1]"},
      {"entity inside a word", {u"caf&eacute; au lait"}, "au[1] caf\xC3\xA9[1] lait[1]"},
      {"unknown entities blanked", {u"AT&amp;T &lt;x&gt;"}, "at[1] t[1] x[1]"},
      {"no-break space entity separates", {u"one&nbsp;two"}, "one[1] two[1]"},
      {"UTF-8 accent", {Doc("Na\xC3\xAFve caf\xC3\xA9")}, "caf\xC3\xA9[1] na\xC3\xAFve[1]"},
      {"curly quotes leave no junk letter",
       {Doc("\xE2\x80\x9C"
            "curly\xE2\x80\x9D \xE2\x80\x98single\xE2\x80\x99")},
       "curly[1] single[1]"},
      {"apostrophe splits", {Doc("don\xE2\x80\x99t")}, "don[1] t[1]"},
      {"ANSI capitals folded",
       {Doc("\x8Cuvre \x8A"
            "KODA \xC9T\xC9")},
       "\xC3\xA9t\xC3\xA9[1] \xC5\x93uvre[1] \xC5\xA1koda[1]"},
  };
  for (const ScanCase& c : cases) ExpectWords(c);
}

TEST(WordScannerTest, WordCharactersAndLengthRules) {
  const std::u16string sixty(60, u'a');
  std::u16string sixtyMixed;
  for (int i = 0; i < 60; ++i) sixtyMixed += static_cast<char16_t>(u'a' + i % 3);
  std::u16string sixtyOne = sixtyMixed + u"b";
  std::u16string huge;
  for (int i = 0; i < 65030; ++i) huge += static_cast<char16_t>(u'a' + i % 3);
  const ScanCase cases[] = {
      {"digits count", {u"x2000 3d 1999"}, "1999[1] 3d[1] x2000[1]"},
      {"hyphen and apostrophe split", {u"well-known don't"}, "don[1] known[1] t[1] well[1]"},
      {"z caron is not a letter (low byte 126)",
       {Doc("\x9E"
            "ena")},
       "ena[1]"},
      {"oe ligature is a letter (low byte 83)", {Doc("c\x9Cur")}, "c\xC5\x93ur[1]"},
      {"multiplication sign splits",
       {Doc("2\xD7"
            "3")},
       "2[1] 3[1]"},
      {"sixty characters counted", {sixtyMixed}, TextToUtf8(sixtyMixed) + "[1]"},
      {"sixty-one characters dropped", {sixtyOne + u" ok"}, "ok[1]"},
      {"overlong run dropped as a whole", {huge + u" ok"}, "ok[1]"},
      {"run of four dropped", {u"aaaa 00001 a0000b zzzz"}, ""},
      {"run of three kept", {u"aaa 0001 zzz"}, "0001[1] aaa[1] zzz[1]"},
      {"sixty equal letters dropped by the run rule", {sixty}, ""},
  };
  for (const ScanCase& c : cases) ExpectWords(c);
}

TEST(WordScannerTest, LowByteDecidesWordCharacters) {
  struct Row {
    char16_t ch;
    bool word;
  };
  const Row rows[] = {
      {u'a', true},       {u'Z', true},       {u'5', true},       {u'\u00D7', false},
      {u'\u00F7', false}, {u'\u00C0', true},  {u'\u00FF', true},  {u'\u0153', true},
      {u'\u017E', false}, {u'\u2019', false}, {u'\u2030', true},  {u'\u0141', true},
      {u'-', false},      {u'_', false},      {u'\u00AA', false}, {u'\u00B5', false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(static_cast<int>(r.ch));
    EXPECT_EQ(IsWordChar(std::u16string(1, r.ch), true, u""), r.word);
    EXPECT_EQ(IsScannerWordChar(r.ch), r.word);
  }
  EXPECT_FALSE(IsWordChar(std::u16string_view(), true, u""));
  EXPECT_FALSE(IsWordChar(u'7', false, u""));
  EXPECT_TRUE(IsWordChar(u'-', false, u"-"));
  EXPECT_EQ(WordLength(u"ab-cd", 0, true, u""), 2);
  EXPECT_EQ(WordLength(u"ab-cd", 0, true, u"-"), 5);
  EXPECT_EQ(WordLength(std::u16string(70000, u'a'), 0, true, u""), 65000);
}

TEST(WordScannerTest, CharRunsOfAGivenLength) {
  struct Row {
    const char16_t* word;
    int n;
    bool run;
  };
  const Row rows[] = {
      {u"zzzz", 4, true}, {u"zzz", 4, false}, {u"a0000b", 4, true}, {u"abab", 4, false},
      {u"abc", 0, false}, {u"abc", 4, false}, {u"a", 1, true},      {u"aab", 2, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(TextToUtf8(r.word) + " " + std::to_string(r.n));
    EXPECT_EQ(HasCharRun(r.word, r.n), r.run);
  }
}

TEST(WordScannerTest, CommonWordsCountOncePerFile) {
  CommonWords common;
  common.LoadFromText(u"a\r\nand\r\nthe\r\n");
  const ScanCase cases[] = {
      {"forty repeats count once",
       {std::u16string(u"the cat ") +
        [] {
          std::u16string s;
          for (int i = 0; i < 39; ++i) s += u"the ";
          return s;
        }()},
       "cat[1] the[1]"},
      {"repeats over several lines",
       {u"the cat and the dog", u"and the end"},
       "and[1] cat[1] dog[1] end[1] the[1]"},
      {"ordinary words still count", {u"cat cat the cat"}, "cat[3] the[1]"},
  };
  for (const ScanCase& c : cases) ExpectWords(c, &common);

  // The flags start afresh with every file.
  IndexLexicon lexicon;
  WordScanner scanner(lexicon, &common);
  scanner.InitWordExtraction();
  scanner.BeginFile(1);
  EXPECT_EQ(scanner.ProcessLine(u"the the dog"), LineOutcome::kContinue);
  scanner.BeginFile(2);
  EXPECT_EQ(scanner.ProcessLine(u"the the the cat"), LineOutcome::kContinue);
  EXPECT_EQ(Describe(lexicon), "cat[1] the[1]");
  EXPECT_TRUE(scanner.IsCommonWordRepeat(u"the"));
  EXPECT_FALSE(scanner.IsCommonWordRepeat(u"a"));
  EXPECT_TRUE(scanner.IsCommonWordRepeat(u"a"));
  EXPECT_FALSE(scanner.IsCommonWordRepeat(u"dog"));
}

TEST(WordScannerTest, CountsSaturateAtTwoHundredFiftyFive) {
  IndexLexicon lexicon;
  WordScanner scanner(lexicon, nullptr);
  scanner.BeginFile(1);
  std::u16string line;
  for (int i = 0; i < 300; ++i) line += u"x ";
  scanner.ProcessLine(line);
  scanner.ProcessLine(u"y y");
  EXPECT_EQ(lexicon.MaxCountInFile(), 255);
  // With a word at the cap every word keeps its raw count as its value.
  const std::vector<FileWord> words = lexicon.CurrentFileWords();
  ASSERT_EQ(words.size(), 2u);
  EXPECT_EQ(words[0].count, 255);
  EXPECT_EQ(words[0].value, 255);
  EXPECT_EQ(words[1].count, 2);
  EXPECT_EQ(words[1].value, 2);
}

TEST(WordScannerTest, AttachmentMarkerEndsTheFile) {
  struct Row {
    const char* name;
    const char16_t* marker;
    bool ends;
  };
  const Row rows[] = {
      {"as mail writes it", u"Content-Transfer-Encoding: base64", true},
      {"spaces anywhere", u"  content-transfer -encoding : base 64 ", true},
      {"upper case", u"CONTENT-TRANSFER-ENCODING:BASE64", true},
      {"other encoding", u"Content-Transfer-Encoding: quoted-printable", false},
      {"longer line", u"Content-Transfer-Encoding: base64x", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    IndexLexicon lexicon;
    WordScanner scanner(lexicon, nullptr);
    scanner.BeginFile(1);
    EXPECT_EQ(scanner.ProcessLine(u"hello"), LineOutcome::kContinue);
    EXPECT_EQ(scanner.ProcessLine(r.marker),
              r.ends ? LineOutcome::kEndOfText : LineOutcome::kContinue);
    EXPECT_EQ(lexicon.Find(u"hello"), 1);
    EXPECT_EQ(lexicon.Find(u"content") != 0, !r.ends);
  }
}

TEST(WordScannerTest, OpenTagCarriesIntoTheNextFileUntilCleared) {
  IndexLexicon lexicon;
  WordScanner scanner(lexicon, nullptr);
  scanner.BeginFile(1);
  scanner.ProcessLine(u"first <a href=");
  EXPECT_TRUE(scanner.InTag());
  scanner.EndFile();
  scanner.BeginFile(2);
  scanner.ProcessLine(u"skipped> second");
  EXPECT_FALSE(scanner.InTag());
  EXPECT_EQ(Describe(lexicon), "second[1]");
  EXPECT_EQ(lexicon.Find(u"skipped"), 0);

  scanner.ProcessLine(u"<b");
  EXPECT_TRUE(scanner.InTag());
  scanner.InitWordExtraction();  // a new pass does not touch the tag state
  EXPECT_TRUE(scanner.InTag());
  scanner.ClearInTag();
  scanner.BeginFile(1);
  scanner.ProcessLine(u"third> word");
  EXPECT_EQ(Describe(lexicon), "third[1] word[1]");
}

TEST(WordScannerTest, EmptyAndBlankLinesGiveNothing) {
  const ScanCase cases[] = {
      {"empty line", {u""}, ""},
      {"spaces only", {u"    "}, ""},
      {"repair leaves nothing", {Doc("\xE2\x80\xB0")}, ""},
      {"punctuation only", {u"-- ,, ;;"}, ""},
      {"tabs around a word", {u"\t\tword\t"}, "word[1]"},
  };
  for (const ScanCase& c : cases) ExpectWords(c);
}

TEST(WordScannerTest, RowNumbersFollowDiscoveryOrder) {
  IndexLexicon lexicon;
  WordScanner scanner(lexicon, nullptr);
  scanner.BeginFile(1);
  scanner.ProcessLine(u"zebra apple mango apple");
  EXPECT_EQ(lexicon.Find(u"zebra"), 1);
  EXPECT_EQ(lexicon.Find(u"apple"), 2);
  EXPECT_EQ(lexicon.Find(u"mango"), 3);
  EXPECT_EQ(lexicon.SortedRows(), (std::vector<std::int32_t>{2, 3, 1}));
  scanner.BeginFile(2);
  scanner.ProcessLine(u"banana zebra");
  EXPECT_EQ(lexicon.Find(u"banana"), 4);
  EXPECT_EQ(lexicon.SortedRows(), (std::vector<std::int32_t>{2, 4, 3, 1}));
}

TEST(WordScannerTest, PollCanStopInsideALongLine) {
  IndexLexicon lexicon;
  WordScanner scanner(lexicon, nullptr);
  int polls = 0;
  scanner.SetEventPoll([&] { return ++polls == 3; }, 2);
  scanner.BeginFile(1);
  // Steps: a, space, b, space, c ... the third poll comes at the sixth step.
  EXPECT_EQ(scanner.ProcessLine(u"a b c d e f"), LineOutcome::kStopped);
  EXPECT_TRUE(scanner.StopRequested());
  EXPECT_EQ(Describe(lexicon), "a[1] b[1] c[1]");
  EXPECT_TRUE(scanner.ErrorText().empty());
}

}  // namespace
}  // namespace quor
