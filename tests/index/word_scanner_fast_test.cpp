// The line preparation and the normalisers take shortcuts (one pass for the
// UTF-8 repair, a sorted index for the entity table, case folding while the
// line is copied, steps skipped by what a line holds). These tests hold them
// to the plain rules: reference versions written straight from the rules are
// run beside them on many random lines rich in the characters that matter.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "common/encoding.h"
#include "common/strings.h"
#include "extract/common_words.h"
#include "extract/text_normalize.h"
#include "index/lexicon.h"
#include "index/word_scanner.h"

namespace quor {
namespace {

std::u16string Doc(std::string_view bytes) {
  return AnsiToText(bytes);
}

char16_t Ansi(int code) {
  return AnsiChar(static_cast<std::uint8_t>(code));
}

// Every non-overlapping pair (first, second), left to right over the whole
// text, replaced by replacement.
void ReplaceAllPairs(std::u16string& text, char16_t first, char16_t second,
                     std::u16string_view replacement) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    if (i + 1 < text.size() && text[i] == first && text[i + 1] == second) {
      out += replacement;
      i += 2;
    } else {
      out += text[i++];
    }
  }
  text = out;
}

// The Latin repair as the rule reads: every lead met decides by the character
// after it what happens to every such pair in the whole text.
std::u16string LiteralRepairLatin(std::u16string text) {
  for (std::size_t pos = text.find(Ansi(194)); pos != std::u16string::npos;
       pos = text.find(Ansi(194), pos + 1)) {
    if (pos + 1 >= text.size()) break;
    const int c = AnsiCode(text[pos + 1]);
    if (c >= 128 && c <= 159) ReplaceAllPairs(text, Ansi(194), Ansi(c), u"");
    if (c >= 160 && c <= 191) ReplaceAllPairs(text, Ansi(194), Ansi(c), std::u16string(1, Ansi(c)));
  }
  for (std::size_t pos = text.find(Ansi(195)); pos != std::u16string::npos;
       pos = text.find(Ansi(195), pos + 1)) {
    if (pos + 1 >= text.size()) break;
    const int c = AnsiCode(text[pos + 1]);
    if (c >= 128 && c <= 191) {
      ReplaceAllPairs(text, Ansi(195), Ansi(c), std::u16string(1, Ansi(c + 64)));
    }
  }
  while (text.find(std::u16string{Ansi(196), Ansi(141)}) != std::u16string::npos) {
    ReplaceAllPairs(text, Ansi(196), Ansi(141), u"c");
  }
  return text;
}

// Entity decoding as the rule reads: the entity is looked for as a part of
// the table text.
void LiteralDecodeEntities(std::u16string& text) {
  const std::u16string_view table = EntityTable();
  std::size_t pos = 0;
  for (;;) {
    const std::size_t i = text.find(u'&', pos);
    if (i == std::u16string::npos) return;
    const std::size_t j = text.find(u';', i + 1);
    if (j == std::u16string::npos) return;
    const std::u16string entity = text.substr(i, j - i + 1);
    char16_t replacement = 0;
    if (entity == u"&quot;") {
      replacement = u'"';
    } else if (const std::size_t k = table.find(entity); k != std::u16string_view::npos) {
      replacement = table[table.find(u';', k) + 1];
    }
    if (replacement == 0) {
      pos = j + 1;
    } else {
      text.replace(i, j - i + 1, 1, replacement);
      pos = i + 1;
    }
  }
}

// Each "&" whose next ";" comes before the next space starts a run up to
// that ";", which becomes one space; the search goes on after it.
std::u16string LiteralBlankEntityRuns(std::u16string text) {
  std::size_t pos = 0;
  for (;;) {
    const std::size_t i = text.find(u'&', pos);
    if (i == std::u16string::npos) return text;
    const std::size_t semicolon = text.find(u';', i + 1);
    const std::size_t space = text.find(u' ', i + 1);
    if (semicolon != std::u16string::npos && semicolon < space) {
      // The run becomes its first character turned into a space (a replace
      // with a literal trips GCC's -Wrestrict at -O2).
      text[i] = u' ';
      text.erase(i + 1, semicolon - i);
    }
    pos = i + 1;
  }
}

// The punctuation repair as written: a new text built left to right, each
// sequence 226, 128, x giving its plain form (nothing when x has none, nothing
// for a sequence cut short by the end).
std::u16string LiteralRepairPunctuation(std::u16string_view text) {
  auto plain = [](int x) -> std::u16string {
    if (x >= 144 && x <= 147) return u"-";
    if (x >= 152 && x <= 155) return u"'";
    if (x >= 156 && x <= 159) return u"\"";
    switch (x) {
      case 148:
        return u" -- ";
      case 149:
        return u"--";
      case 150:
        return u"|";
      case 151:
        return std::u16string(1, Ansi(137));
      case 162:
        return u" . ";
      case 166:
        return u"...";
      case 185:
        return u"<";
      case 186:
        return u">";
      default:
        return u"";
    }
  };
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == Ansi(226) && i + 1 < text.size() && text[i + 1] == Ansi(128)) {
      if (i + 2 < text.size()) out += plain(AnsiCode(text[i + 2]));
      i += 3;
      continue;
    }
    out += text[i++];
  }
  return out;
}

// Line preparation step by step.
LinePreparation LiteralPrepare(std::u16string_view line, std::u16string& out) {
  std::size_t first = line.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) first = line.size();
  const std::size_t last = line.find_last_not_of(u' ');
  out =
      std::u16string(line.substr(first, last == std::u16string_view::npos ? 0 : last + 1 - first));
  out = LiteralRepairPunctuation(LiteralRepairLatin(out));
  if (out.empty()) return LinePreparation::kEmpty;
  out = FoldCase(out);
  if (RemoveAll(out, u" ") == kBase64Marker) return LinePreparation::kEndOfText;
  out += u' ';
  return LinePreparation::kScan;
}

// Random text made of pieces that meet the rules' corner cases.
class PieceText {
 public:
  explicit PieceText(std::vector<std::u16string> pieces) : pieces_(std::move(pieces)) {}
  std::u16string Next(std::mt19937& rng, int maxPieces) {
    std::uniform_int_distribution<int> count(0, maxPieces);
    std::uniform_int_distribution<std::size_t> pick(0, pieces_.size() - 1);
    std::u16string text;
    for (int n = count(rng); n > 0; --n) text += pieces_[pick(rng)];
    return text;
  }

 private:
  std::vector<std::u16string> pieces_;
};

std::vector<std::u16string> Utf8RemnantPieces() {
  std::vector<std::u16string> pieces = {
      u"a", u"B", u" ", u"\u0080", u"\u0093", u"\u00C2\u00C2", u"\u00C3\u00C3"};
  for (int lead : {194, 195, 196}) pieces.push_back(std::u16string(1, Ansi(lead)));
  for (int c = 128; c <= 191; ++c) pieces.push_back(std::u16string(1, Ansi(c)));
  for (int c : {128, 141, 150, 160, 169, 131, 132, 141, 191, 192}) {
    pieces.push_back(std::u16string{Ansi(194), Ansi(c)});
    pieces.push_back(std::u16string{Ansi(195), Ansi(c)});
  }
  pieces.push_back(Doc("\xC4\x8D"));
  pieces.push_back(Doc("\xE2\x80\x94"));
  pieces.push_back(Doc("\xE2\x80\x9C"));
  return pieces;
}

TEST(FastLatinRepairTest, OrderDependentCasesKeepTheLiteralResult) {
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string expected;
  };
  const Case cases[] = {
      {"A circumflex before a repaired pair stays a pair", "\xC2\xC2\xA0", u"\u00C2\u00A0"},
      {"a later pair of the kind repairs the joined pair", "\xC2\xC2\xA0 \xC2\xA0",
       u"\u00C2\u00A0 \u00A0"},
      {"removal joins a lead and a continuation", "x\xC2\xC2\x80\xA0", u"x\u00C2\u00A0"},
      // The pair made by the second step is behind the examined position.
      {"twice-encoded e acute is repaired once", "\xC3\x83\xC2\xA9", u"\u00C3\u00A9"},
      {"repair giving A tilde leaves its new pair", "\xC3\xC3\x83\xA9", u"\u00C3\u00C3\u00A9"},
      {"a later pair of the kind repairs a pair made by a repair", "\xC3\x83\xA9 \xC3\xA9",
       u"\u00E9 \u00E9"},
      {"repair giving A diaeresis then c caron", "\xC3\x84\x8D", u"c"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LiteralRepairLatin(Doc(c.bytes)), c.expected);
    EXPECT_EQ(RepairUtf8Latin(Doc(c.bytes), 0), c.expected);
  }
}

// Every seventh text is long, to take the eight-at-a-time searches through
// whole blocks and their tails.
TEST(FastLatinRepairTest, AgreesWithTheLiteralRuleOnRandomText) {
  std::mt19937 rng(20240611);
  PieceText pieces(Utf8RemnantPieces());
  for (int round = 0; round < 23000; ++round) {
    const std::u16string text = pieces.Next(rng, round % 7 == 0 ? 90 : 14);
    if (RepairUtf8Latin(text, 0) != LiteralRepairLatin(text)) {
      ADD_FAILURE() << "differs for " << TextToUtf8(text);
      return;
    }
  }
}

std::vector<std::u16string> PunctuationPieces() {
  std::vector<std::u16string> pieces = {
      u"a", u"bc", u" ", u"defghijk", u"\u00E2", u"\u20AC", u"\u00E2\u00E2\u20AC"};
  for (int x = 128; x <= 191; ++x) pieces.push_back(std::u16string{Ansi(226), Ansi(128), Ansi(x)});
  for (int k = 0; k < 6; ++k) pieces.push_back(Doc("\xE2\x80\x94"));  // the one that grows
  pieces.push_back(Doc("\xE2\x80"));
  return pieces;
}

TEST(FastPunctuationRepairTest, CornerCases) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"nothing to repair", "plain text"},
      {"em dash grows the text", "a\xE2\x80\x94z"},
      {"em dashes back to back", "\xE2\x80\x94\xE2\x80\x94\xE2\x80\x94"},
      {"em dash after a long run", "abcdefghijklmnopqrstuvwxyz\xE2\x80\x94"},
      {"sequence cut short at the end", "abc\xE2\x80"},
      {"lone lead at the end", "abc\xE2"},
      {"lead inside a sequence", "\xE2\x80\xE2\x80\x94"},
      {"no plain form", "x\xE2\x80\xA0y"},
      {"ellipsis keeps the length", "wait\xE2\x80\xA6"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string text = Doc(c.bytes);
    EXPECT_EQ(RepairUtf8Punctuation(text), LiteralRepairPunctuation(text));
  }
}

TEST(FastPunctuationRepairTest, AgreesWithTheLiteralRuleOnRandomText) {
  std::mt19937 rng(31337);
  PieceText pieces(PunctuationPieces());
  for (int round = 0; round < 20000; ++round) {
    const std::u16string text = pieces.Next(rng, round % 2 == 0 ? 8 : 60);
    if (RepairUtf8Punctuation(text) != LiteralRepairPunctuation(text)) {
      ADD_FAILURE() << "differs for " << TextToUtf8(text);
      return;
    }
  }
}

TEST(FastEntityDecodingTest, TableIsSearchedAsText) {
  struct Case {
    const char* name;
    std::u16string text;
    std::u16string expected;
  };
  const Case cases[] = {
      // "&amp;" is followed in the table by its "&", a space and "&nbsp;".
      {"ampersand, space and nbsp entity read as one", u"a & &nbsp;b", u"a  b"},
      {"ampersand, two spaces and nbsp entity unknown", u"a &  &nbsp;b", u"a &  &nbsp;b"},
      {"entity followed by its replacement is not an entity", u"&amp;&", u"&&"},
      {"numeric entities of the table", u"&#160;&#8212;&#151;", u" \u2014&#151;"},
      {"longer than any entry", u"&aaaaaaaaaaaaaaa;", u"&aaaaaaaaaaaaaaa;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::u16string literal = c.text;
    LiteralDecodeEntities(literal);
    EXPECT_EQ(literal, c.expected);
    std::u16string fast = c.text;
    DecodeEntities(fast);
    EXPECT_EQ(fast, c.expected);
  }
}

TEST(FastEntityDecodingTest, AgreesWithTheLiteralRuleOnRandomText) {
  std::vector<std::u16string> pieces = {u"&",     u";",      u" ",     u"x",        u"&quot;",
                                        u"&amp;", u"&nbsp;", u"&lt;",  u"&EACUTE;", u"&#160;",
                                        u"amp",   u"&&",     u"&copy", u"&yuml;",   u"\u00FF"};
  const std::u16string_view table = EntityTable();
  for (std::size_t a = table.find(u'&'); a != std::u16string_view::npos;
       a = table.find(u'&', a + 1)) {
    pieces.emplace_back(table.substr(a, table.find(u';', a) - a + 1));
  }
  std::mt19937 rng(7);
  PieceText text(pieces);
  for (int round = 0; round < 20000; ++round) {
    const std::u16string input = text.Next(rng, round % 2 == 0 ? 10 : 40);
    std::u16string expected = input;
    LiteralDecodeEntities(expected);
    std::u16string fast = input;
    DecodeEntities(fast);
    if (fast != expected) {
      ADD_FAILURE() << "differs for " << TextToUtf8(input);
      return;
    }
  }
}

TEST(FastEntityDecodingTest, BlankingAgreesWithTheLiteralRuleOnRandomText) {
  std::mt19937 rng(4242);
  PieceText pieces({u"&", u";", u" ", u"a", u"bcdefghij", u"&amp;", u"&x y;", u"&&;", u";;",
                    u"&#160;", u"&Eacute;", u"\u00E9"});
  for (int round = 0; round < 20000; ++round) {
    std::u16string text = pieces.Next(rng, round % 2 == 0 ? 10 : 60);
    const std::u16string expected = LiteralBlankEntityRuns(text);
    BlankEntityRuns(text);
    if (text != expected) {
      ADD_FAILURE() << "differs for " << TextToUtf8(expected);
      return;
    }
  }
}

// Words are compared in blocks of four units, then two, then one: words
// that differ in any one unit, or only in length, are different rows.
TEST(FastLexiconTest, WordsDifferingInOneUnitOrInLengthAreDifferentRows) {
  IndexLexicon lexicon;
  lexicon.BeginFile(1);
  int step = 0;
  std::vector<std::u16string> words;
  for (std::size_t length = 1; length <= 11; ++length) {
    const std::u16string base(length, u'k');
    words.push_back(base);
    for (std::size_t at = 0; at < length; ++at) {
      std::u16string changed = base;
      changed[at] = u'\u016B';  // differs from "k" only above the low byte
      words.push_back(changed);
    }
  }
  for (const std::u16string& w : words) lexicon.AddWord(w, 0, step);
  ASSERT_EQ(lexicon.WordCount(), static_cast<std::int32_t>(words.size()));
  for (std::size_t r = 0; r < words.size(); ++r) {
    SCOPED_TRACE(TextToUtf8(words[r]));
    EXPECT_EQ(lexicon.Find(words[r]), static_cast<std::int32_t>(r + 1));
  }
  EXPECT_EQ(lexicon.Find(std::u16string(12, u'k')), 0);
}

std::vector<std::u16string> LinePieces() {
  std::vector<std::u16string> pieces = Utf8RemnantPieces();
  for (const char16_t* p : {u"Word",   u"WORD",     u"word",       u"The",
                            u"and",    u"AND",      u"ZZZZ",       u"x2000",
                            u"<b>",    u"</B>",     u"<",          u">",
                            u"&amp;",  u"&Eacute;", u"&nbsp;",     u"&foo;",
                            u"\t",     u"\r\n",     u"\b",         u"\f",
                            u"\u00A0", u"\u0152",   u"\u017D",     u"\u00DE",
                            u"\u0130", u"  ",       u"QRSTUVWXYZ", u"Content-Transfer-Encoding:",
                            u"base64"}) {
    pieces.emplace_back(p);
  }
  return pieces;
}

std::string Describe(const IndexLexicon& lexicon) {
  std::string out;
  for (const FileWord& w : lexicon.CurrentFileWords()) {
    out += TextToUtf8(w.word) + "[" + std::to_string(w.count) + "] ";
  }
  return out;
}

TEST(FastLinePreparationTest, AgreesWithTheStepsOfTheRuleOnRandomLines) {
  std::mt19937 rng(99);
  PieceText pieces(LinePieces());
  std::u16string fast;
  std::u16string literal;
  for (int round = 0; round < 20000; ++round) {
    const std::u16string line = pieces.Next(rng, round % 4 == 0 ? 90 : 24);
    const LinePreparation expected = LiteralPrepare(line, literal);
    const LinePreparation got = PrepareLine(line, fast);
    if (got != expected || (got == LinePreparation::kScan && fast != literal)) {
      ADD_FAILURE() << "differs for " << TextToUtf8(line);
      return;
    }
  }
  // The base64 marker with any spacing and case.
  EXPECT_EQ(PrepareLine(u"  Content-Transfer-Encoding:  BASE64 ", fast),
            LinePreparation::kEndOfText);
}

// Scanning prepared lines with every step applied gives the same words and
// tag state as the scanner's own path, which skips steps a line cannot need.
TEST(FastLinePreparationTest, ScannerPathGivesTheWordsOfTheFullSteps) {
  // Each scanner keeps its own common-word flags.
  CommonWords fastCommon;
  CommonWords literalCommon;
  fastCommon.LoadFromText(u"a\r\nand\r\nthe\r\n");
  literalCommon.LoadFromText(u"a\r\nand\r\nthe\r\n");
  IndexLexicon fastLexicon;
  IndexLexicon literalLexicon;
  WordScanner fast(fastLexicon, &fastCommon);
  WordScanner literal(literalLexicon, &literalCommon);
  fast.InitWordExtraction();
  literal.InitWordExtraction();
  std::mt19937 rng(5);
  PieceText pieces(LinePieces());
  std::u16string prepared;
  for (std::uint32_t file = 1; file <= 200; ++file) {
    fast.BeginFile(file);
    literal.BeginFile(file);
    std::string fastWords;
    std::string literalWords;
    for (int n = 0; n < 40; ++n) {
      const std::u16string line = pieces.Next(rng, 20);
      const LineOutcome outcome = fast.ProcessLine(line);
      const LinePreparation preparation = LiteralPrepare(line, prepared);
      if (preparation == LinePreparation::kScan) literal.TokenizeLine(prepared);
      ASSERT_EQ(outcome == LineOutcome::kEndOfText, preparation == LinePreparation::kEndOfText);
      ASSERT_EQ(fast.InTag(), literal.InTag()) << TextToUtf8(line);
      if (outcome == LineOutcome::kEndOfText) break;
    }
    fastWords = Describe(fastLexicon);
    literalWords = Describe(literalLexicon);
    ASSERT_EQ(fastWords, literalWords) << "file " << file;
    ASSERT_TRUE(fast.EndFile().empty());
    ASSERT_TRUE(literal.EndFile().empty());
  }
  EXPECT_EQ(fastLexicon.WordCount(), literalLexicon.WordCount());
}

}  // namespace
}  // namespace quor
