// The process-wide values the launcher keeps and every window shares: the
// platform, the program texts, the flags that stop long loops, the values
// handed from one module to the other, and the two shared output windows.
// One AppContext lives for the whole program; windows hold a reference to it.
#pragma once

#include <memory>
#include <string>

#include "extract/program_texts.h"
#include "ui/controls.h"

namespace quor::ui {

class Platform;
class frmLargeDisplay;
class frmPopUp;

class AppContext {
 public:
  AppContext(Platform& platform, ProgramTexts texts);
  ~AppContext();
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  Platform& platform;
  ProgramTexts texts;

  std::u16string GetProgramText(int number) const { return texts.Get(number); }

  // A module window was left or the program is quitting: running walks and
  // index runs are abandoned silently.
  bool ModuleClosed = false;
  // Set by the Index Module when it hands over to the Search Module.
  bool ModuleSwitch = false;
  std::u16string HandedOverTopFolder;

  // Major version, ".", minor version and "7".
  std::u16string VersionText = u"9.67";
  // Background of every window: red DC, green C0, blue EE.
  Colour WindowColour = 15646940;
  // The launcher's caption, which module windows build theirs on.
  std::u16string LauncherCaption;

  // The shared output windows, created on first use.
  frmLargeDisplay& LargeDisplay();
  frmPopUp& PopUp();

 private:
  std::unique_ptr<frmLargeDisplay> largeDisplay_;
  std::unique_ptr<frmPopUp> popUp_;
};

}  // namespace quor::ui
