#include "common/encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace quor {
namespace {

TEST(Windows1252, EveryByteRoundTripsThroughItsCharacter) {
  std::string all;
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    const auto byte = static_cast<std::uint8_t>(b);
    EXPECT_EQ(AnsiCode(AnsiChar(byte)), byte);
    all += static_cast<char>(b);
  }
  const std::u16string text = AnsiToText(all);
  ASSERT_EQ(text.size(), 256u);
  EXPECT_EQ(TextToAnsi(text), all);
}

TEST(Windows1252, BytesMapToTheCodePageCharacters) {
  struct Row {
    int byte;
    char16_t ch;
  };
  const Row rows[] = {
      {0x00, 0x0000}, {0x41, u'A'},   {0x7F, 0x007F}, {0x80, 0x20AC}, {0x81, 0x0081},
      {0x82, 0x201A}, {0x85, 0x2026}, {0x8A, 0x0160}, {0x8C, 0x0152}, {0x8D, 0x008D},
      {0x8E, 0x017D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x91, 0x2018}, {0x92, 0x2019},
      {0x93, 0x201C}, {0x94, 0x201D}, {0x96, 0x2013}, {0x97, 0x2014}, {0x99, 0x2122},
      {0x9C, 0x0153}, {0x9D, 0x009D}, {0x9E, 0x017E}, {0x9F, 0x0178}, {0xA0, 0x00A0},
      {0xC9, 0x00C9}, {0xD7, 0x00D7}, {0xFF, 0x00FF},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.byte);
    EXPECT_EQ(AnsiChar(static_cast<std::uint8_t>(row.byte)), row.ch);
  }
}

TEST(Windows1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  struct Row {
    char16_t ch;
    int byte;
  };
  // Letters, an ideograph and half a surrogate pair have no byte; C1 controls
  // without a meaning in the code page keep their number; the euro sign and Y
  // diaeresis are code-page characters.
  const Row rows[] = {
      {0x0100, '?'},  {0x03A9, '?'},  {0x4E2D, '?'},  {0xD83D, '?'},
      {0x0080, 0x80}, {0x009F, 0x9F}, {0x20AC, 0x80}, {0x0178, 0x9F},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.ch));
    EXPECT_EQ(AnsiCode(row.ch), row.byte);
  }
  EXPECT_EQ(TextToAnsi(u"caf\u00E9 \u20AC5 \u0100"),
            "caf\xE9 \x80"
            "5 ?");
}

TEST(Utf8, StrictValidityRejectsEveryIllFormedSequence) {
  struct Row {
    const char* name;
    std::string bytes;
    bool valid;
  };
  const Row rows[] = {
      {"empty", "", true},
      {"ascii", "plain text\r\n", true},
      {"two-byte", "caf\xC3\xA9", true},
      {"three-byte", "\xE2\x80\x9C", true},
      {"four-byte", "\xF0\x9F\x98\x80", true},
      {"highest code point", "\xF4\x8F\xBF\xBF", true},
      {"nul byte", std::string("a\0b", 3), true},
      {"lone continuation", "\x80", false},
      {"overlong slash", "\xC0\xAF", false},
      {"overlong two-byte lead C1", "\xC1\xBF", false},
      {"overlong three-byte", "\xE0\x80\xAF", false},
      {"overlong four-byte", "\xF0\x80\x80\xAF", false},
      {"surrogate", "\xED\xA0\x80", false},
      {"above U+10FFFF", "\xF4\x90\x80\x80", false},
      {"lead F5", "\xF5\x80\x80\x80", false},
      {"truncated two-byte", "caf\xC3", false},
      {"truncated three-byte", "\xE2\x80", false},
      {"lead then ascii", "\xC3(", false},
      {"ansi text", "na\xEFve", false},
      {"FE byte", "\xFE", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(IsValidUtf8(row.bytes), row.valid);
  }
}

TEST(Utf8, IllFormedBytesDecodeToLoneSurrogatesAndBack) {
  struct Row {
    const char* name;
    std::string bytes;
    std::u16string text;
  };
  const auto escaped = [](std::u16string_view before, std::initializer_list<int> bytes,
                          std::u16string_view after) {
    std::u16string text(before);
    for (int b : bytes) text += static_cast<char16_t>(0xDC00 + b);
    return text + std::u16string(after);
  };
  const Row rows[] = {
      {"ascii", "abc", u"abc"},
      {"latin", "na\xC3\xAFve", u"na\u00EFve"},
      {"bmp", "\xE2\x80\x94", u"\u2014"},
      {"supplementary", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"lone continuation", "a\x80z", escaped(u"a", {0x80}, u"z")},
      {"truncated sequence then ascii", "a\xE2\x80z", escaped(u"a", {0xE2, 0x80}, u"z")},
      {"encoded surrogate", "\xED\xA0\x80", escaped(u"", {0xED, 0xA0, 0x80}, u"")},
      {"encoded escape itself", "\xED\xB2\x80", escaped(u"", {0xED, 0xB2, 0x80}, u"")},
      {"overlong", "\xC0\xAF", escaped(u"", {0xC0, 0xAF}, u"")},
      {"ansi e acute", "caf\xE9.txt", escaped(u"caf", {0xE9}, u".txt")},
      {"truncated at end", "x\xF0\x9F\x98", escaped(u"x", {0xF0, 0x9F, 0x98}, u"")},
      {"FF", "\xFF\xFE", escaped(u"", {0xFF, 0xFE}, u"")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::u16string text = Utf8ToText(row.bytes);
    EXPECT_EQ(text, row.text);
    EXPECT_EQ(TextToUtf8(text), row.bytes);
    EXPECT_EQ(HasEscapedBytes(text), !IsValidUtf8(row.bytes));
  }
}

TEST(Utf8, EveryByteStringRoundTrips) {
  // Every pair of bytes, and each after a lead byte that wants more.
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      for (const char* lead : {"", "\xE2", "\xF0\x9F"}) {
        const std::string bytes = lead + std::string{static_cast<char>(a), static_cast<char>(b)};
        ASSERT_EQ(TextToUtf8(Utf8ToText(bytes)), bytes) << a << ' ' << b;
      }
    }
  }
}

TEST(Utf8, EveryBmpCharacterAndAPairRoundTrip) {
  std::u16string text;
  for (char32_t c = 1; c < 0x10000; ++c) {
    if (c < 0xD800 || c > 0xDFFF) text += static_cast<char16_t>(c);
  }
  text += u"\U0010FFFF\U00010000";
  const std::string utf8 = TextToUtf8(text);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToText(utf8), text);
}

TEST(Terminal, TerminalTextHasLineFeedsAndTheBytesOfFileNames) {
  struct Row {
    std::u16string text;
    std::string terminal;
  };
  const Row rows[] = {
      {u"line one\r\nline two\rthree\n", "line one\nline two\nthree\n"},
      {u"caf\u00e9 \u20ac", "caf\xc3\xa9 \xe2\x82\xac"},
      {std::u16string(u"bad-") + char16_t(0xDCFF) + u".txt", "bad-\xff.txt"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.terminal);
    EXPECT_EQ(TerminalText(row.text), row.terminal);
  }
}

}  // namespace
}  // namespace quor
