// frmIndexMain: the checks of BuildIndex, the list-only walk and "List files".
#include "windows/frm_index_main.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "common/files.h"
#include "common/paths.h"
#include "index/index_project.h"
#include "ui/app_context.h"
#include "ui/frm_large_display.h"
#include "ui/platform.h"
#include "windows/frm_index_main_texts.h"
#include "windows/index_main_walk_host.h"

namespace quor {

using namespace index_main;

// ---- the walk's face in this window ----

MsgResult IndexMainWalkHost::MessageBox(const MessageBoxRequest& request) {
  // A closed window shows nothing more: a question gets its negative answer.
  if (form_.App().ModuleClosed) {
    switch (request.buttons) {
      case MsgButtons::Ok:
        return MsgResult::Ok;
      case MsgButtons::YesNo:
        return MsgResult::No;
      default:
        return MsgResult::Cancel;
    }
  }
  return form_.GetPlatform().MessageBox(request);
}

void IndexMainWalkHost::Poll() {
  form_.GetPlatform().DoEvents();
  if (form_.App().ModuleClosed) form_.stopToken.RequestStop();
}

void IndexMainWalkHost::WalkStarted() {
  form_.lblNowProcessingFile.geometry.width = kWalkBusyLabelWidth;
}

void IndexMainWalkHost::WalkEnded() {
  form_.lblNowProcessingFile.geometry.width = kWalkIdleLabelWidth;
}

void IndexMainWalkHost::CountingProgress(std::int32_t count) {
  form_.lblNowProcessingFile.caption = u"Counting files to be indexed ... " + ToText(count);
  form_.Refresh();
}

void IndexMainWalkHost::Totals(std::int32_t count, double totalFileSize) {
  form_.lblTotalNumFiles.caption =
      form_.App().GetProgramText(kTextFilesToBeIndexed) + u": " + GroupDigits(count);
  form_.lblTotalFileSize.caption = u"Total file size: " + FormatTotalSize(totalFileSize, 2);
}

bool IndexMainWalkHost::ListFile(const std::u16string& caption, const std::u16string& entry) {
  ui::frmLargeDisplay& display = form_.App().LargeDisplay();
  display.caption = caption;
  display.WidenDisplayIfNeeded(entry, 95, 0.95);
  if (!displayShown_) {
    displayShown_ = true;
    display.Show();
  }
  display.Output(entry);
  return display.Visible();
}

void IndexMainWalkHost::ShowPassedOver(const std::u16string& title) {
  if (passedOver_.empty() || form_.App().ModuleClosed) return;
  form_.GetPlatform().MsgBox(PassedOverNotice(passedOver_), ui::MsgButtons::Ok,
                             ui::MsgIcon::Information, title);
  passedOver_.clear();
}

// ---- preparing a run ----

void frmIndexMain::PrepareSelection() {
  IndexProjectFields fields;
  fields.topFolder = txbTopFolder.Text();
  fields.excludeTopFolderFiles = chkExcludeFilesInTopFolder.Value() == 1;
  fields.includeNestedSubfolders = chkIncludeSubfoldersOfSubfolders.Value() == 1;
  fields.includedSubfolders = IncludedSubfolders;
  fields.excludedFiles = ExcludedFiles;
  fields.excludedFilepaths = txbExcludedFilepaths.Text();
  fields.minimumFilesize = txbMinimumFilesize.Text();
  fields.maximumFilesize = txbMaximumFilesize.Text();
  walk.rules = SelectionOf(fields);
}

bool frmIndexMain::PassesRunChecks() {
  const bool indexRun = !walk.ListOnly;
  const std::u16string title = cmdExtractData.caption;
  auto refuse = [&](int text) {
    GetPlatform().MsgBox(app_.GetProgramText(text), ui::MsgButtons::Ok, ui::MsgIcon::Exclamation,
                         title);
    FocusFirstEmptyField();
    return false;
  };
  lblCurrentFile.caption.clear();
  std::vector<ui::TextBox*> fields = {&txbTopFolder};
  if (indexRun) fields = {&txbProjectName, &txbTitle, &txbTopFolder, &txbOutputFolder};
  for (ui::TextBox* box : fields) box->SetText(Trim(box->Text()));
  if (const int refusal = RefusedFieldText(txbProjectName.Text(), txbTitle.Text(),
                                           txbTopFolder.Text(), txbOutputFolder.Text(), indexRun)) {
    return refuse(refusal);
  }
  // A name from a settings file was never checked as typed names are; one
  // holding a separator would put the index files outside the output folder.
  if (const std::optional<char16_t> bad = InadmissibleProjectNameChar(txbProjectName.Text());
      indexRun && bad) {
    GetPlatform().MsgBox(InadmissibleNameMessage(*bad), ui::MsgButtons::Ok,
                         ui::MsgIcon::Exclamation, std::u16string(kProjectNameTitle));
    txbProjectName.SetFocus();
    return false;
  }

  SplitLines(Trim(txbExcludedFiles.Text()), ExcludedFiles, 0, true);
  if (const std::optional<std::u16string> entry = FirstFullPathEntry(ExcludedFiles)) {
    GetPlatform().MsgBox(
        app_.GetProgramText(kTextExcludedEntryNotRelative) + u":" + std::u16string(kCrLf) + *entry,
        ui::MsgButtons::Ok, ui::MsgIcon::Exclamation, app_.GetProgramText(kTextExcludedEntryTitle));
    return false;
  }
  // Subfolders typed into the box count even when it never lost the focus.
  TextList typed;
  SplitLines(txbIncludedFolders.Text(), typed, 0, true);
  if (JoinLines(typed) != JoinLines(IncludedSubfolders)) txbIncludedFolders_LostFocus();
  FilepathFragments = SplitFragments(txbExcludedFilepaths.Text());

  for (ui::Label* label : {&lblTotalNumFiles, &lblTotalFileSize, &lblTotalTextSize,
                           &lblNowProcessingFile, &lblCurrentFile, &lblDifferentWordsFoundSoFar}) {
    label->caption.clear();
  }
  // A limit the run takes as 0 (no limit) reads "0": an emptied box would look
  // as if the value had been lost. An empty box stays empty.
  for (ui::TextBox* box : {&txbMinimumFilesize, &txbMaximumFilesize}) {
    box->SetText(Trim(box->Text()));
    if (!box->Text().empty() && SizeFieldValue(box->Text()) == 0) box->SetText(u"0");
  }
  PrepareSelection();
  return true;
}

void frmIndexMain::BuildIndex() {
  if (!PassesRunChecks()) return;
  walk.IndexingPass = false;
  stopToken.Reset();
  app_.ModuleClosed = false;
  SetControlsEnabled(false);
  Refresh();
  if (walk.ListOnly) {
    RunListing();
    return;
  }
  if (indexBuild) {
    indexBuild->Run(*this);
    return;
  }
  SetControlsEnabled(true);
}

void frmIndexMain::RunListing() {
  IndexMainWalkHost host(*this);
  walk.WalkTopFolder(host, stopToken);
  lblNowProcessingFile.caption.clear();
  host.ShowPassedOver(std::u16string(kListFiles));
  SetControlsEnabled(true);
}

void frmIndexMain::SetControlsEnabled(bool enabled) {
  if (!enabled) {
    savedEnabled_.clear();
    for (ui::Control* control : Controls()) {
      switch (control->Kind()) {
        case ui::ControlKind::TextBox:
        case ui::ControlKind::CheckBox:
        case ui::ControlKind::ComboBox:
        case ui::ControlKind::CommandButton:
          savedEnabled_.emplace_back(control, control->enabled);
          control->enabled = false;
          break;
        default:
          break;
      }
    }
  } else {
    // Controls come back as they were: those the top folder's state disabled
    // stay disabled.
    for (const auto& [control, wasEnabled] : savedEnabled_) control->enabled = wasEnabled;
    savedEnabled_.clear();
  }
  if (!walk.ListOnly) {
    cmdExtractData.enabled = true;
    cmdExtractData.SetFocus();
  }
  cmdQuit.enabled = true;
  cmdExtractData.caption = std::u16string(kCreateIndexFile);
  Refresh();
}

void frmIndexMain::ShowNoFilesMessage(const std::u16string& title) {
  const int text = NoFilesText(TopFolderHasSubfolders, !txbExcludedFiles.Text().empty());
  GetPlatform().MsgBox(app_.GetProgramText(text) + u".", ui::MsgButtons::Ok,
                       ui::MsgIcon::Exclamation, title);
}

// ---- "Create index file" ----

void frmIndexMain::cmdExtractData_Click() {
  if (indexBuild) {
    indexBuild->Click(*this);
    return;
  }
  GetPlatform().MsgBox(u"Creating an index is not available in this build.", ui::MsgButtons::Ok,
                       ui::MsgIcon::Information, cmdExtractData.caption);
}

// ---- "List files" ----

void frmIndexMain::cmdListFiles_Click(int index) {
  const std::u16string buttonCaption = cmdListFiles[index].caption;
  if (index == 1 && walk.IndexFileCount == 1 && walk.IndexFileList.size() > 1) {
    GetPlatform().MsgBox(
        u"Only one file was indexed:" + std::u16string(kCrLf) + walk.IndexFileList[1],
        ui::MsgButtons::Ok, ui::MsgIcon::Information, buttonCaption);
    return;
  }
  if (index == 0) {
    TextList typed;
    SplitLines(txbIncludedFolders.Text(), typed, 0, true);
    if (JoinLines(typed) != JoinLines(IncludedSubfolders)) txbIncludedFolders_LostFocus();
    if (chkExcludeFilesInTopFolder.Value() == 1 && NumIncludedSubfolders() == 0) {
      GetPlatform().MsgBox(std::u16string(kNoFilesIncluded), ui::MsgButtons::Ok,
                           ui::MsgIcon::Exclamation, buttonCaption);
      return;
    }
  }

  ui::frmLargeDisplay& display = app_.LargeDisplay();
  display.windowState = ui::WindowState::Normal;
  display.ownerForm = this;
  display.geometry.top = geometry.top + chkExcludeFilesInTopFolder.geometry.top + 380;
  display.geometry.width = 6000;
  display.geometry.left = (GetPlatform().ScreenWidth() - display.geometry.width) / 2;
  display.geometry.height =
      std::max(2400, geometry.top + geometry.height - display.geometry.top - 200);
  display.Form_Resize();
  display.txbOutput.font.name = u"Arial";
  display.cmdCopyToClipboard.caption = u"Pause";
  display.caption = buttonCaption;
  display.Busy = true;
  display.BufferFullMessage = u"The file list buffer is full.";
  display.ContinuationMessage = u"File counting continues ...";
  display.Clear();

  if (index == 1) {
    display.Show();
  } else {
    display.cmdCopyToClipboard.enabled = true;
    walk.ListOnly = true;
    BuildIndex();
    walk.ListOnly = false;
  }
  if (!display.Visible()) {
    display.Busy = false;
    FocusFirstEmptyField();
    return;
  }

  const bool bufferFilled = display.BufferFull();
  if (bufferFilled) {
    const std::u16string& text = display.txbOutput.Text();
    const auto at = text.find(display.BufferFullMessage);
    if (at != std::u16string::npos) {
      display.txbOutput.SetText(text.substr(0, at + display.BufferFullMessage.size()));
    }
  } else {
    const int last = static_cast<int>(std::min<std::int64_t>(
        walk.IndexFileCount, static_cast<std::int64_t>(walk.IndexFileList.size()) - 1));
    // The list is 1-based; SortStrings works on 0-based positions.
    if (last > 1) SortStrings(walk.IndexFileList, 1, last, true);
    display.Clear();
    display.cmdCopyToClipboard.caption = u"Pause";
    display.DisplayArray(walk.IndexFileList, 1, last, quor::ListingClosingText(walk, index == 0),
                         false);
  }
  // A list-only walk that counted files captioned the window with its totals.
  if (display.caption != buttonCaption) {
    std::u16string text = display.txbOutput.Text();
    text += std::u16string(kCrLf) + u"To be indexed: " + display.caption;
    if (bufferFilled) {
      text += std::u16string(kCrLf) +
              u"This is a large number of files. Indexing would probably take a long time.";
    }
    display.txbOutput.SetText(std::move(text));
  }
  display.txbOutput.SetSelection(static_cast<int>(display.txbOutput.Text().size()), 0);
  display.cmdCopyToClipboard.caption = u"Copy to clipboard";
  display.SetCopyToClipboardButton();
  display.cmdCopyToClipboard.enabled = true;
  display.Busy = false;
  display.Refresh();
}

}  // namespace quor
