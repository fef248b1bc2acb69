// What a module window asks of the launcher that opened it. The launcher
// lives above the modules (it creates them), so they reach it through this
// interface rather than by name.
#pragma once

namespace quor::ui {

class Launcher {
 public:
  virtual ~Launcher() = default;
  // The module window has unloaded: the launcher shows again, and opens the
  // Search Module at once when the module-switch flag is set.
  virtual void ModuleWindowClosed() = 0;
  // Quit from a module window: sets ModuleClosed and unloads the launcher,
  // which ends the program.
  virtual void EndProgram() = 0;
};

}  // namespace quor::ui
