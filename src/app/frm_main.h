// The launcher window: loads the program texts, keeps the process-wide values
// every window shares (the AppContext), opens the Index and Search Modules and
// shows again when they close, and ends the program.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ui/app_context.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/launcher.h"

namespace quor::app {

// Creates a module window for the program's context; the window reports back
// through the launcher (ModuleWindowClosed in its Form_Unload, EndProgram on
// quit). The launcher keeps the window for the rest of the program.
using ModuleFactory =
    std::function<std::unique_ptr<ui::Form>(ui::AppContext& context, ui::Launcher& launcher)>;

struct LauncherOptions {
  // Empty: the module is not part of this build and its button says so.
  ModuleFactory indexModule;
  ModuleFactory searchModule;
  // Ends the program's event processing with an exit status.
  std::function<void(int status)> endProgram;
};

class frmMain : public ui::Form, public ui::Launcher {
 public:
  // The name the program-text file is formed from: lower-cased, ".dat" added.
  static constexpr std::u16string_view kProgramName = u"QUOR";
  // The program's version: the version text is major, ".", minor and "7".
  static constexpr int kMajorVersion = 9;
  static constexpr int kMinorVersion = 6;
  // Window layout values shared with the module windows, twips.
  static constexpr int kStandardWidth = 5200;
  static constexpr int kStandardHeight = 1000;
  static constexpr int kStandardGap = 1130;
  // How long the help note stays up, and how far below the frame.
  static constexpr int kHelpNoteMs = 3000;
  static constexpr int kHelpNoteGap = 400;

  frmMain(ui::Platform& platform, LauncherOptions options);
  ~frmMain() override;

  ui::Label lblIntro{*this, "lblIntro"};
  ui::Frame Frame1{*this, "Frame1"};
  ui::CommandButton cmdIndexModule{*this, "cmdIndexModule"};
  ui::CommandButton cmdSearchModule{*this, "cmdSearchModule"};
  ui::CommandButton cmdHelp{*this, "cmdHelp"};
  ui::CommandButton cmdQuit{*this, "cmdQuit"};
  ui::Label lblVantrelSystems{*this, "lblVantrelSystems"};
  ui::Label lblVS_URL{*this, "lblVS_URL"};

  // The process-wide values; present once Form_Load has loaded the texts.
  bool HasContext() const { return context_ != nullptr; }
  ui::AppContext& Context() { return *context_; }
  // True once the program has ended (quit, or a failed start); ExitStatus is
  // then its status (1 after a failed program-text load).
  bool Ended() const { return ended_; }
  int ExitStatus() const { return exitStatus_; }
  // The module windows made so far (null until first opened).
  ui::Form* IndexModuleWindow() const { return indexWindow_.get(); }
  ui::Form* SearchModuleWindow() const { return searchWindow_.get(); }
  // The maker's web address (opened by the maker labels).
  std::u16string MakerAddress() const;

  void Form_Load() override;
  void Form_Activate() override;
  void Form_Unload() override;
  void cmdIndexModule_Click();
  void cmdSearchModule_Click();
  void cmdHelp_Click();
  void cmdQuit_Click();
  void lblVantrelSystems_Click();
  void lblVS_URL_Click();

  // ui::Launcher
  void ModuleWindowClosed() override;
  void EndProgram() override;

 private:
  // Loads program folder + fileName; on failure shows the message (critical
  // icon) and ends the program with status 1. Returns true on success.
  bool LoadProgramTexts(const std::u16string& fileName);
  void SetProcessWideValues();
  void LayOut();
  void OpenModule(std::unique_ptr<ui::Form>& window, const ModuleFactory& factory,
                  const std::u16string& moduleName, const ui::CommandButton& button);
  void Finish(int status);

  LauncherOptions options_;
  std::unique_ptr<ui::AppContext> context_;
  // Declared after the context: module windows go before it.
  std::unique_ptr<ui::Form> indexWindow_;
  std::unique_ptr<ui::Form> searchWindow_;
  bool ended_ = false;
  int exitStatus_ = 0;
};

// "9.67" for version 9.6.
std::u16string MakeVersionText(int major, int minor);

}  // namespace quor::app
