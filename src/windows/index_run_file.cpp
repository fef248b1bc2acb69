// The per-file work of the indexing pass: recording the file, reading its
// lines (a DOCX document through its temporary text), counting its words and
// turning the counts into the file's byte values.
#include "windows/index_run.h"

#include <string>

#include "common/files.h"
#include "common/strings.h"
#include "extract/classify.h"
#include "index/file_words.h"
#include "index/index_run_texts.h"
#include "ui/app_context.h"
#include "ui/platform.h"

namespace quor {

namespace {

// The words display is refreshed after this many new words.
constexpr std::int32_t kWordsBetweenRefreshes = 90;

}  // namespace

void IndexRun::ProcessFile(const std::u16string& fullPath, int typeCode) {
  frmIndexMain& form = *form_;
  ui::Platform& platform = form.GetPlatform();
  ++CurrentFileNumber;
  // The file takes its place in the list whatever happens to it afterwards.
  indexText_.Records().WriteStringRecord(form.walk.rules.RelativePath(fullPath));
  if (!indexText_.Flush()) {
    WriteFailed(indexText_.Error() + std::u16string(kCrLf) + form.IndexFilePath);
    return;
  }
  form.lblCurrentFile.caption = ShortenPathForDisplay(fullPath, form.CurrentFileDisplayLength) +
                                u" (" + FileSizeText(fullPath) + u")";
  form.lblNowProcessingFile.caption =
      u"Now processing file #" + GroupDigits(CurrentFileNumber) + u".";
  form.Refresh();
  ReportProgress(IndexRunProgress::Stage::kIndexing);

  std::int32_t wordsShown = Lexicon.WordCount();
  FileReadHooks hooks;
  hooks.opened = [&](std::int64_t textSize) {
    TotalTextSize += static_cast<double>(textSize);
    form.lblTotalTextSize.caption = u"Total text size: " + FormatTotalSize(TotalTextSize, 2);
  };
  hooks.afterLine = [&] {
    if (Lexicon.WordCount() > wordsShown + kWordsBetweenRefreshes) {
      ShowWordsFoundSoFar();
      wordsShown = Lexicon.WordCount();
    }
    platform.DoEvents();
    return Ended();
  };
  ForwardingDocumentObserver observer(platform, platform.TempFolder(), [&platform] {
    platform.DoEvents();
    return false;
  });
  const FileReadResult read = ReadFileWords(observer, *scanner_, fullPath, typeCode,
                                            static_cast<std::uint32_t>(CurrentFileNumber), hooks);
  switch (read.outcome) {
    case FileReadOutcome::kRead:
    case FileReadOutcome::kPassedOver:  // keeps its list place and an all-zero column
      return;
    case FileReadOutcome::kStopped:
      if (!Ended()) form.walk.StopRequested = true;
      return;
    case FileReadOutcome::kFailed:
      form.walk.StopRequested = true;
      return;
  }
}

std::u16string IndexRun::WriteFileColumn() {
  return scanner_->EndFile();
}

void IndexRun::ShowWordsFoundSoFar() {
  if (form_ == nullptr) return;
  form_->lblDifferentWordsFoundSoFar.caption =
      u"Different words found so far: " + GroupDigits(Lexicon.WordCount());
  form_->lblAsterisks.caption = AsteriskText(CurrentFileNumber, Lexicon.WordCount());
  form_->Refresh();
}

}  // namespace quor
