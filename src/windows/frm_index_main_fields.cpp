// frmIndexMain: the project fields, the folder choices, the subfolder and
// excluded-file lists, Clear and Reset.
#include "windows/frm_index_main.h"

#include <algorithm>

#include "common/files.h"
#include "common/paths.h"
#include "index/index_project.h"
#include "selection/folder_listing.h"
#include "ui/app_context.h"
#include "ui/platform.h"
#include "windows/frm_filepath_exclusions.h"
#include "windows/frm_index_main_texts.h"
#include "windows/frm_select_subfolders.h"

namespace quor {

using namespace index_main;

// ---- project name ----

void frmIndexMain::txbProjectName_KeyPress(char16_t& keyAscii) {
  if (keyAscii == u' ') keyAscii = u'_';
}

void frmIndexMain::txbProjectName_LostFocus() {
  const std::u16string name = Trim(txbProjectName.Text());
  txbProjectName.SetText(name);
  IndexFilePath.clear();
  if (name.empty()) return;
  const std::optional<char16_t> bad = InadmissibleProjectNameChar(name);
  if (!bad) {
    IndexFilePath = txbOutputFolder.Text() + name + u"_index" + u".quor";
    return;
  }
  GetPlatform().MsgBox(InadmissibleNameMessage(*bad), ui::MsgButtons::Ok, ui::MsgIcon::Exclamation,
                       std::u16string(kProjectNameTitle));
}

// ---- folders ----

void frmIndexMain::cmdTopFolder_Click() {
  const std::u16string folder = GetPlatform().BrowseForFolder(
      this, u"Specify top folder containing files and subfolders to be indexed",
      txbTopFolder.Text());
  if (folder.empty()) return;
  SetTopFolder(folder);
}

void frmIndexMain::SetTopFolder(const std::u16string& folder) {
  txbTopFolder.SetText(EnsureTrailingBackslash(folder));
  ValidateIncludedSubfolders();
  ValidateExcludedFiles();
  chkExcludeFilesInTopFolder.SetValue(0);
  UpdateTopFolderControls();
  cmdListFiles[1].visible = false;
  lblDifferentWordsFoundSoFar.caption.clear();
}

void frmIndexMain::txbTopFolder_Click() {
  if (txbTopFolder.Text().empty()) cmdTopFolder_Click();
}

void frmIndexMain::cmdOutputFolder_Click() {
  const std::u16string folder = GetPlatform().BrowseForFolder(
      this, u"Specify folder for output files", txbOutputFolder.Text());
  if (folder.empty()) return;
  if (SetOutputFolder(folder)) cmdExtractData.SetFocus();
}

bool frmIndexMain::SetOutputFolder(const std::u16string& folder) {
  txbOutputFolder.SetText(EnsureTrailingBackslash(folder));
  ClearResultLabels();
  // A folder on a read-only file system cannot take the index files.
  if (GetPlatform().IsReadOnlyFileSystem(txbOutputFolder.Text())) {
    GetPlatform().MsgBox(u"The output folder cannot be on a read-only file system.",
                         ui::MsgButtons::Ok, ui::MsgIcon::Exclamation, u"Error");
    txbOutputFolder.SetText(u"");
    return false;
  }
  return true;
}

void frmIndexMain::UpdateTopFolderControls() {
  lblTopFolderIsEmpty.caption.clear();
  const bool hasTop = !txbTopFolder.Text().empty();
  cmdExcludeFiles.enabled = hasTop;
  txbExcludedFiles.enabled = hasTop;
  lblNumExcludedFiles.visible = hasTop;
  lblTopFolderIsEmpty.visible = hasTop;
  if (!hasTop) {
    TopFolderHasSubfolders = false;
    chkExcludeFilesInTopFolder.SetValue(0);
    chkExcludeFilesInTopFolder.visible = false;
    cmdSelectSubfolders.enabled = false;
    txbIncludedFolders.enabled = false;
    chkIncludeSubfoldersOfSubfolders.visible = false;
    lblNumSubfoldersSelected.visible = false;
    ClearTotalLabels();
    return;
  }
  FolderListing listing;
  std::u16string error;
  if (!ReadFolder(txbTopFolder.Text(), listing, error)) listing = FolderListing();
  const auto fileCount = static_cast<std::int64_t>(listing.files.size());
  if (fileCount == 0) {
    lblTopFolderIsEmpty.caption = app_.GetProgramText(kTextTopFolderHasNoFiles);
    cmdExcludeFiles.enabled = false;
  }
  TopFolderHasSubfolders = !listing.subfolders.empty();
  cmdSelectSubfolders.enabled = TopFolderHasSubfolders;
  chkExcludeFilesInTopFolder.visible = fileCount > 0 && TopFolderHasSubfolders;
  if (chkExcludeFilesInTopFolder.visible) {
    chkExcludeFilesInTopFolder.caption =
        fileCount == 1 ? u"Exclude the single file in the top folder."
                       : u"Exclude the " + ToText(fileCount) + u" files in the top folder.";
  }
  lblNumSubfoldersSelected.visible = true;
  if (!TopFolderHasSubfolders) {
    chkExcludeFilesInTopFolder.SetValue(0);
    txbIncludedFolders.enabled = false;
    chkIncludeSubfoldersOfSubfolders.visible = false;
    lblNumSubfoldersSelected.caption = app_.GetProgramText(kTextTopFolderHasNoSubfolders);
  } else {
    txbIncludedFolders.enabled = true;
    chkExcludeFilesInTopFolder.enabled = true;
    chkIncludeSubfoldersOfSubfolders.visible = NumIncludedSubfolders() > 0;
    chkIncludeSubfoldersOfSubfolders.caption =
        app_.GetProgramText(NumIncludedSubfolders() == 1 ? kTextNestedOne : kTextNestedSeveral);
    if (NumIncludedSubfolders() == 0) {
      lblNumSubfoldersSelected.caption = app_.GetProgramText(kTextNoSubfolders);
      chkExcludeFilesInTopFolder.SetValue(0);
    } else {
      cmdExcludeFiles.enabled = true;
      UpdateIncludedCount();
    }
  }
  ClearTotalLabels();
}

// ---- included subfolders ----

void frmIndexMain::UpdateIncludedCount() {
  const int count = NumIncludedSubfolders();
  if (count == 1) {
    lblNumSubfoldersSelected.caption = app_.GetProgramText(kTextOneSubfolder);
    return;
  }
  lblNumSubfoldersSelected.caption =
      NumberToWords(count) + u" " + app_.GetProgramText(kTextSeveralSubfolders);
}

void frmIndexMain::ValidateIncludedSubfolders() {
  if (!txbIncludedFolders.Text().empty()) {
    if (DropMissingEntries(IncludedSubfolders, txbTopFolder.Text(), true)) {
      txbIncludedFolders.SetText(JoinLines(IncludedSubfolders));
    }
  }
  UpdateIncludedCount();
}

void frmIndexMain::cmdSelectSubfolders_Click() {
  constexpr int kTextTopFolderFirst = 23;
  constexpr int kTextSubfolderInstruction = 24;
  if (txbTopFolder.Text().empty()) {
    GetPlatform().MsgBox(app_.GetProgramText(kTextTopFolderFirst), ui::MsgButtons::Ok,
                         ui::MsgIcon::None, cmdSelectSubfolders.caption);
    return;
  }
  frmSelectSubfolders window(GetPlatform());
  window.TopFolder = txbTopFolder.Text();
  window.Instruction = app_.GetProgramText(kTextSubfolderInstruction);
  window.Selection = JoinLines(IncludedSubfolders);
  window.ownerForm = this;
  window.SetFormColour(backColour);
  window.PlaceOver(*this, cmdSelectSubfolders);
  window.Show(true);
  if (window.Accepted) {
    txbIncludedFolders.SetText(window.Result);
    SplitLines(window.Result, IncludedSubfolders, 0, true);
    UpdateTopFolderControls();
    UpdateExcludedCount();
  }
  FocusFirstEmptyField();
}

void frmIndexMain::txbIncludedFolders_LostFocus() {
  IncludedSubfolders = ParseIncludedSubfolders(txbIncludedFolders.Text());
  txbIncludedFolders.SetText(JoinLines(IncludedSubfolders));
  ValidateIncludedSubfolders();
  UpdateTopFolderControls();
}

// ---- excluded files ----

void frmIndexMain::UpdateExcludedCount() {
  const int count = NumExcludedFiles();
  if (count == 0) {
    lblNumExcludedFiles.caption = u"No files are excluded.";
  } else if (count == 1) {
    lblNumExcludedFiles.caption = u"One file is excluded.";
  } else {
    std::u16string text = app_.GetProgramText(kTextSeveralExcluded);
    const auto at = text.find(u"99");
    if (at != std::u16string::npos) text.replace(at, 2, ToText(count));
    lblNumExcludedFiles.caption = text;
  }
  Refresh();
}

void frmIndexMain::ValidateExcludedFiles() {
  if (!txbExcludedFiles.Text().empty()) {
    if (DropMissingEntries(ExcludedFiles, txbTopFolder.Text(), false)) {
      txbExcludedFiles.SetText(JoinLines(ExcludedFiles));
    }
  }
  UpdateExcludedCount();
}

void frmIndexMain::cmdExcludeFiles_Click() {
  constexpr int kTextTheFile = 40;
  constexpr int kTextFolderNotIndexed = 41;
  constexpr int kTextExtensionNeverIndexed = 42;
  constexpr int kTextAlreadyExcluded = 54;
  constexpr int kTextFilesInFolderNotIndexed = 98;
  constexpr int kTextPickFilesTitle = 99;
  // The dialog's name buffer: the folder and every name, each ended by a NUL,
  // and one NUL more.
  constexpr std::size_t kDialogBufferChars = 32767;
  const std::u16string title = cmdExcludeFiles.caption;
  ui::FileDialogRequest request;
  request.title = app_.GetProgramText(kTextPickFilesTitle);
  request.initialFolder = txbTopFolder.Text();
  request.multiSelect = true;
  const std::vector<std::u16string> chosen = GetPlatform().ShowOpenDialog(request);
  if (chosen.empty()) return;
  std::size_t needed = GetFolderPart(chosen.front()).size() + 2;
  for (const std::u16string& path : chosen) needed += GetFileName(path).size() + 1;
  if (needed > kDialogBufferChars) {
    GetPlatform().MsgBox(u"Too many files selected.", ui::MsgButtons::Ok, ui::MsgIcon::Exclamation,
                         title);
    return;
  }

  // The walk's rules as the fields stand now; a folder outside the top
  // folder is never walked.
  PrepareSelection();
  SelectionRules rules = walk.rules;
  rules.FilepathFragments = SplitFragments(txbExcludedFilepaths.Text());
  const std::u16string& top = txbTopFolder.Text();
  auto walked = [&](const std::u16string& path) {
    const std::u16string folder = GetFolderPart(path);
    return IsPathUnder(folder, top) && rules.IsIncludedFolder(folder);
  };
  const std::u16string theFile = app_.GetProgramText(kTextTheFile) + u" ";
  if (!walked(chosen.front())) {
    std::u16string text;
    if (chosen.size() > 1) {
      const std::u16string count = NumberToWords(static_cast<std::int64_t>(chosen.size()));
      for (char16_t ch : app_.GetProgramText(kTextFilesInFolderNotIndexed)) {
        if (ch == u'N') {
          text += count;
        } else {
          text += ch;
        }
      }
      text = FoldCase(text);
    } else {
      text = theFile + chosen.front() + std::u16string(kCrLf) +
             app_.GetProgramText(kTextFolderNotIndexed);
    }
    GetPlatform().MsgBox(text, ui::MsgButtons::Ok, ui::MsgIcon::Exclamation, title);
    return;
  }
  for (const std::u16string& path : chosen) {
    if (!walked(path)) continue;
    const std::u16string extension = GetExtension(path, false);
    if (IsExcludedExtension(extension)) {
      std::u16string text = app_.GetProgramText(kTextExtensionNeverIndexed);
      if (const auto at = text.find(u"ocx"); at != std::u16string::npos) {
        text.replace(at, 3, extension);
      }
      GetPlatform().MsgBox(text, ui::MsgButtons::Ok, ui::MsgIcon::Information, title);
      continue;
    }
    const std::u16string relative = path.substr(top.size());
    if (std::find(ExcludedFiles.begin(), ExcludedFiles.end(), relative) != ExcludedFiles.end()) {
      GetPlatform().MsgBox(
          theFile + path + std::u16string(kCrLf) + app_.GetProgramText(kTextAlreadyExcluded),
          ui::MsgButtons::Ok, ui::MsgIcon::Information, title);
      continue;
    }
    std::u16string lines = txbExcludedFiles.Text();
    if (!lines.empty()) lines += kCrLf;
    txbExcludedFiles.SetText(lines + relative);
    SplitLines(txbExcludedFiles.Text(), ExcludedFiles, 0, true);
  }
  // Sorted, written back and counted, as after typing in the box.
  txbExcludedFiles_LostFocus();
}

void frmIndexMain::txbExcludedFiles_LostFocus() {
  ExcludedFiles = ParseExcludedFiles(txbExcludedFiles.Text());
  txbExcludedFiles.SetText(JoinLines(ExcludedFiles));
  UpdateExcludedCount();
}

void frmIndexMain::cmdExpandFilepathExclusions_Click() {
  frmFilepathExclusions window(GetPlatform());
  window.FragmentsText = txbExcludedFilepaths.Text();
  window.ownerForm = this;
  window.PlaceOver(*this, txbExcludedFilepaths);
  window.Show(true);
  if (window.Confirmed) txbExcludedFilepaths.SetText(window.Result);
}

// ---- Clear and Reset ----

void frmIndexMain::cboClear_Click() {
  if (fillingCombos_ || !FormLoaded) return;
  if (GetPlatform().MsgBox(u"Are you sure?", ui::MsgButtons::YesNo, ui::MsgIcon::Question,
                           u"Clear") != ui::MsgResult::Yes) {
    return;
  }
  cmdClear_Click();
}

void frmIndexMain::cmdClear_Click() {
  const int item = cboClear.ListIndex();
  if (item >= 0) ClearField(item);
  FocusFirstEmptyField();
}

void frmIndexMain::ClearField(int item) {
  bool folderListTouched = false;
  auto clearIncluded = [&] {
    txbIncludedFolders.SetText(u"");
    IncludedSubfolders.clear();
    folderListTouched = true;
  };
  auto clearExcluded = [&] {
    txbExcludedFiles.SetText(u"");
    ExcludedFiles.clear();
    UpdateExcludedCount();
    folderListTouched = true;
  };
  switch (item) {
    case kClearOutputFolder:
      txbOutputFolder.SetText(u"");
      break;
    case kClearMaximumFilesize:
      txbMaximumFilesize.SetText(u"");
      break;
    case kClearMinimumFilesize:
      txbMinimumFilesize.SetText(u"");
      break;
    case kClearExcludedFilepaths:
      txbExcludedFilepaths.SetText(u"");
      FilepathFragments.clear();
      ClearTotalLabels();
      break;
    case kClearExcludedFiles:
      clearExcluded();
      ClearTotalLabels();
      break;
    case kClearIncludedSubfolders:
      clearIncluded();
      ClearTotalLabels();
      break;
    case kClearTopFolder:
      txbTopFolder.SetText(u"");
      clearIncluded();
      clearExcluded();
      ClearTotalLabels();
      cmdListFiles[1].visible = false;
      break;
    case kClearTitle:
      txbTitle.SetText(u"");
      break;
    case kClearProjectName:
      txbProjectName.SetText(u"");
      IndexFilePath.clear();
      break;
    default:
      return;
  }
  if (folderListTouched) UpdateTopFolderControls();
}

void frmIndexMain::cmdReset_Click() {
  const std::u16string text = app_.GetProgramText(kTextResetQuestion1) + std::u16string(kCrLf) +
                              app_.GetProgramText(kTextResetQuestion2);
  if (GetPlatform().MsgBox(text, ui::MsgButtons::YesNo, ui::MsgIcon::Question, cmdReset.caption) !=
      ui::MsgResult::Yes) {
    return;
  }
  SetDefaults();
  txbProjectName_LostFocus();
  ClearResultLabels();
  UpdateTopFolderControls();
  FocusFirstEmptyField();
}

}  // namespace quor
