// `quor index` as a script runs it: exit status, files, stdout and stderr.
#include "app/cli_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "app/cli_messages.h"
#include "app/quor_child.h"
#include "common/encoding.h"
#include "common/files.h"
#include "support/cli_runner.h"
#include "support/goldens.h"
#include "support/temp_folder.h"
#include "windows/index_settings.h"

namespace quor::app {
namespace {

class IndexCommandTest : public ::testing::Test {
 protected:
  IndexCommandTest() {
    tmp.Write("top/a.txt", "Cats and dogs, cats");
    tmp.Write("top/sub/b.htm", "<b>Dogs</b>");
    std::filesystem::create_directories(tmp.Path() / "out");
  }

  // The project's options followed by extra.
  std::vector<std::string> Args(const std::vector<std::string>& extra) const {
    std::vector<std::string> args = {"--project",
                                     "proj",
                                     "--title",
                                     "My docs",
                                     "--top",
                                     (tmp.Path() / "top").string(),
                                     "--output",
                                     (tmp.Path() / "out").string(),
                                     "--all-subfolders",
                                     "--min-size",
                                     "0"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }

  int Run(const std::vector<std::string>& extra) {
    const std::vector<std::string> args = Args(extra);
    const test::CliOutcome outcome = test::RunCliCommand(IndexCommand(), args);
    out = outcome.out;
    err = outcome.err;
    return outcome.status;
  }

  std::u16string Out(const char* name) const {
    return Utf8ToText((tmp.Path() / "out" / name).string());
  }

  test::TempFolder tmp;
  test::ScopedEnv dataHome{"XDG_DATA_HOME", tmp.Path() / "data"};  // the run's settings folder
  std::string out;                                                 // of the last Run
  std::string err;
};

TEST_F(IndexCommandTest, BuildsTheIndexAndReportsTotalsAndResult) {
  ASSERT_EQ(Run({}), kExitOk) << err;
  EXPECT_EQ(out,
            "Files to be indexed: 2\nTotal file size: 30 bytes\nTotal text size: 30 bytes\n"
            "Different words: 3\nData extraction completed.   Index file is proj_index.quor.\n");
  EXPECT_NE(err.find("Indexing file 1 of 2"), std::string::npos);

  // The data file ends in the stamp of the index text's length.
  EXPECT_EQ(ReadWholeFile(Out("proj_data.quor")), test::Golden("two_files_data.bin"));
}

TEST_F(IndexCommandTest, ExistingIndexIsOverwrittenOnlyWithYes) {
  ASSERT_EQ(Run({}), kExitOk);
  EXPECT_EQ(Run({}), kExitFailed);
  EXPECT_NE(err.find("exists.  Overwrite this?\n  -> No"), std::string::npos) << err;
  EXPECT_EQ(Run({"--yes"}), kExitOk) << err;
}

TEST_F(IndexCommandTest, RefusedInputFailsWithTheMessageOnStderr) {
  EXPECT_EQ(Run({"--title", "My \"docs\""}), kExitFailed);
  EXPECT_NE(err.find("Create index file: The title cannot contain a double quote"),
            std::string::npos)
      << err;
  EXPECT_FALSE(FileExists(Out("proj_index.quor")));
}

TEST_F(IndexCommandTest, InterruptedOrKilledReindexLeavesThePreviousPairAndNextRunClearsUp) {
  ASSERT_EQ(Run({}), kExitOk) << err;
  const auto index = ReadWholeFile(Out("proj_index.quor"));
  const auto data = ReadWholeFile(Out("proj_data.quor"));
  // Enough files that the indexing pass is still running when the signal
  // arrives.
  std::uint32_t seed = 1;
  for (int file = 0; file < 1000; ++file) {
    std::string text;
    for (int word = 0; word < 300; ++word) {
      seed = seed * 1103515245u + 12345u;
      // Appended piece by piece: GCC 12 at -O3 takes "w" + std::string&&
      // for an overlapping copy.
      text += 'w';
      text += std::to_string((seed >> 16) % 3000);
      text += ' ';
    }
    std::string name = "top/many/f";
    name += std::to_string(file);
    name += ".txt";
    tmp.Write(name, text);
  }
  std::vector<std::string> args = Args({"--yes"});
  args.insert(args.begin(), "index");
  const std::vector<std::string> finalNames = {"proj_data.quor", "proj_index.quor"};

  const auto indexing = [](const test::RunningChild& child) {
    return child.err.find("Indexing file 1 of") != std::string::npos;
  };
  const test::SignalledRun interrupted = test::RunQuorAndSignal(args, indexing, SIGINT);
  EXPECT_EQ(interrupted.status, kExitInterrupted) << interrupted.err;
  EXPECT_NE(interrupted.err.find("Interrupted: stopping ..."), std::string::npos)
      << interrupted.err;
  EXPECT_EQ(test::SortedNames(tmp.Path() / "out"), finalNames);
  EXPECT_EQ(ReadWholeFile(Out("proj_index.quor")), index);
  EXPECT_EQ(ReadWholeFile(Out("proj_data.quor")), data);

  EXPECT_EQ(test::RunQuorAndSignal(args, indexing, SIGKILL).killedBy, SIGKILL);
  // Only the killed run's temporary files beside the untouched pair.
  EXPECT_GT(test::SortedNames(tmp.Path() / "out").size(), 2u);
  EXPECT_EQ(ReadWholeFile(Out("proj_index.quor")), index);
  EXPECT_EQ(ReadWholeFile(Out("proj_data.quor")), data);

  ASSERT_EQ(Run({"--yes"}), kExitOk) << err;
  EXPECT_EQ(test::SortedNames(tmp.Path() / "out"), finalNames);
  EXPECT_NE(ReadWholeFile(Out("proj_index.quor")), index);
}

TEST_F(IndexCommandTest, PassedOverEntriesAreOneLineEachOnStderrAndTheRestIsIndexed) {
  tmp.Write("top/q\"uote.txt", "quoted words");
  tmp.Write("top/sub/bad\xfe.txt", "more words");
  ASSERT_EQ(Run({}), kExitOk) << err;
  const std::string prefix =
      "Passed over (name cannot be stored in the index): " + (tmp.Path() / "top").string() + "/";
  EXPECT_NE(err.find(prefix + "q\"uote.txt\n"), std::string::npos) << err;
  EXPECT_NE(err.find(prefix + "sub/bad\xfe.txt\n"), std::string::npos) << err;
  EXPECT_EQ(ReadWholeFile(Out("proj_data.quor")), test::Golden("two_files_data.bin"));
}

TEST_F(IndexCommandTest, BadUsageNamesTheOptionAndExitsWithTwo) {
  // The project's options with one of them left out or given a value.
  const auto changed = [this](const std::string& name, std::optional<std::string> value) {
    std::vector<std::string> args = Args({});
    const auto at = std::find(args.begin(), args.end(), name);
    if (value) {
      at[1] = *value;
    } else {
      args.erase(at, at + 2);
    }
    return args;
  };
  IndexSettings settings;
  settings.topFolder = Utf8ToText((tmp.Path() / "top").string());
  const std::string file = (tmp.Path() / "p.usri").string();
  ASSERT_TRUE(WriteWholeFile(Utf8ToText(file), WriteIndexSettings(settings)));
  std::vector<std::string> fromSettings = changed("--project", std::nullopt);
  fromSettings.insert(fromSettings.end(), {"--settings", file});

  struct Row {
    const char* name;
    std::vector<std::string> args;
    std::string problem;
  };
  const Row rows[] = {
      {"unknown option", Args({"--no-such-option"}), "unknown option '--no-such-option'"},
      {"nothing", {}, "--project NAME (or --settings FILE.usri) is needed"},
      {"no title", changed("--title", std::nullopt),
       "--title TEXT (or --settings FILE.usri) is needed"},
      {"empty project", changed("--project", ""), "--project must not be empty"},
      {"blank title", changed("--title", "  "), "--title TEXT must not be blank"},
      {"settings without a project", fromSettings,
       "--project NAME is needed: neither the options nor the settings file give it"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const test::CliOutcome outcome = test::RunCliCommand(IndexCommand(), row.args);
    EXPECT_EQ(outcome.status, kExitUsage);
    EXPECT_EQ(outcome.err.rfind("quor index: " + row.problem + "\nUsage: quor index ", 0), 0u)
        << outcome.err;
    EXPECT_EQ(outcome.out, "");
  }
  EXPECT_FALSE(FileExists(Out("proj_index.quor")));
}

}  // namespace
}  // namespace quor::app
