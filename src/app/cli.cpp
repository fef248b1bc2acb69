#include "app/cli.h"

#include <algorithm>
#include <ostream>
#include <sstream>

namespace quor::app {

void CommandTable::Add(CliCommand command) {
  auto same = [&](const CliCommand& c) { return c.name == command.name; };
  auto it = std::find_if(commands_.begin(), commands_.end(), same);
  if (it != commands_.end()) {
    *it = std::move(command);
    return;
  }
  commands_.push_back(std::move(command));
}

const CliCommand* CommandTable::Find(std::string_view name) const {
  for (const CliCommand& command : commands_) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

namespace {

void WriteUsageLine(std::ostream& out, const CliCommand& command) {
  std::istringstream lines(command.usage);
  std::string line;
  bool first = true;
  const std::string indent(7 + command.name.size(), ' ');
  while (std::getline(lines, line)) {
    if (first) {
      out << "  quor " << command.name << (line.empty() ? "" : " ") << line << '\n';
      first = false;
    } else {
      out << indent << line << '\n';
    }
  }
  if (first) out << "  quor " << command.name << '\n';
}

std::string ShortUsage(const CommandTable& table) {
  std::ostringstream out;
  out << "Usage: quor                      open the launcher window\n"
      << "       quor --help               describe every command\n"
      << "       quor --screenshot WINDOW OUT.png\n";
  for (const CliCommand& command : table.Commands()) {
    out << "       quor " << command.name << " ...\n";
  }
  return out.str();
}

}  // namespace

std::string HelpText(const CommandTable& table, const std::vector<std::string>& screenshotWindows) {
  std::ostringstream out;
  out << "QUOR - desktop full-text indexer and searcher\n\n"
      << "Usage:\n"
      << "  quor\n"
      << "      Opens the launcher window (needs a display; for a virtual one:\n"
      << "      xvfb-run -a quor).\n"
      << "  quor --help\n"
      << "      Shows this text.\n"
      << "  quor --screenshot WINDOW OUT.png\n"
      << "      Renders a window with sample content off screen and saves it as a\n"
      << "      PNG picture. WINDOW is one of:";
  // The window names wrap at the width of the rest of the text.
  std::size_t column = 39;
  for (std::size_t i = 0; i < screenshotWindows.size(); ++i) {
    const std::string& window = screenshotWindows[i];
    if (column + 1 + window.size() + 1 > 76) {
      out << "\n     ";
      column = 5;
    }
    out << ' ' << window << (i + 1 == screenshotWindows.size() ? "." : "");
    column += 1 + window.size();
  }
  out << '\n';
  for (const CliCommand& command : table.Commands()) {
    WriteUsageLine(out, command);
    out << "      " << command.summary << '\n';
  }
  out << "\nResults and listings go to standard output, messages and progress to\n"
      << "standard error. Exit status: 0 success, 1 refused input or failed\n"
      << "operation, 2 bad usage, 130 after Ctrl-C (once the run has cleaned up).\n"
      << "quor COMMAND --help describes one command.\n";
  return out.str();
}

CliDecision Decide(const std::vector<std::string>& args, const CommandTable& table,
                   const std::vector<std::string>& screenshotWindows, CliStreams io) {
  CliDecision decision;
  if (args.empty()) {
    decision.action = CliDecision::Action::Launcher;
    return decision;
  }
  const std::string& first = args.front();
  if (first == "--help" || first == "-h" || first == "help") {
    io.out << HelpText(table, screenshotWindows);
    decision.status = kExitOk;
    return decision;
  }
  if (first == "--screenshot") {
    const bool known = args.size() == 3 &&
                       std::find(screenshotWindows.begin(), screenshotWindows.end(), args[1]) !=
                           screenshotWindows.end();
    if (!known) {
      if (args.size() == 3) io.err << "quor: no window named '" << args[1] << "'.\n";
      io.err << "Usage: quor --screenshot WINDOW OUT.png  (WINDOW:";
      for (const std::string& window : screenshotWindows) io.err << ' ' << window;
      io.err << ")\n";
      decision.status = kExitUsage;
      return decision;
    }
    decision.action = CliDecision::Action::Screenshot;
    decision.window = args[1];
    decision.outputFile = args[2];
    return decision;
  }
  if (const CliCommand* command = table.Find(first)) {
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    decision.status = command->run(rest, io);
    return decision;
  }
  io.err << "quor: unknown command '" << first << "'.\n" << ShortUsage(table);
  decision.status = kExitUsage;
  return decision;
}

}  // namespace quor::app
