// How a walk started from the Index Module window shows itself there: the
// progress label, the totals, and in a list-only walk the output window.
// Messages become the window's message boxes; Poll lets the window's events
// run and turns a closed window into a stop.
#pragma once

#include <string>
#include <vector>

#include "selection/folder_walk.h"

namespace quor {

class frmIndexMain;

class IndexMainWalkHost : public WalkObserver {
 public:
  explicit IndexMainWalkHost(frmIndexMain& form) : form_(form) {}

  MsgResult MessageBox(const MessageBoxRequest& request) override;
  // The progress label is widened while the walk runs.
  void WalkStarted() override;
  void WalkEnded() override;
  // DoEvents; a window closed meanwhile requests the stop.
  void Poll() override;
  // "Counting files to be indexed ... 50" in lblNowProcessingFile.
  void CountingProgress(std::int32_t count) override;
  // Program text 45 with the count, and "Total file size: " with the size.
  void Totals(std::int32_t count, double totalFileSize) override;
  // Captions the output window, widens it for the entry, shows it with the
  // first entry and appends the entry; false once the user has closed it.
  bool ListFile(const std::u16string& caption, const std::u16string& entry) override;
  // Kept for ShowPassedOver.
  void PassedOver(const PassedOverEntry& entry) override { passedOver_.push_back(entry); }
  // What the walk passed over so far, in one notice titled title ("N files or
  // folders were passed over because ..." and up to ten paths); nothing when
  // nothing was passed over or the window is gone.
  void ShowPassedOver(const std::u16string& title);

 private:
  frmIndexMain& form_;
  bool displayShown_ = false;
  std::vector<PassedOverEntry> passedOver_;
};

}  // namespace quor
