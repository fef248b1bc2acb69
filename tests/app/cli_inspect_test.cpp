#include "app/cli_inspect.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/docx_file.h"
#include "support/temp_folder.h"

namespace quor::app {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

using Outcome = test::CliOutcome;

Outcome Inspect(const std::vector<std::string>& args) {
  return test::RunCliCommand(InspectCommand(), args);
}

TEST(InspectCommand, ReadsFilesAsTheIndexingPassDoes) {
  struct Row {
    const char* name;
    const char* file;
    std::string bytes;
    std::string expected;
  };
  const Row rows[] = {
      {"counts and values; a common word counts once", "pets.txt", "Cats and dogs, cats\r\n",
       "type: 1\nutf8: no\nwords: 3\nand 1 128\ncats 2 255\ndogs 1 128\n"},
      {"HTML: tags and their attributes skipped, entities decoded", "menu.html",
       "<html><head><title>Caf&eacute; menu</title></head>\r\n"
       "<body><p class=\"dish\">Fish &amp; chips</p></body></html>\r\n",
       "type: 1\nutf8: no\nwords: 4\ncaf\xC3\xA9 1 255\nchips 1 255\nfish 1 255\nmenu 1 255\n"},
      {"UTF-8 with byte-order mark: recognised, accents repaired, no stray mark word", "menu.txt",
       "\xEF\xBB\xBF"
       "Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9"
       "e, cr\xC3\xA8me\r\n",
       "type: 1\nutf8: yes\nwords: 2\nbr\xC3\xBBl\xC3\xA9"
       "e 1 128\ncr\xC3\xA8me 2 255\n"},
      {"UTF-16 with byte-order mark: transcoded, so accents come out whole", "u16.txt",
       "\xFF\xFE" + test::Utf16Le(u"D\u00e9j\u00e0 vu, d\u00e9j\u00e0\r\nvu again\r\n"),
       "type: 7\nutf8: no\nwords: 3\nagain 1 128\nd\xC3\xA9j\xC3\xA0 2 255\nvu 2 255\n"},
      {"LF-only lines: the attachment marker on its own line ends the text", "mail.txt",
       "alpha beta\nContent-Transfer-Encoding: base64\nQUJDREVGR0g=\n",
       "type: 2\nutf8: no\nwords: 2\nalpha 1 255\nbeta 1 255\n"},
      {"empty file is not indexable", "empty.txt", "", "type: -2\nwords: 0\n"},
      {"binary file is not indexable", "data.bin",
       std::string("\x01\x02\x03\x00\x00\xff", 6) + std::string(200, '\0') + "words here",
       "type: 0\nwords: 0\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder folder;
    const fs::path file = folder.Write(row.file, row.bytes);
    const Outcome outcome = Inspect({file.string()});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_EQ(outcome.out, row.expected);
    EXPECT_EQ(outcome.err, "");
  }
}

const char kDocumentXml[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<w:document><w:body><w:p><w:r><w:t>Hel</w:t></w:r><w:r><w:t>lo world</w:t></w:r></w:p>"
    "<w:p><w:r><w:tab/><w:t xml:space=\"preserve\">Caf\xC3\xA9 &lt; hello</w:t></w:r>"
    "</w:p></w:body></w:document>";

TEST(InspectCommand, DocxTextIsReadThroughItsConversionAndLeavesNoTemporaryFolder) {
  struct Row {
    const char* name;
    std::vector<test::ZipMember> members;
    bool tmpDirExists;
    const char* out;
    const char* errPart;  // empty: no message
  };
  const Row rows[] = {
      // Runs of one paragraph join into one word; the escaped "<" before a
      // space is text, not the start of a tag, so the "hello" after it is
      // counted.
      {"document text",
       {{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", kDocumentXml}},
       true,
       "type: 1\nutf8: yes\nwords: 3\ncaf\xC3\xA9 1 128\nhello 2 255\nworld 1 128\n",
       ""},
      {"a TMPDIR that is gone gives way to the system's folder",
       {{"word/document.xml", kDocumentXml}},
       false,
       "type: 1\nutf8: yes\nwords: 3\ncaf\xC3\xA9 1 128\nhello 2 255\nworld 1 128\n",
       ""},
      {"no document part: passed over with a message",
       {{"[Content_Types].xml", "<Types/>"}, {"word/styles.xml", "<w:styles/>"}},
       true,
       "type: 1\nutf8: yes\nwords: 0\n",
       "has no document text"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder folder;
    TempFolder temp;
    test::ScopedEnv tmpDir("TMPDIR", row.tmpDirExists ? temp.Path() : temp.Path() / "gone");
    const fs::path file = folder.Path() / "Letter.docx";
    ASSERT_TRUE(test::WriteZipFile(file, row.members));
    const Outcome outcome = Inspect({file.string()});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_EQ(outcome.out, row.out);
    if (row.errPart[0] == '\0') {
      EXPECT_EQ(outcome.err, "");
    } else {
      EXPECT_NE(outcome.err.find(row.errPart), std::string::npos) << outcome.err;
    }
    EXPECT_TRUE(test::SortedNames(temp.Path()).empty());
  }
}

TEST(InspectCommand, DocxQuestionsAreAnsweredByTheYesOption) {
  TempFolder folder;
  TempFolder temp;
  test::ScopedEnv tmpDir("TMPDIR", temp.Path());
  const fs::path file = folder.Path() / "damaged.docx";
  ASSERT_TRUE(test::WriteZipFile(
      file, {{"word/document.xml",
              "<w:document><w:p><w:r><w:t>alpha beta</w:t></w:r></w:p></w:document>", false}}));
  // A flipped byte in the stored member's text: its checksum no longer fits.
  std::string bytes = folder.Read("damaged.docx");
  const std::size_t at = bytes.find("beta");
  ASSERT_NE(at, std::string::npos);
  bytes[at] = 'z';
  folder.Write("damaged.docx", bytes);

  struct Row {
    const char* name;
    std::vector<std::string> options;
    const char* answer;
    const char* out;
  };
  const Row rows[] = {
      {"--yes scans it anyway",
       {"--yes"},
       "  -> Yes\n",
       "type: 1\nutf8: yes\nwords: 2\nalpha 1 255\nzeta 1 255\n"},
      {"without it the file is passed over", {}, "  -> No\n", "type: 1\nutf8: yes\nwords: 0\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> args = row.options;
    args.push_back(file.string());
    const Outcome outcome = Inspect(args);
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_EQ(outcome.out, row.out);
    EXPECT_EQ(outcome.err, "Invalid checksum found when processing\n" + file.string() +
                               "\n\nDo you wish to scan this file anyway?\n" + row.answer);
    EXPECT_TRUE(test::SortedNames(temp.Path()).empty());
  }
}

TEST(InspectCommand, MissingFileFolderOrBadUsageFailWithTheirStatus) {
  TempFolder folder;
  const std::string missing = (folder.Path() / "gone.txt").string();
  struct Row {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string errorPart;
  };
  const Row rows[] = {
      {"missing file", {missing}, kExitFailed, missing + ": no such file"},
      {"a folder", {folder.Path().string()}, kExitFailed, "is a folder"},
      {"no file", {}, kExitUsage, "FILE is needed\nUsage: quor inspect"},
      {"only options", {"--yes"}, kExitUsage, "FILE is needed"},
      {"two files", {"a.txt", "b.txt"}, kExitUsage, "one FILE only"},
      {"unknown option", {"--verbose", "a.txt"}, kExitUsage, "unknown option '--verbose'"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Outcome outcome = Inspect(row.args);
    EXPECT_EQ(outcome.status, row.status);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find(row.errorPart), std::string::npos) << outcome.err;
  }
}

}  // namespace
}  // namespace quor::app
