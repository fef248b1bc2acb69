// The Platform of the desktop: Qt message boxes and file dialogs, the folder
// browser, throttled event processing, the clipboard, the screen, the shell,
// and the windows of every form through the renderer. Folders, clock and
// drive queries come from the shared system services.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "ui/platform.h"
#include "ui/qt/form_renderer.h"

namespace quor::ui::qt {

class QtPlatform : public Platform {
 public:
  struct Options {
    // DoEvents processes events at most this often; calls in between return
    // at once, so long loops may call it per item.
    std::chrono::milliseconds doEventsInterval{5};
    // Empty: the system's folders.
    std::u16string appDataFolder;
    std::u16string programFolder;
    std::u16string tempFolder;
    // False where nobody can answer (off-screen pictures): message boxes go
    // to stderr and get their default button.
    bool interactive = true;
  };
  // Needs a QApplication that outlives it.
  QtPlatform();
  explicit QtPlatform(Options options);
  ~QtPlatform() override;

  FormRenderer& Renderer() { return renderer_; }

  MsgResult MessageBox(const MessageBoxRequest& request) override;
  std::vector<std::u16string> ShowOpenDialog(const FileDialogRequest& request) override;
  std::u16string ShowSaveDialog(const FileDialogRequest& request) override;
  std::u16string BrowseForFolder(const Form* owner, const std::u16string& prompt,
                                 const std::u16string& startFolder) override;
  void DoEvents() override;
  void WaitForEvents(int maxMs) override;
  void ShowForm(Form& form, bool modal) override;
  void HideForm(Form& form) override;
  void Refresh(Form& form) override;
  void FormDestroyed(Form& form) override;
  void SetClipboardText(const std::u16string& text) override;
  std::u16string ClipboardText() override;
  void ClearClipboard() override;
  int ScreenWidth() const override;
  int ScreenHeight() const override;
  // QDesktopServices::openUrl: 42 on success; 2 when a local file does not
  // exist, 31 when nothing could open the address.
  int OpenInBrowser(const std::u16string& address) override;
  std::chrono::system_clock::time_point Now() const override;
  std::optional<std::int64_t> DiskFreeSpace(const std::u16string& path) const override;
  bool IsReadOnlyFileSystem(const std::u16string& path) const override;
  std::u16string AppDataFolder() const override { return options_.appDataFolder; }
  std::u16string ProgramFolder() const override { return options_.programFolder; }
  std::u16string TempFolder() const override { return options_.tempFolder; }

 private:
  Options options_;
  FormRenderer renderer_;
  std::chrono::steady_clock::time_point lastEvents_{};
};

}  // namespace quor::ui::qt
