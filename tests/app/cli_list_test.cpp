#include "app/cli_list.h"

#include <gtest/gtest.h>

#include "common/encoding.h"
#include "common/files.h"
#include "support/cli_runner.h"
#include "support/temp_folder.h"
#include "windows/index_settings.h"

namespace quor::app {
namespace {

class ListCommandTest : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> args) {
    const test::CliOutcome outcome = test::RunCliCommand(ListCommand(), args);
    out = outcome.out;
    err = outcome.err;
    return outcome.status;
  }
  std::string Top() const { return (tmp.Path() / "top").string(); }
  void Write(const std::string& relative, std::size_t size) {
    std::string text;
    while (text.size() < size) text += "some words\r\n";
    text.resize(size);
    tmp.Write("top/" + relative, text);
  }

  test::TempFolder tmp;
  test::ScopedEnv dataHome{"XDG_DATA_HOME", tmp.Path() / "data"};  // the window's data folder
  std::string out;                                                 // of the last Run
  std::string err;
};

TEST_F(ListCommandTest, PrintsTheAcceptedFilesSortedThenTheClosingText) {
  Write("b.txt", 500);
  Write("A.txt", 400);
  Write("small.txt", 399);
  Write("docs/c.txt", 2048);
  Write("docs/old/d.txt", 500);
  EXPECT_EQ(Run({"--top", Top(), "--include", "docs"}), kExitOk);
  EXPECT_EQ(out,
            "A.txt (400 bytes)\n"
            "b.txt (500 bytes)\n"
            "docs/c.txt (2.00 Kb)\n"
            "\n"
            "That's all 3 of them.  Length of longest filepath is 10.\n"
            "To be indexed: 3 files, total size 2.88 Kb\n");
  EXPECT_NE(err.find("Listed 3 files in "), std::string::npos);

  EXPECT_EQ(Run({"--top", Top(), "--all-subfolders", "--min-size", "0", "--exclude-paths", "old"}),
            kExitOk);
  EXPECT_NE(out.find("That's all 4 of them."), std::string::npos);
  EXPECT_EQ(Run({"--top", Top(), "--all-subfolders", "--exclude-top-files", "--exclude-file",
                 "docs/c.txt"}),
            kExitOk);
  EXPECT_EQ(out.substr(0, out.find('\n')), "docs/old/d.txt (500 bytes)");
}

TEST_F(ListCommandTest, SettingsFileLoadsFirstAndOptionsOverrideIt) {
  Write("a.txt", 500);
  Write("docs/b.txt", 100);
  IndexSettings settings;
  settings.topFolder = Utf8ToText(Top() + "/");
  settings.includedFolders = u"docs";
  settings.minimumFilesize = u"50";
  const std::string file = (tmp.Path() / "p.usri").string();
  ASSERT_TRUE(WriteWholeFile(Utf8ToText(file), WriteIndexSettings(settings)));
  EXPECT_EQ(Run({"--settings", file}), kExitOk);
  EXPECT_NE(out.find("docs/b.txt (100 bytes)"), std::string::npos);
  EXPECT_EQ(Run({"--settings", file, "--min-size", "200"}), kExitOk);
  EXPECT_EQ(out.find("docs/b.txt"), std::string::npos);
  EXPECT_NE(out.find("a.txt (500 bytes)"), std::string::npos);
}

TEST_F(ListCommandTest, BadUsageAndRefusedInputGiveTheirStatus) {
  Write("a.txt", 500);
  struct Row {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string message;
  } rows[] = {
      {"nothing to list", {}, kExitUsage, "--top DIR (or --settings FILE.usri) is needed"},
      {"empty top folder", {"--top", ""}, kExitUsage, "--top must not be empty"},
      {"unknown option", {"--top", Top(), "--frobnicate"}, kExitUsage, "unknown option"},
      {"missing value", {"--top"}, kExitUsage, "--top needs a value"},
      {"size too long", {"--top", Top(), "--max-size", "12345"}, kExitUsage, "four digits"},
      {"size not a number", {"--top", Top(), "--min-size", "1k"}, kExitUsage, "four digits"},
      {"no such top folder", {"--top", Top() + "/nope"}, kExitFailed, "no such folder"},
      {"damaged settings",
       {"--settings", (tmp.Path() / "top" / "a.txt").string()},
       kExitFailed,
       "cannot load"},
      {"full path excluded",
       {"--top", Top(), "--exclude-file", "/etc/passwd"},
       kExitFailed,
       "This entry is a full path"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Run(row.args), row.status);
    EXPECT_NE(err.find(row.message), std::string::npos) << err;
    EXPECT_EQ(out, "");
  }
}

TEST_F(ListCommandTest, IncludedFolderOrExcludedFileThatIsNotThereIsAWarningAndTheRunGoesOn) {
  Write("a.txt", 500);
  Write("docs/b.txt", 500);
  EXPECT_EQ(Run({"--top", Top(), "--include", "nope", "--include", "docs", "--exclude-file",
                 "docs/gone.txt"}),
            kExitOk)
      << err;
  EXPECT_NE(err.find("warning: --include: no such subfolder of the top folder, left out: nope\n"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("warning: --exclude-file: no such file in the top folder: docs/gone.txt\n"),
            std::string::npos)
      << err;
  EXPECT_NE(out.find("That's all 2 of them."), std::string::npos) << out;
  // With only the missing subfolder and the top folder's files left out,
  // nothing is left to list.
  EXPECT_EQ(Run({"--top", Top(), "--include", "nope", "--exclude-top-files"}), kExitFailed);
  EXPECT_NE(err.find("No files are included."), std::string::npos) << err;
}

TEST_F(ListCommandTest, NamesTheIndexCannotHoldArePassedOverOneLineEachOnStderr) {
  Write("a.txt", 500);
  Write("b\"c.txt", 500);
  Write("two\nlines.txt", 500);
  Write("bad\xff.txt", 500);
  Write("q\"d/d.txt", 500);
  Write("z.txt", 500);
  EXPECT_EQ(Run({"--top", Top(), "--all-subfolders"}), kExitOk) << err;
  EXPECT_EQ(out.substr(0, out.find("\n\n")), "a.txt (500 bytes)\nz.txt (500 bytes)");
  const std::string prefix = "Passed over (name cannot be stored in the index): " + Top() + "/";
  for (const std::string& line : {prefix + "b\"c.txt\n", prefix + "bad\xff.txt\n",
                                  prefix + "two\\nlines.txt\n", prefix + "q\"d/\n"}) {
    EXPECT_NE(err.find(line), std::string::npos) << line << " in " << err;
  }
}

}  // namespace
}  // namespace quor::app
