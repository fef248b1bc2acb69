#include <gtest/gtest.h>

#include <filesystem>

#include "common/files.h"
#include "frm_index_main_test_fixture.h"
#include "ui/frm_pop_up.h"
#include "windows/index_settings.h"

namespace quor::test {
namespace {

class IndexSettingsWindowTest : public IndexMainTest {
 protected:
  // Fills every stored field the way a user does.
  void FillProject(frmIndexMain& f) {
    WriteText("a.txt");
    WriteText("b.txt");
    WriteText("docs/c.txt");
    TypeInto(f.txbProjectName, u"my papers");
    TypeInto(f.txbTitle, u"My papers, \"all\" of them");
    PickTopFolder();
    PickOutputFolder();
    TypeInto(f.txbIncludedFolders, u"docs");
    TypeInto(f.txbExcludedFiles, u"b.txt");
    TypeInto(f.txbExcludedFilepaths, u"old, draft");
    TypeInto(f.txbMinimumFilesize, u"12");
    TypeInto(f.txbMaximumFilesize, u"99");
    f.chkExcludeFilesInTopFolder.SetValue(1);
    f.chkIncludeSubfoldersOfSubfolders.SetValue(1);
  }
  std::u16string SettingsFile(const char* name) const {
    return Utf8ToText((tmp.Path() / name).string());
  }
};

TEST_F(IndexSettingsWindowTest, SavedForNextRunComesBackAtTheNextStart) {
  frmIndexMain& f = Open();
  FillProject(f);
  f.cmdSettings_Click();  // "Save for next run" is selected
  EXPECT_TRUE(FileExists(f.DefaultSettingsPath));
  EXPECT_EQ(app.PopUp().lblMessage.caption, app.GetProgramText(17));
  EXPECT_TRUE(app.PopUp().Visible());
  EXPECT_TRUE(platform.messages.empty());

  frmIndexMain& g = Open();
  EXPECT_EQ(g.txbProjectName.Text(), u"my_papers");
  EXPECT_EQ(g.txbTitle.Text(), u"My papers, 'all' of them");
  EXPECT_EQ(g.txbTopFolder.Text(), TopText());
  EXPECT_EQ(g.txbOutputFolder.Text(), OutText());
  EXPECT_EQ(g.IncludedSubfolders, (TextList{u"docs"}));
  EXPECT_EQ(g.ExcludedFiles, (TextList{u"b.txt"}));
  EXPECT_EQ(g.txbExcludedFilepaths.Text(), u"old, draft");
  EXPECT_EQ(g.txbMinimumFilesize.Text(), u"12");
  EXPECT_EQ(g.txbMaximumFilesize.Text(), u"4000") << "the maximum is not stored";
  EXPECT_EQ(g.chkExcludeFilesInTopFolder.Value(), 1);
  EXPECT_EQ(g.chkIncludeSubfoldersOfSubfolders.Value(), 1);
  EXPECT_EQ(g.IndexFilePath, OutText() + u"my_papers_index.quor");
  EXPECT_EQ(g.lblNumExcludedFiles.caption, u"One file is excluded.");
  EXPECT_EQ(g.ActiveControl(), &g.cmdSwitchToSearchModule) << "no field is empty";
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(IndexSettingsWindowTest, SaveToFileAsksForANameAndLoadFromFileReadsIt) {
  frmIndexMain& f = Open();
  FillProject(f);
  platform.saveAnswers.push_back(SettingsFile("project"));
  f.cboSettings.SetListIndex(1);  // "Save to file": picking the item runs it
  ASSERT_EQ(platform.fileDialogs.size(), 1u);
  EXPECT_EQ(platform.fileDialogs[0].title, u"Specify file for settings for index module");
  EXPECT_EQ(platform.fileDialogs[0].filter, u"Settings file (*.usri) | *.usri");
  EXPECT_EQ(platform.fileDialogs[0].fileName, u"my_papers.usri");
  EXPECT_TRUE(FileExists(SettingsFile("project.usri"))) << "a bare name gets the extension";

  platform.AnswerNext(ui::MsgResult::Yes);
  f.cboClear.SetListIndex(8);  // "Project name"
  platform.openAnswers.push_back({SettingsFile("project.usri")});
  f.cboSettings.SetListIndex(3);  // "Load from file"
  ASSERT_EQ(platform.fileDialogs.size(), 2u);
  EXPECT_EQ(platform.fileDialogs[1].title, u"Specify index module settings file");
  EXPECT_TRUE(platform.fileDialogs[1].mustExist);
  EXPECT_EQ(platform.fileDialogs[1].initialFolder, Utf8ToText(tmp.Path().string() + "/"));
  EXPECT_EQ(f.txbProjectName.Text(), u"my_papers");
  EXPECT_EQ(f.chkExcludeSpecialLetters.Value(), 0);
}

TEST_F(IndexSettingsWindowTest, DamagedDefaultFileAtStartGivesDefaultsSilently) {
  frmIndexMain& f = Open();
  WriteWholeFile(f.DefaultSettingsPath,
                 "\"Vantrel File Search -- Settings for Index Module\"\r\n"
                 "\"proj\",\"Title\"");
  frmIndexMain& g = Open();
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(g.txbProjectName.Text().empty());
  EXPECT_TRUE(g.txbTitle.Text().empty());
  EXPECT_EQ(g.txbMinimumFilesize.Text(), u"400");
}

TEST_F(IndexSettingsWindowTest, FileThatCannotBeLoadedFromTheMenuIsNamed) {
  const std::string header = "\"QUOR -- Settings for Index Module\"\r\n";
  struct Row {
    const char* name;
    const char* file;
    std::string bytes;
    std::u16string text;
    std::u16string title;
    std::u16string titleAfter;  // "T": kept
    std::u16string minimumAfter;
  };
  const Row rows[] = {
      // Reported after the load: the defaults are back.
      {"damaged", "bad.usri", header + "\"proj\",\"Title\",\"\",\"/\",\"/\"",
       u"Error when attempting to load settings: Input past end of file", u"Load config", u"",
       u"400"},
      // The project and title are read before the check; the rest is left.
      {"relative output folder", "other.usri",
       header + "\"proj\",\"New\",\"frag\",\"Index\",\"/\",\"\",\"\",\"1\",0,0,0\r\n",
       u"Invalid input.  Probably this is not a settings file for this index module.",
       u"Load settings", u"", u"77"},
      {"another kind of file", "notes.txt", "just notes\r\n",
       u"notes.txt is not a QUOR settings file.", u"Load settings", u"T", u"77"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    platform.messages.clear();
    frmIndexMain& f = Open();
    TypeInto(f.txbTitle, u"T");
    TypeInto(f.txbMinimumFilesize, u"77");
    WriteWholeFile(SettingsFile(row.file), row.bytes);
    platform.openAnswers.push_back({SettingsFile(row.file)});
    f.cboSettings.SetListIndex(3);
    const auto& box = OnlyMessage().request;
    EXPECT_EQ(box.text, row.text);
    EXPECT_EQ(box.title, row.title);
    EXPECT_EQ(box.icon, ui::MsgIcon::Exclamation);
    EXPECT_TRUE(f.txbProjectName.Text().empty());
    EXPECT_EQ(f.txbTitle.Text(), row.titleAfter);
    EXPECT_EQ(f.txbMinimumFilesize.Text(), row.minimumAfter);
    EXPECT_TRUE(f.txbTopFolder.Text().empty());
  }
}

TEST_F(IndexSettingsWindowTest, MissingFoldersInTheFileAreDroppedSilentlyAndNamesKeepTheirCase) {
  frmIndexMain& f = Open();
  IndexSettings s;
  s.projectName = u"p";
  s.outputFolder = u"/no/such/out";
  s.topFolder = TopText();
  s.includedFolders = u"Docs\r\ngone";
  s.excludedFiles = u"a.txt\r\nmissing.txt";
  WriteText("a.txt");
  WriteText("Docs/b.txt");
  WriteWholeFile(SettingsFile("s.usri"), WriteIndexSettings(s));
  f.LoadSettings(SettingsFile("s.usri"));
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(f.txbOutputFolder.Text().empty());
  EXPECT_EQ(f.txbTopFolder.Text(), TopText());
  EXPECT_EQ(f.IncludedSubfolders, (TextList{u"Docs"})) << "the name keeps its case";
  EXPECT_EQ(f.ExcludedFiles, (TextList{u"a.txt"}));
  EXPECT_EQ(f.lblNumSubfoldersSelected.caption, app.GetProgramText(26));
}

TEST_F(IndexSettingsWindowTest, CancelledDialogsWriteAndReadNothing) {
  frmIndexMain& f = Open();
  TypeInto(f.txbTitle, u"Stays");
  f.cboSettings.SetListIndex(1);
  f.cboSettings.SetListIndex(3);
  EXPECT_EQ(platform.fileDialogs.size(), 2u);
  EXPECT_EQ(f.txbTitle.Text(), u"Stays");
  EXPECT_TRUE(platform.messages.empty());
}

}  // namespace
}  // namespace quor::test
