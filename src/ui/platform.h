// Everything a window needs from outside itself: message boxes, dialogs, the
// folder browser, event processing, clipboard, screen, shell, paths, clock and
// drive queries. QtPlatform serves the GUI, ScriptedPlatform the tests (the
// command line talks to the engines, not to windows).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/messages.h"

namespace quor::ui {

class Form;

// The message vocabulary is the engines' (common/messages.h); windows use it
// under these names.
using quor::MessageBoxRequest;
using quor::MsgButtons;
using quor::MsgIcon;
using quor::MsgResult;

struct FileDialogRequest {
  std::u16string title;
  std::u16string filter;         // "Settings file (*.usri) | *.usri"
  std::u16string initialFolder;  // empty: the platform's choice
  std::u16string fileName;       // initial file name
  bool mustExist = false;        // open: file and path must exist
  bool multiSelect = false;
};

// Folders the program uses, each without a trailing separator.
struct PathsProvider {
  virtual ~PathsProvider() = default;
  // Per-user application data ($XDG_DATA_HOME, else ~/.local/share).
  virtual std::u16string AppDataFolder() const = 0;
  // The folder holding the program's data files (quor.dat, cwds.txt).
  virtual std::u16string ProgramFolder() const = 0;
  // The system temporary folder.
  virtual std::u16string TempFolder() const = 0;
};

// Message boxes (MessageSink::MessageBox) are modal and return the button
// pressed.
class Platform : public PathsProvider, public MessageSink {
 public:
  // File dialogs: the chosen path(s); empty on cancel.
  virtual std::vector<std::u16string> ShowOpenDialog(const FileDialogRequest& request) = 0;
  virtual std::u16string ShowSaveDialog(const FileDialogRequest& request) = 0;
  // The folder browser, opened at startFolder (the folder chosen before;
  // empty or missing: the platform's choice): the chosen folder (no trailing
  // separator), or empty.
  virtual std::u16string BrowseForFolder(const Form* owner, const std::u16string& prompt,
                                         const std::u16string& startFolder) = 0;

  // Lets the window system process pending events (clicks on Pause, the close
  // box, timers). Cheap to call often: implementations throttle by time.
  virtual void DoEvents() = 0;
  // A wait loop with nothing to do but wait for the user (a paused listing):
  // processes events, sleeping until one arrives or maxMs pass, so waiting
  // costs no processor time. The default is DoEvents.
  virtual void WaitForEvents(int maxMs) {
    (void)maxMs;
    DoEvents();
  }

  // Windows appear, disappear and change through these; a renderer builds
  // and updates its widgets here. ShowForm with modal set returns when the
  // form is hidden again.
  virtual void ShowForm(Form& form, bool modal) = 0;
  virtual void HideForm(Form& form) = 0;
  // The model changed outside an event handler (e.g. during a long run):
  // bring the form's widgets up to date.
  virtual void Refresh(Form& form) = 0;
  // The form is being destroyed (its controls are gone already): drop
  // everything kept for it without touching it.
  virtual void FormDestroyed(Form& form) { (void)form; }

  virtual void SetClipboardText(const std::u16string& text) = 0;
  virtual std::u16string ClipboardText() = 0;
  virtual void ClearClipboard() = 0;

  // Screen size in twips.
  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;

  // Opens an address or document with its associated program. Results of 33
  // and more mean success; smaller ones are the shell's error codes (2 not
  // found, 8 out of memory, 31 no association).
  virtual int OpenInBrowser(const std::u16string& address) = 0;

  // Local wall-clock time.
  virtual std::chrono::system_clock::time_point Now() const = 0;
  // Seconds since local midnight, as the run-duration rules need.
  double SecondsSinceMidnight() const;

  // Free bytes on the file system holding path; nullopt when unknown.
  virtual std::optional<std::int64_t> DiskFreeSpace(const std::u16string& path) const = 0;
  // True when path lies on a read-only file system.
  virtual bool IsReadOnlyFileSystem(const std::u16string& path) const = 0;
};

}  // namespace quor::ui
