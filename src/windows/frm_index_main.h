// The Index Module window: where the user describes an index project (name,
// title, top and output folders, included subfolders, excluded files and
// fragments, size limits), lists the files the project would index, saves and
// loads the project's settings, and starts the index build.
//
// The window is split by responsibility over several files:
//   frm_index_main.cpp           controls, layout, load, defaults, leaving
//   frm_index_main_fields.cpp    project name, folders, lists, Clear, Reset
//   frm_index_main_settings.cpp  the settings commands and file
//   frm_index_main_list.cpp      BuildIndex's checks and "List files"
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/strings.h"
#include "extract/common_words.h"
#include "selection/folder_walk.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace quor::ui {
class AppContext;
class Launcher;
}  // namespace quor::ui

namespace quor {

class frmIndexMain;

// What "Create index file" runs once BuildIndex's checks have passed (the
// window's presenter of the index build, windows/index_run.h).
class IndexBuild {
 public:
  virtual ~IndexBuild() = default;
  // The whole of cmdExtractData_Click: Pause while a pass runs, otherwise the
  // start questions and form.BuildIndex() (with walk.ListOnly false).
  virtual void Click(frmIndexMain& form) = 0;
  // BuildIndex once its checks passed: the controls are disabled (only
  // cmdExtractData and cmdQuit stay enabled), the stop token and ModuleClosed
  // are clear and form.walk.rules hold the selection. Runs the build, leaves
  // its file list in form.walk and ends with form.SetControlsEnabled(true).
  virtual void Run(frmIndexMain& form) = 0;
};

class frmIndexMain : public ui::Form {
 public:
  // launcher may be null (tests, the command line): leaving the window then
  // only unloads it.
  explicit frmIndexMain(ui::AppContext& app, ui::Launcher* launcher = nullptr);
  ~frmIndexMain() override;

  ui::AppContext& App() const { return app_; }

  // ---- controls ----
  ui::Label lblIntro{*this, "lblIntro"};
  ui::Label lblProjectName{*this, "lblProjectName"};
  ui::TextBox txbProjectName{*this, "txbProjectName"};
  ui::Label lblSearchDomain{*this, "lblSearchDomain"};
  ui::TextBox txbTitle{*this, "txbTitle"};
  ui::CommandButton cmdTopFolder{*this, "cmdTopFolder"};
  ui::TextBox txbTopFolder{*this, "txbTopFolder"};
  ui::CommandButton cmdOutputFolder{*this, "cmdOutputFolder"};
  ui::TextBox txbOutputFolder{*this, "txbOutputFolder"};
  ui::CommandButton cmdSelectSubfolders{*this, "cmdSelectSubfolders"};
  ui::TextBox txbIncludedFolders{*this, "txbIncludedFolders"};
  ui::Label lblNumSubfoldersSelected{*this, "lblNumSubfoldersSelected"};
  ui::CheckBox chkIncludeSubfoldersOfSubfolders{*this, "chkIncludeSubfoldersOfSubfolders"};
  ui::Label lblTopFolderIsEmpty{*this, "lblTopFolderIsEmpty"};
  ui::CheckBox chkExcludeFilesInTopFolder{*this, "chkExcludeFilesInTopFolder"};
  ui::CommandButton cmdExcludeFiles{*this, "cmdExcludeFiles"};
  ui::TextBox txbExcludedFiles{*this, "txbExcludedFiles"};
  ui::Label lblNumExcludedFiles{*this, "lblNumExcludedFiles"};
  ui::Label lblExcludeFilepathsContaining{*this, "lblExcludeFilepathsContaining"};
  ui::TextBox txbExcludedFilepaths{*this, "txbExcludedFilepaths"};
  ui::CommandButton cmdExpandFilepathExclusions{*this, "cmdExpandFilepathExclusions"};
  ui::Label lblMinFilesize{*this, "lblMinFilesize"};
  ui::TextBox txbMinimumFilesize{*this, "txbMinimumFilesize"};
  ui::Label lblMaxFilesize{*this, "lblMaxFilesize"};
  ui::TextBox txbMaximumFilesize{*this, "txbMaximumFilesize"};
  ui::CheckBox chkExcludeSpecialLetters{*this, "chkExcludeSpecialLetters"};
  ui::CommandButton cmdListFiles[2] = {{*this, "cmdListFiles", 0}, {*this, "cmdListFiles", 1}};
  ui::CommandButton cmdExtractData{*this, "cmdExtractData"};
  ui::Label lblTotalNumFiles{*this, "lblTotalNumFiles"};
  ui::Label lblTotalFileSize{*this, "lblTotalFileSize"};
  ui::Label lblTotalTextSize{*this, "lblTotalTextSize"};
  ui::Label lblNowProcessingFile{*this, "lblNowProcessingFile"};
  ui::Label lblDifferentWordsFoundSoFar{*this, "lblDifferentWordsFoundSoFar"};
  ui::Label lblAsterisks{*this, "lblAsterisks"};
  ui::Label lblCurrentFile{*this, "lblCurrentFile"};
  ui::ComboBox cboSettings{*this, "cboSettings"};
  ui::CommandButton cmdSettings{*this, "cmdSettings"};
  ui::ComboBox cboClear{*this, "cboClear"};
  ui::CommandButton cmdClear{*this, "cmdClear"};
  ui::CommandButton cmdReset{*this, "cmdReset"};
  ui::CommandButton cmdSwitchToSearchModule{*this, "cmdSwitchToSearchModule"};
  ui::CommandButton cmdQuit{*this, "cmdQuit"};
  ui::Label lblUserManual{*this, "lblUserManual"};
  ui::Label lblUserManualURL{*this, "lblUserManualURL"};
  ui::Label lblVantrelSystems{*this, "lblVantrelSystems"};

  // ---- state ----
  bool FormLoaded = false;
  std::u16string IndexFilePath;
  std::u16string DefaultSettingsPath;
  std::u16string LastSettingsPath;
  bool TopFolderHasSubfolders = false;
  bool IndexCreated = false;
  // The selection lists the text boxes hold.
  TextList IncludedSubfolders;
  TextList ExcludedFiles;
  TextList FilepathFragments;
  // The walk and the Index Module's file list (IndexFileList, totals and the
  // mode flags).
  FolderWalk walk;
  // The stop of the listing or index run in progress: Pause/Cancel, leaving
  // the window.
  StopToken stopToken;
  // The common-word list, loaded with the defaults, for the index build.
  CommonWords commonWords;
  // Display limit for paths in lblCurrentFile.
  int CurrentFileDisplayLength = 80;
  // What "Create index file" runs; without one the button says the build is
  // not available.
  std::unique_ptr<IndexBuild> indexBuild;

  int NumIncludedSubfolders() const { return static_cast<int>(IncludedSubfolders.size()); }
  int NumExcludedFiles() const { return static_cast<int>(ExcludedFiles.size()); }
  bool IsExcludedExtension(std::u16string_view ext) const;
  // The program's name and data folder name (program text 310, "QUOR" when
  // the text file has none).
  std::u16string ProgramName() const;

  // ---- form events ----
  void Form_Load() override;
  void Form_Activate() override;
  void Form_Resize() override;
  bool Form_QueryUnload() override;
  void Form_Unload() override;

  // ---- routines ----
  void SetDefaults();
  void ClearResultLabels();
  void UpdateTopFolderControls();
  void UpdateIncludedCount();
  void UpdateExcludedCount();
  void ValidateIncludedSubfolders();
  void ValidateExcludedFiles();
  void FocusFirstEmptyField();
  // path empty: ask with a save dialog.
  void SaveSettings(const std::u16string& path, bool showPopUp);
  // path empty: ask with an open dialog.
  void LoadSettings(const std::u16string& path);
  // The checks and the run of "Create index file" and "List files".
  void BuildIndex();
  // Enables or disables every text box, check box, combo box and button.
  void SetControlsEnabled(bool enabled);
  // The message of a run that found no file (program texts 90 to 93).
  void ShowNoFilesMessage(const std::u16string& title);
  // What choosing a folder in the browser does (the command line uses them
  // too). SetOutputFolder refuses a folder on a read-only file system.
  void SetTopFolder(const std::u16string& folder);
  bool SetOutputFolder(const std::u16string& folder);
  // The walk's rules from the window's fields (run start).
  void PrepareSelection();

  // ---- event handlers ----
  void txbProjectName_KeyPress(char16_t& keyAscii);
  void txbProjectName_LostFocus();
  void cmdTopFolder_Click();
  void txbTopFolder_Click();
  void cmdOutputFolder_Click();
  void cmdSelectSubfolders_Click();
  void txbIncludedFolders_LostFocus();
  void cmdExcludeFiles_Click();
  void txbExcludedFiles_LostFocus();
  void cmdExpandFilepathExclusions_Click();
  void cmdListFiles_Click(int index);
  void cmdExtractData_Click();
  void cmdSettings_Click();
  void cboSettings_Click();
  void cmdClear_Click();
  void cboClear_Click();
  void cmdReset_Click();
  void cmdSwitchToSearchModule_Click();
  void cmdQuit_Click();
  void lblUserManualURL_Click();
  void lblVantrelSystems_Click();

 private:
  friend class IndexMainWalkHost;
  void WireEvents();
  void LayoutControls();
  void ClearTotalLabels();
  // BuildIndex's checks; false when the run must not start.
  bool PassesRunChecks();
  void RunListing();
  void ClearField(int item);

  ui::AppContext& app_;
  ui::Launcher* launcher_;
  // The caption set at load, restored when the window is back from minimised.
  std::u16string loadCaption_;
  // SetDefaults fills the combo boxes: picking their items must not run the
  // commands then.
  bool fillingCombos_ = false;
  // cmdQuit ends the program: unloading must not bring the launcher back.
  bool quitting_ = false;
  // Enabled states saved by SetControlsEnabled(false), restored by (true).
  std::vector<std::pair<ui::Control*, bool>> savedEnabled_;
};

// The module factory of the launcher.
std::unique_ptr<ui::Form> MakeIndexModule(ui::AppContext& app, ui::Launcher& launcher);

}  // namespace quor
