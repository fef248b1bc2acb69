// frmSearchMain: choosing and loading the index, the search, and the listing
// of indexed files.
#include "windows/frm_search_main.h"

#include <algorithm>

#include "common/files.h"
#include "common/paths.h"
#include "common/strings.h"
#include "indexfile/data_file.h"
#include "report/extracts.h"
#include "search/file_listing.h"
#include "search/index_load.h"
#include "search/search_words.h"
#include "ui/app_context.h"
#include "ui/frm_large_display.h"
#include "ui/platform.h"
#include "windows/frm_search_main_texts.h"

namespace quor {

using namespace search_main;

namespace {

// The index load as the window shows it: messages as boxes, the results box
// and the title label, events serviced while a data file is built (closing
// the window stops the build).
class WindowLoadObserver : public IndexLoadObserver {
 public:
  WindowLoadObserver(frmSearchMain& form, StopToken& stop) : form_(form), stop_(stop) {}
  MsgResult MessageBox(const MessageBoxRequest& request) override {
    return form_.GetPlatform().MessageBox(request);
  }
  void ShowResultsText(std::u16string_view text) override {
    form_.txbFiles.SetText(std::u16string(text));
    form_.Refresh();
  }
  void ShowIndexTitle(std::u16string_view title) override {
    form_.lblTitle[1].caption = std::u16string(title);
  }
  void DataFileProgress(std::int32_t, std::int32_t) override {
    form_.ServiceEvents();
    if (form_.App().ModuleClosed) stop_.RequestStop();
  }

 private:
  frmSearchMain& form_;
  StopToken& stop_;
};

// The search as the window shows it: the results box as it grows, events
// serviced after every step so that "Stop" and the close box stay live.
class WindowSearchObserver : public SearchObserver {
 public:
  explicit WindowSearchObserver(frmSearchMain& form) : form_(form) {}
  MsgResult MessageBox(const MessageBoxRequest& request) override {
    return form_.GetPlatform().MessageBox(request);
  }
  std::u16string TempRoot() override { return form_.GetPlatform().TempFolder(); }
  bool ConversionStep() override {
    form_.ServiceEvents();
    return form_.App().ModuleClosed;
  }
  void ShowResultsText(const std::u16string& text) override {
    form_.txbFiles.SetText(text);
    form_.txbFiles.SetSelection(static_cast<int>(text.size()), 0);
  }
  bool Yield() override {
    form_.ServiceEvents();
    return form_.App().ModuleClosed;
  }

 private:
  frmSearchMain& form_;
};

}  // namespace

// ---- the index ----

void frmSearchMain::cmdIndexFile_Click() {
  ui::FileDialogRequest request;
  request.title = app_.GetProgramText(kTextIndexFilePrompt);
  request.filter = std::u16string(kIndexFileFilter);
  request.mustExist = true;
  const std::vector<std::u16string> chosen = GetPlatform().ShowOpenDialog(request);
  if (!chosen.empty() && !chosen.front().empty()) {
    SetIndexFile(Trim(chosen.front()));
    // A single file that the new index does not hold: its message ends the choice.
    if (IndexReady && optSearchSingleFile.Value() && !txbSingleFile.Text().empty() &&
        !IsIndexedFile()) {
      return;
    }
  }
  UpdateControlState();
}

void frmSearchMain::SetIndexFile(const std::u16string& path) {
  txbFiles.SetText(u"");
  lblNumFilesFound.caption.clear();
  lastSearch.reset();
  lastResult = SearchResult();
  TopFolderChecked = false;
  if (!HasIndexFileSuffix(path)) {
    GetPlatform().MsgBox(u"Index file names must end in '_index.quor'.", ui::MsgButtons::Ok,
                         ui::MsgIcon::Exclamation, u"Invalid input");
    txbIndexFile.SetText(u"");
    cmdClear[2].visible = false;
    cmdListIndexedFiles.enabled = false;
    IndexReady = false;
    return;
  }
  txbIndexFile.SetText(path);
  cmdClear[2].visible = true;
  DisableControlsExcept({&cmdQuit});
  IndexReady = LoadIndex();
  RestoreControls();
}

bool frmSearchMain::LoadIndex() {
  IndexLoadRequest request;
  request.indexFilePath = txbIndexFile.Text();
  request.searchCaption = cmdSearch.caption;
  request.dataFolder = GetFolderPart(DefaultSettingsPath);
  request.freeSpace = [this](std::u16string_view folder) -> std::optional<std::uint64_t> {
    const std::optional<std::int64_t> free = GetPlatform().DiskFreeSpace(std::u16string(folder));
    if (!free || *free < 0) return std::nullopt;
    return static_cast<std::uint64_t>(*free);
  };
  StopToken stop;
  WindowLoadObserver observer(*this, stop);
  IndexLoadResult loaded = quor::LoadIndex(request, observer, stop);
  if (loaded.searchableWordsLabel) lblSearchableWords.caption = *loaded.searchableWordsLabel;
  IndexReady = loaded.ready;
  index = loaded.ready ? std::move(loaded.index) : LoadedIndex();
  Refresh();
  return IndexReady;
}

bool frmSearchMain::ValidateMaxExtracts(const std::u16string& title) {
  const MaxExtractsCheck check = quor::ValidateMaxExtracts(txbMaxNumExtracts.Text(), title);
  if (check.refusal) {
    GetPlatform().MessageBox(*check.refusal);
    return false;
  }
  txbMaxNumExtracts.SetText(check.text);
  MaxNumExtracts = static_cast<std::int16_t>(check.maximum);
  return true;
}

// ---- the search words and options ----

void frmSearchMain::cboSearchType_Click() {
  if (fillingCombos_) return;
  UpdateControlState();
}

void frmSearchMain::txbSearchWords_Change() {
  SearchWordsChanged = true;
  cmdClear[3].visible = !txbSearchWords.Text().empty();
  if (txbSearchWords.Text().empty()) return;
  const std::u16string converted = ConvertQuoteUmlauts(txbSearchWords.Text());
  if (converted != txbSearchWords.Text()) txbSearchWords.SetText(converted);
}

void frmSearchMain::txbSearchWords_KeyPress(char16_t& keyAscii) {
  if (keyAscii != 13) return;
  keyAscii = 0;
  cmdSearch_Click();
}

void frmSearchMain::chkSortMatches_Click() {
  if (chkSortMatches.Value() == 1 && lastSearch && !lastSearch->singleFile &&
      lastResult.FoundCount >= 1) {
    SortRequestedAfterSearch = true;
  }
}

// ---- the search ----

void frmSearchMain::cmdSearch_Click() {
  if (cmdSearch.caption == kStopCaption) {
    searchStop_.RequestStop();
    cmdSearch.caption = std::u16string(kSearchCaption);
    return;
  }
  txbFiles.SetText(u"");
  if (txbIndexFile.Text().empty()) return ShowNotSpecified(u"Index file");
  if (!FileExists(txbIndexFile.Text())) {
    GetPlatform().MsgBox(u"Index file not found.", ui::MsgButtons::Ok, ui::MsgIcon::Exclamation,
                         cmdSearch.caption);
    return;
  }
  if (txbTopFolder.Text().empty()) return ShowNotSpecified(u"Top folder");
  if (optSearchSingleFile.Value() && txbSingleFile.Text().empty()) {
    GetPlatform().MsgBox(app_.GetProgramText(kTextNoSingleFile), ui::MsgButtons::Ok,
                         ui::MsgIcon::Exclamation, cmdSearch.caption);
    return;
  }
  if (!CheckSearchWordCharacters(txbSearchWords.Text(), app_.GetProgramText(kTextNotAllowed),
                                 cmdSearch.caption, GetPlatform())) {
    return;
  }
  if (chkGenerateHTML.Value() == 1 && !ValidateMaxExtracts(cmdSearch.caption)) return;

  DisableControlsExcept({&cmdSearch, &cmdQuit, &txbFiles});
  SearchWordsChanged = false;
  RunSearchNow();
  RestoreControls();
  if (app_.ModuleClosed) {
    if (Loaded()) Unload();
    return;
  }
  UpdateControlState();
  if (chkGenerateHTML.Value() == 1 && lastSearch && lastResult.FoundCount >= 1) MakeReport();
}

void frmSearchMain::RunSearchNow() {
  if (!IndexReady && !LoadIndex()) return;
  if (optSearchSingleFile.Value() && !IsIndexedFile()) return;

  SearchRequest request;
  request.index = &index;
  request.topFolder = txbTopFolder.Text();
  request.searchText = txbSearchWords.Text();
  request.type = static_cast<SearchType>(std::max(0, cboSearchType.ListIndex()));
  request.sort = chkSortMatches.Value() == 1;
  request.singleFile = optSearchSingleFile.Value();
  if (request.singleFile) request.singleFilePath = txbSingleFile.Text();
  request.fillDescriptions = chkDisplayDescriptions.Value() == 1;
  request.topFolderChecked = TopFolderChecked;
  request.windowCaption = caption;
  request.searchCaption = cmdSearch.caption;
  request.notAllowedText = app_.GetProgramText(kTextNotAllowed);

  SortRequestedAfterSearch = false;
  searchStop_.Reset();
  lblNumFilesFound.caption.clear();
  cmdSearch.caption = std::u16string(kStopCaption);
  Refresh();
  WindowSearchObserver observer(*this);
  SearchResult result = Search(request, observer, searchStop_);
  cmdSearch.caption = std::u16string(kSearchCaption);
  TopFolderChecked = result.topFolderChecked;

  switch (result.status) {
    case SearchStatus::kCompleted:
      break;
    case SearchStatus::kChangeToAnyWord:
      cboSearchType.SetListIndex(static_cast<int>(SearchType::kAnyWord));
      return;
    default:
      return;
  }
  txbFiles.SetText(result.ResultsText);
  txbFiles.SetSelection(0, 0);
  lblNumFilesFound.caption = result.LabelText;
  lastSearch = std::move(request);
  lastResult = std::move(result);
  Refresh();
}

// ---- the listing of indexed files ----

void frmSearchMain::cmdListIndexedFiles_Click() {
  if (txbIndexFile.Text().empty()) return ShowNotSpecified(u"Index file");
  if (!IndexReady) {
    txbFiles.SetText(u"Now reading index file ...");
    Refresh();
    DisableControlsExcept({&cmdQuit});
    LoadIndex();
    RestoreControls();
    txbFiles.SetText(u"");
    Refresh();
    if (!IndexReady) {
      GetPlatform().MsgBox(
          u"Cannot list the files which were indexed\r\nbecause the index file could not be read.",
          ui::MsgButtons::Ok, ui::MsgIcon::Exclamation, cmdListIndexedFiles.caption);
      return;
    }
  }
  if (index.FileCount == 1) {
    GetPlatform().MsgBox(u"Only one file was indexed:\r\n" + std::u16string(index.FileList[0]),
                         ui::MsgButtons::Ok, ui::MsgIcon::Information, cmdListIndexedFiles.caption);
    return;
  }

  const FileListing listing = MakeFileListing(index, optByFolder.Value());
  ui::frmLargeDisplay& display =
      PrepareLargeDisplay(cmdListIndexedFiles.caption, kFileListingBufferFull);
  display.Output(listing.heading);
  display.Output(listing.note, 2);
  display.DisplayArray(listing.files, 0, static_cast<int>(listing.files.size()) - 1,
                       kFileListingClosing, listing.byFolder);
  display.cmdCopyToClipboard.caption = u"Copy to clipboard";
  display.ShowBeginning();
}

}  // namespace quor
