// quor-gui: the windows of quor (the launcher without arguments, --screenshot),
// started by the quor command line (main.cpp) when a window is asked for. It
// answers the headless commands too, so it can also be run by itself.
#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli.h"
#include "app/frm_main.h"
#include "app/screenshot_windows.h"
#include "common/encoding.h"
#include "ui/qt/qt_platform.h"
#include "ui/qt/window_image.h"
#include "windows/frm_index_main.h"
#include "windows/frm_search_main.h"

namespace {

using quor::app::frmMain;
using quor::app::LauncherOptions;

// The module windows of this build.
LauncherOptions ModuleWindows() {
  LauncherOptions options;
  options.indexModule = quor::MakeIndexModule;
  options.searchModule = quor::MakeSearchModule;
  return options;
}

// True when a window can be shown: a display server is named, or the caller
// chose a platform plugin.
bool DisplayAvailable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

int RunLauncher(int argc, char** argv) {
  // Without a display the toolkit would abort with its plugin text.
  if (!DisplayAvailable()) {
    std::cerr << "quor: no display is available for the windows; use the command line "
                 "(quor --help), or `make run` for the headless main job\n";
    return quor::app::kExitFailed;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QUOR"));
  // Windows hide rather than close; the launcher ends the program.
  QApplication::setQuitOnLastWindowClosed(false);
  quor::ui::qt::QtPlatform platform;
  LauncherOptions options = ModuleWindows();
  options.endProgram = [](int status) { QCoreApplication::exit(status); };
  frmMain launcher(platform, std::move(options));
  launcher.Load();
  if (launcher.Ended()) return launcher.ExitStatus();
  launcher.Show();
  if (launcher.Ended()) return launcher.ExitStatus();
  return QApplication::exec();
}

int RunScreenshot(int argc, char** argv, const std::string& name, const std::string& outFile) {
  // Off screen unless the caller chose a platform.
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QUOR"));
  quor::ui::qt::QtPlatform::Options platformOptions;
  platformOptions.interactive = false;
  quor::ui::qt::QtPlatform platform(platformOptions);
  frmMain launcher(platform, ModuleWindows());
  launcher.Load();
  if (launcher.Ended()) return launcher.ExitStatus();

  const std::vector<quor::app::ScreenshotWindow> windows = quor::app::ScreenshotWindows();
  const quor::app::ScreenshotWindow* window = quor::app::FindScreenshotWindow(windows, name);
  if (!window) return quor::app::kExitUsage;
  quor::app::ScreenshotStage stage(launcher);
  std::u16string error;
  stage.takePicture = [&](quor::ui::Form& shown) {
    error = quor::ui::qt::SaveWindowImage(platform.Renderer(), shown, quor::Utf8ToText(outFile));
  };
  quor::ui::Form& form = window->show(stage);
  stage.TakePicture(form);
  if (!error.empty()) {
    std::cerr << "quor: " << quor::TextToUtf8(error) << '\n';
    return quor::app::kExitFailed;
  }
  return quor::app::kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const quor::app::CommandTable commands = quor::app::BuiltInCommands();
  const quor::app::CliDecision decision =
      quor::app::Decide(args, commands, quor::app::ScreenshotWindowNames(), {std::cout, std::cerr});
  switch (decision.action) {
    case quor::app::CliDecision::Action::Launcher:
      return RunLauncher(argc, argv);
    case quor::app::CliDecision::Action::Screenshot:
      return RunScreenshot(argc, argv, decision.window, decision.outputFile);
    case quor::app::CliDecision::Action::Exit:
      break;
  }
  return decision.status;
}
