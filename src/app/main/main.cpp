// quor: the command line. The windows are a separate program, quor-gui,
// installed beside this one; `quor` with no arguments and --screenshot
// become that program (exec), so the headless commands never load the GUI
// toolkit and start in a few milliseconds.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli.h"
#include "app/screenshot_windows.h"
#include "common/encoding.h"
#include "ui/system_services.h"

namespace {

constexpr const char* kGuiProgram = "quor-gui";

// Replaces this process by the window program with the same arguments;
// returns only when it cannot be started.
int StartWindows(char** argv) {
  const std::u16string folder = quor::ui::ExecutableFolder();
  const std::string gui =
      (folder.empty() ? std::string(".") : quor::TextToUtf8(folder)) + '/' + kGuiProgram;
  ::execv(gui.c_str(), argv);
  std::cerr << "quor: cannot start the windows (" << gui << "): " << std::strerror(errno) << '\n';
  return quor::app::kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const quor::app::CliDecision decision =
      quor::app::Decide(args, quor::app::BuiltInCommands(), quor::app::ScreenshotWindowNames(),
                        {std::cout, std::cerr});
  switch (decision.action) {
    case quor::app::CliDecision::Action::Launcher:
    case quor::app::CliDecision::Action::Screenshot:
      std::cout.flush();
      return StartWindows(argv);
    case quor::app::CliDecision::Action::Exit:
      break;
  }
  return decision.status;
}
