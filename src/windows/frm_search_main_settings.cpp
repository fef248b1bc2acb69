// frmSearchMain: the Settings commands and the ".usrs" settings file.
#include "windows/frm_search_main.h"
#include "windows/settings_menu.h"

#include <optional>
#include <string>

#include "common/files.h"
#include "common/paths.h"
#include "common/records.h"
#include "common/strings.h"
#include "indexfile/data_file.h"
#include "ui/app_context.h"
#include "ui/frm_pop_up.h"
#include "ui/platform.h"
#include "windows/frm_search_main_texts.h"
#include "windows/settings_file.h"

namespace quor {

using namespace search_main;

namespace {

// The ending of an index file's name, which a proposed settings name drops.
constexpr std::size_t kIndexSuffixLength = 11;  // "_index.quor"

int CheckValue(int value) {
  return value == 1 ? 1 : 0;
}

}  // namespace

std::string WriteSearchSettings(const SearchSettings& settings) {
  RecordWriter writer;
  auto number = [&](std::int64_t value) {
    writer.WriteNumber(value);
    writer.EndRecord();
  };
  writer.WriteStringRecord(kSearchSettingsHeader);
  number(settings.searchType);
  writer.WriteStringRecord(settings.maxNumExtracts);
  number(settings.sizeOfExtract);
  number(settings.sortMatches);
  number(settings.generateReport);
  number(settings.displayDescriptions);
  number(settings.displayFilepaths);
  number(settings.deleteDataFileOnQuit);
  writer.WriteStringRecord(settings.indexFile);
  writer.WriteStringRecord(settings.topFolder);
  writer.WriteStringRecord(settings.indexTitle);
  number(settings.htmlReport);
  number(settings.allFiles);
  writer.WriteStringRecord(settings.singleFile);
  // Written bare, as typed: read back as a field, it ends at its first comma.
  writer.WriteLine(settings.searchWords);
  return writer.Take();
}

std::u16string ReadSearchSettings(std::string_view utf8, SearchSettings& settings) {
  RecordReader reader(utf8);
  std::u16string field;
  auto text = [&](std::u16string& value) {
    if (!reader.Next(value)) return false;
    return true;
  };
  // A number line takes the numeric value of its text: anything that is not
  // a number counts as 0, as the classic conversion gives.
  auto number = [&](int& value) {
    if (reader.AtEnd()) return false;
    std::int64_t read = 0;
    value = reader.NextNumber(read) && read >= -32768 && read <= 32767 ? static_cast<int>(read) : 0;
    return true;
  };
  const bool complete = text(field) && number(settings.searchType) &&
                        text(settings.maxNumExtracts) && number(settings.sizeOfExtract) &&
                        number(settings.sortMatches) && number(settings.generateReport) &&
                        number(settings.displayDescriptions) && number(settings.displayFilepaths) &&
                        number(settings.deleteDataFileOnQuit) && text(settings.indexFile) &&
                        text(settings.topFolder) && text(settings.indexTitle) &&
                        number(settings.htmlReport) && number(settings.allFiles) &&
                        text(settings.singleFile) && text(settings.searchWords);
  return complete ? u"" : std::u16string(kInputPastEndOfFile);
}

SearchSettings frmSearchMain::SettingsFromControls() const {
  SearchSettings settings;
  settings.searchType = cboSearchType.ListIndex();
  settings.maxNumExtracts = txbMaxNumExtracts.Text();
  settings.sizeOfExtract = cboSizeOfExtract.ListIndex();
  settings.sortMatches = CheckValue(chkSortMatches.Value());
  settings.generateReport = CheckValue(chkGenerateHTML.Value());
  settings.displayDescriptions = CheckValue(chkDisplayDescriptions.Value());
  settings.displayFilepaths = CheckValue(chkDisplayFilepaths.Value());
  settings.deleteDataFileOnQuit = CheckValue(chkOnQuitDeleteDataFile.Value());
  settings.indexFile = txbIndexFile.Text();
  settings.topFolder = txbTopFolder.Text();
  settings.indexTitle = lblTitle[1].caption;
  settings.htmlReport = optHTMLReport.Value() ? 1 : 0;
  settings.allFiles = optSearchAllFiles.Value() ? 1 : 0;
  settings.singleFile = txbSingleFile.Text();
  settings.searchWords = txbSearchWords.Text();
  return settings;
}

void frmSearchMain::cboSettings_Click() {
  if (fillingCombos_ || !WindowOpened) return;
  cmdSettings_Click();
  UpdateControlState();
}

void frmSearchMain::cmdSettings_Click() {
  RunSettingsCommand(*this, cboSettings.ListIndex(), DefaultSettingsPath);
}

void frmSearchMain::SaveSettings(const std::u16string& pathIn, bool showMessage) {
  std::u16string path = pathIn;
  if (path.empty()) {
    ui::FileDialogRequest request;
    request.title = u"Specify file for settings for search module";
    request.filter = std::u16string(kSettingsFilter);
    const std::u16string indexName = GetFileName(txbIndexFile.Text());
    if (indexName.size() > kIndexSuffixLength) {
      request.fileName = indexName.substr(0, indexName.size() - kIndexSuffixLength) + u".usrs";
    }
    path = GetPlatform().ShowSaveDialog(request);
    if (path.empty()) return;
  }

  const SearchSettings settings = SettingsFromControls();
  std::u16string error;
  if (!WriteWholeFile(path, WriteSearchSettings(settings), &error)) {
    GetPlatform().MsgBox(u"Cannot save the settings in " + path + u": " + error, ui::MsgButtons::Ok,
                         ui::MsgIcon::Exclamation, u"Save settings");
    return;
  }
  if (!showMessage) return;
  const std::u16string text = path == DefaultSettingsPath ? u"Settings saved for next run."
                                                          : u"Settings saved to " + path + u".";
  app_.PopUp().PopUpInForm(*this, text, 4200, 380, 2000, cmdSettings.geometry.top - 480,
                           cmdSettings.geometry.left);
}

void frmSearchMain::LoadSettings(const std::u16string& pathIn) {
  std::u16string path = pathIn;
  if (path.empty()) {
    ui::FileDialogRequest request;
    request.title = u"Specify search module settings file";
    request.filter = std::u16string(kSettingsFilter);
    request.mustExist = true;
    const std::vector<std::u16string> chosen = GetPlatform().ShowOpenDialog(request);
    if (chosen.empty() || chosen.front().empty()) return;
    path = chosen.front();
  }

  // What is not read keeps the window's value.
  SearchSettings settings = SettingsFromControls();

  std::u16string error;
  const std::optional<std::string> text = ReadWholeFile(path, &error);
  // A file of another kind changes nothing in the window.
  if (text && !HasSettingsHeader(*text, kSearchSettingsHeaderTail)) {
    if (WindowOpened) {
      GetPlatform().MsgBox(NotASettingsFileMessage(path), ui::MsgButtons::Ok,
                           ui::MsgIcon::Exclamation, u"Load settings");
    }
    return;
  }
  if (text) error = ReadSearchSettings(*text, settings);
  if (!error.empty() && WindowOpened) {
    GetPlatform().MsgBox(u"Error when attempting to load settings: " + error, ui::MsgButtons::Ok,
                         ui::MsgIcon::Exclamation, u"Load settings");
  }

  fillingCombos_ = true;
  if (settings.searchType >= 0 && settings.searchType < 3) {
    cboSearchType.SetListIndex(settings.searchType);
  }
  if (settings.sizeOfExtract >= 0 && settings.sizeOfExtract < 9) {
    cboSizeOfExtract.SetListIndex(settings.sizeOfExtract);
  }
  fillingCombos_ = false;
  txbMaxNumExtracts.SetText(settings.maxNumExtracts);
  chkSortMatches.SetValue(CheckValue(settings.sortMatches));
  chkGenerateHTML.SetValue(CheckValue(settings.generateReport));
  chkDisplayDescriptions.SetValue(CheckValue(settings.displayDescriptions));
  chkDisplayFilepaths.SetValue(CheckValue(settings.displayFilepaths));
  chkOnQuitDeleteDataFile.SetValue(CheckValue(settings.deleteDataFileOnQuit));
  lblTitle[1].caption = settings.indexTitle;
  (settings.htmlReport == 1 ? optHTMLReport : optTextReport).SetValue(true);
  (settings.allFiles == 1 ? optSearchAllFiles : optSearchSingleFile).SetValue(true);
  txbSingleFile.SetText(settings.singleFile);
  txbSearchWords.SetText(settings.searchWords);
  TopFolderChecked = false;

  const std::u16string top = Trim(settings.topFolder);
  if (!top.empty() && !FolderExists(top) && WindowOpened) {
    GetPlatform().MsgBox(u"Top folder " + top + u"\r\nfrom last run not found.", ui::MsgButtons::Ok,
                         ui::MsgIcon::Exclamation, u"Folder not found");
  }
  if (top.empty() || !FolderExists(top)) {
    txbTopFolder.SetText(u"");
    cmdClear[1].visible = false;
  } else {
    txbTopFolder.SetText(EnsureTrailingBackslash(top));
    cmdClear[1].visible = true;
  }

  // The index is loaded by the first search or listing, not here.
  const std::u16string indexFile = Trim(settings.indexFile);
  const bool keepIndex =
      IsAbsolutePath(indexFile) && HasIndexFileSuffix(indexFile) && FileExists(indexFile);
  if (indexFile != txbIndexFile.Text() || !keepIndex) IndexReady = false;
  txbIndexFile.SetText(keepIndex ? indexFile : u"");
  cmdClear[2].visible = keepIndex;
  cmdClear[4].visible = optSearchSingleFile.Value() && !txbSingleFile.Text().empty();
  Refresh();
}

}  // namespace quor
