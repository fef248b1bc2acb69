// `quor search` over an index that `quor index` built from a small tree of
// HTML, DOCX, UTF-8, UTF-16 and plain files: exit status, stdout and stderr.
#include "app/cli_search.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>
#include <filesystem>

#include "app/cli_index.h"
#include "app/cli_messages.h"
#include "app/quor_child.h"
#include "support/cli_runner.h"
#include "support/docx_file.h"
#include "support/temp_folder.h"

namespace quor::app {
namespace {

// "step by step" runs across byte 4096 of long.txt.
std::string LongText() {
  std::string text;
  while (text.size() + 7 <= 4090) text += "filler ";
  text.resize(4090, ' ');
  return text + "step by step guide to brown bread\n";
}

class SearchCommandTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tree = new test::TempFolder;
    ::setenv("XDG_DATA_HOME", (tree->Path() / "data").c_str(), 1);
    tree->Write("top/cats.htm",
                "<html><head><title>All About Cats</title>\r\n"
                "<meta name=\"description\" content=\"Cats\"></head>\r\n"
                "<body><p>The black <b>cat</b> sat on the mat.</p></body></html>\r\n");
    tree->Write("top/dogs.html",
                "<html>\n<head>\n<title>Dogs</title>\n</head>\n<body>\n"
                "A brown dog and a black&nbsp;cat.\n</body></html>\n");
    test::WriteDocxFile(
        tree->Path() / "top/letter.docx",
        test::DocxParagraphs({"Dear friend, the quick brown fox", "jumps over the lazy dog."}));
    tree->Write("top/utf8.txt",
                "Caf\xC3\xA9 cr\xC3\xA8me br\xC3\xBBl\xC3\xA9"
                "e and a black cat\r\n");
    tree->Write(
        "top/utf16.txt",
        "\xFF\xFE" + test::Utf16Le(u"Gr\u00FC\u00DFe aus M\u00FCnchen, the lazy fox sleeps"));
    tree->Write("top/long.txt", LongText());
    tree->Write("top/plain.txt", "nothing about animals here\nonly plain words\n");
    tree->Write("top/sub/notes.txt", "black cat\nnotes in a subfolder\n");
    std::filesystem::create_directories(tree->Path() / "out");
    const test::CliOutcome built = test::RunCliCommand(
        IndexCommand(), {"--project", "proj", "--title", "Pets", "--top", Top(), "--output",
                         (tree->Path() / "out").string(), "--all-subfolders", "--min-size", "0"});
    ASSERT_EQ(built.status, kExitOk) << built.err;
  }
  static void TearDownTestSuite() {
    delete tree;
    tree = nullptr;
  }

  static std::string Top() { return (tree->Path() / "top").string(); }
  static std::string Index() { return (tree->Path() / "out" / "proj_index.quor").string(); }

  test::CliOutcome Search(std::vector<std::string> extra) {
    std::vector<std::string> args = {"--index", Index(), "--top", Top()};
    args.insert(args.end(), extra.begin(), extra.end());
    return test::RunCliCommand(SearchCommand(), args);
  }

  static test::TempFolder* tree;
};

test::TempFolder* SearchCommandTest::tree = nullptr;

TEST_F(SearchCommandTest, PathsOnlyForEveryType) {
  struct Row {
    std::vector<std::string> args;
    const char* paths;
    const char* label;
  } rows[] = {
      {{"--type", "any", "cat"},
       "cats.htm\ndogs.html\nutf8.txt\nsub/notes.txt\n",
       "Number of files found with matches:4\n"},
      {{"--type", "phrase", "black", "cat"},
       "cats.htm\ndogs.html\nutf8.txt\nsub/notes.txt\n",
       nullptr},
      {{"--type", "all", "lazy", "fox"}, "letter.docx\nutf16.txt\n", nullptr},
      {{"--type", "phrase", "lazy", "fox"}, "utf16.txt\n", nullptr},
      {{"--type", "phrase", "the", "lazy", "dog"}, "letter.docx\n", nullptr},
      {{"--type", "phrase", "step", "by", "step"}, "long.txt\n", nullptr},
      {{"--type", "phrase", "brown", "dog"}, "dogs.html\n", nullptr},
      {{"--type", "phrase", "quick", "brown", "dog"}, "", "Number of files found with matches:0\n"},
      {{"--type", "any", "Cr\xC3\xA8me"}, "utf8.txt\n", nullptr},
      {{"--type", "any",
        "Gru\"\xC3\x9F"
        "e",
        "m\xC3\xBCnchen"},
       "utf16.txt\n",
       nullptr},
      {{"--type", "any", "bro*"}, "dogs.html\nletter.docx\nlong.txt\n", nullptr},
      {{"--type", "any", "--sort", "cat", "black", "dog"},
       "dogs.html\nutf8.txt\nsub/notes.txt\ncats.htm\nletter.docx\n",
       nullptr},
      {{"--file", "sub/notes.txt", "black", "cat"}, "sub/notes.txt\n", "Found\n"},
      {{"--file", Top() + "/plain.txt", "--type", "any", "cat"}, "", "Not found\n"},
  };
  for (const Row& row : rows) {
    std::string trace;
    for (const std::string& a : row.args) trace += a + " ";
    SCOPED_TRACE(trace);
    std::vector<std::string> args = row.args;
    args.insert(args.begin(), "--paths-only");
    const test::CliOutcome outcome = Search(args);
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_EQ(outcome.out, row.paths);
    if (row.label != nullptr) {
      EXPECT_EQ(outcome.err, row.label);
    }
  }
}

TEST_F(SearchCommandTest, ResultsBoxOnStdout) {
  const test::CliOutcome html = Search({"--type", "phrase", "sat", "on", "the", "mat"});
  EXPECT_EQ(html.status, kExitOk);
  EXPECT_EQ(html.out, Top() + "/cats.htm\nAll About Cats\n\n");
  EXPECT_EQ(html.err, "Number of files found with matches:1\n");
  const test::CliOutcome plain = Search({"--type", "any", "animals"});
  EXPECT_EQ(plain.out,
            Top() + "/plain.txt\n\"nothing about animals here / only plain words / \"\n\n");
  const test::CliOutcome docx = Search({"--type", "any", "friend"});
  EXPECT_EQ(docx.out, Top() + "/letter.docx\n\n");
  const test::CliOutcome none = Search({"--type", "phrase", "cat", "black"});
  EXPECT_EQ(none.out, "No file contains that phrase.\n");
}

TEST_F(SearchCommandTest, RefusalsAndIndexProblemsExitOneWithTheirMessage) {
  const std::string out = (tree->Path() / "out").string();
  struct Row {
    std::vector<std::string> args;
    const char* err;
    std::string index;  // empty: the test's index
    std::string top;    // empty: its top folder
  } rows[] = {
      {{"cat's"},
       "Search: Search words may contain only letters, spaces, and \"*\" at the end of a word.\n",
       "",
       ""},
      {{}, "Invalid input: No words given.\n", "", ""},
      {{"cat*"},
       "Search Module: Stems in search words are permitted only in 'Any word' searches.\n"
       "The search type will now be changed to this type.\n",
       "",
       ""},
      {{"--file", "nope.txt", "cat"}, "This file is not in the index.\n", "", ""},
      {{"cat"},
       "Invalid input: Index file names must end in '_index.quor'.\n",
       out + "/proj_INDEX.QUOR",
       ""},
      {{"cat"},
       "Search: The index file does not exist.\nPerhaps it has not yet been created by the "
       "index module.\n",
       out + "/gone_index.quor",
       ""},
      {{"cat"},
       "Search: No indexed file occurs in the top folder or any subfolder.\n\nThere seems to "
       "be a mismatch between the top folder\nand the index file.\n",
       "",
       out},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.err);
    std::vector<std::string> args = {"--index", row.index.empty() ? Index() : row.index, "--top",
                                     row.top.empty() ? Top() : row.top};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const test::CliOutcome outcome = test::RunCliCommand(SearchCommand(), args);
    EXPECT_EQ(outcome.status, kExitFailed);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, row.err);
  }
}

TEST_F(SearchCommandTest, BadUsageExitsTwo) {
  EXPECT_EQ(Search({"--type", "some", "cat"}).status, kExitUsage);
  EXPECT_EQ(test::RunCliCommand(SearchCommand(), {"--top", Top(), "cat"}).status, kExitUsage);
  EXPECT_EQ(Search({"--report", "html", "--paths-only", "cat"}).status, kExitUsage);
  EXPECT_EQ(Search({"--report", "text", "--extract-size", "0", "cat"}).status, kExitUsage);
}

TEST_F(SearchCommandTest, TextReportOnStdout) {
  const test::CliOutcome outcome = Search({"--report", "text", "--descriptions", "--max-extracts",
                                           " 1 ", "--extract-size", "3", "--type", "any", "black"});
  EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
  EXPECT_EQ(outcome.out,
            "Search word: black\nFiles found: 4\n\n"
            "All About Cats\nDescription: Cats\n" +
                Top() +
                "/cats.htm\n"
                "... About Cats / The black cat sat on the mat. ...\n\n"
                "Dogs\n" +
                Top() +
                "/dogs.html\n... A brown dog and a black cat. ...\n\n"
                "Not HTML or DOCX file\n" +
                Top() +
                "/utf8.txt\n"
                "... cr\xC3\xA8me br\xC3\xBBl\xC3\xA9"
                "e and a black cat/ ...\n\n"
                "Not HTML or DOCX file\n" +
                Top() +
                "/sub/notes.txt\n"
                "... black cat notes in a subfolder ...\n\n"
                "All occurrences are displayed.\nNumber of extracts = 4\n");
  EXPECT_EQ(outcome.err, "Number of files found with matches:4\n");
  // Nothing found: the results box's answer, no report.
  const test::CliOutcome none = Search({"--report", "text", "--type", "phrase", "cat", "black"});
  EXPECT_EQ(none.status, kExitOk);
  EXPECT_EQ(none.out, "No file contains that phrase.\n");
}

TEST_F(SearchCommandTest, HtmlReportInTheDataFolder) {
  const std::filesystem::path report = tree->Path() / "data" / "QUOR" / "quor.htm";
  std::filesystem::remove(report);
  const test::CliOutcome outcome =
      Search({"--report", "html", "--paths", "--type", "phrase", "sat", "on", "the", "mat"});
  EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
  EXPECT_EQ(outcome.out, report.string() + "\n");
  EXPECT_EQ(outcome.err, "Number of files found with matches:1\n");
  const std::string page = tree->Read("data/QUOR/quor.htm");
  EXPECT_NE(page.find("All About Cats"), std::string::npos);
  EXPECT_NE(page.find("<b>sat on the mat</b>"), std::string::npos) << page;
  EXPECT_NE(page.find(Top() + "/cats.htm"), std::string::npos);
}

TEST_F(SearchCommandTest, MaxExtractsRefusedAsInTheWindow) {
  for (const char* box : {"x", "40000", "2.5"}) {
    SCOPED_TRACE(box);
    const test::CliOutcome outcome = Search({"--report", "text", "--max-extracts", box, "cat"});
    EXPECT_EQ(outcome.status, kExitFailed);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err,
              "Report ->: Invalid input for maximum number of extracts.\nEnter the maximum number "
              "of extracts to be displayed\nin the report or leave blank if no limit.\n");
  }
  EXPECT_EQ(Search({"--report", "text", "--max-extracts", "0", "cat"}).err,
            "Report ->: The maximum number of extracts cannot be zero.\n");
}

TEST(SearchCommandInterrupt, CtrlCDuringTheSearchExitsWith130AndPrintsNoResult) {
  test::TempFolder tree;
  ::setenv("XDG_DATA_HOME", (tree.Path() / "data").c_str(), 1);
  // Enough files whose phrase must be confirmed in their text, then
  // reported, that the search is still running when the signal comes.
  std::string text;
  while (text.size() < 4000) text += "filler words of a page ";
  text += "black cat\n";
  for (int file = 0; file < 2000; ++file) {
    tree.Write("top/many/f" + std::to_string(file) + ".txt", text);
  }
  std::filesystem::create_directories(tree.Path() / "out");
  const std::string top = (tree.Path() / "top").string();
  const test::CliOutcome built = test::RunCliCommand(
      IndexCommand(), {"--project", "big", "--title", "Big", "--top", top, "--output",
                       (tree.Path() / "out").string(), "--all-subfolders"});
  ASSERT_EQ(built.status, kExitOk) << built.err;

  const auto catching = [](const test::RunningChild& child) {
    return test::HandlesInterrupt(child.pid);
  };
  const test::SignalledRun run = test::RunQuorAndSignal(
      {"search", "--index", (tree.Path() / "out" / "big_index.quor").string(), "--top", top,
       "--type", "phrase", "--report", "text", "black", "cat"},
      catching, SIGINT);
  ASSERT_TRUE(run.signalled);
  EXPECT_EQ(run.status, kExitInterrupted) << run.err;
  EXPECT_NE(run.err.find("Interrupted: stopping ...\nquor search: stopped\n"), std::string::npos)
      << run.err;
  EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace quor::app
