// The scanner that confirms exact phrases in the files themselves.
#include "search/file_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/encoding.h"
#include "extract/html_text.h"
#include "search/recording_sink.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

class QuietObserver : public DocumentTextObserver {
 public:
  MsgResult MessageBox(const MessageBoxRequest&) override { return MsgResult::Ok; }
};

TextList Words(std::u16string_view text) {
  TextList words;
  SplitWords(text, words, CaseMode::kLower, u"", u"", true);
  return words;
}

TEST(FileScannerTest, BlockTextsBlankMarkupAndKeepLettersAndDigits) {
  struct Row {
    std::string bytes;
    const char16_t* display;
    const char16_t* search;
  } rows[] = {
      {"<p>Caf\xC3\xA9 &amp; Bar</p>", u"   Caf\u00E9 & Bar    ", u"   caf\u00E9   bar    "},
      {"x&nbsp;y\r\nZ", u"x y/ Z", u"x y  z"},
      {"route-66 isn't", u"route-66 isn't", u"route 66 isn t"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bytes);
    std::vector<std::uint8_t> bytes(row.bytes.begin(), row.bytes.end());
    BlockTexts texts;
    MakeBlockTexts(bytes, texts);
    EXPECT_EQ(texts.display, row.display);
    EXPECT_EQ(texts.search, row.search);
  }
}

// A block of plain bytes goes straight to its search text, also with an
// "&" that no entity step can change; one that a step could change, or a
// byte above 127, takes the full steps. Either way the text is the same.
TEST(FileScannerTest, PlainBlocksGiveTheSameSearchText) {
  struct Row {
    std::string bytes;
    bool plain;
  } rows[] = {
      {"Black <b>Cat</b>, 42 lives", true},
      {"if (a && b) { x = 1; }", true},  // every ";" far from an "&"
      {"R&D and more text before any semicolon;", true},
      {"a & b; c", false},         // a short entity's reach
      {"x &amp; y", false},        // an entity
      {"&hellip; then", false},    // a longer entity
      {"tail &", true},            // no ";" after it
      {"caf\xC3\xA9 bar", false},  // a byte above 127
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bytes);
    std::vector<std::uint8_t> bytes(row.bytes.begin(), row.bytes.end());
    std::vector<std::uint8_t> copy = bytes;
    BlockTexts texts;
    MakeBlockTexts(copy, texts);
    BlankTags(bytes);
    ASSERT_EQ(MakePlainSearchBytes(bytes), row.plain);
    if (row.plain) {
      EXPECT_EQ(std::string(bytes.begin(), bytes.end()), TextToAnsi(texts.search));
    }
  }
}

TEST(FileScannerTest, PhraseOverPiecesOfText) {
  struct Row {
    std::vector<const char16_t*> pieces;  // search texts fed one after the other
    const char16_t* phrase;
    bool found;
  } rows[] = {
      {{u"the cat sat on the mat"}, u"the mat", true},
      {{u"go step by step now"}, u"step by step", true},
      {{u"the mat the end"}, u"the mat the", true},
      {{u"a b c b"}, u"a b c b", true},
      {{u"steps by step"}, u"step by step", false},
      {{u"step by stepping"}, u"step by step", false},
      {{u"step  by   step"}, u"step by step", true},
      {{u"the black ", u"cat"}, u"black cat", true},
      {{u"the bla", u"ck cat"}, u"black cat", true},
      {{u"black", u" cat"}, u"black cat", true},
      {{u"black", u"cat"}, u"black cat", false},
      {{u"black c", u"at"}, u"black cat", true},
      {{u"black ca", u"ts"}, u"black cat", false},
      {{u"x black", u"", u" cat"}, u"black cat", true},
      {{u"no black here", u" but a cat"}, u"black cat", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.phrase));
    const TextList words = Words(row.phrase);
    PhraseMatcher matcher(words);
    bool found = false;
    for (const char16_t* piece : row.pieces) found = matcher.Feed(piece) || found;
    EXPECT_EQ(matcher.Finish(), row.found);
    EXPECT_TRUE(!found || row.found);
  }
}

class FileScannerFileTest : public ::testing::Test {
 protected:
  ScanOutcome Scan(const std::string& name, const std::string& bytes, std::u16string_view phrase) {
    words = Words(phrase);
    ScanRequest request;
    request.words = &words;
    return ScanFileText(Utf8ToText(tmp.Write(name, bytes).string()), request, observer);
  }

  test::TempFolder tmp;
  QuietObserver observer;
  TextList words;
};

TEST_F(FileScannerFileTest, PhraseAcrossTheFirstBlockBoundary) {
  for (std::size_t cut : {4090u, 4093u, 4094u, 4096u, 4100u}) {
    SCOPED_TRACE(cut);
    std::string text(cut - 2, 'x');
    text += " Exact phrase words here";  // "phrase" lies across byte 4096 for some cuts
    EXPECT_EQ(Scan("a.txt", text, u"exact phrase words"), ScanOutcome::kPhraseFound);
    EXPECT_EQ(Scan("a.txt", text, u"phrase here"), ScanOutcome::kDone);
  }
}

TEST_F(FileScannerFileTest, MarkupEntitiesAndEncodings) {
  EXPECT_EQ(Scan("p.htm", "<p>black</p>\r\n<b>cat</b>", u"black cat"), ScanOutcome::kPhraseFound);
  EXPECT_EQ(Scan("p.htm", "black&nbsp;cat", u"black cat"), ScanOutcome::kPhraseFound);
  EXPECT_EQ(Scan("p.htm", "a < b cat", u"b cat"), ScanOutcome::kPhraseFound);
  EXPECT_EQ(Scan("u8.txt",
                 "\xEF\xBB\xBF"
                 "Caf\xC3\xA9 noir",
                 u"caf\u00E9 noir"),
            ScanOutcome::kPhraseFound);
  const std::string utf16 = std::string("\xFF\xFE", 2) + std::string("b\0i\0g\0 \0d\0o\0g\0", 14);
  EXPECT_EQ(Scan("u16.txt", utf16, u"big dog"), ScanOutcome::kPhraseFound);
  EXPECT_EQ(Scan("empty.txt", "", u"big dog"), ScanOutcome::kDone);
  words = Words(u"big dog");
  ScanRequest request;
  request.words = &words;
  EXPECT_EQ(ScanFileText(Utf8ToText((tmp.Path() / "missing.txt").string()), request, observer),
            ScanOutcome::kNotRead);
}

// Report mode hands each occurrence over, block by block.
class ListCollector : public ExtractCollector {
 public:
  void BeginFile(std::int64_t length) override { fileLength = length; }
  std::size_t Occurrence(const BlockTexts&, std::int64_t blockStart, std::size_t position,
                         std::u16string_view word) override {
    seen.push_back(std::to_string(blockStart) + ":" + std::to_string(position) + ":" +
                   TextToUtf8(word));
    return position + word.size();
  }
  bool FileDone() const override { return false; }

  std::int64_t fileLength = 0;
  std::vector<std::string> seen;
};

TEST_F(FileScannerFileTest, ReportModeGivesOccurrencesInBlockOrder) {
  const std::string text = "dog cat " + std::string(4096 - 8, ' ') + "cat dog cat";
  ListCollector collector;
  words = Words(u"cat dog");
  ScanRequest request;
  request.words = &words;
  request.type = SearchType::kAnyWord;
  request.collector = &collector;
  EXPECT_EQ(ScanFileText(Utf8ToText(tmp.Write("r.txt", text).string()), request, observer),
            ScanOutcome::kDone);
  EXPECT_EQ(collector.fileLength, static_cast<std::int64_t>(text.size()));
  EXPECT_EQ(collector.seen, (std::vector<std::string>{"1:0:dog", "1:4:cat", "4097:0:cat",
                                                      "4097:4:dog", "4097:8:cat"}));
  ListCollector phrase;
  request.type = SearchType::kExactPhrase;
  request.collector = &phrase;
  EXPECT_EQ(ScanFileText(Utf8ToText(tmp.Write("r.txt", text).string()), request, observer),
            ScanOutcome::kDone);
  EXPECT_EQ(phrase.seen, (std::vector<std::string>{"4097:0:cat"}));
}

}  // namespace
}  // namespace quor
