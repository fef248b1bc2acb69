// The way from the typed search text to the words a search looks up.
#include "search/search_words.h"

#include <gtest/gtest.h>

#include "common/encoding.h"
#include "search/recording_sink.h"

namespace quor {
namespace {

std::string Joined(const TextList& words) {
  std::u16string all;
  for (const std::u16string& w : words) all += (all.empty() ? u"" : u"|") + w;
  return TextToUtf8(all);
}

TEST(SearchWordsTest, QuoteUmlauts) {
  EXPECT_EQ(ConvertQuoteUmlauts(u"na\"ive Mo\"we U\"ber x\"y \""),
            u"n\u00E4ive M\u00F6we \u00DCber x\"y \"");
}

TEST(SearchWordsTest, CharacterCheck) {
  struct Row {
    const char16_t* text;
    bool ok;
  } rows[] = {
      {u"", true},
      {u"   ", true},
      {u"caf\u00E9 *", true},
      {u"\u0160koda \u0153uvre", true},
      {u"don't", false},
      {u"x-ray", false},
      {u"route66", false},
      {u"a\u00D7b", false},
      {u"\u017Dena", false},  // Ž is not among the letters
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.text));
    EXPECT_EQ(HasOnlyWordCharacters(row.text, u" *"), row.ok);
  }
  test::RecordingSink sink;
  EXPECT_FALSE(CheckSearchWordCharacters(u"a,b", u"Only letters.", u"Search", sink));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, u"Only letters.");
  EXPECT_EQ(sink.messages[0].title, u"Search");
  EXPECT_EQ(sink.messages[0].icon, MsgIcon::Exclamation);
}

TEST(SearchWordsTest, SplitWords) {
  struct Row {
    const char16_t* text;
    const char16_t* prefix;
    bool digits;
    const char* words;
  } rows[] = {
      {u"  Cat dog  ", u"", true, "cat|dog"},
      {u"Report* x**", u"", true, "report*|x*"},
      {u"a1b2 c", u"", true, "a1b2|c"},
      {u"a1b2 c", u"", false, "a|b|c"},
      {u"\u00C9T\u00C9 \u0152IL", u"", true, "\u00E9t\u00E9|\u0153il"},
      {u"#tag x", u"#", true, "#tag|x"},
      {u"", u"", true, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.text));
    TextList words = {u"kept"};
    const int n = SplitWords(row.text, words, CaseMode::kLower, u"*", row.prefix, row.digits);
    EXPECT_EQ(n, static_cast<int>(words.size()) - 1);
    words.erase(words.begin());
    EXPECT_EQ(Joined(words), row.words);
  }
}

TEST(SearchWordsTest, AsteriskRule) {
  struct Row {
    const char16_t* text;
    bool holds;
  } rows[] = {
      {u"report*", true}, {u"ab** cd", false}, {u"ab**", true},     {u"*ab", false},
      {u"a*b", false},    {u"ab *", true},     {u"ab * cd", false}, {u"ab* cd*", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.text));
    EXPECT_EQ(AsteriskPlacementHolds(row.text), row.holds);
  }
}

TEST(SearchWordsTest, StemsExpandInPlaceThenAppendInLexiconOrder) {
  const Lexicon lexicon =
      test::MakeLexicon({u"ab", u"abc", u"abd", u"report", u"reported", u"reports", u"zoo"});
  TextList words = {u"x", u"report*", u"ab*", u"qq*"};
  ExpandStems(words, lexicon);
  EXPECT_EQ(Joined(words), "x|report|ab||reported|reports|abc|abd");
  EXPECT_EQ(RemoveEmptyEntries(words), 6);
  EXPECT_EQ(Joined(words), "x|report|ab|reported|reports|abc|abd");
}

TEST(SearchWordsTest, ParseOutcomesAndMessages) {
  TextList many;
  for (int i = 0; i < 21; ++i)
    many.push_back(u"dev" + std::u16string(1, static_cast<char16_t>(u'a' + i)));
  std::vector<std::u16string> words = {u"cat", u"dog"};
  words.insert(words.end(), many.begin(), many.end());
  const Lexicon lexicon = test::MakeLexicon(words);
  const std::u16string stemTooShort =
      u"The stem 'a*' is too short.\r\nA stem must have at least two letters.";
  const std::u16string stemsOnlyAny =
      u"Stems in search words are permitted only in 'Any word' searches.\r\n"
      u"The search type will now be changed to this type.";
  struct Row {
    const char16_t* text;
    SearchType type;
    ParseOutcome outcome;
    const char* words;
    std::u16string message;
    const char16_t* title;
    MsgIcon icon;
  } rows[] = {
      {u"cat dog cat", SearchType::kAnyWord, ParseOutcome::kReady, "cat|dog", u"", u"",
       MsgIcon::None},
      {u"cat dog cat", SearchType::kAllWords, ParseOutcome::kReady, "cat|dog", u"", u"",
       MsgIcon::None},
      {u"Cat dog cat", SearchType::kExactPhrase, ParseOutcome::kReady, "cat|dog|cat", u"", u"",
       MsgIcon::None},
      {u"   ", SearchType::kAnyWord, ParseOutcome::kRefused, "", u"No words given.",
       u"Invalid input", MsgIcon::Exclamation},
      {u" *", SearchType::kAnyWord, ParseOutcome::kRefused, "", u"No words given.",
       u"Invalid input", MsgIcon::Exclamation},
      {u"ab *", SearchType::kAnyWord, ParseOutcome::kReady, "ab", u"", u"", MsgIcon::None},
      {u"cat a*", SearchType::kAnyWord, ParseOutcome::kRefused, "", stemTooShort, u"Invalid input",
       MsgIcon::Exclamation},
      {u"cat*", SearchType::kAllWords, ParseOutcome::kChangeToAnyWord, "", stemsOnlyAny,
       u"Search Module", MsgIcon::Information},
      {u"c*at", SearchType::kAnyWord, ParseOutcome::kRefused, "",
       u"An asterisk can occur only at the end of a search word.", u"Search Module",
       MsgIcon::Information},
      {u"qq* zz*", SearchType::kAnyWord, ParseOutcome::kNoStemMatches, "", u"", u"", MsgIcon::None},
      {u"dog* cat ca*", SearchType::kAnyWord, ParseOutcome::kReady, "dog|cat", u"", u"",
       MsgIcon::None},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.text));
    test::RecordingSink sink;
    const ParsedSearchWords parsed =
        ParseSearchWords(row.text, row.type, lexicon, u"Search Module", sink);
    EXPECT_EQ(parsed.outcome, row.outcome);
    if (row.outcome == ParseOutcome::kReady) {
      EXPECT_EQ(Joined(parsed.SearchWords), row.words);
    }
    if (row.message.empty()) {
      EXPECT_TRUE(sink.messages.empty());
      continue;
    }
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, row.message);
    EXPECT_EQ(sink.messages[0].title, row.title);
    EXPECT_EQ(sink.messages[0].icon, row.icon);
  }
  // A stem standing for 21 words gives all of them, the first in its place.
  test::RecordingSink sink;
  const ParsedSearchWords dev =
      ParseSearchWords(u"cat dev*", SearchType::kAnyWord, lexicon, u"", sink);
  ASSERT_EQ(dev.SearchWords.size(), 22u);
  EXPECT_EQ(dev.SearchWords[1], u"deva");
  EXPECT_EQ(dev.SearchWords[21], u"devu");
}

}  // namespace
}  // namespace quor
