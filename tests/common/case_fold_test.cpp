#include <gtest/gtest.h>

#include <map>
#include <string>

#include "common/encoding.h"
#include "common/strings.h"

namespace quor {
namespace {

// Every capital of the Windows-1252 repertoire with its small letter; all
// other characters of the code page fold to themselves.
std::map<char16_t, char16_t> Windows1252Capitals() {
  const std::u16string capitals =
      u"ABCDEFGHIJKLMNOPQRSTUVWXYZ"
      u"\u00C0\u00C1\u00C2\u00C3\u00C4\u00C5\u00C6\u00C7\u00C8\u00C9\u00CA\u00CB\u00CC\u00CD"
      u"\u00CE\u00CF\u00D0\u00D1\u00D2\u00D3\u00D4\u00D5\u00D6\u00D8\u00D9\u00DA\u00DB\u00DC"
      u"\u00DD\u00DE\u0152\u0160\u017D\u0178";
  const std::u16string smalls =
      u"abcdefghijklmnopqrstuvwxyz"
      u"\u00E0\u00E1\u00E2\u00E3\u00E4\u00E5\u00E6\u00E7\u00E8\u00E9\u00EA\u00EB\u00EC\u00ED"
      u"\u00EE\u00EF\u00F0\u00F1\u00F2\u00F3\u00F4\u00F5\u00F6\u00F8\u00F9\u00FA\u00FB\u00FC"
      u"\u00FD\u00FE\u0153\u0161\u017E\u00FF";
  std::map<char16_t, char16_t> map;
  for (std::size_t i = 0; i < capitals.size(); ++i) map[capitals[i]] = smalls[i];
  return map;
}

TEST(FoldCase, LowersExactlyTheCapitalsOfTheWholeWindows1252Repertoire) {
  const auto capitals = Windows1252Capitals();
  ASSERT_EQ(capitals.size(), 26u + 30u + 4u);
  for (int b = 0; b < 256; ++b) {
    const char16_t ch = AnsiChar(static_cast<std::uint8_t>(b));
    SCOPED_TRACE(b);
    const auto it = capitals.find(ch);
    EXPECT_EQ(FoldChar(ch), it == capitals.end() ? ch : it->second);
  }
}

TEST(FoldCase, FollowsUnicodeSimpleLowerCasingBeyondTheCodePage) {
  struct Row {
    const char* name;
    char16_t in;
    char16_t out;
  };
  const Row rows[] = {
      {"A macron", 0x0100, 0x0101},
      {"capital I with dot keeps one unit", 0x0130, u'i'},
      {"dotless i stays", 0x0131, 0x0131},
      {"L stroke", 0x0141, 0x0142},
      {"Greek sigma", 0x03A3, 0x03C3},
      {"Greek final sigma stays", 0x03C2, 0x03C2},
      {"Cyrillic De", 0x0414, 0x0434},
      {"Cyrillic Io", 0x0401, 0x0451},
      {"Armenian Ayb", 0x0531, 0x0561},
      {"Georgian An", 0x10A0, 0x2D00},
      {"Latin extended additional", 0x1E9E, 0x00DF},
      {"Ohm sign", 0x2126, 0x03C9},
      {"Kelvin sign", 0x212A, u'k'},
      {"Roman numeral one", 0x2160, 0x2170},
      {"circled A", 0x24B6, 0x24D0},
      {"fullwidth A", 0xFF21, 0xFF41},
      {"fullwidth a stays", 0xFF41, 0xFF41},
      {"ideograph stays", 0x4E2D, 0x4E2D},
      {"surrogate unit stays", 0xD801, 0xD801},
      {"micro sign stays", 0x00B5, 0x00B5},
      {"sharp s stays", 0x00DF, 0x00DF},
      {"multiplication sign stays", 0x00D7, 0x00D7},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(FoldChar(row.in), row.out);
  }
}

TEST(FoldCase, FoldsWholeTextsInPlaceAndCompares) {
  std::u16string line = u"Ça VA, Œuvre ŽENA Ÿ 123 <B>";
  const std::u16string expected = u"ça va, œuvre žena ÿ 123 <b>";
  EXPECT_EQ(FoldCase(line), expected);
  FoldCaseInPlace(line);
  EXPECT_EQ(line, expected);

  EXPECT_TRUE(EqualFolded(u"Docs/ÉTÉ.TXT", u"docs/été.txt"));
  EXPECT_FALSE(EqualFolded(u"docs/ete.txt", u"docs/été.txt"));
  EXPECT_FALSE(EqualFolded(u"abc", u"abcd"));
  EXPECT_TRUE(EqualFolded(u"", u""));
}

}  // namespace
}  // namespace quor
