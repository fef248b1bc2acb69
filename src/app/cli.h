// The command line of `quor`: a table of subcommands that each part of the
// program registers (cli_commands.cpp holds one line per command), the help
// text, and the decision main() acts on: open the launcher, render a window
// to a picture, or run a subcommand headless.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace quor::app {

// Exit statuses of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // refused input or failed operation
inline constexpr int kExitUsage = 2;   // bad usage

struct CliStreams {
  std::ostream& out;  // results and listings
  std::ostream& err;  // messages and progress
};

struct CliCommand {
  std::string name;     // "index"
  std::string usage;    // the arguments after the name; lines after the first are indented
  std::string summary;  // one line for the help text
  // Runs the command with the arguments after its name; returns the exit status.
  std::function<int(const std::vector<std::string>& args, CliStreams& io)> run;
};

class CommandTable {
 public:
  // Adds a command; a second command of the same name replaces the first.
  void Add(CliCommand command);
  const CliCommand* Find(std::string_view name) const;
  const std::vector<CliCommand>& Commands() const { return commands_; }

 private:
  std::vector<CliCommand> commands_;
};

// Every subcommand of this build.
CommandTable BuiltInCommands();

// `quor --help`: how to start the window, --screenshot with the windows it
// knows, and every command of the table.
std::string HelpText(const CommandTable& table, const std::vector<std::string>& screenshotWindows);

struct CliDecision {
  enum class Action { Launcher, Screenshot, Exit } action = Action::Exit;
  int status = kExitOk;    // for Exit
  std::string window;      // for Screenshot
  std::string outputFile;  // for Screenshot
};

// What main() does for args (without the program name): no arguments open the
// launcher; --help prints the help; --screenshot WINDOW OUT.png asks for a
// picture; a known command runs here and its status is returned; anything
// else prints the usage on err and exits with kExitUsage.
CliDecision Decide(const std::vector<std::string>& args, const CommandTable& table,
                   const std::vector<std::string>& screenshotWindows, CliStreams io);

}  // namespace quor::app
