// The large output window: a scrolling, read-only text window for long
// listings and text reports. It takes text line by line while a long
// operation runs, stops growing at a fixed capacity (with a notice), lets the
// user pause the operation that feeds it, and copies its text to the
// clipboard. One shared instance (AppContext::LargeDisplay); its text stays
// until the next Clear.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/controls.h"
#include "ui/form.h"

namespace quor::ui {

class AppContext;

class frmLargeDisplay : public Form {
 public:
  // The text never takes more than this before the buffer-full notice.
  static constexpr int kCapacity = 61440;
  // How much of the text the notice replaces.
  static constexpr int kNoticeRoom = 512;

  explicit frmLargeDisplay(AppContext& app);

  TextBox txbOutput{*this, "txbOutput"};
  CommandButton cmdCopyToClipboard{*this, "cmdCopyToClipboard"};
  CommandButton cmdClose{*this, "cmdClose"};

  // Set by a caller while it feeds the window.
  bool Busy = false;
  // Set while the user has paused the feeding operation (Pause pressed).
  bool Paused = false;
  // Set at the first activation.
  bool Activated = false;
  // Shown when the text outgrows the capacity, and the text after it.
  std::u16string BufferFullMessage = u"BUFFER FULL";
  std::u16string ContinuationMessage;

  // True once the text has exceeded the capacity; false again when it is
  // empty.
  bool BufferFull() const { return bufferFull_; }
  // True once the buffer-full notice has been appended.
  bool FullMessageShown() const { return fullMessageShown_; }

  // Widens the window, up to screenFraction of the screen width, when the
  // longest line of text (counted up to charCount characters; longer lines
  // wrap) needs more room than the text box gives. Never narrows it. Returns
  // true when the window was widened.
  bool WidenDisplayIfNeeded(std::u16string_view text, int charCount, double screenFraction);
  // Caption and width of the copy button to suit the selection; a Pause or
  // Continue caption is kept.
  void SetCopyToClipboardButton();
  // Scroll to the first / last line.
  void ShowBeginning();
  void ShowEnd();
  // Empties the text (and clears the buffer-full state).
  void Clear();
  // Appends text and lineBreaks times CR LF; with scrollToEnd the caret goes
  // to the end and the window repaints. Once the text has exceeded the
  // capacity, its last kNoticeRoom characters give way to the buffer-full
  // notice and every later output is dropped.
  void Output(std::u16string_view text, int lineBreaks = 1, bool scrollToEnd = true);
  // Shows list[first..last] one per line (indexes clamped to the list), with
  // an empty line before each entry whose folder differs from the previous
  // one's when groupByFolder is set. Entries that would take the text past the
  // capacity are left out for the buffer-full message; the closing text
  // follows only when every entry was shown.
  void DisplayArray(const std::vector<std::u16string>& list, int first, int last,
                    std::u16string_view closingText, bool groupByFolder);

  // Event handlers.
  void cmdCopyToClipboard_Click();
  void cmdClose_Click();
  void txbOutput_KeyPress(char16_t& keyAscii);
  void txbOutput_SelChange();
  void Form_Activate() override;
  void Form_Resize() override;
  bool Form_QueryUnload() override;

 private:
  bool IsPauseCaption(const std::u16string& caption) const;
  bool IsContinueCaption(const std::u16string& caption) const;
  void UpdateCopyButton(bool moveFocus);
  void CopySelectionOrAll();
  void EndPause();
  void CaretToEnd();
  void LayoutControls();

  AppContext& app_;
  bool bufferFull_ = false;
  bool fullMessageShown_ = false;
  // The copy button's width for its caption; a narrow window may give less.
  int copyButtonWidth_ = 2500;
};

}  // namespace quor::ui
