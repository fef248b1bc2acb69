// frmSearchMain: controls, layout, loading, defaults, the folder and file
// choices, Clear, the clipboard and leaving the window.
#include "windows/frm_search_main.h"
#include "windows/settings_menu.h"

#include <algorithm>
#include <filesystem>

#include "common/files.h"
#include "common/paths.h"
#include "common/strings.h"
#include "indexfile/data_file.h"
#include "search/data_file_check.h"
#include "ui/app_context.h"
#include "ui/frm_large_display.h"
#include "ui/launcher.h"
#include "ui/platform.h"
#include "windows/frm_search_main_texts.h"

namespace quor {

using namespace search_main;

namespace {

// Layout, twips (client coordinates; controls in a frame are placed in it).
constexpr int kLeft = 240;
constexpr int kFieldLeft = 1860;
constexpr int kRight = 9780;
constexpr int kClearWidth = 840;
constexpr int kClearLeft = kRight - kClearWidth;
constexpr int kFieldWidth = kClearLeft - 90 - kFieldLeft;
constexpr int kButtonWidth = 1500;
constexpr int kBoxHeight = 315;
constexpr int kButtonHeight = 345;
constexpr int kLabelHeight = 255;
constexpr int kLabelDrop = 45;
constexpr int kRowStep = 420;

void Place(ui::Control& control, int left, int top, int width, int height) {
  control.geometry = {left, top, width, height};
}

}  // namespace

frmSearchMain::frmSearchMain(ui::AppContext& app, ui::Launcher* launcher)
    : Form(app.platform, "frmSearchMain"), app_(app), launcher_(launcher) {
  geometry = {0, 0, kRight + kLeft + ui::kFrameWidthTwips, 9720 + ui::kFrameHeightTwips};
  caption = std::u16string(kModuleName);

  cmdIndexFile.caption = u"Index file";
  txbIndexFile.readOnly = true;
  txbIndexFile.toolTip = u"Click on the button at left to specify the index file.";
  lblTitle[0].caption = u"Title:";
  cmdTopFolder.caption = u"Top folder";
  txbTopFolder.readOnly = true;
  txbTopFolder.toolTip =
      u"Click on the button at left to specify the top folder in the folder tree of files to be "
      u"searched.";
  fraSearchScope.border = false;
  optSearchAllFiles.container = &fraSearchScope;
  optSearchAllFiles.caption = u"Search all indexed files";
  optSearchSingleFile.container = &fraSearchScope;
  optSearchSingleFile.caption = u"Search a single indexed file";
  cmdSpecifyFile.caption = u"Specify file";
  txbSingleFile.readOnly = true;
  txbSingleFile.toolTip = u"Click on the button at left to specify a single file to be searched.";
  lblSearchType.caption = u"Search type:";
  lblSearchWords.caption = u"Search words:";
  cmdSearch.caption = std::u16string(kSearchCaption);
  chkSortMatches.caption = u"Sort files found by search word occurrence";
  txbFiles.multiLine = true;
  txbFiles.readOnly = true;
  txbFiles.verticalScrollBar = true;
  cmdCopyToClipboard.caption = u"Copy to clipboard";
  fraReport.caption = u"Report";
  chkGenerateHTML.container = &fraReport;
  chkGenerateHTML.caption = u"Generate report on completion of search";
  optHTMLReport.container = &fraReport;
  optHTMLReport.caption = u"HTML";
  optTextReport.container = &fraReport;
  optTextReport.caption = u"Text";
  cmdGenerateHTML.container = &fraReport;
  cmdGenerateHTML.caption = std::u16string(kReportCaption);
  lblMaxNumExtracts.container = &fraReport;
  lblMaxNumExtracts.caption = u"Maximum number of extracts:";
  txbMaxNumExtracts.container = &fraReport;
  lblNoLimit.container = &fraReport;
  lblNoLimit.caption = u"Leave blank if no limit.";
  lblSizeOfExtract.container = &fraReport;
  lblSizeOfExtract.caption = u"Size of extracts:";
  cboSizeOfExtract.container = &fraReport;
  chkDisplayDescriptions.container = &fraReport;
  chkDisplayDescriptions.caption = u"Include descriptions in report";
  chkDisplayFilepaths.container = &fraReport;
  chkDisplayFilepaths.caption = u"Include filepaths in HTML report";
  chkOnQuitDeleteDataFile.caption = u"On quit delete the data file";
  cmdListIndexedFiles.caption = u"List indexed files";
  fraListIndexedFilesBy.border = false;
  optAlphabetically.container = &fraListIndexedFilesBy;
  optAlphabetically.caption = u"alphabetically";
  optByFolder.container = &fraListIndexedFilesBy;
  optByFolder.caption = u"by folder";
  cmdSettings.caption = u"Settings -->";
  for (ui::CommandButton& button : cmdClear) button.caption = u"Clear";
  cmdQuit.caption = u"Quit";

  LayoutControls();
  int tab = 0;
  for (ui::Control* control : Controls()) control->tabIndex = tab++;
  WireEvents();
}

frmSearchMain::~frmSearchMain() = default;

void frmSearchMain::LayoutControls() {
  int y = 180;
  auto fieldRow = [&](ui::Control& button, ui::Control& field, ui::Control* clear) {
    Place(button, kLeft, y - 15, kButtonWidth, kButtonHeight);
    Place(field, kFieldLeft, y, kFieldWidth, kBoxHeight);
    if (clear) Place(*clear, kClearLeft, y - 15, kClearWidth, kButtonHeight);
    y += kRowStep;
  };
  fieldRow(cmdIndexFile, txbIndexFile, &cmdClear[2]);
  Place(lblTitle[0], kLeft, y, kButtonWidth, kLabelHeight);
  Place(lblTitle[1], kFieldLeft, y, kRight - kFieldLeft, kLabelHeight);
  y += 300;
  Place(lblSearchableWords, kFieldLeft, y, kRight - kFieldLeft, kLabelHeight);
  y += 390;
  fieldRow(cmdTopFolder, txbTopFolder, &cmdClear[1]);

  // A frame without a border shows its own shade where no control covers
  // it: its option buttons fill it.
  Place(fraSearchScope, kFieldLeft, y + 15, 7020, kLabelHeight);
  Place(optSearchAllFiles, 0, 0, 3420, kLabelHeight);
  Place(optSearchSingleFile, 3420, 0, 3600, kLabelHeight);
  y += 360;
  fieldRow(cmdSpecifyFile, txbSingleFile, &cmdClear[4]);
  y += 60;

  Place(lblSearchType, kLeft, y + kLabelDrop, kButtonWidth, kLabelHeight);
  Place(cboSearchType, kFieldLeft, y, 1800, kBoxHeight);
  Place(chkSortMatches, kFieldLeft + 2040, y + 30, kRight - kFieldLeft - 2040, kLabelHeight);
  y += kRowStep;
  Place(lblSearchWords, kLeft, y + kLabelDrop, kButtonWidth, kLabelHeight);
  const int searchLeft = kRight - 1200;
  Place(txbSearchWords, kFieldLeft, y, searchLeft - 90 - kClearWidth - 90 - kFieldLeft, kBoxHeight);
  Place(cmdClear[3], searchLeft - 90 - kClearWidth, y - 15, kClearWidth, kButtonHeight);
  Place(cmdSearch, searchLeft, y - 30, 1200, 375);
  y += 480;

  Place(lblNumFilesFound, kLeft, y + kLabelDrop, 5400, kLabelHeight);
  Place(cmdClear[0], kRight - 2700 - 90 - kClearWidth, y - 15, kClearWidth, kButtonHeight);
  Place(cmdCopyToClipboard, kRight - 2700, y - 15, 2700, kButtonHeight);
  y += 420;
  Place(txbFiles, kLeft, y, kRight - kLeft, 2880);
  y += 2880 + 120;

  // The report frame: its controls sit in it.
  const int frameWidth = kRight - kLeft;
  Place(fraReport, kLeft, y, frameWidth, 1500);
  Place(chkGenerateHTML, 150, 300, 3900, kLabelHeight);
  Place(optHTMLReport, 4200, 300, 900, kLabelHeight);
  Place(optTextReport, 5160, 300, 900, kLabelHeight);
  Place(cmdGenerateHTML, frameWidth - 150 - 1400, 240, 1400, 375);
  Place(lblMaxNumExtracts, 150, 720 + kLabelDrop, 2520, kLabelHeight);
  Place(txbMaxNumExtracts, 2700, 720, 720, kBoxHeight);
  Place(lblNoLimit, 3540, 720 + kLabelDrop, 2160, kLabelHeight);
  Place(lblSizeOfExtract, 5820, 720 + kLabelDrop, 1560, kLabelHeight);
  Place(cboSizeOfExtract, 7440, 720, 720, kBoxHeight);
  Place(chkDisplayDescriptions, 150, 1140, 3900, kLabelHeight);
  Place(chkDisplayFilepaths, 4200, 1140, 4200, kLabelHeight);
  y += 1500 + 180;

  Place(cmdListIndexedFiles, kLeft, y - 15, 2100, kButtonHeight);
  Place(fraListIndexedFilesBy, kLeft + 2220, y + 30, 3120, kLabelHeight);
  Place(optAlphabetically, 0, 0, 1620, kLabelHeight);
  Place(optByFolder, 1620, 0, 1500, kLabelHeight);
  Place(chkOnQuitDeleteDataFile, kRight - 3300, y + 30, 3300, kLabelHeight);
  y += 480;
  Place(cboSettings, kLeft, y, 2100, kBoxHeight);
  Place(cmdSettings, kLeft + 2220, y - 15, 1260, kButtonHeight);
  Place(cmdQuit, kRight - 1200, y - 30, 1200, 375);
}

void frmSearchMain::WireEvents() {
  cmdIndexFile.Click = [this] { cmdIndexFile_Click(); };
  cmdTopFolder.Click = [this] { cmdTopFolder_Click(); };
  cmdSpecifyFile.Click = [this] { cmdSpecifyFile_Click(); };
  optSearchSingleFile.Click = [this] { optSearchSingleFile_Click(); };
  cboSearchType.Click = [this] { cboSearchType_Click(); };
  txbSearchWords.Change = [this] { txbSearchWords_Change(); };
  txbSearchWords.KeyPress = [this](char16_t& ch) { txbSearchWords_KeyPress(ch); };
  cmdSearch.Click = [this] { cmdSearch_Click(); };
  chkSortMatches.Click = [this] { chkSortMatches_Click(); };
  cmdGenerateHTML.Click = [this] { cmdGenerateHTML_Click(); };
  cmdListIndexedFiles.Click = [this] { cmdListIndexedFiles_Click(); };
  cmdSettings.Click = [this] { cmdSettings_Click(); };
  cboSettings.Click = [this] { cboSettings_Click(); };
  for (int k = 0; k < 5; ++k) cmdClear[k].Click = [this, k] { cmdClear_Click(k); };
  cmdCopyToClipboard.Click = [this] { cmdCopyToClipboard_Click(); };
  txbFiles.SelChange = [this] { txbFiles_MouseUp(); };
  cmdQuit.Click = [this] { cmdQuit_Click(); };
}

// ---- loading ----

void frmSearchMain::Form_Load() {
  WindowOpened = false;
  SetFormColour(app_.WindowColour);
  // The report frame has a shade of its own: its controls show it.
  for (ui::Control* control : Controls()) {
    if (control->container == &fraReport) control->hasBackColour = false;
  }
  std::u16string launcherCaption = app_.LauncherCaption;
  if (launcherCaption.empty()) launcherCaption = app_.GetProgramText(kTextProductName);
  caption = launcherCaption + u" -- " + std::u16string(kModuleName);
  loadCaption_ = caption;
  CentreOnScreen();
  SetDefaults();
  if (FileExists(DefaultSettingsPath)) LoadSettings(DefaultSettingsPath);
  // The Index Module handed over its top folder.
  if (app_.ModuleSwitch && !app_.HandedOverTopFolder.empty() &&
      FolderExists(app_.HandedOverTopFolder)) {
    SetTopFolder(app_.HandedOverTopFolder);
  }
  app_.ModuleClosed = false;
  WindowOpened = true;
  UpdateControlState();
}

void frmSearchMain::SetDefaults() {
  fillingCombos_ = true;
  cboSearchType.ClearItems();
  for (std::u16string_view item : kSearchTypeItems) cboSearchType.AddItem(std::u16string(item));
  cboSearchType.SetListIndex(1);
  cboSizeOfExtract.ClearItems();
  for (char16_t digit = u'1'; digit <= u'9'; ++digit) {
    cboSizeOfExtract.AddItem(std::u16string(1, digit));
  }
  cboSizeOfExtract.SetListIndex(4);
  cboSettings.ClearItems();
  for (std::u16string_view item : kSettingsItems) cboSettings.AddItem(std::u16string(item));
  cboSettings.SetListIndex(0);
  fillingCombos_ = false;

  for (ui::TextBox* box : {&txbIndexFile, &txbTopFolder, &txbSingleFile, &txbSearchWords, &txbFiles,
                           &txbMaxNumExtracts}) {
    box->SetText(u"");
  }
  for (ui::Label* label : {&lblNumFilesFound, &lblSearchableWords, &lblTitle[1]}) {
    label->caption.clear();
  }
  optSearchAllFiles.SetValue(true);
  chkSortMatches.SetValue(0);
  chkGenerateHTML.SetValue(1);
  optHTMLReport.SetValue(true);
  chkDisplayDescriptions.SetValue(1);
  chkDisplayFilepaths.SetValue(0);
  chkOnQuitDeleteDataFile.SetValue(0);
  optAlphabetically.SetValue(true);
  for (int k = 1; k < 5; ++k) cmdClear[k].visible = false;
  cmdSearch.caption = std::u16string(kSearchCaption);
  cmdGenerateHTML.caption = std::u16string(kReportCaption);
  MaxNumExtracts = -1;
  IndexReady = false;
  TopFolderChecked = false;
  SearchWordsChanged = false;
  SortRequestedAfterSearch = false;
  lastSearch.reset();
  lastResult = SearchResult();

  const std::u16string dataFolder =
      ProgramDataFolder(GetPlatform().AppDataFolder(), app_.GetProgramText(kTextDataFolderName));
  DefaultSettingsPath =
      EnsureTrailingBackslash(dataFolder) + std::u16string(kDefaultSearchSettingsName);
}

std::u16string frmSearchMain::ReportPath() const {
  return EnsureTrailingBackslash(GetFolderPart(DefaultSettingsPath)) + u"quor.htm";
}

void frmSearchMain::Form_Resize() {
  if (windowState == ui::WindowState::Minimized) {
    caption = std::u16string(kMinimisedCaption);
  } else if (windowState == ui::WindowState::Normal && !loadCaption_.empty()) {
    caption = loadCaption_;
  }
}

void frmSearchMain::UpdateControlState() {
  const bool listing = !txbIndexFile.Text().empty();
  cmdListIndexedFiles.enabled = listing;
  optAlphabetically.enabled = listing && cmdListIndexedFiles.visible;
  optByFolder.enabled = optAlphabetically.enabled;
  if (!Loaded() || !Visible()) return;
  auto usable = [](const ui::Control& control) { return control.enabled && control.visible; };
  if (txbTopFolder.Text().empty() && usable(cmdTopFolder)) return cmdTopFolder.SetFocus();
  if (txbIndexFile.Text().empty() && usable(cmdIndexFile)) return cmdIndexFile.SetFocus();
  if (txbSearchWords.Text().empty() && usable(txbSearchWords)) return txbSearchWords.SetFocus();
  if (usable(cmdSearch)) cmdSearch.SetFocus();
}

void frmSearchMain::ShowNotSpecified(std::u16string_view name) {
  const std::u16string article = name == u"Index file" ? u"an" : u"a";
  std::u16string lower(name);
  for (char16_t& ch : lower) {
    if (ch >= u'A' && ch <= u'Z') ch = static_cast<char16_t>(ch - u'A' + u'a');
  }
  GetPlatform().MsgBox(
      u"Please select " + article + u" " + lower + u"\r\n" + app_.GetProgramText(kTextChooseIt),
      ui::MsgButtons::Ok, ui::MsgIcon::None, std::u16string(name) + u" not specified");
}

// ---- the folder and file choices ----

void frmSearchMain::cmdTopFolder_Click() {
  const std::u16string folder = GetPlatform().BrowseForFolder(
      this, app_.GetProgramText(kTextTopFolderPrompt), txbTopFolder.Text());
  if (!folder.empty()) SetTopFolder(folder);
  UpdateControlState();
}

void frmSearchMain::SetTopFolder(const std::u16string& folder) {
  txbTopFolder.SetText(EnsureTrailingBackslash(folder));
  cmdClear[1].visible = true;
  TopFolderChecked = false;
  lblNumFilesFound.caption.clear();
  txbFiles.SetText(u"");
}

void frmSearchMain::cmdSpecifyFile_Click() {
  if (txbTopFolder.Text().empty()) {
    GetPlatform().MsgBox(app_.GetProgramText(kTextTopFolderFirst), ui::MsgButtons::Ok,
                         ui::MsgIcon::None, cmdSpecifyFile.caption);
    return;
  }
  ui::FileDialogRequest request;
  request.title = app_.GetProgramText(kTextSelectFile);
  request.initialFolder = txbTopFolder.Text();
  request.mustExist = true;
  const std::vector<std::u16string> chosen = GetPlatform().ShowOpenDialog(request);
  if (chosen.empty() || chosen.front().empty()) return;
  txbFiles.SetText(u"");
  lblNumFilesFound.caption.clear();
  const std::u16string& path = chosen.front();
  if (!FoldCase(path).starts_with(FoldCase(txbTopFolder.Text()))) {
    GetPlatform().MsgBox(app_.GetProgramText(kTextNotUnderTopFolder), ui::MsgButtons::Ok,
                         ui::MsgIcon::Exclamation, cmdSpecifyFile.caption);
    txbSingleFile.SetText(u"");
    return;
  }
  txbSingleFile.SetText(path);
  cmdClear[4].visible = true;
  if (IndexReady) IsIndexedFile();
}

void frmSearchMain::optSearchSingleFile_Click() {
  cmdClear[4].visible = optSearchSingleFile.Value() && !txbSingleFile.Text().empty();
}

bool frmSearchMain::IsIndexedFile() {
  if (FindIndexedFile(index, txbTopFolder.Text(), txbSingleFile.Text()) >= 0) return true;
  GetPlatform().MsgBox(app_.GetProgramText(kTextNotInIndex), ui::MsgButtons::Ok,
                       ui::MsgIcon::Information, cmdSpecifyFile.caption);
  return false;
}

// ---- Clear and the clipboard ----

void frmSearchMain::cmdClear_Click(int element) {
  switch (element) {
    case 0:
      txbFiles.SetText(u"");
      break;
    case 1:
      txbTopFolder.SetText(u"");
      txbFiles.SetText(u"");
      cmdClear[1].visible = false;
      cmdTopFolder.SetFocus();
      break;
    case 2:
      txbIndexFile.SetText(u"");
      txbFiles.SetText(u"");
      lblSearchableWords.caption.clear();
      lblNumFilesFound.caption.clear();
      lblTitle[1].caption.clear();
      cmdClear[2].visible = false;
      cmdListIndexedFiles.enabled = false;
      optAlphabetically.enabled = false;
      optByFolder.enabled = false;
      cmdIndexFile.SetFocus();
      break;
    case 3:
      txbSearchWords.SetText(u"");
      cmdClear[3].visible = false;
      txbSearchWords.SetFocus();
      break;
    case 4:
      txbSingleFile.SetText(u"");
      cmdClear[4].visible = false;
      break;
    default:
      break;
  }
}

void frmSearchMain::cmdCopyToClipboard_Click() {
  GetPlatform().ClearClipboard();
  const std::u16string selected = txbFiles.SelectedText();
  GetPlatform().SetClipboardText(selected.empty() ? txbFiles.Text() : selected);
}

void frmSearchMain::txbFiles_MouseUp() {
  cmdCopyToClipboard.caption =
      app_.GetProgramText(txbFiles.selLength > 0 ? kTextCopySelection : kTextCopyAll);
}

// ---- running with the controls disabled ----

void frmSearchMain::DisableControlsExcept(std::initializer_list<const ui::Control*> keep) {
  savedEnabled_.clear();
  for (ui::Control* control : Controls()) {
    if (control->Kind() == ui::ControlKind::Label || control->Kind() == ui::ControlKind::Frame) {
      continue;
    }
    if (std::find(keep.begin(), keep.end(), control) != keep.end()) continue;
    savedEnabled_.emplace_back(control, control->enabled);
    control->enabled = false;
  }
  Refresh();
}

void frmSearchMain::RestoreControls() {
  for (auto& [control, enabled] : savedEnabled_) control->enabled = enabled;
  savedEnabled_.clear();
  Refresh();
}

void frmSearchMain::ServiceEvents() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastEvents_ < EventInterval) return;
  lastEvents_ = now;
  GetPlatform().DoEvents();
}

ui::frmLargeDisplay& frmSearchMain::PrepareLargeDisplay(std::u16string displayCaption,
                                                        std::u16string_view bufferFullMessage) {
  ui::frmLargeDisplay& display = app_.LargeDisplay();
  display.windowState = ui::WindowState::Normal;
  display.ownerForm = this;
  display.caption = std::move(displayCaption);
  display.BufferFullMessage = std::u16string(bufferFullMessage);
  display.ContinuationMessage.clear();
  display.Clear();
  display.txbOutput.font.name = u"Arial";
  display.txbOutput.readOnly = true;
  display.cmdCopyToClipboard.caption = u"Pause";
  display.Show();
  return display;
}

// ---- leaving the window ----

void frmSearchMain::cmdQuit_Click() {
  Unload();
}

bool frmSearchMain::Form_QueryUnload() {
  return false;
}

void frmSearchMain::Form_Unload() {
  // A search, load or report still running ends at its next check.
  app_.ModuleClosed = true;
  searchStop_.RequestStop();
  reportStop_.RequestStop();
  if (!txbIndexFile.Text().empty()) {
    DeleteDataFileOnQuit(DataFilePathFor(txbIndexFile.Text()), chkOnQuitDeleteDataFile.Value() == 1,
                         GetPlatform());
  }
  WindowOpened = false;
  if (launcher_) launcher_->ModuleWindowClosed();
}

std::unique_ptr<ui::Form> MakeSearchModule(ui::AppContext& app, ui::Launcher& launcher) {
  return std::make_unique<frmSearchMain>(app, &launcher);
}

}  // namespace quor
