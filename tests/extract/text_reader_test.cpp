#include "extract/text_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/encoding.h"
#include "extract/classify.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

using test::TempFolder;
using Lines = std::vector<std::string>;

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

Lines ReadAll(TextLineReader& reader) {
  Lines lines;
  std::string_view line;
  while (reader.NextLineBytes(line)) lines.emplace_back(line);
  return lines;
}

Lines ReadMemory(std::string_view bytes, int typeCode) {
  TextLineReader reader;
  reader.OpenMemory(bytes, typeCode);
  return ReadAll(reader);
}

Lines ReadFile(const TempFolder& folder, std::string_view bytes, int typeCode) {
  folder.Write("f.txt", bytes);
  TextLineReader reader;
  EXPECT_TRUE(reader.Open(folder.Text() + u"f.txt", typeCode));
  Lines lines = ReadAll(reader);
  EXPECT_FALSE(reader.Failed());
  EXPECT_EQ(reader.FileSize(), static_cast<std::int64_t>(bytes.size()));
  return lines;
}

// Reference models, written the plain way: a sequential line read (a line
// ends at CR or CR LF) and the LF reader's position-and-buffer steps.
Lines OrdinaryLines(std::string_view s) {
  Lines lines;
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t j = i;
    while (j < s.size() && s[j] != '\r') ++j;
    lines.emplace_back(s.substr(i, j - i));
    if (j < s.size() && ++j < s.size() && s[j] == '\n') ++j;
    i = j;
  }
  return lines;
}

Lines LfReaderLines(std::string_view s) {
  const Lines ordinary = OrdinaryLines(s);
  std::size_t next = 0;
  std::string buffer;
  std::size_t position = 0;  // 1-based; 0 = nothing buffered
  Lines lines;
  for (;;) {
    if (position == 0) {
      if (next >= ordinary.size()) break;
      buffer = ordinary[next++];
      if (buffer.empty()) {
        lines.emplace_back();
        continue;
      }
      position = 1;
    }
    const std::size_t k = buffer.find('\n', position - 1);
    if (k == std::string::npos) {
      lines.push_back(buffer.substr(position - 1));
      position = 0;
      continue;
    }
    lines.push_back(buffer.substr(position - 1, k - (position - 1)));
    position = k + 2;
    if (position > buffer.size()) position = 0;
  }
  return lines;
}

Lines AnyEndLines(std::string_view s) {
  Lines lines;
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t j = i;
    while (j < s.size() && s[j] != '\r' && s[j] != '\n') ++j;
    lines.emplace_back(s.substr(i, j - i));
    if (j < s.size() && s[j] == '\r' && j + 1 < s.size() && s[j + 1] == '\n') ++j;
    i = j + 1;
  }
  return lines;
}

struct LineCase {
  const char* name;
  std::string bytes;
  int typeCode;
  Lines lines;
};

TEST(TextLineReader, LineEndsFollowTheTypeCode) {
  const std::vector<LineCase> cases = {
      {"CR LF", "one\r\ntwo\r\n", kTypeCrLf, {"one", "two"}},
      {"CR only", "one\rtwo\r", kTypeCr, {"one", "two"}},
      {"no final line end", "one\r\ntwo", kTypeCrLf, {"one", "two"}},
      {"empty lines are lines", "one\r\n\r\n\rtwo", kTypeCrLf, {"one", "", "", "two"}},
      {"a lone LF is text in ordinary reading", "a\nb\r\nc", kTypeCrLf, {"a\nb", "c"}},
      {"empty file", "", kTypeCrLf, {}},
      {"one empty line", "\r\n", kTypeCrLf, {""}},
      {"RTF is read as ordinary lines", "{\\rtf1\r\n\\par x}", kTypeRtf, {"{\\rtf1", "\\par x}"}},
      {"LF file", "one\ntwo\n", kTypeLf, {"one", "two"}},
      {"LF file without final LF", "one\ntwo", kTypeLf, {"one", "two"}},
      {"LF file with an empty line", "one\n\ntwo", kTypeLf, {"one", "", "two"}},
      {"LF file ending in two LFs", "one\n\n", kTypeLf, {"one", ""}},
      {"LF file with CR LF lines too", "a\r\nb\nc", kTypeLf, {"a", "b", "c"}},
      {"LF before CR LF gives no extra line", "a\n\r\nb", kTypeLf, {"a", "b"}},
      {"LF file of line ends only", "\n\r\n", kTypeLf, {""}},
      {"type 7 without a mark reads bytes, any line end",
       "a\rb\nc\r\nd",
       kTypeUnicode,
       {"a", "b", "c", "d"}},
  };
  TempFolder folder;
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadMemory(c.bytes, c.typeCode), c.lines);
    EXPECT_EQ(ReadFile(folder, c.bytes, c.typeCode), c.lines);
  }
}

TEST(TextLineReader, MarksAreDroppedAndUnicodeFilesTranscodedToUtf8) {
  const std::string smiley = "\xF0\x9F\x98\x80";  // U+1F600 in UTF-8
  const std::string bad = "\xEF\xBF\xBD";         // U+FFFD
  const std::vector<LineCase> marks = {
      {"UTF-8 mark dropped", "\xEF\xBB\xBFword\r\nnext", kTypeCrLf, {"word", "next"}},
      {"UTF-8 mark dropped from an LF file", "\xEF\xBB\xBFl\nm", kTypeLf, {"l", "m"}},
      {"UTF-8 mark kept past the start", "a \xEF\xBB\xBF", kTypeCrLf, {"a \xEF\xBB\xBF"}},
      {"a UTF-16 mark on a type 1 file is left alone",
       Bytes({0xFF, 0xFE, 'a', 0}),
       kTypeCrLf,
       {Bytes({0xFF, 0xFE, 'a', 0})}},
  };
  struct UnicodeCase {
    const char* name;
    std::string bytes;  // read as type 7
    Lines lines;
  };
  const std::vector<UnicodeCase> unicode = {
      {"UTF-16 LE mark", "\xFF\xFE" + test::Utf16Le(u"ab\r\ncd"), {"ab", "cd"}},
      {"UTF-16 LE with LF only", "\xFF\xFE" + test::Utf16Le(u"ab\ncd\n"), {"ab", "cd"}},
      {"UTF-16 BE mark", Bytes({0xFE, 0xFF, 0, 'h', 0, 'i', 0, '\r', 0, 'x'}), {"hi", "x"}},
      {"UTF-16 accented letter", Bytes({0xFF, 0xFE, 'c', 0, 0xE9, 0}), {"c\xC3\xA9"}},
      {"UTF-16 three-byte character", Bytes({0xFF, 0xFE, 0x19, 0x20}), {"\xE2\x80\x99"}},
      {"UTF-16 surrogate pair", Bytes({0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE}), {smiley}},
      {"UTF-16 BE surrogate pair", Bytes({0xFE, 0xFF, 0xD8, 0x3D, 0xDE, 0x00}), {smiley}},
      {"unpaired high surrogate", Bytes({0xFF, 0xFE, 0x3D, 0xD8, 'a', 0}), {bad + "a"}},
      {"unpaired low surrogate", Bytes({0xFF, 0xFE, 0x00, 0xDE, 'a', 0}), {bad + "a"}},
      {"high surrogate at the end", Bytes({0xFF, 0xFE, 'a', 0, 0x3D, 0xD8}), {"a" + bad}},
      {"odd final byte", Bytes({0xFF, 0xFE, 'a', 0, 'b'}), {"a" + bad}},
      {"XML header without mark, UTF-16 LE", test::Utf16Le(u"<a>\r\n<b>"), {"<a>", "<b>"}},
      {"XML header without mark, UTF-16 BE", Bytes({0, '<', 0, 'a', 0, '>'}), {"<a>"}},
      {"UTF-32 LE mark",
       Bytes({0xFF, 0xFE, 0, 0, 0xE9, 0, 0, 0, '\n', 0, 0, 0, 'x', 0, 0, 0}),
       {"\xC3\xA9", "x"}},
      {"UTF-32 BE mark", Bytes({0, 0, 0xFE, 0xFF, 0, 1, 0xF6, 0x00}), {smiley}},
      {"UTF-32 out of range", Bytes({0, 0, 0xFE, 0xFF, 0, 0x11, 0, 0}), {bad}},
      {"UTF-32 XML header without mark", Bytes({'<', 0, 0, 0, 'a', 0, 0, 0}), {"<a"}},
  };
  std::vector<LineCase> cases = marks;
  for (const UnicodeCase& c : unicode) cases.push_back({c.name, c.bytes, kTypeUnicode, c.lines});
  TempFolder folder;
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadMemory(c.bytes, c.typeCode), c.lines);
    EXPECT_EQ(ReadFile(folder, c.bytes, c.typeCode), c.lines);
  }
}

TEST(TextLineReader, HandsOutBytesAsWindows1252Characters) {
  TextLineReader reader;
  const std::string bytes = Bytes({0xFF, 0xFE, 0xE9, 0x00, 0x19, 0x20});  // é ’
  reader.OpenMemory(bytes, kTypeUnicode);
  std::u16string_view line;
  ASSERT_TRUE(reader.NextLine(line));
  // C3 A9 E2 80 99, each byte one character.
  EXPECT_EQ(line, u"\u00C3\u00A9\u00E2\u20AC\u2122");
  EXPECT_FALSE(reader.NextLine(line));
}

TEST(TextLineReader, LinesAcrossChunkBoundariesComeOutWhole) {
  const std::size_t chunk = DocumentByteStream::kChunkSize;
  // A CR as the last byte of the first chunk, its LF the first of the next.
  std::string crlfSplit(chunk - 1, 'a');
  crlfSplit += "\r\nb";
  // A line three chunks long.
  std::string longLine = "x\r\n" + std::string(3 * chunk, 'y') + "\r\nz";
  // A UTF-16 surrogate pair whose halves fall into different raw chunks.
  std::string pairSplit = "\xFF\xFE" + test::Utf16Le(std::u16string(chunk / 2 - 1, u'a'));
  pairSplit += Bytes({0x3D, 0xD8, 0x00, 0xDE});
  TempFolder folder;
  EXPECT_EQ(ReadFile(folder, crlfSplit, kTypeCrLf), (Lines{std::string(chunk - 1, 'a'), "b"}));
  EXPECT_EQ(ReadFile(folder, crlfSplit, kTypeLf), (Lines{std::string(chunk - 1, 'a'), "b"}));
  EXPECT_EQ(ReadFile(folder, longLine, kTypeCrLf), (Lines{"x", std::string(3 * chunk, 'y'), "z"}));
  EXPECT_EQ(ReadFile(folder, pairSplit, kTypeUnicode),
            (Lines{std::string(chunk / 2 - 1, 'a') + "\xF0\x9F\x98\x80"}));
}

TEST(TextLineReader, AgreesWithThePlainLineModelsOnRandomText) {
  std::mt19937 random(20240611);
  const char alphabet[] = {'a', 'b', ' ', '\r', '\n', '\n', '\r'};
  std::uniform_int_distribution<int> pick(0, sizeof alphabet - 1);
  TempFolder folder;
  for (int round = 0; round < 400; ++round) {
    // Mostly short texts; now and then one that spans several chunks, with
    // long stretches between line ends.
    const bool large = round % 50 == 0;
    const std::size_t length = large ? 3 * DocumentByteStream::kChunkSize + round : round % 40;
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
      const char c = alphabet[pick(random)];
      text += (large && (c == '\r' || c == '\n') && random() % 64 != 0) ? 'c' : c;
    }
    SCOPED_TRACE("round " + std::to_string(round));
    EXPECT_EQ(ReadMemory(text, kTypeCrLf), OrdinaryLines(text));
    EXPECT_EQ(ReadMemory(text, kTypeLf), LfReaderLines(text));
    EXPECT_EQ(ReadMemory(text, kTypeUnicode), AnyEndLines(text));
    if (large) {
      EXPECT_EQ(ReadFile(folder, text, kTypeCrLf), OrdinaryLines(text));
      EXPECT_EQ(ReadFile(folder, text, kTypeLf), LfReaderLines(text));
      EXPECT_EQ(
          ReadFile(folder, "\xFF\xFE" + test::Utf16Le(std::u16string(text.begin(), text.end())),
                   kTypeUnicode),
          AnyEndLines(text));
    }
  }
}

TEST(TextLineReader, OpenFailureCarriesTheSystemDescription) {
  TempFolder folder;
  folder.MakeFolder("sub");
  TextLineReader reader;
  EXPECT_FALSE(reader.Open(folder.Text() + u"missing.txt", kTypeCrLf));
  EXPECT_FALSE(reader.Error().empty());
  std::u16string_view line;
  EXPECT_FALSE(reader.NextLine(line));
  EXPECT_FALSE(reader.Open(folder.Text() + u"sub", kTypeCrLf));
  EXPECT_FALSE(reader.Error().empty());
}

TEST(TextLineReader, ReopeningStartsAFreshFile) {
  TempFolder folder;
  folder.Write("a.txt", "a1\na2");
  folder.Write("b.txt", "b1\r\nb2\r\n");
  TextLineReader reader;
  ASSERT_TRUE(reader.Open(folder.Text() + u"a.txt", kTypeLf));
  std::string_view line;
  ASSERT_TRUE(reader.NextLineBytes(line));
  EXPECT_EQ(line, "a1");
  ASSERT_TRUE(reader.Open(folder.Text() + u"b.txt", kTypeCrLf));
  EXPECT_EQ(ReadAll(reader), (Lines{"b1", "b2"}));
}

TEST(DocumentByteStream, LimitStopsReadingAfterTheGivenBytes) {
  DocumentByteStream stream;
  const std::string bytes =
      "\xEF\xBB\xBF"
      "abcdefgh";
  stream.OpenMemory(bytes, kTypeCrLf);
  stream.LimitRawBytes(6);  // the mark counts
  std::string got;
  std::string_view chunk;
  while (stream.NextChunk(chunk)) got += chunk;
  EXPECT_EQ(got, "abc");
}

}  // namespace
}  // namespace quor
