// `quor index` as a script runs it: exit status, files, stdout and stderr.
#include "app/cli_index.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "app/cli_messages.h"
#include "common/encoding.h"
#include "common/files.h"
#include "support/cli_runner.h"
#include "support/goldens.h"
#include "support/temp_folder.h"

namespace quor::app {
namespace {

class IndexCommandTest : public ::testing::Test {
 protected:
  IndexCommandTest() {
    // The settings folder of the run lives in the test's folder.
    ::setenv("XDG_DATA_HOME", (tmp.Path() / "data").c_str(), 1);
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
  std::string out;  // of the last Run
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

// Runs quor with args as a child process; once its stderr shows waitFor,
// signal is sent. The exit status, or -1 when it did not exit normally.
int RunQuorAndSignal(const std::vector<std::string>& args, const std::string& waitFor, int signal,
                     std::string& err) {
  int errPipe[2];
  if (::pipe(errPipe) != 0) return -1;
  const std::string program = std::string(QUOR_BIN_DIR) + "/quor";
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(errPipe[1], STDERR_FILENO);
    const int devNull = ::open("/dev/null", O_WRONLY);
    ::dup2(devNull, STDOUT_FILENO);
    ::close(errPipe[0]);
    ::close(errPipe[1]);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(errPipe[1]);
  bool sent = false;
  char buffer[4096];
  for (;;) {
    pollfd fd{errPipe[0], POLLIN, 0};
    if (::poll(&fd, 1, 30000) <= 0) break;  // a run that hangs fails the test
    const ssize_t n = ::read(errPipe[0], buffer, sizeof buffer);
    if (n <= 0) break;
    err.append(buffer, static_cast<std::size_t>(n));
    if (!sent && err.find(waitFor) != std::string::npos) {
      ::kill(pid, signal);
      sent = true;
    }
  }
  ::close(errPipe[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

  std::string childErr;
  EXPECT_EQ(RunQuorAndSignal(args, "Indexing file 1 of", SIGINT, childErr), kExitInterrupted)
      << childErr;
  EXPECT_NE(childErr.find("Interrupted: stopping ..."), std::string::npos) << childErr;
  EXPECT_EQ(test::SortedNames(tmp.Path() / "out"), finalNames);
  EXPECT_EQ(ReadWholeFile(Out("proj_index.quor")), index);
  EXPECT_EQ(ReadWholeFile(Out("proj_data.quor")), data);

  childErr.clear();
  EXPECT_EQ(RunQuorAndSignal(args, "Indexing file 1 of", SIGKILL, childErr), -1) << childErr;
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

TEST_F(IndexCommandTest, BadUsageExitsWithTwo) {
  EXPECT_EQ(Run({"--no-such-option"}), kExitUsage);
  EXPECT_EQ(err.rfind("quor index: ", 0), 0u) << err;
  EXPECT_NE(err.find("\nUsage: quor index "), std::string::npos) << err;
  const test::CliOutcome none = test::RunCliCommand(IndexCommand(), {});
  EXPECT_EQ(none.status, kExitUsage);
  EXPECT_EQ(none.err.rfind("quor index: --top DIR (or --settings FILE.usri) is needed\nUsage: ", 0),
            0u)
      << none.err;
}

}  // namespace
}  // namespace quor::app
