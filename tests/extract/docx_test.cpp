#include "extract/docx.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "common/encoding.h"
#include "common/paths.h"
#include "support/docx_file.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;
using test::WriteZipFile;

std::string Joined(const TextList& runs) {
  std::string out;
  for (const auto& run : runs) out += TextToAnsi(run);
  return out;
}

std::uint32_t Le32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
  return v;
}
std::uint16_t Le16(const std::string& b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    static_cast<unsigned char>(b[at + 1]) << 8);
}
void PutLe32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i) & 0xFF);
}

// Offset and length of the first member's data (a package written by WriteZipFile
// begins with the local header of its first member).
std::pair<std::size_t, std::size_t> FirstMemberData(const std::string& zip) {
  EXPECT_EQ(Le32(zip, 0), 0x04034b50u);
  const std::size_t start = 30 + Le16(zip, 26) + Le16(zip, 28);
  return {start, Le32(zip, 18)};
}

// The uncompressed size fields of every header of the package set to size.
void ClaimUncompressedSize(std::string& zip, std::uint32_t size) {
  PutLe32(zip, 22, size);  // local header
  for (std::size_t at = zip.find("PK\x01\x02"); at != std::string::npos;
       at = zip.find("PK\x01\x02", at + 4)) {
    PutLe32(zip, at + 24, size);  // central directory entry
  }
}

std::string Document(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
         "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
         "<w:body>" +
         body + "</w:body></w:document>";
}

// A document part of exactly size bytes whose text is "Sized text".
std::string DocumentOfSize(std::size_t size) {
  std::string head = Document("<w:p><w:r><w:t>Sized text</w:t></w:r></w:p>");
  EXPECT_LE(head.size(), size);
  head.append(size - head.size(), ' ');
  return head;
}

// ---------------------------------------------------------------- the runs

struct RunCase {
  const char* name;
  std::string xml;
  std::string text;  // all runs joined, as Windows-1252 bytes
  int count;
};

TEST(DocxRuns, TextRunsBecomeOneLineWithSpacesAtBreaksAndParagraphEnds) {
  const std::vector<RunCase> cases = {
      {"title paragraph", "<w:p><w:r><w:t>Annual Report</w:t></w:r></w:p>", "Annual Report", 1},
      {"runs of one paragraph join", "<w:p><w:r><w:t>Hel</w:t></w:r><w:r><w:t>lo</w:t></w:r></w:p>",
       "Hello", 2},
      {"paragraph end separates",
       "<w:p><w:r><w:t>Hel</w:t></w:r></w:p><w:p><w:r><w:t>lo</w:t></w:r></w:p>", "Hel lo", 2},
      {"line break separates", "<w:p><w:r><w:t>one</w:t><w:br/><w:t>two</w:t></w:r></w:p>",
       "one two", 2},
      {"last run gets no trailing space", "<w:p><w:r><w:t>end</w:t></w:r></w:p><w:p/>", "end", 1},
      {"xml:space keeps the spaces",
       "<w:p><w:r><w:t xml:space=\"preserve\"> two  words </w:t></w:r><w:r><w:t>x</w:t></w:r>",
       " two  words x", 2},
      {"&amp;lt; ends as less-than", "<w:t>a &amp;lt; b</w:t>", "a < b", 1},
      {"entities decoded in order", "<w:t>&lt;b&gt; &amp;amp; &quot;</w:t>", "<b> &amp; &quot;", 1},
      {"blank run is one space", "<w:t>Hi</w:t><w:t xml:space=\"preserve\">   </w:t><w:t>yo</w:t>",
       "Hi yo", 3},
      {"empty run is one space", "<w:t>a</w:t><w:t></w:t><w:t>b</w:t>", "a b", 3},
      {"tab and table elements are not runs",
       "<w:tbl><w:tr><w:tc><w:p><w:r><w:tab/><w:t>cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl>",
       "cell", 1},
      {"w:tab inside a paragraph joins its neighbours",
       "<w:p><w:r><w:t>Date</w:t></w:r><w:r><w:tab/></w:r><w:r><w:t>Place</w:t></w:r></w:p>",
       "DatePlace", 2},
      {"w:tab before a paragraph end does not hide it",
       "<w:p><w:r><w:t>last</w:t></w:r><w:r><w:tab/></w:r></w:p><w:p><w:r><w:t>first</w:t>",
       "last first", 2},
      {"self-closing w:t is not a run", "<w:t/><w:t>x</w:t>", "x", 1},
      {"stray run end before the next run stops", "<w:t>a</w:t></w:t><w:t>b</w:t>", "a", 1},
      {"unterminated run stops", "<w:t>a</w:t><w:t>b", "a", 1},
      {"tag without closing bracket keeps all", "<w:t foo</w:t>", " foo", 1},
      {"UTF-8 letters repaired",
       "<w:t>caf\xC3\xA9 \xC3\x9C\x62\x65r \xC2\xA3"
       "5</w:t>",
       "caf\xE9 \xDC"
       "ber \xA3"
       "5",
       1},
      {"curly apostrophe repaired", "<w:t>it\xE2\x80\x99s</w:t>", "it's", 1},
      {"curly quotes repaired", "<w:t>\xE2\x80\x9Cquoted\xE2\x80\x9D</w:t>", "\"quoted\"", 1},
      {"no runs", "<w:p><w:pPr/></w:p>", "", 0},
      {"tag at the very end", "<w:t>a</w:t><w:t", "a", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TextList runs;
    std::int64_t total = -1;
    const int count = ReadDocumentRuns(Document(c.xml), runs, total);
    EXPECT_EQ(Joined(runs), c.text);
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(static_cast<int>(runs.size()), c.count);
    EXPECT_EQ(total, static_cast<std::int64_t>(c.text.size()));
  }
}

TEST(DocxRuns, AStopRequestEndsTheParseWithNoRuns) {
  TextList runs = {u"old"};
  std::int64_t total = 0;
  int calls = 0;
  const int count = ParseDocxRuns(u"<w:t>a</w:t><w:t>b</w:t><w:t>c</w:t>", 0, runs, total,
                                  [&calls] { return ++calls == 2; });
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(runs.empty());
  EXPECT_EQ(total, 0);
  EXPECT_EQ(calls, 2);
}

TEST(DocxTextFile, LinesAreWrittenWithoutBreaksAsWindows1252) {
  TempFolder folder;
  const TextList lines = {u"zero ", u"caf\u00e9 ", u"\u201cq\u201d", u"three"};
  const std::u16string path = folder.Text() + u"out.txt";
  EXPECT_EQ(WriteLinesToFile(path, lines, 0, 3), u"");
  EXPECT_EQ(folder.Read("out.txt"), "zero caf\xE9 \x93q\x94three");
  EXPECT_EQ(WriteLinesToFile(path, lines, 1, 2), u"");
  EXPECT_EQ(folder.Read("out.txt"), "caf\xE9 \x93q\x94");
  EXPECT_EQ(WriteLinesToFile(path, lines, 0, -1), u"");
  EXPECT_EQ(folder.Read("out.txt"), "");
}

// ---------------------------------------------------------------- temporary folders

TEST(DocxTempFolder, TakesTheFirstFreeNumberedName) {
  TempFolder root;
  const std::u16string tmp = root.Text();
  EXPECT_EQ(MakeDocxTempFolder(tmp, u"QUOR"), tmp + u"QUOR001/");
  EXPECT_EQ(MakeDocxTempFolder(tmp, u"QUOR"), tmp + u"QUOR002/");
  root.Write("QUOR003", "a file takes the name too");
  EXPECT_EQ(MakeDocxTempFolder(tmp, u"QUOR"), tmp + u"QUOR004/");
  EXPECT_TRUE(ClearDocxTemp(tmp + u"QUOR001/"));
  EXPECT_EQ(MakeDocxTempFolder(tmp, u"QUOR"), tmp + u"QUOR001/");
  EXPECT_EQ(fs::status(root.Path() / "QUOR001").permissions() & fs::perms::all,
            fs::perms::owner_all);
}

TEST(DocxTempFolder, NoneWhenAllNamesAreTakenOrTheRootIsMissing) {
  TempFolder root;
  for (int n = 1; n <= 999; ++n) {
    char name[8];
    std::snprintf(name, sizeof name, "Q%03d", n);
    root.MakeFolder(name);
  }
  EXPECT_EQ(MakeDocxTempFolder(root.Text(), u"Q"), u"");
  EXPECT_EQ(MakeDocxTempFolder(root.Text() + u"missing", u"Q"), u"");
}

// ---------------------------------------------------------------- conversion

class DocxConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.MakeFolder("tmp");
    root_.MakeFolder("docs");
    callbacks_.show = [this](const DocxMessage& message) {
      shown_.push_back(message);
      if (answers_.empty()) return true;
      const bool answer = answers_.front();
      answers_.erase(answers_.begin());
      return answer;
    };
  }

  fs::path DocPath(const std::string& name) const { return root_.Path() / "docs" / name; }
  std::u16string TempRoot() const { return root_.Text() + u"tmp"; }

  std::u16string MakeDocx(const std::string& name, const std::string& documentXml,
                          bool deflate = true) {
    EXPECT_TRUE(WriteZipFile(DocPath(name), {{"[Content_Types].xml", "<Types/>", true},
                                             {"word/document.xml", documentXml, deflate},
                                             {"word/styles.xml", "<w:styles/>", true}}));
    return FromFsPath(DocPath(name));
  }

  DocxConversion Convert(const std::u16string& path) {
    return ConvertDocxToText(path, TempRoot(), u"QUOR", callbacks_);
  }

  bool TempRootIsEmpty() const { return fs::is_empty(root_.Path() / "tmp"); }

  TempFolder root_;
  DocxCallbacks callbacks_;
  std::vector<DocxMessage> shown_;
  std::vector<bool> answers_;
};

TEST_F(DocxConversionTest, DocumentBecomesOneLineTextFileInQuor001) {
  const std::string xml = Document(
      "<w:p><w:r><w:t>Quarterly</w:t></w:r><w:r><w:t xml:space=\"preserve\"> caf\xC3\xA9 "
      "</w:t></w:r></w:p><w:p><w:r><w:t>R&amp;D \xE2\x80\x9Cplans\xE2\x80\x9D</w:t></w:r></w:p>");
  const std::u16string path = MakeDocx("Plans.DOCX", xml);

  const DocxConversion result = Convert(path);
  EXPECT_EQ(result.status, static_cast<std::int32_t>(xml.size()));
  EXPECT_EQ(result.tempFolder, TempRoot() + u"/QUOR001/");
  EXPECT_EQ(result.textPath, TempRoot() + u"/QUOR001/plans.txt");
  EXPECT_EQ(root_.Read("tmp/QUOR001/plans.txt"), "Quarterly caf\xE9  R&D \"plans\"");
  EXPECT_TRUE(shown_.empty());
  // Only the text file is left in the folder.
  EXPECT_EQ(
      std::distance(fs::directory_iterator(root_.Path() / "tmp/QUOR001"), fs::directory_iterator()),
      1);

  // The next document, once the folder is cleared, uses QUOR001 again.
  EXPECT_TRUE(ClearDocxTemp(result.tempFolder));
  EXPECT_EQ(Convert(path).tempFolder, TempRoot() + u"/QUOR001/");
}

TEST_F(DocxConversionTest, PackagesWithoutDocumentTextArePassedOverWithoutTempFolder) {
  ASSERT_TRUE(WriteZipFile(DocPath("nodoc.docx"), {{"word/other.xml", "<w:t>x</w:t>"}}));
  root_.Write("docs/notzip.docx", "PK\x03\x04 but nothing of a zip after the signature");
  root_.Write("docs/empty.docx", "");
  for (const char* name : {"nodoc.docx", "notzip.docx", "empty.docx", "absent.docx"}) {
    SCOPED_TRACE(name);
    const DocxConversion result = Convert(FromFsPath(DocPath(name)));
    EXPECT_EQ(result.status, kDocxNoDocumentText);
    EXPECT_EQ(result.tempFolder, u"");
    EXPECT_EQ(result.textPath, u"");
    EXPECT_TRUE(TempRootIsEmpty());
  }
  EXPECT_TRUE(shown_.empty());
}

TEST_F(DocxConversionTest, NoTempFolderGivesStatusMinusOne) {
  const std::u16string path = MakeDocx("a.docx", Document("<w:t>a</w:t>"));
  const DocxConversion result =
      ConvertDocxToText(path, root_.Text() + u"no-such-folder", u"QUOR", callbacks_);
  EXPECT_EQ(result.status, kDocxNoTempFolder);
}

TEST_F(DocxConversionTest, UnwritableTextFileGivesMinusNineWithTheErrorAndNoFolder) {
  // A package named with 255 characters and no extension: its text file's
  // name (the name + ".txt") is too long to create.
  MakeDocx("short.docx", Document("<w:t>a</w:t>"));
  fs::rename(DocPath("short.docx"), DocPath(std::string(255, 'n')));
  const std::u16string path = FromFsPath(DocPath(std::string(255, 'n')));
  const DocxConversion result = Convert(path);
  EXPECT_EQ(result.status, kDocxWriteFailed);
  EXPECT_NE(result.errorText, u"");
  EXPECT_EQ(result.tempFolder, u"");
  EXPECT_TRUE(TempRootIsEmpty());
}

TEST_F(DocxConversionTest, DamagedMemberAsksAndScansWhatWasReadOnlyOnYes) {
  // Stored data keeps the flipped byte in the text: only the checksum notices,
  // so everything is read. In deflated data the stream itself breaks.
  const std::string xml =
      Document("<w:p><w:r><w:t>AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA</w:t></w:r></w:p>");
  const std::u16string path = FromFsPath(DocPath("hurt.docx"));
  for (const bool deflate : {false, true}) {
    for (const bool yes : {false, true}) {
      SCOPED_TRACE(std::string(deflate ? "deflated" : "stored") + (yes ? ", Yes" : ", No"));
      shown_.clear();
      ASSERT_TRUE(WriteZipFile(DocPath("hurt.docx"), {{"word/document.xml", xml, deflate}}));
      std::string zip = root_.Read("docs/hurt.docx");
      const auto [start, length] = FirstMemberData(zip);
      const std::size_t at = deflate ? start + length / 2 : start + xml.find("AAAA") + 3;
      zip[at] = deflate ? static_cast<char>(zip[at] ^ 0x55) : 'B';
      root_.Write("docs/hurt.docx", zip);
      EXPECT_EQ(UnzipDocumentPart(path, kDocxTooLargeSize + 1).outcome,
                UnzippedPart::Outcome::Damaged);

      answers_ = {yes};
      const DocxConversion result = Convert(path);
      ASSERT_EQ(shown_.size(), 1u);
      EXPECT_EQ(shown_[0].kind, DocxMessage::Kind::Question);
      EXPECT_EQ(shown_[0].title, u"");
      EXPECT_EQ(shown_[0].text, u"Invalid checksum found when processing\r\n" + path +
                                    u"\r\n\r\nDo you wish to scan this file anyway?");
      if (!yes) {
        EXPECT_EQ(result.status, kDocxDamagedDeclined);
        EXPECT_TRUE(TempRootIsEmpty());
        continue;
      }
      EXPECT_GE(result.status, 0);
      if (!deflate) {
        EXPECT_EQ(result.status, static_cast<std::int32_t>(length));
        EXPECT_EQ(root_.Read("tmp/QUOR001/hurt.txt"), "AAABAAAAAAAAAAAAAAAAAAAAAAAAAAAAA");
      }
      EXPECT_TRUE(ClearDocxTemp(result.tempFolder));
    }
  }
}

TEST_F(DocxConversionTest, SizeThresholdsAskAtLargeAndRefuseAtTooLarge) {
  struct SizeCase {
    const char* name;
    std::size_t size;
    std::vector<bool> answers;
    std::int32_t status;  // 0: the size itself
    std::vector<DocxMessage::Kind> kinds;
  };
  using K = DocxMessage::Kind;
  const std::vector<SizeCase> cases = {
      {"exactly large: no question", 5242880, {}, 0, {}},
      {"one over large, Yes", 5242881, {true}, 0, {K::QuestionDefaultNo}},
      {"one over large, No",
       5242881,
       {false},
       kDocxLargeDeclined,
       {K::QuestionDefaultNo, K::Notice}},
      {"exactly too large, Yes", 10485760, {true}, 0, {K::QuestionDefaultNo}},
      {"one over too large", 10485761, {}, kDocxTooLarge, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    shown_.clear();
    answers_ = c.answers;
    const std::u16string path = MakeDocx("big.docx", DocumentOfSize(c.size));
    const DocxConversion result = Convert(path);
    EXPECT_EQ(result.status, c.status == 0 ? static_cast<std::int32_t>(c.size) : c.status);
    ASSERT_EQ(shown_.size(), c.kinds.size());
    for (std::size_t i = 0; i < c.kinds.size(); ++i) EXPECT_EQ(shown_[i].kind, c.kinds[i]);
    if (!shown_.empty()) {
      EXPECT_EQ(shown_[0].title, u"Big file");
      EXPECT_EQ(shown_[0].text, path +
                                    u"\r\nis rather large.  It may take awhile to scan.\r\n"
                                    u"Do you wish to continue?");
    }
    if (shown_.size() > 1) {
      EXPECT_EQ(shown_[1].title, u"Big file");
      EXPECT_EQ(
          shown_[1].text,
          u"You could try saving it as a text file\r\nand applying this program to that file.");
    }
    if (result.status >= 0) {
      EXPECT_EQ(root_.Read("tmp/QUOR001/big.txt"), "Sized text");
      EXPECT_TRUE(ClearDocxTemp(result.tempFolder));
    }
    EXPECT_TRUE(TempRootIsEmpty());
  }
}

TEST_F(DocxConversionTest, HeadersClaimingASmallSizeDoNotLiftTheLimit) {
  // 12 MB of spaces deflate to a few kilobytes; the headers claim 100 bytes.
  MakeDocx("bomb.docx", DocumentOfSize(12 * 1024 * 1024));
  std::string zip = root_.Read("docs/bomb.docx");
  ClaimUncompressedSize(zip, 100);
  root_.Write("docs/bomb.docx", zip);
  const std::u16string path = FromFsPath(DocPath("bomb.docx"));

  const UnzippedPart part = UnzipDocumentPart(path, 1000);
  EXPECT_LE(part.bytes.size(), 1000u);

  const DocxConversion result = Convert(path);
  // libzip inflates past the claimed size and the limit stops it; a reader
  // that trusted the header would stop at 100 bytes with a checksum error.
  // Either way nothing beyond the limit is inflated and no folder is left.
  const bool refused = result.status == kDocxTooLarge && shown_.empty();
  const bool damaged = result.status >= 0 && result.status <= 100 && shown_.size() == 1;
  EXPECT_TRUE(refused || damaged) << result.status;
  if (refused) {
    EXPECT_TRUE(TempRootIsEmpty());
  }
}

}  // namespace
}  // namespace quor
