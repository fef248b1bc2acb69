// The Search Module window: where the user picks an index file, the top
// folder of the indexed tree and optionally one file, types search words,
// runs the search, asks for the HTML or text report of its results, lists
// the indexed files, and saves and loads these choices in a settings file.
//
// The window presents the engines: index loading and search execution
// (src/search), the reports (src/report). It is split by responsibility:
//   frm_search_main.cpp           controls, layout, load, defaults, choices,
//                                 Clear, clipboard, leaving
//   frm_search_main_settings.cpp  the settings commands and the ".usrs" file
//   frm_search_main_search.cpp    loading the index, the search, the listing
//   frm_search_main_report.cpp    "Report ->", the HTML and the text report
#pragma once

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/messages.h"
#include "search/loaded_index.h"
#include "search/search_run.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace quor::ui {
class AppContext;
class Launcher;
class frmLargeDisplay;
}  // namespace quor::ui

namespace quor {

struct ReportRequest;
class ExtractScanner;

// The values of a ".usrs" settings file, line by line.
struct SearchSettings {
  int searchType = 1;  // cboSearchType index
  std::u16string maxNumExtracts;
  int sizeOfExtract = 4;  // cboSizeOfExtract index (0 = "1")
  int sortMatches = 0;
  int generateReport = 1;
  int displayDescriptions = 1;
  int displayFilepaths = 0;
  int deleteDataFileOnQuit = 0;
  std::u16string indexFile;
  std::u16string topFolder;
  std::u16string indexTitle;
  int htmlReport = 1;
  int allFiles = 1;
  std::u16string singleFile;
  std::u16string searchWords;
};

inline constexpr std::u16string_view kSearchSettingsHeader = u"QUOR -- Settings for Search Module";
inline constexpr std::u16string_view kDefaultSearchSettingsName = u"dwixs.usrs";

// The 16 lines of a settings file (UTF-8, CR LF); the search words are the
// last line, written bare.
std::string WriteSearchSettings(const SearchSettings& settings);

// Reads a settings file into settings, line by line; the lines read before a
// failing one stay in settings. Returns "" or the description of what
// stopped the reading. The last line is read as a field: it ends at its
// first comma and loses surrounding blanks.
[[nodiscard]] std::u16string ReadSearchSettings(std::string_view utf8, SearchSettings& settings);

class frmSearchMain : public ui::Form {
 public:
  // launcher may be null (tests): leaving the window then only unloads it.
  explicit frmSearchMain(ui::AppContext& app, ui::Launcher* launcher = nullptr);
  ~frmSearchMain() override;

  ui::AppContext& App() const { return app_; }

  // ---- controls ----
  ui::CommandButton cmdIndexFile{*this, "cmdIndexFile"};
  ui::TextBox txbIndexFile{*this, "txbIndexFile"};
  ui::Label lblTitle[2] = {{*this, "lblTitle", 0}, {*this, "lblTitle", 1}};
  ui::Label lblSearchableWords{*this, "lblSearchableWords"};
  ui::CommandButton cmdTopFolder{*this, "cmdTopFolder"};
  ui::TextBox txbTopFolder{*this, "txbTopFolder"};
  ui::Frame fraSearchScope{*this, "fraSearchScope"};
  ui::OptionButton optSearchAllFiles{*this, "optSearchAllFiles"};
  ui::OptionButton optSearchSingleFile{*this, "optSearchSingleFile"};
  ui::CommandButton cmdSpecifyFile{*this, "cmdSpecifyFile"};
  ui::TextBox txbSingleFile{*this, "txbSingleFile"};
  ui::Label lblSearchType{*this, "lblSearchType"};
  ui::ComboBox cboSearchType{*this, "cboSearchType"};
  ui::Label lblSearchWords{*this, "lblSearchWords"};
  ui::TextBox txbSearchWords{*this, "txbSearchWords"};
  ui::CommandButton cmdSearch{*this, "cmdSearch"};
  ui::CheckBox chkSortMatches{*this, "chkSortMatches"};
  ui::Label lblNumFilesFound{*this, "lblNumFilesFound"};
  ui::TextBox txbFiles{*this, "txbFiles"};
  ui::CommandButton cmdCopyToClipboard{*this, "cmdCopyToClipboard"};
  ui::Frame fraReport{*this, "fraReport"};
  ui::CheckBox chkGenerateHTML{*this, "chkGenerateHTML"};
  ui::OptionButton optHTMLReport{*this, "optHTMLReport"};
  ui::OptionButton optTextReport{*this, "optTextReport"};
  ui::CommandButton cmdGenerateHTML{*this, "cmdGenerateHTML"};
  ui::Label lblMaxNumExtracts{*this, "lblMaxNumExtracts"};
  ui::TextBox txbMaxNumExtracts{*this, "txbMaxNumExtracts"};
  ui::Label lblNoLimit{*this, "lblNoLimit"};
  ui::Label lblSizeOfExtract{*this, "lblSizeOfExtract"};
  ui::ComboBox cboSizeOfExtract{*this, "cboSizeOfExtract"};
  ui::CheckBox chkDisplayDescriptions{*this, "chkDisplayDescriptions"};
  ui::CheckBox chkDisplayFilepaths{*this, "chkDisplayFilepaths"};
  ui::CheckBox chkOnQuitDeleteDataFile{*this, "chkOnQuitDeleteDataFile"};
  ui::CommandButton cmdListIndexedFiles{*this, "cmdListIndexedFiles"};
  ui::Frame fraListIndexedFilesBy{*this, "fraListIndexedFilesBy"};
  ui::OptionButton optAlphabetically{*this, "optAlphabetically"};
  ui::OptionButton optByFolder{*this, "optByFolder"};
  ui::ComboBox cboSettings{*this, "cboSettings"};
  ui::CommandButton cmdSettings{*this, "cmdSettings"};
  // 0 results box, 1 top folder, 2 index file, 3 search words, 4 single file.
  ui::CommandButton cmdClear[5] = {{*this, "cmdClear", 0},
                                   {*this, "cmdClear", 1},
                                   {*this, "cmdClear", 2},
                                   {*this, "cmdClear", 3},
                                   {*this, "cmdClear", 4}};
  ui::CommandButton cmdQuit{*this, "cmdQuit"};

  // ---- state ----
  bool IndexReady = false;
  bool TopFolderChecked = false;
  bool SearchWordsChanged = false;
  bool SortRequestedAfterSearch = false;
  // -1: no limit.
  std::int16_t MaxNumExtracts = -1;
  std::u16string DefaultSettingsPath;
  bool WindowOpened = false;
  // The loaded index (valid while IndexReady).
  LoadedIndex index;
  // The last search that ran: what was asked and what it found; the reports
  // are made from them.
  std::optional<SearchRequest> lastSearch;
  SearchResult lastResult;
  // How often, at most, the window processes events while a search, a load
  // or a report runs (0: at every chance).
  std::chrono::milliseconds EventInterval{20};

  // ---- routines ----
  void SetDefaults();
  void UpdateControlState();
  void ShowNotSpecified(std::u16string_view name);
  // The single-file check: true when txbSingleFile is an indexed file.
  bool IsIndexedFile();
  // path empty: ask with a save dialog.
  void SaveSettings(const std::u16string& path, bool showMessage);
  // path empty: ask with an open dialog.
  void LoadSettings(const std::u16string& path);
  // The window's loader: loads txbIndexFile; true when the index is ready.
  bool LoadIndex();
  // ValidateMaxExtracts for title; false (after the refusal box) when the
  // box does not hold a valid maximum.
  bool ValidateMaxExtracts(const std::u16string& title);
  // What choosing a folder or a file in the dialogs does.
  void SetTopFolder(const std::u16string& folder);
  void SetIndexFile(const std::u16string& path);
  // The path of the HTML report in the program's data folder.
  std::u16string ReportPath() const;
  // Processes pending events, at most every EventInterval.
  void ServiceEvents();

  // ---- form events ----
  void Form_Load() override;
  void Form_Resize() override;
  bool Form_QueryUnload() override;
  void Form_Unload() override;

  // ---- event handlers ----
  void cmdIndexFile_Click();
  void cmdTopFolder_Click();
  void cmdSpecifyFile_Click();
  void optSearchSingleFile_Click();
  void cboSearchType_Click();
  void txbSearchWords_Change();
  void txbSearchWords_KeyPress(char16_t& keyAscii);
  void cmdSearch_Click();
  void chkSortMatches_Click();
  void cmdGenerateHTML_Click();
  void cmdListIndexedFiles_Click();
  void cmdSettings_Click();
  void cboSettings_Click();
  void cmdClear_Click(int index);
  void cmdCopyToClipboard_Click();
  void txbFiles_MouseUp();
  void cmdQuit_Click();

 private:
  void WireEvents();
  void LayoutControls();
  // Disables every control but the given ones / restores what was saved.
  void DisableControlsExcept(std::initializer_list<const ui::Control*> keep);
  void RestoreControls();
  void RunSearchNow();
  // The reports on the last search.
  void MakeReport();
  void WriteHtmlReportNow(const ReportRequest& request, ExtractScanner& scanner);
  void WriteTextReportNow(const ReportRequest& request, ExtractScanner& scanner);
  // The large output window made ready for a listing or a report: caption,
  // buffer-full message, Arial text locked against editing, emptied, shown,
  // its copy button as the Pause control.
  ui::frmLargeDisplay& PrepareLargeDisplay(std::u16string displayCaption,
                                           std::u16string_view bufferFullMessage);
  // The settings file's values as the controls hold them.
  SearchSettings SettingsFromControls() const;

  ui::AppContext& app_;
  ui::Launcher* launcher_;
  std::u16string loadCaption_;
  bool fillingCombos_ = false;
  StopToken searchStop_;
  StopToken reportStop_;
  std::chrono::steady_clock::time_point lastEvents_{};
  std::vector<std::pair<ui::Control*, bool>> savedEnabled_;
};

// The module factory of the launcher.
std::unique_ptr<ui::Form> MakeSearchModule(ui::AppContext& app, ui::Launcher& launcher);

}  // namespace quor
