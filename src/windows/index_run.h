// What "Create index file" does in the Index Module window: the Pause box and
// the start questions, then the index build (index/index_build.h) with the
// window as its observer: the labels, the wandering star, the message boxes
// and the window's events while the build runs, and the result shown when it
// ends.
#pragma once

#include <memory>

#include "index/index_build.h"
#include "windows/frm_index_main.h"

namespace quor {

class IndexRun : public IndexBuild {
 public:
  IndexRun();
  ~IndexRun() override;

  void Click(frmIndexMain& form) override;
  void Run(frmIndexMain& form) override;

  // The build, with its state of the current or last run (walk, Lexicon).
  IndexBuilder engine;
  // The result of the last run (empty resultText before the first one or
  // when it ended in the counting pass).
  IndexBuildResult LastResult;
  bool Running() const { return form_ != nullptr; }

 private:
  // The window after the build: its file list, and the result or why the
  // run ended early.
  void ShowResult(frmIndexMain& form, double startSeconds);

  frmIndexMain* form_ = nullptr;  // set while a run is in progress
  bool ran_ = false;              // the last click got past BuildIndex's checks
};

std::unique_ptr<IndexBuild> MakeIndexRun();

}  // namespace quor
