// How a walk started from the Index Module window shows itself there: the
// progress label, the totals, and in a list-only walk the output window. The
// index build derives from it to receive the files of the indexing pass
// (override IndexFile).
#pragma once

#include <string>

#include "selection/folder_walk.h"

namespace quor {

class frmIndexMain;

class IndexMainWalkHost : public WalkHost {
 public:
  explicit IndexMainWalkHost(frmIndexMain& form) : form_(form) {}

  void WalkStarted() override;
  void WalkEnded() override;
  // "Counting files to be indexed ... 50" in lblNowProcessingFile.
  void ShowCountingProgress(std::int32_t count) override;
  // Program text 45 with the count, and "Total file size: " with the size.
  void ShowTotals(std::int32_t count, double totalFileSize) override;
  // Captions the output window, widens it for the entry, shows it with the
  // first entry and appends the entry; false once the user has closed it.
  bool ListFile(const std::u16string& caption, const std::u16string& entry) override;

 protected:
  frmIndexMain& form_;

 private:
  bool displayShown_ = false;
};

}  // namespace quor
