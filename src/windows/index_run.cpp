// "Create index file": the click, and the index build presented in the
// window while it runs and when it ends.
#include "windows/index_run.h"

#include <optional>

#include "common/files.h"
#include "common/paths.h"
#include "common/strings.h"
#include "extract/classify.h"
#include "index/index_project.h"
#include "index/index_run_texts.h"
#include "ui/app_context.h"
#include "ui/platform.h"
#include "windows/frm_index_main_texts.h"
#include "windows/index_main_walk_host.h"

namespace quor {

using namespace index_main;

namespace {

constexpr int kTextPaused = 31;
constexpr int kTextCountingFiles = 43;
constexpr int kTextWritingIndex = 47;
constexpr int kTextPleaseWait = 50;

// The window as the build's observer.
class IndexRunView : public IndexBuildObserver {
 public:
  explicit IndexRunView(frmIndexMain& form) : form_(form), app_(form.App()), walkView_(form) {}

  MsgResult MessageBox(const MessageBoxRequest& request) override {
    return walkView_.MessageBox(request);
  }
  void Poll() override { walkView_.Poll(); }
  void WalkStarted() override { walkView_.WalkStarted(); }
  void WalkEnded() override { walkView_.WalkEnded(); }
  void CountingProgress(std::int32_t count) override { walkView_.CountingProgress(count); }
  void Totals(std::int32_t count, double totalFileSize) override {
    walkView_.Totals(count, totalFileSize);
  }
  void PassedOver(const PassedOverEntry& entry) override { walkView_.PassedOver(entry); }
  void CountingDone(std::int32_t /*count*/) override { ShowPleaseWait(); }
  // What the counting pass passed over is shown in one notice once it ends.
  void CountingEnded() override {
    form_.lblNowProcessingFile.caption.clear();
    Poll();
    walkView_.ShowPassedOver(std::u16string(kCreateIndexFile));
  }
  void IndexingStarted(std::int32_t /*fileTotal*/) override {
    form_.cmdExtractData.caption = app_.GetProgramText(kTextRunningCaption);
  }
  void FileStarted(const std::u16string& fullPath, std::int32_t fileNumber,
                   std::int32_t /*fileTotal*/, std::int32_t /*wordCount*/) override {
    form_.lblCurrentFile.caption = ShortenPathForDisplay(fullPath, form_.CurrentFileDisplayLength) +
                                   u" (" + FileSizeText(fullPath) + u")";
    form_.lblNowProcessingFile.caption = u"Now processing file #" + GroupDigits(fileNumber) + u".";
    form_.Refresh();
  }
  void TextSizeChanged(double totalTextSize) override {
    form_.lblTotalTextSize.caption = u"Total text size: " + FormatTotalSize(totalTextSize, 2);
  }
  void WordsSoFar(std::int32_t fileNumber, std::int32_t wordCount) override {
    form_.lblDifferentWordsFoundSoFar.caption =
        u"Different words found so far: " + GroupDigits(wordCount);
    form_.lblAsterisks.caption = AsteriskText(fileNumber, wordCount);
    form_.Refresh();
  }
  void IndexingDone(std::int32_t fileNumber, std::int32_t /*fileTotal*/,
                    std::int32_t wordCount) override {
    WordsSoFar(fileNumber, wordCount);
  }
  void WritingStarted(std::int32_t wordCount) override {
    form_.cmdExtractData.enabled = false;
    // As wide as while a walk runs: the text is longer than the walk's.
    form_.lblNowProcessingFile.geometry.width = kWalkBusyLabelWidth;
    form_.lblNowProcessingFile.caption =
        app_.GetProgramText(kTextWritingIndex) + u": " + GroupDigits(wordCount);
    form_.Refresh();
  }
  void WritingEnded() override { ShowPleaseWait(); }

 private:
  void ShowPleaseWait() {
    form_.cmdExtractData.caption = app_.GetProgramText(kTextPleaseWait);
    form_.lblDifferentWordsFoundSoFar.caption.clear();
    form_.Refresh();
  }

  frmIndexMain& form_;
  ui::AppContext& app_;
  IndexMainWalkHost walkView_;
};

}  // namespace

IndexRun::IndexRun() = default;
IndexRun::~IndexRun() = default;

std::unique_ptr<IndexBuild> MakeIndexRun() {
  return std::make_unique<IndexRun>();
}

// ---- the click ----

void IndexRun::Click(frmIndexMain& form) {
  ui::Platform& platform = form.GetPlatform();
  ui::AppContext& app = form.App();
  const std::u16string caption = form.cmdExtractData.caption;
  // While a run is in progress the button pauses it, whatever its caption
  // says at the moment: a click between the passes must not start a second
  // run inside the first.
  if (Running() || caption == app.GetProgramText(kTextRunningCaption)) {
    const ui::MsgResult answer = platform.MsgBox(
        app.GetProgramText(kTextPaused), ui::MsgButtons::OkCancel, ui::MsgIcon::None, u"Paused");
    if (answer == ui::MsgResult::Cancel) form.stopToken.RequestStop();
    return;
  }
  if (form.chkExcludeFilesInTopFolder.Value() == 1 && !form.TopFolderHasSubfolders) {
    platform.MsgBox(std::u16string(kNoFilesIncluded), ui::MsgButtons::Ok, ui::MsgIcon::Exclamation,
                    caption);
    return;
  }
  if (!IsStorableTitle(form.txbTitle.Text())) {
    platform.MsgBox(std::u16string(kTitleQuoteMessage), ui::MsgButtons::Ok,
                    ui::MsgIcon::Exclamation, caption);
    form.txbTitle.SetFocus();
    return;
  }

  const std::u16string outputFolder = Trim(form.txbOutputFolder.Text());
  const std::u16string project = Trim(form.txbProjectName.Text());
  if (!outputFolder.empty() && !project.empty()) {
    form.IndexFilePath = IndexFilePathFor(outputFolder, project);
    if (FileExists(form.IndexFilePath)) {
      const ui::MsgResult answer =
          platform.MsgBox(OverwriteQuestion(form.IndexFilePath), ui::MsgButtons::YesNo,
                          ui::MsgIcon::Question, std::u16string(kCreateIndexFile));
      if (answer != ui::MsgResult::Yes) return;
    }
  }

  form.IndexCreated = false;
  form.cmdListFiles[1].visible = false;
  form.walk.ListOnly = false;
  ran_ = false;
  form.BuildIndex();

  if (ran_ && form.walk.IndexFileCount > form.walk.MaxFilesToIndex) {
    form.lblNowProcessingFile.caption =
        u"Stopped at " + ToText(form.walk.MaxFilesToIndex) + u" files.";
    platform.MsgBox(TooManyFilesMessage(form.walk.MaxFilesToIndex), ui::MsgButtons::Ok,
                    ui::MsgIcon::Exclamation, form.cmdExtractData.caption);
  }
}

// ---- the run ----

void IndexRun::Run(frmIndexMain& form) {
  form_ = &form;
  ran_ = true;
  ui::Platform& platform = form.GetPlatform();
  ui::AppContext& app = form.App();
  const double startSeconds = platform.SecondsSinceMidnight();
  form.cmdExtractData.caption = app.GetProgramText(kTextRunningCaption);
  form.lblNowProcessingFile.caption = app.GetProgramText(kTextCountingFiles) + u" ...";
  form.Refresh();

  IndexBuildRequest request;
  request.projectName = Trim(form.txbProjectName.Text());
  request.title = Trim(form.txbTitle.Text());
  request.outputFolder = Trim(form.txbOutputFolder.Text());
  request.rules = form.walk.rules;
  request.commonWords = form.commonWords;
  request.texts = &app.texts;
  request.tempFolder = platform.TempFolder();
  request.maxFilesToIndex = form.walk.MaxFilesToIndex;
  request.freeSpace = [&platform](std::u16string_view folder) -> std::optional<std::uint64_t> {
    const std::optional<std::int64_t> free = platform.DiskFreeSpace(std::u16string(folder));
    if (!free || *free < 0) return std::nullopt;
    return static_cast<std::uint64_t>(*free);
  };
  IndexRunView view(form);
  LastResult = engine.Run(request, view, form.stopToken);
  ShowResult(form, startSeconds);
  form_ = nullptr;
}

void IndexRun::ShowResult(frmIndexMain& form, double startSeconds) {
  const IndexBuildResult& result = LastResult;
  // The window keeps the run's file list for "List files which were indexed".
  form.walk.IndexFileList = result.fileList;
  form.walk.IndexFileCount = result.fileCount;
  form.walk.TotalFileSize = result.totalFileSize;
  form.walk.IndexingPass = false;
  if (form.App().ModuleClosed) {
    // The window is gone: the run was abandoned silently.
    if (result.end != IndexBuildEnd::kFinished) form.SetControlsEnabled(true);
    return;
  }
  switch (result.end) {
    case IndexBuildEnd::kLimitReached:
      form.SetControlsEnabled(true);
      return;
    case IndexBuildEnd::kNoFiles:
      form.ShowNoFilesMessage(form.cmdExtractData.caption);
      [[fallthrough]];
    case IndexBuildEnd::kCountingStopped:
      form.SetControlsEnabled(true);
      form.FocusFirstEmptyField();
      return;
    case IndexBuildEnd::kFinished:
      break;
  }

  form.IndexFilePath = result.indexFilePath;
  form.IndexCreated = result.indexCreated;
  // What the passes showed while they ran ("Now processing file #2.",
  // "Writing the index ...") is over; an index made keeps its word count.
  form.lblNowProcessingFile.caption.clear();
  form.lblNowProcessingFile.geometry.width = kWalkIdleLabelWidth;
  if (form.IndexCreated) {
    form.lblNowProcessingFile.caption = u"Different words: " + GroupDigits(result.wordCount);
  }
  if (result.resultText != kResultCompressionError) form.lblAsterisks.caption.clear();
  std::u16string text = result.resultText;
  form.cmdListFiles[1].visible = form.IndexCreated;
  if (form.IndexCreated) {
    text += u"   Index file is " + Trim(form.txbProjectName.Text()) + u"_index.quor.";
  }
  const double elapsed = ElapsedSeconds(startSeconds, form.GetPlatform().SecondsSinceMidnight());
  form.lblCurrentFile.caption = text + u"  " + RunTimeText(elapsed);
  form.SetControlsEnabled(true);
  if (form.IndexCreated) {
    form.cmdListFiles[1].SetFocus();
  } else {
    form.cmdExtractData.SetFocus();
  }
}

}  // namespace quor
