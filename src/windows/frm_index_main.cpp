// frmIndexMain: controls, layout, loading, defaults and leaving the window.
#include "windows/frm_index_main.h"
#include "windows/settings_menu.h"

#include <filesystem>

#include "common/files.h"
#include "common/paths.h"
#include "ui/app_context.h"
#include "ui/launcher.h"
#include "ui/platform.h"
#include "ui/shell_services.h"
#include "windows/frm_index_main_texts.h"
#include "windows/index_run.h"
#include "windows/index_settings.h"

namespace quor {

using namespace index_main;

namespace {

// Layout, twips (client coordinates).
constexpr int kLeft = 240;
constexpr int kLabelWidth = 2400;
constexpr int kFieldLeft = 2760;
constexpr int kRight = 8940;
constexpr int kFieldWidth = kRight - kFieldLeft;
constexpr int kBoxHeight = 315;
constexpr int kButtonHeight = 345;
constexpr int kLabelHeight = 255;
constexpr int kLabelDrop = 45;  // label text level with the text in a box
constexpr int kListHeight = 780;

void Place(ui::Control& control, int left, int top, int width, int height) {
  control.geometry = {left, top, width, height};
}

}  // namespace

frmIndexMain::frmIndexMain(ui::AppContext& app, ui::Launcher* launcher)
    : Form(app.platform, "frmIndexMain"), app_(app), launcher_(launcher) {
  geometry = {0, 0, 9300, 9090};
  caption = u"Index Module";

  lblProjectName.caption = u"Project name:";
  txbProjectName.maxLength = 17;
  txbProjectName.toolTip = u"Maximum 17 characters.";
  lblSearchDomain.caption = u"Title:";
  txbTitle.toolTip = u"This is a title for the project.";
  cmdTopFolder.caption = u"Top folder";
  cmdTopFolder.toolTip =
      u"This is the folder containing top-level files.  Click on 'Top folder' to specify.";
  txbTopFolder.readOnly = true;
  cmdOutputFolder.caption = u"Output folder";
  cmdOutputFolder.toolTip =
      u"This is the folder where the index file will be created.  Click on 'Output folder' to "
      u"specify.";
  txbOutputFolder.readOnly = true;
  cmdSelectSubfolders.caption = u"Include subfolders";
  txbIncludedFolders.multiLine = true;
  txbIncludedFolders.verticalScrollBar = true;
  txbIncludedFolders.toolTip =
      u"One subfolder per line, relative to the top folder.  Subfolders that do not exist are "
      u"dropped.";
  cmdExcludeFiles.caption = u"Exclude files";
  txbExcludedFiles.multiLine = true;
  txbExcludedFiles.verticalScrollBar = true;
  lblExcludeFilepathsContaining.caption = u"Exclude filepaths containing:";
  txbExcludedFilepaths.toolTip =
      u"Filepaths containing these character strings will be excluded.  Separate strings with "
      u"comma.";
  cmdExpandFilepathExclusions.caption = u"Expand";
  lblMinFilesize.caption = u"Minimum filesize (bytes) for inclusion:";
  txbMinimumFilesize.maxLength = 4;
  lblMaxFilesize.caption = u"Maximum filesize (Kb) for inclusion:";
  txbMaximumFilesize.maxLength = 4;
  cmdListFiles[0].caption = u"List files";
  cmdListFiles[1].caption = u"List files which were indexed";
  cmdListFiles[1].visible = false;
  cmdExtractData.caption = std::u16string(kCreateIndexFile);
  cmdSettings.caption = u"Settings -->";
  cmdClear.caption = u"Clear -->";
  cmdReset.caption = u"Reset";
  cmdSwitchToSearchModule.caption = u"Go to search module";
  cmdQuit.caption = u"Quit";
  lblUserManual.caption = u"User manual: ";
  lblUserManualURL.underline = true;
  lblVantrelSystems.underline = true;
  lblVantrelSystems.alignment = ui::Label::Alignment::Right;
  // Progress lines never wrap: a wrapped line falls out of its label.
  for (ui::Label* label :
       {&lblNowProcessingFile, &lblDifferentWordsFoundSoFar, &lblAsterisks, &lblCurrentFile}) {
    label->wordWrap = false;
  }

  indexBuild = MakeIndexRun();

  LayoutControls();
  int tab = 0;
  for (ui::Control* control : Controls()) control->tabIndex = tab++;
  WireEvents();
}

frmIndexMain::~frmIndexMain() = default;

void frmIndexMain::LayoutControls() {
  Place(lblIntro, kLeft, 120, kRight - kLeft, 420);
  int y = 600;
  auto fieldRow = [&](ui::Control& left, ui::Control& field, int fieldWidth) {
    if (left.Kind() == ui::ControlKind::Label) {
      Place(left, kLeft, y + kLabelDrop, kLabelWidth, kLabelHeight);
    } else {
      Place(left, kLeft, y - 15, kLabelWidth, kButtonHeight);
    }
    Place(field, kFieldLeft, y, fieldWidth, kBoxHeight);
    y += 390;
  };
  fieldRow(lblProjectName, txbProjectName, 2400);
  fieldRow(lblSearchDomain, txbTitle, kFieldWidth);
  fieldRow(cmdTopFolder, txbTopFolder, kFieldWidth);
  fieldRow(cmdOutputFolder, txbOutputFolder, kFieldWidth);

  y += 60;
  Place(cmdSelectSubfolders, kLeft, y, kLabelWidth, kButtonHeight);
  Place(lblNumSubfoldersSelected, kLeft, y + 405, kLabelWidth, 390);
  Place(txbIncludedFolders, kFieldLeft, y, kFieldWidth, kListHeight);
  y += kListHeight + 60;
  Place(chkIncludeSubfoldersOfSubfolders, kFieldLeft, y, kFieldWidth, kLabelHeight);
  y += 300;
  Place(chkExcludeFilesInTopFolder, kFieldLeft, y, kFieldWidth, kLabelHeight);
  Place(lblTopFolderIsEmpty, kFieldLeft, y - 40, kFieldWidth, kLabelHeight);
  y += 360;
  Place(cmdExcludeFiles, kLeft, y, kLabelWidth, kButtonHeight);
  Place(lblNumExcludedFiles, kLeft, y + 405, kLabelWidth, 390);
  Place(txbExcludedFiles, kFieldLeft, y, kFieldWidth, kListHeight);
  y += kListHeight + 90;
  Place(lblExcludeFilepathsContaining, kLeft, y + kLabelDrop, kLabelWidth, kLabelHeight);
  Place(txbExcludedFilepaths, kFieldLeft, y, kFieldWidth - 1080, kBoxHeight);
  Place(cmdExpandFilepathExclusions, kRight - 960, y - 15, 960, kButtonHeight);
  y += 390;
  Place(lblMinFilesize, kLeft, y + kLabelDrop, 3600, kLabelHeight);
  Place(txbMinimumFilesize, kFieldLeft + 1200, y, 720, kBoxHeight);
  Place(chkExcludeSpecialLetters, 5160, y + 30, kRight - 5160, kLabelHeight);
  y += 390;
  Place(lblMaxFilesize, kLeft, y + kLabelDrop, 3600, kLabelHeight);
  Place(txbMaximumFilesize, kFieldLeft + 1200, y, 720, kBoxHeight);
  y += 450;

  Place(cmdListFiles[0], kLeft, y, 1800, 420);
  Place(cmdListFiles[1], kLeft + 1920, y, 2700, 420);
  Place(cmdExtractData, kRight - 2400, y, 2400, 420);
  // The wandering star beside the Pause button: the row below needs its
  // width for the counts.
  Place(lblAsterisks, kLeft + 4740, y + 90, kRight - 2400 - 120 - kLeft - 4740, kLabelHeight);
  y += 540;
  Place(lblTotalNumFiles, kLeft, y, 2760, kLabelHeight);
  Place(lblTotalFileSize, kLeft + 2880, y, 2880, kLabelHeight);
  Place(lblTotalTextSize, kLeft + 5880, y, kRight - kLeft - 5880, kLabelHeight);
  y += 270;
  // The words label begins where the widened progress label ends and takes
  // "Different words found so far: 123,456" with room to spare.
  Place(lblNowProcessingFile, kLeft, y, kWalkIdleLabelWidth, kLabelHeight);
  Place(lblDifferentWordsFoundSoFar, kLeft + kWalkBusyLabelWidth + 120, y,
        kRight - kLeft - kWalkBusyLabelWidth - 120, kLabelHeight);
  y += 270;
  Place(lblCurrentFile, kLeft, y, kRight - kLeft, kLabelHeight);
  y += 360;

  Place(cboSettings, kLeft, y, 2040, kBoxHeight);
  Place(cmdSettings, kLeft + 2100, y - 15, 1140, kButtonHeight);
  Place(cboClear, kLeft + 3480, y, 2040, kBoxHeight);
  Place(cmdClear, kLeft + 5580, y - 15, 1020, kButtonHeight);
  Place(cmdReset, kRight - 1200, y - 15, 1200, kButtonHeight);
  y += 420;
  Place(cmdSwitchToSearchModule, kLeft, y, 2400, 375);
  Place(cmdQuit, kRight - 1200, y, 1200, 375);
  y += 480;
  Place(lblUserManual, kLeft, y, 2040, kLabelHeight);
  Place(lblUserManualURL, kLeft + 2040, y, 4200, kLabelHeight);
  Place(lblVantrelSystems, kRight - 2700, y, 2700, kLabelHeight);
}

void frmIndexMain::WireEvents() {
  txbProjectName.KeyPress = [this](char16_t& ch) { txbProjectName_KeyPress(ch); };
  txbProjectName.LostFocus = [this] { txbProjectName_LostFocus(); };
  cmdTopFolder.Click = [this] { cmdTopFolder_Click(); };
  txbTopFolder.Click = [this] { txbTopFolder_Click(); };
  cmdOutputFolder.Click = [this] { cmdOutputFolder_Click(); };
  cmdSelectSubfolders.Click = [this] { cmdSelectSubfolders_Click(); };
  txbIncludedFolders.LostFocus = [this] { txbIncludedFolders_LostFocus(); };
  cmdExcludeFiles.Click = [this] { cmdExcludeFiles_Click(); };
  txbExcludedFiles.LostFocus = [this] { txbExcludedFiles_LostFocus(); };
  cmdExpandFilepathExclusions.Click = [this] { cmdExpandFilepathExclusions_Click(); };
  cmdListFiles[0].Click = [this] { cmdListFiles_Click(0); };
  cmdListFiles[1].Click = [this] { cmdListFiles_Click(1); };
  cmdExtractData.Click = [this] { cmdExtractData_Click(); };
  cmdSettings.Click = [this] { cmdSettings_Click(); };
  cboSettings.Click = [this] { cboSettings_Click(); };
  cmdClear.Click = [this] { cmdClear_Click(); };
  cboClear.Click = [this] { cboClear_Click(); };
  cmdReset.Click = [this] { cmdReset_Click(); };
  cmdSwitchToSearchModule.Click = [this] { cmdSwitchToSearchModule_Click(); };
  cmdQuit.Click = [this] { cmdQuit_Click(); };
  lblUserManualURL.Click = [this] { lblUserManualURL_Click(); };
  lblVantrelSystems.Click = [this] { lblVantrelSystems_Click(); };
}

// ---- loading ----

void frmIndexMain::Form_Load() {
  FormLoaded = false;
  quitting_ = false;
  SetFormColour(app_.WindowColour);
  std::u16string launcherCaption = app_.LauncherCaption;
  if (launcherCaption.empty()) launcherCaption = app_.GetProgramText(kTextProductName);
  caption = launcherCaption + u" -- " + app_.GetProgramText(kTextModuleName);
  loadCaption_ = caption;
  lblUserManualURL.caption = ui::ManualPath(GetPlatform(), app_.GetProgramText(kTextManualFile));
  lblVantrelSystems.caption = app_.GetProgramText(kTextMakerAddress);
  CentreOnScreen();
  SetDefaults();
  if (FileExists(DefaultSettingsPath)) LoadSettings(DefaultSettingsPath);
  txbProjectName_LostFocus();
  ClearResultLabels();
  UpdateTopFolderControls();
  if (!txbExcludedFiles.Text().empty()) txbExcludedFiles_LostFocus();
  lblTopFolderIsEmpty.geometry.left = chkExcludeFilesInTopFolder.geometry.left;
  lblTopFolderIsEmpty.geometry.top = chkExcludeFilesInTopFolder.geometry.top - 40;
  FormLoaded = true;
  FocusFirstEmptyField();
}

void frmIndexMain::Form_Activate() {
  FocusFirstEmptyField();
}

void frmIndexMain::Form_Resize() {
  if (windowState == ui::WindowState::Minimized) {
    caption = u"QUOR -- Index Module";
  } else if (windowState == ui::WindowState::Normal && !loadCaption_.empty()) {
    caption = loadCaption_;
  }
}

bool frmIndexMain::Form_QueryUnload() {
  return false;
}

void frmIndexMain::Form_Unload() {
  // Whatever runs (a walk, a listing) is abandoned silently.
  app_.ModuleClosed = true;
  stopToken.RequestStop();
  FormLoaded = false;
  // The launcher shows again, or opens the Search Module when this window
  // handed over to it.
  if (!quitting_ && launcher_) launcher_->ModuleWindowClosed();
}

void frmIndexMain::SetDefaults() {
  txbTopFolder.toolTip =
      u"Click on the button at left to specify the top folder holding files to be indexed.";
  cmdListFiles[1].visible = false;
  walk.MaxFilesToIndex = kMaxFilesToIndex;
  chkExcludeSpecialLetters.caption = app_.GetProgramText(kTextSpecialLetters);

  std::u16string programFolder = EnsureTrailingBackslash(GetPlatform().ProgramFolder());
  commonWords.LoadCommonWords(programFolder + u"cwds.txt");

  lblIntro.caption = app_.GetProgramText(kTextIntro);
  lblNumExcludedFiles.caption.clear();
  LastSettingsPath.clear();
  const std::u16string dataFolder = ProgramDataFolder(GetPlatform().AppDataFolder(), ProgramName());
  DefaultSettingsPath = dataFolder + kPathSeparator + std::u16string(kDefaultIndexSettingsName);

  IncludedSubfolders.clear();
  lblNumSubfoldersSelected.caption = app_.GetProgramText(kTextNoSubfolders);
  walk.ClearFileList();
  walk.IndexFileCount = 0;
  ExcludedFiles.clear();
  FilepathFragments.clear();
  walk.rules = SelectionRules();
  txbExcludedFiles.toolTip = app_.GetProgramText(kTextExcludedFilesTip);

  fillingCombos_ = true;
  cboSettings.ClearItems();
  for (std::u16string_view item : kSettingsItems) cboSettings.AddItem(std::u16string(item));
  cboSettings.SetListIndex(0);
  cboClear.ClearItems();
  for (std::u16string_view item : kClearItems) cboClear.AddItem(std::u16string(item));
  fillingCombos_ = false;

  for (ui::Label* label : {&lblTotalNumFiles, &lblTotalFileSize, &lblTotalTextSize,
                           &lblNowProcessingFile, &lblCurrentFile, &lblDifferentWordsFoundSoFar}) {
    label->caption.clear();
  }
  for (ui::TextBox* box : {&txbOutputFolder, &txbTopFolder, &txbProjectName, &txbTitle,
                           &txbExcludedFilepaths, &txbExcludedFiles, &txbIncludedFolders}) {
    box->SetText(u"");
  }
  txbMinimumFilesize.SetText(u"400");
  txbMaximumFilesize.SetText(u"4000");
  chkExcludeFilesInTopFolder.SetValue(0);
  chkIncludeSubfoldersOfSubfolders.SetValue(0);
  chkExcludeSpecialLetters.SetValue(0);
}

std::u16string frmIndexMain::ProgramName() const {
  std::u16string name = app_.GetProgramText(kTextDataFolderName);
  if (name.empty()) name = u"QUOR";
  return name;
}

bool frmIndexMain::IsExcludedExtension(std::u16string_view ext) const {
  return quor::IsExcludedExtension(walk.rules.ExcludedExtensionList, ext);
}

void frmIndexMain::ClearResultLabels() {
  for (ui::Label* label : {&lblTotalNumFiles, &lblTotalFileSize, &lblTotalTextSize,
                           &lblNowProcessingFile, &lblCurrentFile}) {
    label->caption.clear();
  }
}

void frmIndexMain::ClearTotalLabels() {
  lblTotalNumFiles.caption.clear();
  lblTotalFileSize.caption.clear();
  lblTotalTextSize.caption.clear();
}

void frmIndexMain::FocusFirstEmptyField() {
  if (!Loaded() || !Visible()) return;
  auto usable = [](const ui::Control& control) { return control.enabled && control.visible; };
  if (txbProjectName.Text().empty() && usable(txbProjectName)) return txbProjectName.SetFocus();
  if (txbTopFolder.Text().empty() && usable(cmdTopFolder)) return cmdTopFolder.SetFocus();
  if (txbTitle.Text().empty() && usable(txbTitle)) return txbTitle.SetFocus();
  if (txbOutputFolder.Text().empty() && usable(cmdOutputFolder)) return cmdOutputFolder.SetFocus();
  if (usable(cmdSwitchToSearchModule)) return cmdSwitchToSearchModule.SetFocus();
  if (usable(cmdListFiles[0])) cmdListFiles[0].SetFocus();
}

// ---- leaving the window and links ----

void frmIndexMain::cmdSwitchToSearchModule_Click() {
  app_.ModuleClosed = true;
  app_.ModuleSwitch = true;
  app_.HandedOverTopFolder = txbTopFolder.Text();
  Unload();
}

void frmIndexMain::cmdQuit_Click() {
  app_.ModuleClosed = true;
  quitting_ = true;
  Unload();
  if (launcher_) launcher_->EndProgram();
}

void frmIndexMain::lblUserManualURL_Click() {
  ui::OpenInBrowser(GetPlatform(),
                    ui::ManualAddress(GetPlatform(), app_.GetProgramText(kTextManualFile)));
}

void frmIndexMain::lblVantrelSystems_Click() {
  ui::OpenInBrowser(GetPlatform(), app_.GetProgramText(kTextMakerAddress));
}

std::unique_ptr<ui::Form> MakeIndexModule(ui::AppContext& app, ui::Launcher& launcher) {
  return std::make_unique<frmIndexMain>(app, &launcher);
}

}  // namespace quor
