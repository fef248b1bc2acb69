// The per-file work of the indexing pass: recording the file, reading its
// lines (a DOCX document through its temporary text), counting its words and
// turning the counts into the file's byte values.
#include "index/index_run.h"

#include <string>

#include "common/files.h"
#include "common/strings.h"
#include "extract/classify.h"
#include "extract/docx.h"
#include "index/docx_failure.h"
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

  WordScanner& scanner = *scanner_;
  scanner.BeginFile(static_cast<std::uint32_t>(CurrentFileNumber));
  // Each file starts outside markup: a tag left open at the end of the last
  // file must not hide the words of this one.
  scanner.ClearInTag();
  std::int32_t wordsShown = Lexicon.WordCount();

  std::u16string textPath = fullPath;
  int lineType = typeCode;
  const bool docx = IsDocxFile(fullPath);
  if (docx) {
    const DocxConversion conversion =
        ConvertDocxToText(fullPath, platform.TempFolder(), u"QUOR",
                          DocxCallbacksFor(platform, [this] { return Ended(); }));
    if (conversion.status < 0) {
      // Passed over: the file keeps its list place and an all-zero column.
      if (ReportDocxFailure(platform, conversion.status, fullPath, conversion.errorText) !=
          kDocxGoOn) {
        form.walk.StopRequested = true;
      }
      return;
    }
    docxFolder_ = conversion.tempFolder;
    textPath = conversion.textPath;
    lineType = 1;
  }

  if (!reader_.Open(textPath, lineType)) {
    ShowReadError(reader_.Error(), fullPath);
    return;
  }
  TotalTextSize += static_cast<double>(reader_.FileSize());
  form.lblTotalTextSize.caption = u"Total text size: " + FormatTotalSize(TotalTextSize, 2);

  std::u16string_view line;
  while (reader_.NextLine(line)) {
    const LineOutcome outcome = scanner.ProcessLine(line);
    if (outcome == LineOutcome::kEndOfText) break;
    if (outcome == LineOutcome::kStopped) {
      if (!scanner.ErrorText().empty()) {
        platform.MsgBox(scanner.ErrorText(), ui::MsgButtons::Ok, ui::MsgIcon::Exclamation,
                        u"Error");
      }
      form.walk.StopRequested = true;
      return;
    }
    if (Lexicon.WordCount() > wordsShown + kWordsBetweenRefreshes) {
      ShowWordsFoundSoFar();
      wordsShown = Lexicon.WordCount();
    }
    platform.DoEvents();
    // The file stays open; the next file's Open or the run's end closes it.
    if (Ended()) return;
  }
  if (reader_.Failed()) {
    ShowReadError(reader_.Error(), fullPath);
    return;
  }
  reader_.Close();
  if (docx && ClearDocxTemp(docxFolder_)) docxFolder_.clear();
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

void IndexRun::ShowReadError(const std::u16string& description, const std::u16string& path) {
  reader_.Close();
  form_->GetPlatform().MsgBox(description + std::u16string(kCrLf) + path, ui::MsgButtons::Ok,
                              ui::MsgIcon::Exclamation, u"Error");
  form_->walk.StopRequested = true;
}

}  // namespace quor
