// The headless commands run as the user starts them, a separate process
// traced by the dynamic loader, and load no library of the GUI toolkit; the
// windows still open through the same command.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/temp_folder.h"

namespace quor::app {
namespace {

namespace fs = std::filesystem;

class QuorProcess : public ::testing::Test {
 protected:
  QuorProcess() {
    tmp.Write("top/one.txt", "a line of words\r\n");
    tmp.Write("top/docs/two.txt", std::string(600, 'x') + " words\r\n");
    tmp.MakeFolder("out");
    tmp.MakeFolder("scratch");
  }
  // Runs quor with the loader's trace of every library it loads.
  test::CliOutcome Traced(const std::vector<std::string>& args) {
    std::string dataHome = "XDG_DATA_HOME=";
    dataHome += (tmp.Path() / "data").string();
    return test::RunProgram(test::BuiltProgram("quor"), args, {"LD_DEBUG=libs", dataHome},
                            tmp.Path() / "scratch");
  }
  std::string Path(const char* relative) const { return (tmp.Path() / relative).string(); }

  test::TempFolder tmp;
};

TEST_F(QuorProcess, HeadlessCommandsLoadNoGuiToolkitAndNoZipLibraryForPlainText) {
  const std::vector<std::vector<std::string>> commands = {
      {"inspect", Path("top/one.txt")},
      {"list", "--top", Path("top"), "--all-subfolders", "--min-size", "0"},
      {"index", "--project", "p", "--title", "T", "--top", Path("top"), "--output", Path("out"),
       "--all-subfolders", "--min-size", "0", "--yes"},
      {"search", "--index", Path("out/p_index.quor"), "--top", Path("top"), "--report", "html",
       "words"},
      {"--help"},
  };
  for (const auto& args : commands) {
    SCOPED_TRACE(args.front());
    const test::CliOutcome run = Traced(args);
    EXPECT_EQ(run.status, 0) << run.err;
    // The trace is there (the C library is always loaded) ...
    ASSERT_NE(run.err.find("libc.so"), std::string::npos) << run.err;
    // ... and names no library of the toolkit, nor libzip with what it brings.
    EXPECT_EQ(run.err.find("libQt"), std::string::npos);
    EXPECT_EQ(run.err.find("libzip"), std::string::npos);
    EXPECT_EQ(run.err.find("libcrypto"), std::string::npos);
  }
  EXPECT_TRUE(fs::exists(tmp.Path() / "out" / "p_index.quor"));
}

TEST_F(QuorProcess, AFileNameThatIsNotUtf8StillNamesItsFile) {
  const fs::path file = tmp.Write("top/caf\xE9.txt", "caf\xE9 menu\r\n");
  const test::CliOutcome run = Traced({"inspect", file.string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "type: 1\nutf8: no\nwords: 2\ncaf\xC3\xA9 1 255\nmenu 1 255\n");
}

TEST_F(QuorProcess, ScreenshotStillRendersTheWindow) {
  const std::string picture = Path("scratch/launcher.png");
  const test::CliOutcome run =
      test::RunProgram(test::BuiltProgram("quor"), {"--screenshot", "frmMain", picture},
                       {"QT_QPA_PLATFORM=offscreen"}, tmp.Path() / "scratch");
  ASSERT_EQ(run.status, 0) << run.err;
  std::ifstream in(picture, std::ios::binary);
  std::string signature(8, '\0');
  in.read(signature.data(), 8);
  EXPECT_EQ(signature, "\x89PNG\r\n\x1a\n");
}

TEST_F(QuorProcess, WithoutADisplayTheWindowsSaySoInOneLine) {
  const test::CliOutcome run =
      test::RunProgram(test::BuiltProgram("quor"), {},
                       {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}, tmp.Path() / "scratch");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "quor: no display is available for the windows; use the command line (quor --help), "
            "or `make run` for the headless main job\n");
}

TEST_F(QuorProcess, InspectOfANamedPipeReturnsAtOnce) {
  const std::string pipe = Path("scratch/pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const test::CliOutcome run = Traced({"inspect", pipe});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("is not a regular file"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace quor::app
