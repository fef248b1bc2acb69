// The Platform of the command line: messages go to stderr, questions are
// answered by the command line's policy (--yes), there are no dialogs, and
// Ctrl-C takes the Stop path of whatever operation is running.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "ui/platform.h"

namespace quor::ui {

class ConsolePlatform : public Platform {
 public:
  struct Options {
    // Yes/No questions are answered Yes (otherwise No).
    bool assumeYes = false;
  };
  // Messages are written to err (std::cerr by default).
  explicit ConsolePlatform(Options options);
  ConsolePlatform(Options options, std::ostream& err);

  // Routes SIGINT to this platform (forgetting an earlier Ctrl-C): the first
  // Ctrl-C sets a flag that the next DoEvents turns into one call of
  // onInterrupt; a second Ctrl-C ends the process as usual.
  void InstallInterruptHandler();
  // Runs once, from DoEvents, after Ctrl-C (the CLI points it at the running
  // operation's Stop path).
  std::function<void()> onInterrupt;
  // True once Ctrl-C was seen.
  bool Interrupted() const;

  // The answer a box gets under the policy.
  static MsgResult PolicyAnswer(MsgButtons buttons, bool assumeYes);

  // Screen size reported to windows that size themselves by it, twips.
  int screenWidthTwips = 1920 * 15;
  int screenHeightTwips = 1080 * 15;

  MsgResult MessageBox(const MessageBoxRequest& request) override;
  std::vector<std::u16string> ShowOpenDialog(const FileDialogRequest& request) override;
  std::u16string ShowSaveDialog(const FileDialogRequest& request) override;
  std::u16string BrowseForFolder(const Form* owner, const std::u16string& prompt) override;
  void DoEvents() override;
  // There is no screen: forms shown modally are dismissed at once.
  void ShowForm(Form& form, bool modal) override;
  void HideForm(Form& form) override;
  void Refresh(Form& form) override;
  void SetClipboardText(const std::u16string& text) override { clipboard_ = text; }
  std::u16string ClipboardText() override { return clipboard_; }
  void ClearClipboard() override { clipboard_.clear(); }
  int ScreenWidth() const override { return screenWidthTwips; }
  int ScreenHeight() const override { return screenHeightTwips; }
  // Prints the address on stderr for the user to open and reports success.
  int OpenInBrowser(const std::u16string& address) override;
  std::chrono::system_clock::time_point Now() const override;
  std::optional<std::int64_t> DiskFreeSpace(const std::u16string& path) const override;
  bool IsReadOnlyFileSystem(const std::u16string& path) const override;
  std::u16string AppDataFolder() const override { return appDataFolder_; }
  std::u16string ProgramFolder() const override { return programFolder_; }
  std::u16string TempFolder() const override { return tempFolder_; }

 private:
  Options options_;
  std::ostream& err_;
  std::u16string clipboard_;
  std::u16string appDataFolder_;
  std::u16string programFolder_;
  std::u16string tempFolder_;
  bool interruptHandled_ = false;
};

}  // namespace quor::ui
