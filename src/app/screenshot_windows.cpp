#include "app/screenshot_windows.h"

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <utility>

#include "app/cli_index.h"
#include "common/encoding.h"
#include "common/files.h"
#include "common/paths.h"
#include "ui/controls.h"
#include "ui/frm_large_display.h"
#include "ui/platform.h"
#include "windows/frm_filepath_exclusions.h"
#include "windows/frm_index_main.h"
#include "windows/frm_search_main.h"
#include "windows/frm_select_subfolders.h"

namespace quor::app {

namespace {

ui::Form& ShowLauncher(ScreenshotStage& stage) {
  stage.launcher.Show();
  return stage.launcher;
}

// The large output window as a file listing leaves it.
ui::Form& ShowLargeDisplay(ScreenshotStage& stage) {
  ui::frmLargeDisplay& display = stage.Context().LargeDisplay();
  display.Clear();
  display.caption = u"12 files, total size 1.37 Mb";
  const char16_t* const lines[] = {
      u"annual-report.docx (412.08 Kb)",
      u"index.html (6.21 Kb)",
      u"notes/meeting 2023-04-12.txt (3.77 Kb)",
      u"notes/meeting 2023-05-03.txt (4.02 Kb)",
      u"notes/todo.txt (812 bytes)",
      u"papers/full-text search survey.html (88.40 Kb)",
      u"papers/inverted files.rtf (152.33 Kb)",
      u"papers/stemming and stop words.docx (301.56 Kb)",
      u"projects/quor/design.txt (21.90 Kb)",
      u"projects/quor/readme.txt (2.45 Kb)",
      u"recipes/bread.txt (1.18 Kb)",
      u"recipes/soup.html (9.66 Kb)",
  };
  for (const char16_t* line : lines) {
    display.WidenDisplayIfNeeded(line, 95, 0.95);
    display.Output(line);
  }
  display.Output(u"");
  display.Output(u"12 files listed.");
  display.ShowBeginning();
  display.Show();
  return display;
}

// The Index Module as it opens, with its default settings.
ui::Form& ShowIndexModule(ScreenshotStage& stage) {
  auto& window = stage.Keep(std::make_unique<frmIndexMain>(stage.Context(), &stage.launcher));
  window.Show();
  // Not the fields a user saved for the next run: the defaults.
  window.SetDefaults();
  window.UpdateTopFolderControls();
  return window;
}

// The project fields of a sample: the top folder sample + top with its
// subfolders "notes" and "reports", the output folder sample + "Output".
void FillProject(frmIndexMain& window, const std::u16string& sample, const std::u16string& top,
                 const std::u16string& project, const std::u16string& title) {
  window.SetTopFolder(sample + top);
  window.SetOutputFolder(sample + u"Output");
  window.txbProjectName.SetText(project);
  window.txbProjectName_LostFocus();
  window.txbTitle.SetText(title);
  window.txbIncludedFolders.SetText(u"notes\r\nreports");
  window.txbIncludedFolders_LostFocus();
}

// The Index Module with a sample project filled in, as after "List files".
ui::Form& ShowIndexModuleFilled(ScreenshotStage& stage) {
  frmIndexMain& window =
      stage.Keep(std::make_unique<frmIndexMain>(stage.Context(), &stage.launcher));
  window.Show();
  window.SetDefaults();
  const std::u16string sample = stage.Context().platform.TempFolder() + u"/quor-sample/";
  const char* const files[] = {"Papers/readme.txt",     "Papers/index.html",
                               "Papers/drafts/a.txt",   "Papers/notes/meeting.txt",
                               "Papers/notes/todo.txt", "Papers/reports/2023.txt",
                               "Output/.keep"};
  for (const char* file : files) {
    const std::u16string path = sample + Utf8ToText(file);
    std::error_code ec;
    std::filesystem::create_directories(ToFsPath(GetFolderPart(path)), ec);
    WriteWholeFile(path, "sample text\r\n");
  }
  FillProject(window, sample, u"Papers", u"papers", u"Papers, notes and reports");
  window.chkIncludeSubfoldersOfSubfolders.SetValue(1);
  window.txbExcludedFiles.SetText(u"notes/todo.txt");
  window.txbExcludedFiles_LostFocus();
  window.txbExcludedFilepaths.SetText(u"draft, old");
  window.lblTotalNumFiles.caption = stage.Context().GetProgramText(45) + u": 1,284";
  window.lblTotalFileSize.caption = u"Total file size: 48.73 Mb";
  window.cmdListFiles[1].visible = true;
  window.cmdExtractData.SetFocus();
  return window;
}

// A project over a generated tree of 480 text files holding about 100,000
// different words, big enough for a run whose labels show large numbers. The
// minimum size is typed as 0 (no limit).
frmIndexMain& ShowIndexProject(ScreenshotStage& stage) {
  frmIndexMain& window =
      stage.Keep(std::make_unique<frmIndexMain>(stage.Context(), &stage.launcher));
  window.Show();
  window.SetDefaults();
  const std::u16string sample = stage.Context().platform.TempFolder() + u"/quor-index-sample/";
  std::error_code ec;
  std::filesystem::remove_all(ToFsPath(sample), ec);
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  const char16_t* const folders[] = {u"Library/", u"Library/notes/", u"Library/reports/"};
  for (int i = 0; i < 480; ++i) {
    std::string text;
    for (int word = 0; word < 240; ++word) {
      const std::uint32_t length = 4 + next() % 6;
      for (std::uint32_t c = 0; c < length; ++c) text += static_cast<char>('a' + next() % 26);
      text += word % 12 == 11 ? "\r\n" : " ";
    }
    const std::u16string path = sample + folders[i % 3] + u"paper " + ToText(1000 + i) + u".txt";
    std::filesystem::create_directories(ToFsPath(GetFolderPart(path)), ec);
    WriteWholeFile(path, text);
  }
  std::filesystem::create_directories(ToFsPath(sample + u"Output"), ec);
  FillProject(window, sample, u"Library", u"library", u"The library's papers, notes and reports");
  window.txbMinimumFilesize.SetText(u"0");
  return window;
}

// The Index Module in the middle of a real run: the picture is taken in the
// indexing pass, once the word count shows, and the run is then stopped.
ui::Form& ShowIndexModuleIndexing(ScreenshotStage& stage) {
  frmIndexMain& window = ShowIndexProject(stage);
  ui::Timer watch(window, "tmrScreenshot");
  watch.Tick = [&] {
    const bool inPass = window.lblNowProcessingFile.caption.starts_with(u"Now processing file #");
    const std::size_t shown = window.lblDifferentWordsFoundSoFar.caption.size();
    if (!inPass || shown < 36) return;
    watch.Stop();
    stage.TakePicture(window);
    window.stopToken.RequestStop();
  };
  watch.Start(200);
  window.cmdExtractData_Click();
  watch.Stop();
  return window;
}

// The Index Module after a real run has completed.
ui::Form& ShowIndexModuleIndexed(ScreenshotStage& stage) {
  frmIndexMain& window = ShowIndexProject(stage);
  window.cmdExtractData_Click();
  return window;
}

// A sample tree for the subfolder window: more folders than fit, one of more
// than 200 files, an empty one and a long name.
std::u16string WriteSubfolderSample(ScreenshotStage& stage) {
  const std::u16string top = stage.Context().platform.TempFolder() + u"/quor-sample-tree/";
  auto write = [&](const std::u16string& folder, int count, std::size_t size) {
    std::error_code ec;
    std::filesystem::create_directories(ToFsPath(top + folder), ec);
    for (int i = 0; i < count; ++i) {
      WriteWholeFile(top + folder + u"/file" + ToText(i) + u".txt", std::string(size, 'x'));
    }
  };
  write(u"Archive 2019", 240, 3000);
  write(u"drafts", 7, 1800);
  write(u"drafts/old", 3, 900);
  write(u"Empty", 0, 0);
  write(u"notes", 12, 2500);
  write(u"papers", 25, 40000);
  write(u"papers/figures", 4, 1000);
  write(u"papers/reviews", 2, 1000);
  write(u"projects from the years before the move to the new building, kept as they were", 3, 700);
  write(u"recipes", 1, 812);
  write(u"reports", 9, 15000);
  int files = 1;
  for (const char16_t* folder :
       {u"budget", u"contracts", u"correspondence", u"invoices", u"letters", u"manuals", u"minutes",
        u"presentations", u"proposals", u"research", u"talks", u"templates"}) {
    write(folder, files, 1500 * static_cast<std::size_t>(files));
    files = files % 7 + 2;
  }
  return top;
}

ui::Form& ShowSelectSubfolders(ScreenshotStage& stage) {
  frmIndexMain& index =
      stage.Keep(std::make_unique<frmIndexMain>(stage.Context(), &stage.launcher));
  index.Show();
  auto& window = stage.Keep(std::make_unique<frmSelectSubfolders>(stage.Context().platform));
  window.TopFolder = WriteSubfolderSample(stage);
  window.Instruction = stage.Context().GetProgramText(24);
  window.Selection = u"notes\r\npapers";
  window.ownerForm = &index;
  window.SetFormColour(index.backColour);
  window.PlaceOver(index, index.cmdSelectSubfolders);
  window.Show();
  window.FillList();
  return window;
}

ui::Form& ShowFilepathExclusions(ScreenshotStage& stage) {
  frmIndexMain& index =
      stage.Keep(std::make_unique<frmIndexMain>(stage.Context(), &stage.launcher));
  index.Show();
  auto& window = stage.Keep(std::make_unique<frmFilepathExclusions>(stage.Context().platform));
  window.FragmentsText = u"tmp, old/mail, .cache, draft";
  window.ownerForm = &index;
  window.PlaceOver(index, index.txbExcludedFilepaths);
  window.Show();
  return window;
}

// The Search Module as it opens, with its defaults.
ui::Form& ShowSearchModule(ScreenshotStage& stage) {
  auto& window = stage.Keep(std::make_unique<frmSearchMain>(stage.Context(), &stage.launcher));
  window.Show();
  window.SetDefaults();
  window.UpdateControlState();
  return window;
}

// The Search Module after a real search: a sample tree is indexed by the
// index command, then the window loads the index and searches it.
ui::Form& ShowSearchModuleResults(ScreenshotStage& stage) {
  auto& window = stage.Keep(std::make_unique<frmSearchMain>(stage.Context(), &stage.launcher));
  window.Show();
  window.SetDefaults();
  const std::u16string sample = stage.Context().platform.TempFolder() + u"/quor-search-sample/";
  const std::pair<const char*, const char*> files[] = {
      {"Papers/inverted files.html",
       "<html><head><title>Inverted files for full-text search</title></head><body>An inverted "
       "index maps every word to the files that hold it.</body></html>\r\n"},
      {"Papers/notes/meeting.txt",
       "Meeting of the search group, 12 April\r\nThe inverted index is rebuilt each night.\r\n"},
      {"Papers/notes/todo.txt", "Index the new reports.\r\n"},
      {"Papers/reports/2023.txt", "Annual report: the index grew by a third.\r\n"},
  };
  for (const auto& [file, text] : files) {
    const std::u16string path = sample + Utf8ToText(file);
    std::error_code ec;
    std::filesystem::create_directories(ToFsPath(GetFolderPart(path)), ec);
    WriteWholeFile(path, text);
  }
  std::filesystem::create_directories(ToFsPath(sample + u"Output"));
  std::ostringstream out;
  std::ostringstream err;
  CliStreams io{out, err};
  const int built = IndexCommand().run(
      {"--project", "papers", "--title", "Papers, notes and reports", "--top",
       TextToUtf8(sample + u"Papers"), "--output", TextToUtf8(sample + u"Output"),
       "--all-subfolders", "--min-size", "1", "--yes"},
      io);
  if (built == kExitOk) {
    window.chkGenerateHTML.SetValue(0);
    window.SetIndexFile(sample + u"Output/papers_index.quor");
    window.SetTopFolder(sample + u"Papers");
    window.txbSearchWords.SetText(u"inverted index");
    window.cboSearchType.SetListIndex(0);
    window.cmdSearch_Click();
    window.chkGenerateHTML.SetValue(1);
  }
  window.UpdateControlState();
  return window;
}

}  // namespace

std::vector<ScreenshotWindow> ScreenshotWindows() {
  return {
      {"frmMain", ShowLauncher},
      {"frmLargeDisplay", ShowLargeDisplay},
      {"frmIndexMain", ShowIndexModule},
      {"frmIndexMain-filled", ShowIndexModuleFilled},
      {"frmIndexMain-indexing", ShowIndexModuleIndexing},
      {"frmIndexMain-indexed", ShowIndexModuleIndexed},
      {"frmSelectSubfolders", ShowSelectSubfolders},
      {"frmFilepathExclusions", ShowFilepathExclusions},
      {"frmSearchMain", ShowSearchModule},
      {"frmSearchMain-results", ShowSearchModuleResults},
  };
}

std::vector<std::string> ScreenshotWindowNames() {
  std::vector<std::string> names;
  for (const ScreenshotWindow& window : ScreenshotWindows()) names.push_back(window.name);
  return names;
}

const ScreenshotWindow* FindScreenshotWindow(const std::vector<ScreenshotWindow>& windows,
                                             const std::string& name) {
  for (const ScreenshotWindow& window : windows) {
    if (window.name == name) return &window;
  }
  return nullptr;
}

}  // namespace quor::app
