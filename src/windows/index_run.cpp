// The index build: the click on "Create index file", both passes and the end
// of a run. The per-file work of the indexing pass is in process_file.cpp.
#include "windows/index_run.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "common/files.h"
#include "common/paths.h"
#include "common/strings.h"
#include "extract/docx.h"
#include "index/index_run_texts.h"
#include "indexfile/compressor.h"
#include "indexfile/index_format.h"
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
constexpr int kTextDataFileError = 48;
constexpr int kTextPleaseWait = 50;

}  // namespace

// The window's walk host, with the files of the indexing pass handed to the
// run and the counting progress reported to its observer.
class IndexRunWalkHost : public IndexMainWalkHost {
 public:
  IndexRunWalkHost(frmIndexMain& form, IndexRun& run) : IndexMainWalkHost(form), run_(run) {}

  void ShowCountingProgress(std::int32_t count) override {
    IndexMainWalkHost::ShowCountingProgress(count);
    run_.ReportProgress(IndexRunProgress::Stage::kCounting);
  }

  bool IndexFile(const std::u16string& fullPath, int typeCode) override {
    run_.ProcessFile(fullPath, typeCode);
    if (form_.App().ModuleClosed || form_.walk.StopRequested) return false;
    if (run_.Lexicon.MaxCountInFile() > 0) {
      const std::u16string error = run_.WriteFileColumn();
      if (!error.empty()) {
        form_.GetPlatform().MsgBox(error, ui::MsgButtons::Ok, ui::MsgIcon::Critical,
                                   form_.App().GetProgramText(kTextDataFileError));
        form_.walk.StopRequested = true;
        return false;
      }
    }
    return true;
  }

 private:
  IndexRun& run_;
};

std::int32_t CompressWithFileCompressor(const std::u16string& source,
                                        const std::u16string& target) {
  FileCompressor compressor;
  // A buffer that cannot be had counts as a failed compression.
  if (!compressor.AllocateCompressionBuffer()) return kCompressNoBuffer;
  const std::int32_t status = compressor.CompressFile(source, target, true);
  compressor.FreeCompressionBuffer();
  return status;
}

std::u16string CompressionTargetPath(std::u16string_view indexFilePath) {
  const std::size_t keep = indexFilePath.size() >= 3 ? indexFilePath.size() - 3 : 0;
  return std::u16string(indexFilePath.substr(0, keep)) + u"dwixc";
}

IndexRun::IndexRun() = default;

IndexRun::~IndexRun() {
  if (dataFd_ >= 0) ::close(dataFd_);
}

std::unique_ptr<IndexBuild> MakeIndexRun() {
  return std::make_unique<IndexRun>();
}

bool IndexRun::Ended() const {
  return form_ == nullptr || form_->App().ModuleClosed || form_->walk.StopRequested;
}

void IndexRun::ReportProgress(IndexRunProgress::Stage stage, bool final) {
  if (!onProgress || form_ == nullptr) return;
  IndexRunProgress progress;
  progress.stage = stage;
  progress.filesCounted = form_->walk.IndexFileCount;
  progress.fileNumber = CurrentFileNumber;
  progress.fileTotal = RowLength;
  progress.wordCount = Lexicon.WordCount();
  progress.final = final;
  onProgress(progress);
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
    if (answer == ui::MsgResult::Cancel) form.walk.StopRequested = true;
    return;
  }
  if (form.chkExcludeFilesInTopFolder.Value() == 1 && !form.TopFolderHasSubfolders) {
    platform.MsgBox(std::u16string(kNoFilesIncluded), ui::MsgButtons::Ok, ui::MsgIcon::Exclamation,
                    caption);
    return;
  }
  // The title is stored as one quoted field of the index text, which cannot
  // hold a double quote.
  if (form.txbTitle.Text().find(u'"') != std::u16string::npos) {
    platform.MsgBox(u"The title cannot contain a double quote (\").  Please change the title.",
                    ui::MsgButtons::Ok, ui::MsgIcon::Exclamation, caption);
    form.txbTitle.SetFocus();
    return;
  }

  const std::u16string outputFolder = Trim(form.txbOutputFolder.Text());
  const std::u16string project = Trim(form.txbProjectName.Text());
  if (!outputFolder.empty() && !project.empty()) {
    form.IndexFilePath =
        EnsureTrailingBackslash(outputFolder) + project + std::u16string(kIndexFileSuffix);
    if (FileExists(form.IndexFilePath)) {
      const ui::MsgResult answer = platform.MsgBox(
          u"An index file " + form.IndexFilePath + u" exists.  Overwrite this?",
          ui::MsgButtons::YesNo, ui::MsgIcon::Question, std::u16string(kCreateIndexFile));
      if (answer != ui::MsgResult::Yes) return;
    }
  }

  form.IndexCreated = false;
  form.cmdListFiles[1].visible = false;
  form.walk.ListOnly = false;
  ran_ = false;
  form.BuildIndex();

  if (ran_ && form.walk.IndexFileCount > form.walk.MaxFilesToIndex) {
    const std::u16string limit = ToText(form.walk.MaxFilesToIndex);
    form.lblNowProcessingFile.caption = u"Stopped at " + limit + u" files.";
    platform.MsgBox(u"Too many files!  No more than " + limit + u" files can be indexed.",
                    ui::MsgButtons::Ok, ui::MsgIcon::Exclamation, form.cmdExtractData.caption);
    // The walk ended the pass the way a module close does; the window is
    // still there, so later loops must not see the flag.
    if (form.FormLoaded) app.ModuleClosed = false;
  }
}

// ---- the run ----

void IndexRun::Run(frmIndexMain& form) {
  form_ = &form;
  ran_ = true;
  ResultText.clear();
  const double startSeconds = form.GetPlatform().SecondsSinceMidnight();
  IndexRunWalkHost host(form, *this);
  if (CountingPass(host) && IndexingPass(host)) {
    WriteIndex();
    Finish(startSeconds);
  }
  form.walk.IndexingPass = false;
  scanner_.reset();
  form_ = nullptr;
}

bool IndexRun::CountingPass(IndexRunWalkHost& host) {
  frmIndexMain& form = *form_;
  ui::AppContext& app = form.App();
  form.walk.ClearFileList();
  TotalTextSize = 0;
  CurrentFileNumber = 0;
  RowLength = 0;
  form.cmdExtractData.caption = app.GetProgramText(kTextRunningCaption);
  form.lblNowProcessingFile.caption = app.GetProgramText(kTextCountingFiles) + u" ...";
  form.Refresh();
  form.walk.IndexingPass = false;
  form.walk.WalkTopFolder(host);
  if (!Ended()) {
    form.cmdExtractData.caption = app.GetProgramText(kTextPleaseWait);
    form.lblDifferentWordsFoundSoFar.caption.clear();
    form.Refresh();
    ReportProgress(IndexRunProgress::Stage::kCounting, true);
  }
  form.lblNowProcessingFile.caption.clear();
  form.GetPlatform().DoEvents();

  if (app.ModuleClosed) {
    form.SetControlsEnabled(true);
    return false;
  }
  if (form.walk.StopRequested) {
    form.SetControlsEnabled(true);
    form.FocusFirstEmptyField();
    return false;
  }
  if (form.walk.IndexFileCount == 0) {
    form.ShowNoFilesMessage(form.cmdExtractData.caption);
    form.SetControlsEnabled(true);
    form.FocusFirstEmptyField();
    return false;
  }
  return true;
}

bool IndexRun::IndexingPass(IndexRunWalkHost& host) {
  frmIndexMain& form = *form_;
  ui::AppContext& app = form.App();
  RowLength = form.walk.IndexFileCount;
  const std::u16string folder = EnsureTrailingBackslash(Trim(form.txbOutputFolder.Text()));
  const std::u16string project = Trim(form.txbProjectName.Text());
  form.IndexFilePath = folder + project + std::u16string(kIndexFileSuffix);
  DataFilePath = folder + project + std::u16string(kDataFileSuffix);
  DeleteOutputFiles();

  // Both files exist from the start of the pass, as a user watching the
  // output folder expects; the data file's matrix is written at its end.
  dataFd_ = openForWriting(DataFilePath);
  if (dataFd_ < 0) {
    const std::u16string error = ErrorDescription(errno);
    WriteFailed(error + std::u16string(kCrLf) + DataFilePath);
  } else if (!indexText_.Open(form.IndexFilePath, openForWriting)) {
    WriteFailed(indexText_.Error() + std::u16string(kCrLf) + form.IndexFilePath);
  }
  // Finish reports the stop and removes what was made.
  if (form.walk.StopRequested) return true;

  form.walk.IndexingPass = true;
  form.walk.StopRequested = false;
  form.cmdExtractData.caption = app.GetProgramText(kTextRunningCaption);
  scanner_.emplace(Lexicon, &form.commonWords);
  scanner_->InitWordExtraction();
  scanner_->ClearStopRequest();
  scanner_->SetEventPoll([this] {
    form_->GetPlatform().DoEvents();
    return Ended();
  });
  CurrentFileNumber = 0;
  form.walk.WalkTopFolder(host);
  form.walk.IndexingPass = false;
  return true;
}

void IndexRun::WriteFailed(const std::u16string& description) {
  form_->GetPlatform().MsgBox(description, ui::MsgButtons::Ok, ui::MsgIcon::Critical,
                              form_->App().GetProgramText(kTextDataFileError));
  form_->walk.StopRequested = true;
}

void IndexRun::WriteIndex() {
  frmIndexMain& form = *form_;
  ui::AppContext& app = form.App();
  if (!Ended()) {
    ShowWordsFoundSoFar();
    ReportProgress(IndexRunProgress::Stage::kIndexing, true);
    indexText_.Records().WriteStringRecord(kEndOfFileList);
    form.cmdExtractData.enabled = false;
    form.lblNowProcessingFile.caption =
        app.GetProgramText(kTextWritingIndex) + u": " + GroupDigits(Lexicon.WordCount());
    form.Refresh();
    ReportProgress(IndexRunProgress::Stage::kWriting);
    WriteLexicon(indexText_.Records(), Lexicon, Trim(form.txbTitle.Text()));
    if (!indexText_.Flush()) WriteFailed(indexText_.Error());
    form.cmdExtractData.caption = app.GetProgramText(kTextPleaseWait);
    form.lblDifferentWordsFoundSoFar.caption.clear();
    form.Refresh();
  }
  // The matrix, row by row from the postings.
  if (!Ended() && dataFd_ >= 0) {
    const std::u16string error = WriteDataMatrix(dataFd_, Lexicon, RowLength);
    if (!error.empty()) WriteFailed(error);
  }
  if (dataFd_ >= 0 && ::close(dataFd_) != 0 && !Ended()) WriteFailed(ErrorDescription(errno));
  dataFd_ = -1;
  form.GetPlatform().DoEvents();
}

void IndexRun::Finish(double startSeconds) {
  frmIndexMain& form = *form_;
  ui::AppContext& app = form.App();
  ui::Platform& platform = form.GetPlatform();
  if (app.ModuleClosed) {
    // The window is gone: everything is abandoned silently.
    indexText_.Abandon();
    DeleteOutputFiles();
    ClearDocxFolder(false);
    return;
  }

  // The list keeps the paths relative to the top folder ("List files which
  // were indexed").
  const std::size_t cut = form.walk.rules.topFolder.size() + 1;
  const auto last = std::min<std::size_t>(form.walk.IndexFileList.size() - 1,
                                          static_cast<std::size_t>(form.walk.IndexFileCount));
  for (std::size_t i = 1; i <= last; ++i) {
    std::u16string& entry = form.walk.IndexFileList[i];
    entry = entry.size() > cut ? entry.substr(cut) : std::u16string();
  }

  if (!form.walk.StopRequested) {
    WriteCountRows(indexText_.Records(), Lexicon, RowLength);
  }
  // A write that fails while the text is completed (a full disk) ends the
  // run as stopped: no compressed index may claim to be complete.
  if (!indexText_.Close() && !form.walk.StopRequested) WriteFailed(indexText_.Error());

  std::int64_t textLength = 0;
  if (form.walk.StopRequested) {
    ResultText = std::u16string(kResultStopped);
    form.lblAsterisks.caption.clear();
    DeleteOutputFiles();
  } else {
    textLength = indexText_.Length();
    const std::int32_t status =
        compressFile(form.IndexFilePath, CompressionTargetPath(form.IndexFilePath));
    if (status < 0) {
      textLength = 0;
      ResultText = std::u16string(kResultCompressionError);
    } else {
      ResultText = std::u16string(kResultCompleted);
      form.lblAsterisks.caption.clear();
      form.IndexCreated = true;
    }
  }
  if (textLength > 0) {
    const std::u16string error = AppendLengthStamp(DataFilePath, textLength);
    // Without its stamp the data file is rebuilt from the count rows when the
    // index is first searched; the index itself is complete.
    if (!error.empty()) {
      platform.MsgBox(error + std::u16string(kCrLf) + DataFilePath, ui::MsgButtons::Ok,
                      ui::MsgIcon::Exclamation, app.GetProgramText(kTextDataFileError));
    }
  }

  std::u16string result = ResultText;
  form.lblCurrentFile.caption.clear();
  if (form.IndexCreated) {
    form.cmdListFiles[1].visible = true;
    result += u"   Index file is " + Trim(form.txbProjectName.Text()) +
              std::u16string(kIndexFileSuffix) + u".";
  } else {
    form.cmdListFiles[1].visible = false;
  }
  const double elapsed = ElapsedSeconds(startSeconds, platform.SecondsSinceMidnight());
  form.lblCurrentFile.caption = result + u"  " + RunTimeText(elapsed);
  ClearDocxFolder(true);
  form.SetControlsEnabled(true);
  if (form.IndexCreated) {
    form.cmdListFiles[1].SetFocus();
  } else {
    form.cmdExtractData.SetFocus();
  }
}

void IndexRun::DeleteOutputFiles() {
  DeleteFileForced(DataFilePath, true, true, true);
  DeleteFileForced(form_->IndexFilePath, true, true, true);
}

void IndexRun::ClearDocxFolder(bool reportFailure) {
  if (docxFolder_.empty()) return;
  const std::u16string folder = docxFolder_;
  docxFolder_.clear();
  if (ClearDocxTemp(folder) || !reportFailure) return;
  form_->GetPlatform().MsgBox(u"Cannot delete temporary folder " + folder, ui::MsgButtons::Ok,
                              ui::MsgIcon::Exclamation, u"Error");
}

}  // namespace quor
