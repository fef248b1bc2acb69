#include "windows/frm_index_main.h"

#include <gtest/gtest.h>

#include "common/paths.h"
#include "frm_index_main_test_fixture.h"

namespace quor::test {
namespace {

TEST_F(IndexMainTest, ControlsSitInsideTheWindowWithoutOverlapping) {
  frmIndexMain& f = Open();
  const ui::Control* placed[] = {&f.txbProjectName,
                                 &f.txbTitle,
                                 &f.txbTopFolder,
                                 &f.txbOutputFolder,
                                 &f.txbIncludedFolders,
                                 &f.txbExcludedFiles,
                                 &f.txbExcludedFilepaths,
                                 &f.txbMinimumFilesize,
                                 &f.txbMaximumFilesize,
                                 &f.cmdExtractData,
                                 &f.cmdQuit};
  for (const ui::Control* a : placed) {
    SCOPED_TRACE(a->Name());
    EXPECT_GE(a->geometry.left, 0);
    EXPECT_LE(a->geometry.left + a->geometry.width, f.ScaleWidth());
    EXPECT_LE(a->geometry.top + a->geometry.height, f.ScaleHeight());
    for (const ui::Control* b : placed) {
      if (a == b) continue;
      const bool apart = a->geometry.left + a->geometry.width <= b->geometry.left ||
                         b->geometry.left + b->geometry.width <= a->geometry.left ||
                         a->geometry.top + a->geometry.height <= b->geometry.top ||
                         b->geometry.top + b->geometry.height <= a->geometry.top;
      EXPECT_TRUE(apart) << "overlaps " << b->Name();
    }
  }
}

TEST_F(IndexMainTest, TypedSpaceInTheProjectNameBecomesAnUnderscore) {
  frmIndexMain& f = Open();
  PickOutputFolder();
  TypeInto(f.txbProjectName, u"my project");
  EXPECT_EQ(f.txbProjectName.Text(), u"my_project");
  EXPECT_EQ(f.IndexFilePath, OutText() + u"my_project_index.quor");
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(IndexMainTest, InadmissibleProjectNameCharacterIsNamed) {
  frmIndexMain& f = Open();
  for (std::u16string bad : {u":", u"\\", u"/", u",", u"<", u">", u"'", u"&", u"\""}) {
    SCOPED_TRACE(TextToUtf8(bad));
    platform.messages.clear();
    TypeInto(f.txbProjectName, u"a" + bad + u"b");
    const auto& box = OnlyMessage().request;
    EXPECT_EQ(box.text, u"The project name contains an inadmissible character: " + bad);
    EXPECT_EQ(box.title, u"Project name");
    EXPECT_EQ(box.icon, ui::MsgIcon::Exclamation);
    EXPECT_TRUE(f.IndexFilePath.empty());
  }
  TypeInto(f.txbProjectName, u"123456789012345678901");
  EXPECT_EQ(f.txbProjectName.Text(), u"12345678901234567") << "at most 17 characters";
}

TEST_F(IndexMainTest, TopFolderChoiceSetsTheCheckBoxAndLabels) {
  struct Row {
    const char* name;
    std::vector<std::string> files;
    bool checkVisible;
    std::u16string checkCaption;
    bool subfoldersButton;
    bool emptyLabel;
  } rows[] = {
      {"one file and a subfolder",
       {"a.txt", "sub/b.txt"},
       true,
       u"Exclude the single file in the top folder.",
       true,
       false},
      {"two files and a subfolder",
       {"a.txt", "c.txt", "sub/b.txt"},
       true,
       u"Exclude the 2 files in the top folder.",
       true,
       false},
      {"files, no subfolder", {"a.txt"}, false, u"", false, false},
      {"subfolder, no files", {"sub/b.txt"}, false, u"", true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove_all(tmp.Path() / "top");
    std::filesystem::create_directories(tmp.Path() / "top");
    for (const std::string& file : row.files) WriteText(file);
    frmIndexMain& f = Open();
    PickTopFolder();
    EXPECT_EQ(f.txbTopFolder.Text(), TopText()) << "ends with the separator";
    EXPECT_EQ(f.chkExcludeFilesInTopFolder.visible, row.checkVisible);
    if (row.checkVisible) {
      EXPECT_EQ(f.chkExcludeFilesInTopFolder.caption, row.checkCaption);
    }
    EXPECT_EQ(f.cmdSelectSubfolders.enabled, row.subfoldersButton);
    EXPECT_EQ(f.lblTopFolderIsEmpty.caption.empty(), !row.emptyLabel);
    EXPECT_EQ(f.lblNumSubfoldersSelected.caption,
              app.GetProgramText(row.subfoldersButton ? 25 : 29));
  }
}

TEST_F(IndexMainTest, FolderBrowserOpensAtTheChosenFolderAndCancelChangesNothing) {
  frmIndexMain& f = Open();
  PickTopFolder();
  PickOutputFolder();
  f.cmdTopFolder_Click();
  f.cmdOutputFolder_Click();
  EXPECT_EQ(f.txbTopFolder.Text(), TopText());
  EXPECT_EQ(f.txbOutputFolder.Text(), OutText());
  EXPECT_EQ(platform.folderStarts, (std::vector<std::u16string>{u"", u"", TopText(), OutText()}));
}

TEST_F(IndexMainTest, OutputFolderOnAReadOnlyFileSystemIsRefused) {
  frmIndexMain& f = Open();
  platform.readOnlyFolders.push_back(Utf8ToText((tmp.Path() / "out").string()));
  PickOutputFolder();
  const auto& box = OnlyMessage().request;
  EXPECT_EQ(box.text, u"The output folder cannot be on a read-only file system.");
  EXPECT_EQ(box.title, u"Error");
  EXPECT_TRUE(f.txbOutputFolder.Text().empty());
}

TEST_F(IndexMainTest, TypedSubfoldersAreKeptWhenTheyExist) {
  WriteText("a.txt");
  WriteText("docs/b.txt");
  WriteText("lib/c.txt");
  frmIndexMain& f = Open();
  PickTopFolder();
  TypeInto(f.txbIncludedFolders, u"docs/\r\nmissing\r\n lib \r\n");
  EXPECT_EQ(f.IncludedSubfolders, (TextList{u"docs", u"lib"}));
  EXPECT_EQ(f.txbIncludedFolders.Text(), u"docs\r\nlib");
  EXPECT_EQ(f.lblNumSubfoldersSelected.caption, u"Two " + app.GetProgramText(27));
  EXPECT_TRUE(f.chkIncludeSubfoldersOfSubfolders.visible);
  EXPECT_EQ(f.chkIncludeSubfoldersOfSubfolders.caption, app.GetProgramText(89));

  TypeInto(f.txbIncludedFolders, u"docs");
  EXPECT_EQ(f.lblNumSubfoldersSelected.caption, app.GetProgramText(26));
  EXPECT_EQ(f.chkIncludeSubfoldersOfSubfolders.caption, app.GetProgramText(88));
}

TEST_F(IndexMainTest, TypedExcludedFilesAreSortedAndCounted) {
  WriteText("a.txt");
  frmIndexMain& f = Open();
  PickTopFolder();
  TypeInto(f.txbExcludedFiles, u"b.txt\r\n\r\n A.txt\r\nc.txt");
  EXPECT_EQ(f.txbExcludedFiles.Text(), u"A.txt\r\nb.txt\r\nc.txt");
  EXPECT_EQ(f.lblNumExcludedFiles.caption, u"3 files are excluded.");
  TypeInto(f.txbExcludedFiles, u"a.txt");
  EXPECT_EQ(f.lblNumExcludedFiles.caption, u"One file is excluded.");
}

TEST_F(IndexMainTest, NewTopFolderDropsSubfoldersAndFilesItDoesNotHold) {
  WriteText("a.txt");
  WriteText("docs/b.txt");
  frmIndexMain& f = Open();
  PickTopFolder();
  TypeInto(f.txbIncludedFolders, u"docs");
  TypeInto(f.txbExcludedFiles, u"a.txt\r\nz.txt");
  std::filesystem::remove_all(tmp.Path() / "top" / "docs");
  PickTopFolder();
  EXPECT_TRUE(f.IncludedSubfolders.empty());
  EXPECT_EQ(f.ExcludedFiles, (TextList{u"a.txt"}));
  EXPECT_EQ(f.txbExcludedFiles.Text(), u"a.txt");
}

TEST_F(IndexMainTest, ClearEmptiesTheChosenField) {
  WriteText("a.txt");
  WriteText("docs/b.txt");
  struct Row {
    std::u16string item;
    std::function<bool(frmIndexMain&)> cleared;
  } rows[] = {
      {u"Output folder", [](frmIndexMain& f) { return f.txbOutputFolder.Text().empty(); }},
      {u"Maximum filesize", [](frmIndexMain& f) { return f.txbMaximumFilesize.Text().empty(); }},
      {u"Minimum filesize", [](frmIndexMain& f) { return f.txbMinimumFilesize.Text().empty(); }},
      {u"Excluded filepaths",
       [](frmIndexMain& f) { return f.txbExcludedFilepaths.Text().empty(); }},
      {u"Excluded files",
       [](frmIndexMain& f) {
         return f.txbExcludedFiles.Text().empty() && f.ExcludedFiles.empty();
       }},
      {u"Included subfolders",
       [](frmIndexMain& f) {
         return f.txbIncludedFolders.Text().empty() && f.IncludedSubfolders.empty() &&
                !f.chkIncludeSubfoldersOfSubfolders.visible;
       }},
      {u"Top folder",
       [](frmIndexMain& f) {
         return f.txbTopFolder.Text().empty() && f.IncludedSubfolders.empty() &&
                f.ExcludedFiles.empty() && !f.cmdSelectSubfolders.enabled;
       }},
      {u"Title", [](frmIndexMain& f) { return f.txbTitle.Text().empty(); }},
      {u"Project name",
       [](frmIndexMain& f) { return f.txbProjectName.Text().empty() && f.IndexFilePath.empty(); }},
  };
  for (int item = 0; item < 9; ++item) {
    const Row& row = rows[item];
    SCOPED_TRACE(TextToUtf8(row.item));
    frmIndexMain& f = Open();
    TypeInto(f.txbProjectName, u"proj");
    TypeInto(f.txbTitle, u"Title");
    PickTopFolder();
    PickOutputFolder();
    TypeInto(f.txbProjectName, u"proj");
    TypeInto(f.txbIncludedFolders, u"docs");
    TypeInto(f.txbExcludedFiles, u"a.txt");
    TypeInto(f.txbExcludedFilepaths, u"old");
    ASSERT_EQ(f.cboClear.items[static_cast<std::size_t>(item)], row.item);
    // Picking the item asks first; No keeps the field.
    platform.messages.clear();
    platform.AnswerNext(ui::MsgResult::No);
    f.cboClear.SetListIndex(item);
    EXPECT_EQ(OnlyMessage().request.text, u"Are you sure?");
    EXPECT_EQ(OnlyMessage().request.buttons, ui::MsgButtons::YesNo);
    EXPECT_FALSE(row.cleared(f));
    platform.AnswerNext(ui::MsgResult::Yes);
    f.cboClear.SetListIndex(-1);
    f.cboClear.SetListIndex(item);
    EXPECT_TRUE(row.cleared(f));
  }
}

TEST_F(IndexMainTest, ResetAsksAndRestoresTheDefaults) {
  frmIndexMain& f = Open();
  TypeInto(f.txbTitle, u"Papers");
  TypeInto(f.txbMinimumFilesize, u"12");
  platform.AnswerNext(ui::MsgResult::No);
  f.cmdReset_Click();
  EXPECT_EQ(OnlyMessage().request.text, app.GetProgramText(58) + u"\r\n" + app.GetProgramText(59));
  EXPECT_EQ(OnlyMessage().request.title, u"Reset");
  EXPECT_EQ(f.txbTitle.Text(), u"Papers");
  platform.AnswerNext(ui::MsgResult::Yes);
  f.cmdReset_Click();
  EXPECT_TRUE(f.txbTitle.Text().empty());
  EXPECT_EQ(f.txbMinimumFilesize.Text(), u"400");
  EXPECT_EQ(f.cboSettings.ListIndex(), 0);
  EXPECT_FALSE(std::filesystem::exists(tmp.Path() / "machine" / "appdata" / "QUOR" / "dwixi.usri"))
      << "refilling the settings list saves nothing";
}

TEST_F(IndexMainTest, SwitchingToTheSearchModuleHandsOverTheTopFolder) {
  WriteText("a.txt");
  frmIndexMain& f = Open();
  PickTopFolder();
  f.cmdSwitchToSearchModule_Click();
  EXPECT_TRUE(app.ModuleClosed);
  EXPECT_TRUE(app.ModuleSwitch);
  EXPECT_EQ(app.HandedOverTopFolder, TopText());
  EXPECT_FALSE(f.Loaded());
  EXPECT_EQ(launcher.closedCalls, 1);
}

TEST_F(IndexMainTest, UserManualLabelShowsAndOpensTheManualInTheProgramFolder) {
  frmIndexMain& f = Open();
  const std::u16string manual = platform.ProgramFolder() + u"/manual.html";
  EXPECT_EQ(f.lblUserManualURL.caption, manual);
  EXPECT_TRUE(std::filesystem::is_regular_file(ToFsPath(manual)));
  f.lblUserManualURL.Click();
  ASSERT_EQ(platform.openedAddresses.size(), 1u);
  EXPECT_EQ(platform.openedAddresses[0], u"file://" + manual);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(IndexMainTest, ClosingTheWindowShowsTheLauncherAndQuitEndsTheProgram) {
  frmIndexMain& f = Open();
  EXPECT_TRUE(f.CloseByUser());
  EXPECT_EQ(launcher.closedCalls, 1);
  EXPECT_TRUE(app.ModuleClosed);
  Open().cmdQuit_Click();
  EXPECT_EQ(launcher.closedCalls, 1);
  EXPECT_EQ(launcher.endCalls, 1);
}

}  // namespace
}  // namespace quor::test
