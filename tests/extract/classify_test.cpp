#include "extract/classify.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace quor {
namespace {

using test::TempFolder;

std::u16string Ascii(std::string_view s) {
  return std::u16string(s.begin(), s.end());
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

// A text of n bytes ('x' with a line end now and then) with control bytes
// (0x01) at the given 1-based positions.
std::string SampleWithControls(std::size_t n, const std::vector<std::size_t>& positions) {
  std::string s(n, 'x');
  for (std::size_t i = 80; i < n; i += 81) s[i - 1] = '\n';
  for (std::size_t p : positions) s[p - 1] = '\x01';
  return s;
}

std::vector<std::size_t> Spread(std::size_t count, std::size_t from, std::size_t to) {
  std::vector<std::size_t> positions;
  for (std::size_t k = 0; k < count; ++k) positions.push_back(from + k * (to - from) / count);
  return positions;
}

struct ClassifyCase {
  const char* name;
  const char* fileName;
  std::string content;
  int typeCode;
  bool isUtf8;
};

TEST(ClassifyTextFile, TypeCodesFollowContent) {
  const std::string tenLines = "a\r\n\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\n";
  const std::vector<ClassifyCase> cases = {
      {"CR LF line ends", "a.dat", "hello\r\nworld\r\n", kTypeCrLf, false},
      {"LF-only line ends", "a.dat", "hello\nworld\n", kTypeLf, false},
      {"CR-only line ends", "a.dat", "hello\rworld\r", kTypeCr, false},
      {"no line end at all", "a.dat", "hello world", kTypeCrLf, false},
      {"mixed CR and LF", "a.dat", "one\rtwo\nthree", kTypeCrLf, false},
      {"RTF header", "a.doc", "{\\rtf1\\ansi hello}", kTypeRtf, false},
      {"RTF header is case-sensitive", "a.doc", "{\\RTF1 hello}", kTypeCrLf, false},
      {"UTF-16 little-endian mark", "a.dat", Bytes({0xFF, 0xFE, 'h', 0, 'i', 0}), kTypeUnicode,
       false},
      {"UTF-16 big-endian mark", "a.dat", Bytes({0xFE, 0xFF, 0, 'h', 0, 'i'}), kTypeUnicode, false},
      {"UTF-32 big-endian mark", "a.dat", Bytes({0, 0, 0xFE, 0xFF, 0, 0, 0, 'h'}), kTypeUnicode,
       false},
      {"UTF-32 little-endian mark reads as UTF-16", "a.dat",
       Bytes({0xFF, 0xFE, 0, 0, 'h', 0, 0, 0}), kTypeUnicode, false},
      {"UTF-8 mark", "a.txt", "\xEF\xBB\xBFhello\r\n", kTypeCrLf, true},
      {"UTF-8 mark on an LF file still gives 1", "a.dat",
       "\xEF\xBB\xBF"
       "a\nb\n",
       kTypeCrLf, true},
      {"XML header 3C 00 in an .xml file", "a.xml", Bytes({0x3C, 0, '?', 0, 'x', 0, 'm', 0}),
       kTypeUnicode, false},
      {"XML header 00 3C in an .xml file", "a.xml", Bytes({0, 0x3C, 0, '?', 0, 'x', 0, 'm'}),
       kTypeUnicode, false},
      {"XML header 3C 00 outside .xml is sampled", "a.dat",
       Bytes({0x3C, 0, '?', 0, 'x', 0, 'm', 0}), kTypeNotText, false},
      {"XML header in ASCII is UTF-8", "a.XML", "<?xml version=\"1.0\"?>\n<a/>\n", kTypeCrLf, true},
      {"charset declaration in an .htm file", "a.htm",
       "<html>\r\n<meta charset=UTF-8>\r\n</html>\r\n", kTypeCrLf, true},
      {"quoted charset declaration", "a.html", "<meta charset=\"UTF-8\">\r\n", kTypeCrLf, true},
      {"charset test is case-sensitive", "a.htm", "<meta charset=utf-8>\r\n", kTypeCrLf, false},
      {"charset test needs a text extension", "a.dat", "<meta charset=UTF-8>\r\n", kTypeCrLf,
       false},
      {"UTF-8 punctuation bytes in a .txt file", "a.txt", "It\xE2\x80\x99s here\r\n", kTypeCrLf,
       true},
      {"blank lines do not count among the first 10", "a.txt",
       "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n" + tenLines.substr(0, 20) +
           "charset=UTF-8\r\n",
       kTypeCrLf, true},
      {"charset on the 11th non-blank line is not seen", "a.txt",
       tenLines + "j\r\ncharset=UTF-8\r\n", kTypeCrLf, false},
      {"charset on the 10th non-blank line is seen", "a.txt", tenLines + "charset=UTF-8\r\n",
       kTypeCrLf, true},
      {"tabs, form feeds and backspaces are text", "a.dat",
       std::string(4000, '\t') + std::string(2000, '\f') + std::string(2192, '\b'), kTypeCrLf,
       false},
      {"a plain text named .docx is classified by content", "a.docx", "just text\r\n", kTypeCrLf,
       false},
  };
  TempFolder folder;
  for (const ClassifyCase& c : cases) {
    SCOPED_TRACE(c.name);
    folder.Write(c.fileName, c.content);
    const std::u16string path = folder.Text() + Ascii(c.fileName);
    const TextClassification fromFile = ClassifyTextFile(path);
    EXPECT_EQ(fromFile.typeCode, c.typeCode);
    EXPECT_EQ(fromFile.isUtf8, c.isUtf8);
    const TextClassification fromMemory = ClassifyTextBytes(path, c.content);
    EXPECT_EQ(fromMemory.typeCode, c.typeCode);
    EXPECT_EQ(fromMemory.isUtf8, c.isUtf8);
  }
}

TEST(ClassifyTextFile, FilesThatCannotBeClassifiedGetNegativeCodes) {
  TempFolder folder;
  folder.Write("four.txt", "abcd");
  folder.Write("five.txt", "abcde");
  folder.Write("empty.txt", "");
  folder.MakeFolder("sub.txt");
  EXPECT_EQ(ClassifyTextFile(u"").typeCode, kTypeEmptyPath);
  EXPECT_EQ(ClassifyTextFile(folder.Text() + u"missing.txt").typeCode, kTypeMissing);
  EXPECT_EQ(ClassifyTextFile(folder.Text() + u"sub.txt").typeCode, kTypeMissing);
  EXPECT_EQ(ClassifyTextFile(folder.Text() + u"empty.txt").typeCode, kTypeEmptyFile);
  EXPECT_EQ(ClassifyTextFile(folder.Text() + u"four.txt").typeCode, kTypeTooShort);
  EXPECT_EQ(ClassifyTextFile(folder.Text() + u"five.txt").typeCode, kTypeCrLf);
  EXPECT_EQ(SniffTextEncoding(u"", true), kTypeEmptyPath);
  EXPECT_EQ(SniffTextEncoding(folder.Text() + u"missing.txt", true), kTypeMissing);
  EXPECT_EQ(SniffTextEncoding(folder.Text() + u"four.txt", true), kTypeTooShort);
  EXPECT_EQ(SniffTextEncoding(folder.Text() + u"empty.txt", true), kTypeEmptyFile);
}

TEST(SniffTextEncoding, GivesTheEncodingCodeOfTheHeader) {
  struct Case {
    const char* name;
    const char* fileName;
    std::string content;
    bool checkCharset;
    int code;
  };
  const std::vector<Case> cases = {
      {"plain", "a.txt", "hello there", true, kEncodingAnsi},
      {"RTF", "a.rtf", "{\\rtf1 x", true, kEncodingRtf},
      {"UTF-16 LE", "a.txt", Bytes({0xFF, 0xFE, 'a', 0, 'b', 0}), true, kEncodingUtf16Le},
      {"UTF-16 BE", "a.txt", Bytes({0xFE, 0xFF, 0, 'a', 0, 'b'}), true, kEncodingUtf16Be},
      {"UTF-8", "a.txt",
       "\xEF\xBB\xBF"
       "abc",
       true, kEncodingUtf8},
      {"UTF-32 BE", "a.txt", Bytes({0, 0, 0xFE, 0xFF, 0, 0, 0, 'a'}), true, kEncodingUtf32Be},
      {"XML 3C 00", "a.xml", Bytes({0x3C, 0, 'a', 0, 'b', 0}), true, kEncodingUtf16Le},
      {"XML 00 3C", "a.xml", Bytes({0, 0x3C, 0, 'a', 0, 'b'}), true, kEncodingUtf16Be},
      {"XML other", "a.xml", Bytes({0, 0, 0, 0x3C, 0, 0}), true, kEncodingAnsi},
      {"charset found", "a.htm", "<meta charset=UTF-8>", true, kEncodingUtf8},
      {"charset test switched off", "a.htm", "<meta charset=UTF-8>", false, kEncodingAnsi},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    folder.Write(c.fileName, c.content);
    EXPECT_EQ(SniffTextEncoding(folder.Text() + Ascii(c.fileName), c.checkCharset), c.code);
  }
}

TEST(ClassifyTextFile, ControlCharacterThresholdOverTheSample) {
  struct Case {
    const char* name;
    std::string content;
    int typeCode;
    double badPercent;
    int firstBadPos;
  };
  const std::vector<Case> cases = {
      {"9 in 8192 bytes (0.11 %) is not text", SampleWithControls(8192, Spread(9, 5000, 8192)),
       kTypeNotText, 9 * 100.0 / 8192, 5000},
      {"8 in 8192 bytes (0.098 %) is text", SampleWithControls(8192, Spread(8, 5000, 8192)),
       kTypeLf, 8 * 100.0 / 8192, 5000},
      {"16 in the first 1639 bytes stop only at the end",
       SampleWithControls(8192, Spread(16, 1, 1639)), kTypeNotText, 16 * 100.0 / 8192, 1},
      {"17 in the first 1639 bytes stop early", SampleWithControls(8192, Spread(17, 1, 1639)),
       kTypeNotText, 17 * 100.0 / 1639, 1},
      {"controls after the sample are not seen",
       SampleWithControls(8192, {}) + std::string(500, '\x02'), kTypeLf, 0.0, 0},
      {"one control in a short file is 1 %", SampleWithControls(100, {50}), kTypeNotText, 1.0, 50},
      {"the first fifth is of the sample size, not of the file",
       std::string(20, '\x03') + std::string(1980, 'a'), kTypeNotText, 20 * 100.0 / 1639, 1},
      // The running share passes 1 % long before byte 1639 but is only judged from there on.
      {"early stop needs more than the percent after the first fifth",
       SampleWithControls(8192, Spread(17, 1, 18)), kTypeNotText, 17 * 100.0 / 1639, 1},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    folder.Write("s.bin", c.content);
    const TextClassification r = ClassifyTextFile(folder.Text() + u"s.bin");
    EXPECT_EQ(r.typeCode, c.typeCode);
    EXPECT_NEAR(r.badPercent, c.badPercent, 1e-9);
    EXPECT_EQ(r.firstBadPos, c.firstBadPos);
    EXPECT_EQ(r.firstBadChar, c.firstBadPos == 0 ? 32 : c.content[c.firstBadPos - 1]);
    EXPECT_FALSE(r.isUtf8);
  }
}

TEST(HasTextExtension, ComparesTheWholeLowerCasedExtension) {
  struct Case {
    const char16_t* path;
    bool expected;
  };
  const std::vector<Case> cases = {
      {u"/d/a.txt", true},   {u"/d/a.TXT", true},  {u"/d/a.htm", true},     {u"/d/a.Html", true},
      {u"/d/a.xhtml", true}, {u"/d/a.shtm", true}, {u"/d/a.csv", true},     {u"/d/a.prn", true},
      {u"/d/a.log", true},   {u"/d/a.xml", true},  {u"/d/a.text", false},   {u"/d/a.tx", false},
      {u"/d/a", false},      {u"/d.txt/a", false}, {u"/d/a.txt.gz", false}, {u"/d/a.", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path)));
    EXPECT_EQ(HasTextExtension(c.path), c.expected);
  }
}

TEST(HasZipSignature, NeedsTenBytesAndTheLocalHeaderSignature) {
  TempFolder folder;
  const std::string signature = "PK\x03\x04";
  folder.Write("ten.docx", signature + "123456");
  folder.Write("nine.docx", signature + "12345");
  folder.Write("other.docx",
               "PK\x05\x06"
               "123456");
  folder.Write("UPPER.DOCX", signature + "123456789");
  folder.Write("zip.zip", signature + "123456789");
  EXPECT_EQ(HasZipSignature(folder.Text() + u"missing.docx"), -1);
  EXPECT_EQ(HasZipSignature(u""), -1);
  EXPECT_EQ(HasZipSignature(folder.Text() + u"ten.docx"), 1);
  EXPECT_EQ(HasZipSignature(folder.Text() + u"nine.docx"), 0);
  EXPECT_EQ(HasZipSignature(folder.Text() + u"other.docx"), 0);
  EXPECT_TRUE(IsDocxFile(folder.Text() + u"ten.docx"));
  EXPECT_TRUE(IsDocxFile(folder.Text() + u"UPPER.DOCX"));
  EXPECT_FALSE(IsDocxFile(folder.Text() + u"nine.docx"));
  EXPECT_FALSE(IsDocxFile(folder.Text() + u"zip.zip"));
  EXPECT_FALSE(IsDocxFile(folder.Text() + u"missing.docx"));
}

TEST(ReadFirstLines, SkipsBlankLinesEndsLinesAtCrOrCrLfAndTakesBytesAsWindows1252) {
  TempFolder folder;
  folder.Write("a.txt", "one\r\n\r\ntwo\rthree\nstill three\r\n\r\nfour\r\nfive");
  bool failed = true;
  EXPECT_EQ(ReadFirstLines(folder.Text() + u"a.txt", 3, failed),
            u"one\r\ntwo\r\nthree\nstill three");
  EXPECT_FALSE(failed);
  EXPECT_EQ(ReadFirstLines(folder.Text() + u"a.txt", 10, failed),
            u"one\r\ntwo\r\nthree\nstill three\r\nfour\r\nfive");
  EXPECT_FALSE(failed);
  EXPECT_EQ(ReadFirstLines(folder.Text() + u"missing.txt", 10, failed), u"");
  EXPECT_TRUE(failed);
  // Each byte is one Windows-1252 character.
  folder.Write("b.txt", "caf\xE9 \x80\r\n");
  EXPECT_EQ(ReadFirstLines(folder.Text() + u"b.txt", 1, failed), u"caf\u00E9 \u20AC");
}

TEST(FileSizeText, FormatsTheLengthOfAnExistingFile) {
  TempFolder folder;
  folder.Write("a.bin", std::string(1023, 'a'));
  folder.Write("b.bin", std::string(1024, 'a'));
  EXPECT_EQ(FileSizeText(u""), u"");
  EXPECT_EQ(FileSizeText(folder.Text() + u"missing.bin"), u"");
  EXPECT_EQ(FileSizeText(folder.Text() + u"a.bin"), u"1023 bytes");
  EXPECT_EQ(FileSizeText(folder.Text() + u"b.bin"), u"1.00 Kb");
}

}  // namespace
}  // namespace quor
