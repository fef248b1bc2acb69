// A Platform for tests: records every message box and dialog, answers them
// from a script, and fires scripted user actions from DoEvents, so a test
// drives a window exactly as a user would (click, answer a box, press Pause
// in the middle of a run).
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/platform.h"

namespace quor::test {

class ScriptedPlatform : public ui::Platform {
 public:
  // root: a test's temporary folder; the application data, program and
  // temporary folders are made inside it unless set otherwise. The program
  // folder holds copies of the real program-text and common-word files.
  explicit ScriptedPlatform(std::u16string root);

  // ---- message boxes ----
  struct ShownMessage {
    ui::MessageBoxRequest request;
    ui::MsgResult answer;
  };
  std::vector<ShownMessage> messages;
  // Queues the answer to the next unanswered box. Without a queued answer a
  // box gets its default button (OK, Yes, Abort, Retry).
  void AnswerNext(ui::MsgResult answer) { answers_.push_back(answer); }
  // Runs when a box is shown, before it is answered (e.g. to check state).
  std::function<void(const ui::MessageBoxRequest&)> onMessage;
  // Texts of all boxes shown, in order.
  std::vector<std::u16string> MessageTexts() const;

  // ---- dialogs ----
  std::deque<std::u16string> folderAnswers;  // BrowseForFolder; empty queue: cancel
  std::deque<std::vector<std::u16string>> openAnswers;
  std::deque<std::u16string> saveAnswers;
  std::vector<std::u16string> folderPrompts;
  std::vector<std::u16string> folderStarts;  // BrowseForFolder's start folders
  std::vector<ui::FileDialogRequest> fileDialogs;

  // ---- event processing ----
  // Number of DoEvents calls so far.
  int doEventsCalls = 0;
  // A wait loop that nothing ends would hang the test: past this many calls
  // DoEvents fails the test and throws.
  int doEventsLimit = 1000000;
  // Fires action at the n-th DoEvents call from now (1 = the next one).
  void AtDoEvents(int n, std::function<void()> action);
  // Fires action once, at the first DoEvents call where condition holds.
  void WhenDoEvents(std::function<bool()> condition, std::function<void()> action);
  // What the user does when a form is shown modally; it must hide the form
  // (the default hides it at once).
  std::function<void(ui::Form&)> onModalShow;
  // Modal shows in progress (a scripted action may look at it).
  int modalDepth = 0;
  // Forms shown and hidden, in order ("+frmLargeDisplay", "-frmPopUp").
  std::vector<std::string> formEvents;
  int refreshCalls = 0;

  // ---- clipboard, screen, shell ----
  std::u16string clipboard;
  int screenWidthTwips = 1280 * 15;
  int screenHeightTwips = 1024 * 15;
  std::vector<std::u16string> openedAddresses;
  int openResult = 42;

  // ---- paths, clock, drives ----
  std::u16string appDataFolder;
  std::u16string programFolder;
  std::u16string tempFolder;
  std::chrono::system_clock::time_point now;
  // Advances the clock (a run that passes midnight, a long run).
  void Advance(std::chrono::seconds s) { now += s; }
  // Free space on every path; unset: plenty.
  std::optional<std::int64_t> diskFree;
  std::vector<std::u16string> readOnlyFolders;

  // Platform
  ui::MsgResult MessageBox(const ui::MessageBoxRequest& request) override;
  std::vector<std::u16string> ShowOpenDialog(const ui::FileDialogRequest& request) override;
  std::u16string ShowSaveDialog(const ui::FileDialogRequest& request) override;
  std::u16string BrowseForFolder(const ui::Form* owner, const std::u16string& prompt,
                                 const std::u16string& startFolder) override;
  void DoEvents() override;
  void ShowForm(ui::Form& form, bool modal) override;
  void HideForm(ui::Form& form) override;
  void Refresh(ui::Form& form) override;
  void SetClipboardText(const std::u16string& text) override { clipboard = text; }
  std::u16string ClipboardText() override { return clipboard; }
  void ClearClipboard() override { clipboard.clear(); }
  int ScreenWidth() const override { return screenWidthTwips; }
  int ScreenHeight() const override { return screenHeightTwips; }
  int OpenInBrowser(const std::u16string& address) override;
  std::chrono::system_clock::time_point Now() const override { return now; }
  std::optional<std::int64_t> DiskFreeSpace(const std::u16string& path) const override;
  bool IsReadOnlyFileSystem(const std::u16string& path) const override;
  std::u16string AppDataFolder() const override { return appDataFolder; }
  std::u16string ProgramFolder() const override { return programFolder; }
  std::u16string TempFolder() const override { return tempFolder; }

 private:
  struct Scheduled {
    std::function<bool()> condition;
    std::function<void()> action;
  };
  std::deque<ui::MsgResult> answers_;
  std::vector<Scheduled> scheduled_;
};

}  // namespace quor::test
