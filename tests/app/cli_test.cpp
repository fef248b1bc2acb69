#include "app/cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/screenshot_windows.h"

namespace quor::app {
namespace {

struct Captured {
  std::ostringstream out;
  std::ostringstream err;
  CliStreams Streams() { return {out, err}; }
};

CommandTable TableWithEcho(std::vector<std::string>* seen) {
  CommandTable table;
  table.Add({"echo", "WORD...\n[--twice]", "prints its words",
             [seen](const std::vector<std::string>& args, CliStreams& io) {
               *seen = args;
               for (const std::string& arg : args) io.out << arg << '\n';
               return args.empty() ? kExitFailed : kExitOk;
             }});
  return table;
}

TEST(CommandLine, NoArgumentsOpenTheLauncherAndAKnownWindowIsPictured) {
  Captured io;
  EXPECT_EQ(Decide({}, CommandTable(), {"frmMain"}, io.Streams()).action,
            CliDecision::Action::Launcher);
  const CliDecision decision = Decide({"--screenshot", "frmMain", "out.png"}, CommandTable(),
                                      ScreenshotWindowNames(), io.Streams());
  EXPECT_EQ(decision.action, CliDecision::Action::Screenshot);
  EXPECT_EQ(decision.window, "frmMain");
  EXPECT_EQ(decision.outputFile, "out.png");
  EXPECT_EQ(io.out.str() + io.err.str(), "");
}

TEST(CommandLine, HelpListsRegisteredCommandsAndScreenshotWindows) {
  std::vector<std::string> seen;
  Captured io;
  const CliDecision decision =
      Decide({"--help"}, TableWithEcho(&seen), {"frmMain", "frmLargeDisplay"}, io.Streams());
  EXPECT_EQ(decision.action, CliDecision::Action::Exit);
  EXPECT_EQ(decision.status, kExitOk);
  const std::string help = io.out.str();
  EXPECT_NE(help.find("quor --screenshot WINDOW OUT.png"), std::string::npos);
  EXPECT_NE(help.find("frmMain frmLargeDisplay"), std::string::npos);
  // Usage lines after the first are indented under the command.
  EXPECT_NE(help.find("  quor echo WORD...\n           [--twice]\n      prints its words\n"),
            std::string::npos);
  EXPECT_TRUE(io.err.str().empty());
}

TEST(CommandLine, KnownCommandRunsWithTheRestOfTheArguments) {
  std::vector<std::string> seen;
  Captured io;
  const CliDecision decision = Decide({"echo", "a", "b c"}, TableWithEcho(&seen), {}, io.Streams());
  EXPECT_EQ(decision.action, CliDecision::Action::Exit);
  EXPECT_EQ(decision.status, kExitOk);
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b c"}));
  EXPECT_EQ(io.out.str(), "a\nb c\n");
  Captured again;
  EXPECT_EQ(Decide({"echo"}, TableWithEcho(&seen), {}, again.Streams()).status, kExitFailed);
}

TEST(CommandLine, BadUsageGoesToStderrWithStatusTwo) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    const char* errorPart;
  };
  const Row rows[] = {
      {"unknown command", {"frobnicate"}, "unknown command 'frobnicate'"},
      {"unknown option", {"--frobnicate"}, "unknown command '--frobnicate'"},
      {"screenshot without file", {"--screenshot", "frmMain"}, "Usage: quor --screenshot"},
      {"screenshot of unknown window", {"--screenshot", "frmNone", "x.png"}, "no window named"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> seen;
    Captured io;
    const CliDecision decision = Decide(row.args, TableWithEcho(&seen), {"frmMain"}, io.Streams());
    EXPECT_EQ(decision.action, CliDecision::Action::Exit);
    EXPECT_EQ(decision.status, kExitUsage);
    EXPECT_NE(io.err.str().find(row.errorPart), std::string::npos) << io.err.str();
    EXPECT_TRUE(io.out.str().empty());
  }
}

TEST(CommandLine, EveryBuiltInCommandDescribesItselfWithHelp) {
  const CommandTable table = BuiltInCommands();
  ASSERT_FALSE(table.Commands().empty());
  for (const CliCommand& command : table.Commands()) {
    SCOPED_TRACE(command.name);
    Captured io;
    const CliDecision decision = Decide({command.name, "--help"}, table, {}, io.Streams());
    EXPECT_EQ(decision.status, kExitOk);
    EXPECT_EQ(io.out.str().rfind("Usage: quor " + command.name + ' ', 0), 0u) << io.out.str();
    EXPECT_NE(io.out.str().find("\nOptions:\n"), std::string::npos);
    EXPECT_EQ(io.err.str(), "");
  }
}

}  // namespace
}  // namespace quor::app
