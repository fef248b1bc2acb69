#include "report/extracts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/encoding.h"
#include "common/strings.h"

namespace quor {
namespace {

// The extract with its marks shown as [word], for compact expectations.
std::string Shown(std::u16string_view text, const std::vector<ExtractMark>& marks) {
  std::u16string out;
  std::size_t at = 0;
  for (const ExtractMark& mark : marks) {
    out.append(text.substr(at, mark.start - at)).append(u"[");
    out.append(text.substr(mark.start, mark.length)).append(u"]");
    at = mark.start + mark.length;
  }
  out.append(text.substr(at));
  return TextToUtf8(out);
}

// Feeds a collector every whole-word occurrence of the first search word in
// one block, resuming after each extract, as the scanner does.
void FeedBlock(FileExtractCollector& collector, std::u16string_view block,
               std::int64_t blockStart) {
  const std::u16string& word = collector.SearchWords().front();
  for (std::size_t from = 0; from != std::u16string_view::npos;) {
    const std::size_t at = block.find(word, from);
    if (at == std::u16string_view::npos) return;
    from = collector.Occurrence(block, blockStart, at, word);
  }
}

constexpr std::size_t kStop = std::u16string_view::npos;

TEST(MakeExtract, CutsAroundTheOccurrence) {
  struct Row {
    const char* name;
    std::u16string block;
    int width;
    std::u16string words;  // separated by spaces; the first is the occurrence's word
    std::string expected;
  };
  const std::vector<Row> rows = {
      {"width 10 at the start of a file begins at the first character",
       u"Alpha beta gamma delta epsilon zeta eta theta", 10, u"alpha",
       "... [Alpha] beta gamma ..."},
      {"blanks do not count towards the width",
       u"one two three four      target      five six seven eight", 10, u"target",
       "... three four [target] five six ..."},
      {"a first space beyond the first quarter keeps the cut first word",
       u"xxxxxxxxxxxxxxxxxxxxlongword target", 10, u"target", "... xxlongword [target] ..."},
      {"cut-off words in the outer quarters are dropped", u"aaaa bbbb target cccccccc ddddddd", 10,
       u"target", "... bbbb [target] cccccccc ..."},
      {"two occurrences within the width are both bold",
       u"the cat sat on the cat mat and more words follow here", 20, u"cat",
       "... [cat] sat on the [cat] mat and ..."},
      {"only whole words are bold", u"a cat and a catalogue of cats", 20, u"cat",
       "... [cat] and a catalogue of ..."},
      {"every search word is bold, in any case", u"Red fish and BLUE fish swim", 20, u"red blue",
       "... [Red] fish and [BLUE] fish ..."},
      {"a repeated search word is marked once", u"one word here", 10, u"word word",
       "... one [word] here ..."},
      {"double spaces and repeated line marks collapse", u"end of line / / / next line here", 20,
       u"next", "... of line / [next] line ..."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::u16string> words;
    SplitList(row.words, u" ", words, true, 0, 0);
    const std::u16string& word = words.front();
    const std::size_t at = FoldCase(row.block).find(word);
    ASSERT_NE(at, std::u16string::npos);
    const MadeExtract made = MakeExtract(row.block, at, word, row.width, words, false);
    EXPECT_EQ(Shown(made.text, made.marks), row.expected);
  }
}

TEST(FindExtractMarks, MarksWholeSearchWords) {
  struct Row {
    std::u16string text;
    std::vector<std::u16string> words;
    bool phrase;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {u"fish red and red fish", {u"red", u"fish"}, true, "fish [red] and [red] [fish]"},
      {u"fish red and red fish", {u"red", u"fish"}, false, "[fish] [red] and [red] [fish]"},
      {u"red-fish, (red)", {u"red"}, false, "[red]-fish, ([red])"},
      {u"redo bred red2", {u"red"}, false, "redo bred [red]2"},
      {u"\u00c9t\u00e9 \u00e9t\u00e9s",
       {u"\u00e9t\u00e9"},
       false,
       "[\u00c9t\u00e9] \u00e9t\u00e9s"},
      {u"b <b> b", {u"b", u"b"}, false, "[b] <[b]> [b]"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.text));
    EXPECT_EQ(Shown(row.text, FindExtractMarks(row.text, row.words, row.phrase)), row.expected);
  }
}

TEST(MakeExtract, ResumesJustAfterTheExtract) {
  const std::u16string block = u"aa bb target cc dd ee ff";
  const MadeExtract made = MakeExtract(block, 6, u"target", 4, {u"target"}, false);
  EXPECT_EQ(made.resumePosition, block.find(u"dd") + 2);
  FileExtractCollector collector(10, 1, {u"target"}, false);
  collector.BeginFile(100);
  EXPECT_EQ(collector.Occurrence(block, 1, 6, u"target"), block.size());
  EXPECT_NE(collector.Occurrence(block, 1, 6, u"target"), kStop) << "a repeat is not stored";
  EXPECT_NE(collector.Occurrence(u"target x", 50, 0, u"target"), kStop);
  EXPECT_NE(collector.Occurrence(u"target y", 60, 0, u"target"), kStop);
  EXPECT_NE(collector.Occurrence(u"target z", 70, 0, u"target"), kStop);
  EXPECT_EQ(collector.Occurrence(u"target w", 80, 0, u"target"), kStop) << "5 > 4 x 1";
}

TEST(PlaceExtract, DecilesRunFromOneToNineAndNeverDecrease) {
  DecileState state;
  EXPECT_EQ(PlaceExtract(state, 1, 0, 1000), 1);
  EXPECT_EQ(PlaceExtract(state, 1, 450, 1000), 5);
  EXPECT_EQ(PlaceExtract(state, 1, 100, 1000), 5) << "an earlier place keeps the highest decile";
  EXPECT_EQ(PlaceExtract(state, 4097, 900, 5000), 9) << "the last tenth gives 9, never 10";
  DecileState fresh;
  EXPECT_EQ(PlaceExtract(fresh, 1, 999, 1000), 9);
}

TEST(FileExtractCollector, IdenticalConsecutiveExtractsAreStoredOnce) {
  FileExtractCollector collector(10, kNoExtractLimit, {u"echo"}, false);
  collector.BeginFile(2000);
  const std::u16string block = u"echo";
  EXPECT_NE(collector.Occurrence(block, 1, 0, u"echo"), kStop);
  EXPECT_NE(collector.Occurrence(block, 1, 0, u"echo"), kStop);
  ASSERT_EQ(collector.Extracts().size(), 1u);
  EXPECT_EQ(collector.Extracts()[0].text, u"... echo ...");
  EXPECT_EQ(collector.Extracts()[0].decile, 1);
}

TEST(FileExtractCollector, MaximumTwoStopsAtNineAndShowsTwo) {
  std::u16string block;
  for (int i = 0; i < 20; ++i) block += u"word filler filler filler filler filler filler ";
  FileExtractCollector collector(10, 2, {u"word"}, false);
  collector.BeginFile(static_cast<std::int64_t>(block.size()));
  FeedBlock(collector, block, 1);
  EXPECT_EQ(collector.Extracts().size(), 9u);
  EXPECT_TRUE(collector.FileDone());
  const ExtractCount count = CountExtracts(collector.Extracts().size(), 2);
  EXPECT_EQ(count.shown, 2u);
  EXPECT_TRUE(count.shortened);
  EXPECT_EQ(count.line, u"Number of extracts: 2 (more than 8 possible)");
}

TEST(FileExtractCollector, StartFileForgetsTheLastFile) {
  FileExtractCollector collector(10, kNoExtractLimit, {u"late"}, false);
  collector.BeginFile(100);
  const std::u16string block = u"late";
  EXPECT_NE(collector.Occurrence(block, 96, 0, u"late"), kStop);
  EXPECT_EQ(collector.Extracts().back().decile, 9);
  collector.BeginFile(100);
  EXPECT_TRUE(collector.Extracts().empty());
  EXPECT_NE(collector.Occurrence(block, 1, 0, u"late"), kStop);
  EXPECT_EQ(collector.Extracts().back().decile, 1);
}

TEST(CountExtracts, CountLines) {
  struct Row {
    std::size_t count;
    int maximum;
    std::size_t shown;
    std::u16string line;
  };
  const std::vector<Row> rows = {
      {4, kNoExtractLimit, 4, u""},
      {5, kNoExtractLimit, 5, u"Number of extracts: 5"},
      {5, 3, 3, u"Number of extracts: 3 (5 possible)"},
      {12, 3, 3, u"Number of extracts: 3 (12 possible)"},
      {13, 3, 3, u"Number of extracts: 3 (more than 12 possible)"},
      {3, 3, 3, u""},
      {6, 6, 6, u"Number of extracts: 6"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.count << " of max " << row.maximum);
    const ExtractCount count = CountExtracts(row.count, row.maximum);
    EXPECT_EQ(count.shown, row.shown);
    EXPECT_EQ(count.shortened, row.shown < row.count);
    EXPECT_EQ(count.line, row.line);
  }
}

TEST(ValidateMaxExtracts, AcceptsBlankOrAPositiveWholeNumber) {
  struct Row {
    std::u16string box;
    std::u16string text;
    int maximum;
    const char16_t* refusal;  // start of the message, or null
  };
  const std::vector<Row> rows = {
      {u"", u"", kNoExtractLimit, nullptr},
      {u"   ", u"", kNoExtractLimit, nullptr},
      {u" 3 ", u"3", 3, nullptr},
      {u"007", u"007", 7, nullptr},
      {u"32767", u"32767", 32767, nullptr},
      {u"0", u"0", kNoExtractLimit, u"The maximum number of extracts cannot be zero."},
      {u"000", u"000", kNoExtractLimit, u"The maximum number of extracts cannot be zero."},
      {u"-2", u"-2", kNoExtractLimit, u"Invalid input"},
      {u"2.5", u"2.5", kNoExtractLimit, u"Invalid input"},
      {u"ten", u"ten", kNoExtractLimit, u"Invalid input"},
      {u"32768", u"32768", kNoExtractLimit, u"Invalid input"},
      {u"99999999999999999999", u"99999999999999999999", kNoExtractLimit, u"Invalid input"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.box));
    const MaxExtractsCheck check = ValidateMaxExtracts(row.box, u"Report ->");
    EXPECT_EQ(check.text, row.text);
    EXPECT_EQ(check.maximum, row.maximum);
    ASSERT_EQ(check.refusal.has_value(), row.refusal != nullptr);
    if (!row.refusal) continue;
    EXPECT_TRUE(check.refusal->text.starts_with(row.refusal));
    EXPECT_EQ(check.refusal->title, u"Report ->");
    EXPECT_EQ(check.refusal->icon, MsgIcon::Exclamation);
  }
}

}  // namespace
}  // namespace quor
