// quor files on an index written by quor index.
#include "app/cli_files.h"

#include <gtest/gtest.h>

#include "app/cli_index.h"
#include "support/cli_runner.h"
#include "support/temp_folder.h"

namespace quor::app {
namespace {

class FilesCommandTest : public ::testing::Test {
 protected:
  std::string Index() const { return (tmp.Path() / "out" / "p_index.quor").string(); }
  void BuildIndex() {
    for (const char* file : {"top/b.txt", "top/A.txt", "top/sub/c.txt"}) {
      tmp.Write(file, "some words of a text\r\n");
    }
    std::filesystem::create_directories(tmp.Path() / "out");
    const test::CliOutcome built = test::RunCliCommand(
        IndexCommand(),
        {"--project", "p", "--title", "T", "--top", (tmp.Path() / "top").string(), "--output",
         (tmp.Path() / "out").string(), "--all-subfolders", "--min-size", "1", "--yes"});
    ASSERT_EQ(built.status, kExitOk) << built.err;
  }

  test::TempFolder tmp;
  test::ScopedEnv dataHome{"XDG_DATA_HOME", tmp.Path() / "data"};
};

constexpr const char* kNote =
    "The file(path)s given below are relative to the top folder at the time the index file was "
    "created.  Be sure to set the top folder to the one currently containing the files to be "
    "searched.\n";

TEST_F(FilesCommandTest, ListsAlphabeticallyOrByFolder) {
  BuildIndex();
  const test::CliOutcome alphabetical = test::RunCliCommand(FilesCommand(), {"--index", Index()});
  EXPECT_EQ(alphabetical.status, kExitOk) << alphabetical.err;
  EXPECT_EQ(alphabetical.out, std::string("Alphabetical listing of the filepaths of the 3 indexed "
                                          "files\n") +
                                  kNote + "\nA.txt\nb.txt\nsub/c.txt\n\nThat's all.\n");
  const test::CliOutcome byFolder =
      test::RunCliCommand(FilesCommand(), {"--index", Index(), "--by-folder"});
  EXPECT_EQ(byFolder.status, kExitOk);
  EXPECT_NE(byFolder.out.find("txt\n\nsub/c.txt\n\nThat's all.\n"), std::string::npos)
      << byFolder.out;
  EXPECT_TRUE(byFolder.out.starts_with("Listing by folder of the filepaths of the 3 indexed"));
}

TEST_F(FilesCommandTest, RefusalsAndBadUsage) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* err;
  } rows[] = {
      {"wrong ending", {"--index", "x.quor"}, kExitFailed, "must end in '_index.quor'"},
      {"missing", {"--index", "/nonexistent/q_index.quor"}, kExitFailed, "does not exist"},
      {"no index", {}, kExitUsage, "--index"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const test::CliOutcome outcome = test::RunCliCommand(FilesCommand(), row.args);
    EXPECT_EQ(outcome.status, row.status);
    EXPECT_NE(outcome.err.find(row.err), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "");
  }
}

}  // namespace
}  // namespace quor::app
