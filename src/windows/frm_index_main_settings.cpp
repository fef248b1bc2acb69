// frmIndexMain: the Settings commands and the ".usri" settings file.
#include "windows/frm_index_main.h"
#include "windows/settings_menu.h"

#include "common/files.h"
#include "common/paths.h"
#include "ui/app_context.h"
#include "ui/frm_pop_up.h"
#include "ui/platform.h"
#include "windows/frm_index_main_texts.h"
#include "windows/index_settings.h"
#include "windows/settings_file.h"

namespace quor {

using namespace index_main;

namespace {

// The lines of a list box's text, trimmed, blank lines left out, joined by
// CR LF whatever line ends the box holds.
std::u16string NormalisedLines(std::u16string_view text) {
  TextList lines;
  SplitLines(text, lines, 0, true);
  return JoinLines(lines);
}

}  // namespace

void frmIndexMain::cboSettings_Click() {
  if (fillingCombos_ || !FormLoaded) return;
  cmdSettings_Click();
}

void frmIndexMain::cmdSettings_Click() {
  RunSettingsCommand(*this, cboSettings.ListIndex(), DefaultSettingsPath);
  FocusFirstEmptyField();
}

void frmIndexMain::SaveSettings(const std::u16string& pathIn, bool showPopUp) {
  std::u16string path = pathIn;
  if (path.empty()) {
    ui::FileDialogRequest request;
    request.title = u"Specify file for settings for index module";
    request.filter = std::u16string(kSettingsFilter);
    const std::u16string name = Trim(txbProjectName.Text());
    if (!name.empty()) request.fileName = name + u".usri";
    if (!LastSettingsPath.empty()) request.initialFolder = GetFolderPart(LastSettingsPath);
    path = GetPlatform().ShowSaveDialog(request);
    if (path.empty()) return;
    // The open dialog shows only ".usri" files: give a bare name the extension.
    if (GetExtension(path, true).empty()) path += u".usri";
    LastSettingsPath = path;
  }

  IndexSettings settings;
  settings.projectName = txbProjectName.Text();
  settings.title = txbTitle.Text();
  settings.excludedFilepaths = txbExcludedFilepaths.Text();
  settings.outputFolder = txbOutputFolder.Text();
  settings.topFolder = txbTopFolder.Text();
  settings.excludedFiles = NormalisedLines(txbExcludedFiles.Text());
  settings.includedFolders = NormalisedLines(txbIncludedFolders.Text());
  settings.minimumFilesize = txbMinimumFilesize.Text();
  settings.excludeTopFolderFiles = chkExcludeFilesInTopFolder.Value() == 1 ? 1 : 0;
  settings.includeNestedSubfolders = chkIncludeSubfoldersOfSubfolders.Value() == 1 ? 1 : 0;
  std::u16string error;
  if (!WriteWholeFile(path, WriteIndexSettings(settings, ProgramName()), &error)) {
    GetPlatform().MsgBox(u"Cannot save the settings in " + path + u": " + error, ui::MsgButtons::Ok,
                         ui::MsgIcon::Exclamation, u"Save settings");
    return;
  }
  if (showPopUp) {
    app_.PopUp().PopUpInForm(*this, app_.GetProgramText(kTextSettingsSaved), 2000, 380, 2000,
                             cmdSettings.geometry.top + 750, cmdSettings.geometry.left);
  }
  cmdExtractData.SetFocus();
}

void frmIndexMain::LoadSettings(const std::u16string& pathIn) {
  std::u16string path = pathIn;
  if (path.empty()) {
    ui::FileDialogRequest request;
    request.title = u"Specify index module settings file";
    request.filter = std::u16string(kSettingsFilter);
    request.mustExist = true;
    if (!LastSettingsPath.empty()) request.initialFolder = GetFolderPart(LastSettingsPath);
    const std::vector<std::u16string> chosen = GetPlatform().ShowOpenDialog(request);
    if (chosen.empty() || chosen.front().empty()) return;
    path = chosen.front();
    LastSettingsPath = path;
    cmdListFiles[1].visible = false;
  }

  IndexSettings settings;
  std::u16string error;
  SettingsReadStatus status = SettingsReadStatus::Error;
  if (const auto text = ReadWholeFile(path, &error)) {
    status = ReadIndexSettings(*text, settings, error);
  }

  // A file of another kind changes nothing in the window.
  if (status == SettingsReadStatus::NoSettingsHeader) {
    if (FormLoaded) {
      GetPlatform().MsgBox(NotASettingsFileMessage(path), ui::MsgButtons::Ok,
                           ui::MsgIcon::Exclamation, u"Load settings");
    }
    FocusFirstEmptyField();
    return;
  }
  if (status == SettingsReadStatus::NotASettingsFile) {
    txbExcludedFilepaths.SetText(settings.excludedFilepaths);
    if (FormLoaded) {
      GetPlatform().MsgBox(
          u"Invalid input.  Probably this is not a settings file for this index module.",
          ui::MsgButtons::Ok, ui::MsgIcon::Exclamation, u"Load settings");
    }
    txbProjectName.SetText(u"");
    txbTitle.SetText(u"");
    txbOutputFolder.SetText(u"");
    ClearResultLabels();
    FocusFirstEmptyField();
    return;
  }

  if (status == SettingsReadStatus::Error) {
    if (FormLoaded) {
      GetPlatform().MsgBox(u"Error when attempting to load settings: " + error, ui::MsgButtons::Ok,
                           ui::MsgIcon::Exclamation, u"Load config");
    }
    SetDefaults();
  } else {
    txbProjectName.SetText(settings.projectName);
    txbTitle.SetText(settings.title);
    txbExcludedFilepaths.SetText(settings.excludedFilepaths);

    std::u16string output = EnsureTrailingBackslash(settings.outputFolder);
    if (!output.empty() && !FolderExists(output)) output.clear();
    txbOutputFolder.SetText(output);

    std::u16string top = Trim(settings.topFolder);
    if (!top.empty()) top = FolderExists(top) ? EnsureTrailingBackslash(top) : u"";
    txbTopFolder.SetText(top);

    if (top.empty()) {
      txbExcludedFiles.SetText(u"");
      ExcludedFiles.clear();
      txbIncludedFolders.SetText(u"");
      IncludedSubfolders.clear();
    } else {
      txbExcludedFiles.SetText(settings.excludedFiles);
      txbExcludedFiles_LostFocus();
      if (ExcludedFiles.empty()) {
        txbExcludedFiles.SetText(u"");
      } else {
        ValidateExcludedFiles();
      }
      // Names are case-sensitive here: entries are kept as written.
      txbIncludedFolders.SetText(settings.includedFolders);
      txbIncludedFolders_LostFocus();
    }

    txbMinimumFilesize.SetText(settings.minimumFilesize);
    chkExcludeFilesInTopFolder.SetValue(settings.excludeTopFolderFiles);
    chkIncludeSubfoldersOfSubfolders.SetValue(settings.includeNestedSubfolders);
    chkExcludeSpecialLetters.SetValue(0);
  }

  if (FormLoaded) {
    txbProjectName_LostFocus();
    ClearResultLabels();
    UpdateTopFolderControls();
    UpdateExcludedCount();
  }
  FocusFirstEmptyField();
}

}  // namespace quor
