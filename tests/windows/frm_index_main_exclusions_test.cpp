// The Index Module's subfolder and exclusion editors, driven as a user does:
// the subfolder window, the file dialog of "Exclude files", typing in the
// box, and the fragment editor of "Expand".
#include <gtest/gtest.h>

#include "windows/frm_filepath_exclusions.h"
#include "windows/frm_index_main_test_fixture.h"
#include "windows/frm_select_subfolders.h"

namespace quor::test {
namespace {

class ExclusionsTest : public IndexMainTest {
 protected:
  std::u16string Full(const std::string& relative) const {
    return TopText() + Utf8ToText(relative);
  }
  // Picks files in the dialog of "Exclude files".
  void Pick(std::vector<std::u16string> files) {
    platform.openAnswers.push_back(std::move(files));
    form->cmdExcludeFiles_Click();
  }
  std::u16string LastText() const { return platform.messages.back().request.text; }
};

TEST_F(ExclusionsTest, IncludeSubfoldersOpensTheListAndTakesTheTickedNames) {
  frmIndexMain& f = Open();
  f.cmdSelectSubfolders_Click();
  EXPECT_EQ(OnlyMessage().request.text, app.GetProgramText(23));
  EXPECT_EQ(OnlyMessage().request.title, u"Include subfolders");

  WriteText("a.txt");
  WriteText("docs/x.txt");
  WriteText("docs/old/y.txt");
  WriteText("notes/z.txt");
  PickTopFolder();
  platform.onModalShow = [&](ui::Form& shown) {
    auto& w = static_cast<frmSelectSubfolders&>(shown);
    EXPECT_EQ(w.geometry.left, f.geometry.left + f.cmdSelectSubfolders.geometry.left + 50);
    EXPECT_EQ(w.lblInstruction.caption, app.GetProgramText(24));
    w.tmrFillList.Fire();
    ASSERT_EQ(w.chkSubfolder.size(), 2u);
    w.chkSubfolder[0]->SetValue(1);
    w.chkSubfolder[1]->SetValue(1);
    w.cmdAccept_Click();
  };
  f.cmdSelectSubfolders_Click();
  EXPECT_EQ(f.txbIncludedFolders.Text(), u"docs\r\nnotes");
  EXPECT_EQ(f.IncludedSubfolders, (TextList{u"docs", u"notes"}));
  EXPECT_TRUE(f.chkIncludeSubfoldersOfSubfolders.visible);
  EXPECT_EQ(f.lblNumSubfoldersSelected.caption, u"Two " + app.GetProgramText(27));

  // Cancel keeps what was there; the next opening ticks it again.
  platform.onModalShow = [&](ui::Form& shown) {
    auto& w = static_cast<frmSelectSubfolders&>(shown);
    w.tmrFillList.Fire();
    EXPECT_EQ(w.chkSubfolder[0]->Value(), 1);
    w.chkSubfolder[0]->SetValue(0);
    w.cmdCancel_Click();
  };
  f.cmdSelectSubfolders_Click();
  EXPECT_EQ(f.IncludedSubfolders, (TextList{u"docs", u"notes"}));
}

TEST_F(ExclusionsTest, PickedFilesAreAddedOnceAndNeverIndexedOnesAreRefused) {
  WriteText("a.txt");
  WriteText("c.txt");
  WriteText("logo.gif");
  WriteText("docs/d.txt");
  frmIndexMain& f = Open();
  PickTopFolder();
  Pick({Full("c.txt"), Full("a.txt")});
  EXPECT_EQ(f.txbExcludedFiles.Text(), u"a.txt\r\nc.txt");
  EXPECT_EQ(f.lblNumExcludedFiles.caption, u"2 files are excluded.");
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(platform.fileDialogs.back().title, app.GetProgramText(99));
  EXPECT_TRUE(platform.fileDialogs.back().multiSelect);

  Pick({Full("a.txt")});
  EXPECT_EQ(LastText(),
            app.GetProgramText(40) + u" " + Full("a.txt") + u"\r\n" + app.GetProgramText(54));
  EXPECT_EQ(platform.messages.back().request.icon, ui::MsgIcon::Information);
  Pick({Full("logo.gif")});
  std::u16string gif = app.GetProgramText(42);
  gif.replace(gif.find(u"ocx"), 3, u"gif");
  EXPECT_EQ(LastText(), gif);
  EXPECT_EQ(f.ExcludedFiles, (TextList{u"a.txt", u"c.txt"}));

  // docs is not walked: nothing is added.
  Pick({Full("docs/d.txt")});
  EXPECT_EQ(LastText(),
            app.GetProgramText(40) + u" " + Full("docs/d.txt") + u"\r\n" + app.GetProgramText(41));
  EXPECT_EQ(platform.messages.back().request.icon, ui::MsgIcon::Exclamation);
  Pick({Full("docs/d.txt"), Full("docs/e.txt"), Full("docs/f.txt")});
  EXPECT_EQ(LastText(), FoldCase(u"These Three files are in a folder that is not indexed, so they "
                                 u"need not be excluded."));
  // Nor are files outside the top folder.
  Pick({OutText() + u"g.txt"});
  EXPECT_EQ(LastText(),
            app.GetProgramText(40) + u" " + OutText() + u"g.txt\r\n" + app.GetProgramText(41));

  std::vector<std::u16string> many;
  for (int i = 0; i < 400; ++i) many.push_back(Full(std::string(90, 'n') + std::to_string(i)));
  Pick(many);
  EXPECT_EQ(LastText(), u"Too many files selected.");
  EXPECT_EQ(f.ExcludedFiles.size(), 2u);
}

TEST_F(ExclusionsTest, FragmentEditorSortsAndDropsDuplicatesOnConfirm) {
  frmIndexMain& f = Open();
  f.txbExcludedFilepaths.SetText(u"tmp, ,Old");
  struct Row {
    const char16_t* typed;
    bool confirm;
    const char16_t* expected;
  };
  const Row rows[] = {
      {u"old/mail\r\ntmp\r\ntmp", true, u"old/mail, tmp"},
      {u"tmp\r\n\r\n old\\mail \r\nbackup", true, u"backup, old/mail, tmp"},
      {u"everything", false, u"backup, old/mail, tmp"},
      {u"", true, u""},
  };
  bool first = true;
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.typed));
    platform.onModalShow = [&](ui::Form& shown) {
      auto& w = static_cast<frmFilepathExclusions&>(shown);
      if (first) {
        // One fragment per line, sorted, the empty one kept.
        EXPECT_EQ(w.txbFilepathExclusions.Text(), u"\r\nOld\r\ntmp");
        EXPECT_EQ(w.backColour, f.backColour);
        EXPECT_EQ(w.geometry.top, f.geometry.top + f.txbExcludedFilepaths.geometry.top + 480);
        first = false;
      }
      w.txbFilepathExclusions.SetText(row.typed);
      if (row.confirm) {
        w.cmdConfirm_Click();
      } else {
        w.cmdCancel_Click();
      }
    };
    f.cmdExpandFilepathExclusions_Click();
    EXPECT_EQ(f.txbExcludedFilepaths.Text(), row.expected);
  }
}

}  // namespace
}  // namespace quor::test
