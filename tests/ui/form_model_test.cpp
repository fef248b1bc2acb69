// The window model's controls and form base, driven as a window's code and a
// renderer would drive them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scripted_platform.h"
#include "support/temp_folder.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace quor::ui {
namespace {

class TestForm : public Form {
 public:
  explicit TestForm(Platform& platform) : Form(platform, "frmTest") {}

  Frame fraOrder{*this, "fraOrder"};
  OptionButton optAlphabetically{*this, "optAlphabetically"};
  OptionButton optByFolder{*this, "optByFolder"};
  OptionButton optOutside{*this, "optOutside"};
  TextBox txbProjectName{*this, "txbProjectName"};
  Label lblTitle{*this, "lblTitle"};
  CheckBox chkNested{*this, "chkNested"};
  CommandButton cmdListFiles0{*this, "cmdListFiles", 0};
  CommandButton cmdListFiles1{*this, "cmdListFiles", 1};
  ComboBox cboType{*this, "cboType"};
  VScrollBar vsbList{*this, "vsbList"};

  std::vector<std::string> events;
  bool refuseClose = false;

  void Form_Load() override { events.push_back("Load"); }
  void Form_Activate() override { events.push_back("Activate"); }
  bool Form_QueryUnload() override {
    events.push_back("QueryUnload");
    return refuseClose;
  }
  void Form_Unload() override { events.push_back("Unload"); }
};

class FormModelTest : public ::testing::Test {
 protected:
  test::TempFolder temp;
  test::ScriptedPlatform platform{temp.Text()};
  TestForm form{platform};
};

TEST_F(FormModelTest, SelectingAnOptionClearsOnlyTheOthersOfItsContainer) {
  form.optAlphabetically.container = &form.fraOrder;
  form.optByFolder.container = &form.fraOrder;
  int clicks = 0;
  form.optByFolder.Click = [&] { ++clicks; };

  form.optOutside.SetValue(true);
  form.optAlphabetically.SetValue(true);
  form.optByFolder.SetValue(true);

  EXPECT_FALSE(form.optAlphabetically.Value());
  EXPECT_TRUE(form.optByFolder.Value());
  EXPECT_TRUE(form.optOutside.Value()) << "another container is another group";
  EXPECT_EQ(clicks, 1);
  form.optByFolder.SetValue(true);
  EXPECT_EQ(clicks, 1) << "selecting the selected option is no change";
}

TEST_F(FormModelTest, SetTextCutsToMaxLengthAndRaisesChangeOnlyOnChange) {
  int changes = 0;
  form.txbProjectName.Change = [&] { ++changes; };
  form.txbProjectName.maxLength = 5;
  form.txbProjectName.SetText(u"abcdefgh");
  EXPECT_EQ(form.txbProjectName.Text(), u"abcde");
  form.txbProjectName.SetText(u"abcdeXYZ");
  EXPECT_EQ(changes, 1) << "the cut text equals the current one";
}

TEST_F(FormModelTest, TypingFollowsKeyPressSelectionAndLimits) {
  struct Row {
    const char* name;
    std::u16string start;
    int selStart;
    int selLength;
    int maxLength;
    bool multiLine;
    bool readOnly;
    std::u16string typed;
    std::u16string expected;
    int caret;
  };
  const Row rows[] = {
      {"space becomes underscore", u"", 0, 0, 0, false, false, u"my project", u"my_project", 10},
      {"typing replaces the selection", u"old name", 0, 3, 0, false, false, u"new", u"new name", 3},
      {"inserts at the caret", u"ac", 1, 0, 0, false, false, u"b", u"abc", 2},
      {"maxLength refuses the rest", u"abc", 3, 0, 5, false, false, u"defg", u"abcde", 5},
      {"replacing under maxLength", u"abcde", 1, 2, 5, false, false, u"XY", u"aXYde", 3},
      {"backspace deletes before the caret", u"abc", 3, 0, 0, false, false, u"\b", u"ab", 2},
      {"backspace deletes the selection", u"abcd", 1, 2, 0, false, false, u"\b", u"ad", 1},
      {"backspace at the start does nothing", u"ab", 0, 0, 0, false, false, u"\b", u"ab", 0},
      {"enter in one-line box inserts nothing", u"ab", 2, 0, 0, false, false, u"\r", u"ab", 2},
      {"enter in multi-line box inserts CR LF", u"ab", 1, 0, 0, true, false, u"\r", u"a\r\nb", 3},
      {"swallowed character", u"", 0, 0, 0, false, false, u"a!b", u"ab", 2},
      {"read-only box keeps its text", u"ab", 2, 0, 0, false, true, u"cd", u"ab", 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TextBox box(form, "txbRow");
    box.SetText(row.start);
    box.selStart = row.selStart;
    box.selLength = row.selLength;
    box.maxLength = row.maxLength;
    box.multiLine = row.multiLine;
    box.readOnly = row.readOnly;
    std::u16string seenKeys;
    box.KeyPress = [&](char16_t& ch) {
      seenKeys += ch;
      if (ch == u' ') ch = u'_';
      if (ch == u'!') ch = 0;
    };
    box.Type(row.typed);
    EXPECT_EQ(box.Text(), row.expected);
    EXPECT_EQ(box.selStart, row.caret);
    EXPECT_EQ(box.selLength, 0);
    EXPECT_EQ(seenKeys, row.typed) << "every key goes through KeyPress";
  }
}

TEST_F(FormModelTest, SelectionIsClampedToTheText) {
  TextBox& box = form.txbProjectName;
  box.SetText(u"abcdef");
  int selChanges = 0;
  box.SelChange = [&] { ++selChanges; };
  box.SetSelection(4, 10);
  EXPECT_EQ(box.selStart, 4);
  EXPECT_EQ(box.selLength, 2);
  EXPECT_EQ(box.SelectedText(), u"ef");
  box.SetSelection(4, 2);
  EXPECT_EQ(selChanges, 1);
  box.SetText(u"ab");
  EXPECT_EQ(box.selStart, 2);
  EXPECT_EQ(box.selLength, 0);
  EXPECT_EQ(box.SelectedText(), u"");
}

TEST_F(FormModelTest, ValueSettersRaiseTheirEventOnlyOnChange) {
  int checkClicks = 0, comboClicks = 0, scrollChanges = 0;
  form.chkNested.Click = [&] { ++checkClicks; };
  form.cboType.Click = [&] { ++comboClicks; };
  form.vsbList.Change = [&] { ++scrollChanges; };

  form.chkNested.SetValue(1);
  form.chkNested.SetValue(1);
  EXPECT_EQ(checkClicks, 1);
  form.chkNested.SetValue(7);
  EXPECT_EQ(form.chkNested.Value(), 2);

  form.cboType.AddItem(u"Any word");
  form.cboType.AddItem(u"All words");
  form.cboType.SetListIndex(1);
  form.cboType.SetListIndex(1);
  form.cboType.SetListIndex(5);  // no such item: ignored
  EXPECT_EQ(comboClicks, 1);
  EXPECT_EQ(form.cboType.Text(), u"All words");
  form.cboType.ClearItems();
  EXPECT_EQ(form.cboType.ListIndex(), -1);
  EXPECT_EQ(form.cboType.Text(), u"");

  form.vsbList.min = 1;
  form.vsbList.max = 10;
  form.vsbList.SetValue(50);
  EXPECT_EQ(form.vsbList.Value(), 10);
  form.vsbList.SetValue(-3);
  EXPECT_EQ(form.vsbList.Value(), 1);
  EXPECT_EQ(scrollChanges, 2);
}

TEST_F(FormModelTest, FindControlUsesArrayIndexesAndSeesDynamicControls) {
  EXPECT_EQ(form.FindControl("cmdListFiles(1)"), &form.cmdListFiles1);
  EXPECT_EQ(form.FindControl("cmdListFiles(0)"), &form.cmdListFiles0);
  EXPECT_EQ(form.FindControl("cmdListFiles"), nullptr);
  EXPECT_EQ(form.FindControl("txbProjectName"), &form.txbProjectName);

  const int version = form.StructureVersion();
  CheckBox& added = form.AddDynamicControl<CheckBox>("chkSubfolder", 3);
  added.SetFocus();
  EXPECT_EQ(form.FindControl("chkSubfolder(3)"), &added);
  EXPECT_NE(form.StructureVersion(), version);

  const int withAdded = form.StructureVersion();
  form.RemoveDynamicControls();
  EXPECT_EQ(form.FindControl("chkSubfolder(3)"), nullptr);
  EXPECT_EQ(form.ActiveControl(), nullptr) << "focus must not point at a removed control";
  EXPECT_NE(form.StructureVersion(), withAdded);
}

TEST_F(FormModelTest, FocusMovesRaiseLostThenGotAndSkipDisabledControls) {
  std::vector<std::string> seen;
  form.txbProjectName.LostFocus = [&] { seen.push_back("txb lost"); };
  form.chkNested.GotFocus = [&] { seen.push_back("chk got"); };
  form.txbProjectName.SetFocus();
  form.chkNested.SetFocus();
  EXPECT_EQ(seen, (std::vector<std::string>{"txb lost", "chk got"}));
  EXPECT_TRUE(form.chkNested.HasFocus());

  form.cmdListFiles0.enabled = false;
  form.cmdListFiles0.SetFocus();
  EXPECT_TRUE(form.chkNested.HasFocus());
}

TEST_F(FormModelTest, ShowLoadsOnceAndActivatesEachTimeItAppears) {
  form.Show();
  form.Show();
  form.Hide();
  form.Show();
  EXPECT_EQ(form.events, (std::vector<std::string>{"Load", "Activate", "Activate"}));
  EXPECT_EQ(platform.formEvents,
            (std::vector<std::string>{"+frmTest", "+frmTest", "-frmTest", "+frmTest"}));
  EXPECT_TRUE(form.Visible());
}

TEST_F(FormModelTest, ModalShowReturnsOnceTheUserHidesTheForm) {
  bool wasModal = false;
  platform.onModalShow = [&](Form& shown) {
    wasModal = shown.Modal();
    shown.Hide();
  };
  form.Show(true);
  EXPECT_TRUE(wasModal);
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(form.Modal());
}

TEST_F(FormModelTest, CloseBoxAsksQueryUnloadFirst) {
  form.Show();
  form.refuseClose = true;
  EXPECT_FALSE(form.CloseByUser());
  EXPECT_TRUE(form.Visible());

  form.refuseClose = false;
  form.AddDynamicControl<CheckBox>("chkSubfolder", 0);
  EXPECT_TRUE(form.CloseByUser());
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(form.Loaded());
  EXPECT_EQ(form.FindControl("chkSubfolder(0)"), nullptr);

  form.Show();
  EXPECT_EQ(form.events, (std::vector<std::string>{"Load", "Activate", "QueryUnload", "QueryUnload",
                                                   "Unload", "Load", "Activate"}));
}

TEST_F(FormModelTest, FormColourReachesLabelsChecksFramesAndOptionsOnly) {
  const Colour colour = 15646940;
  form.SetFormColour(colour);
  EXPECT_EQ(form.backColour, colour);
  for (const Control* control : form.Controls()) {
    SCOPED_TRACE(control->QualifiedName());
    const ControlKind kind = control->Kind();
    const bool coloured = kind == ControlKind::Label || kind == ControlKind::CheckBox ||
                          kind == ControlKind::Frame || kind == ControlKind::OptionButton;
    EXPECT_EQ(control->hasBackColour, coloured);
    if (coloured) {
      EXPECT_EQ(control->backColour, colour);
    }
  }
}

TEST_F(FormModelTest, CentreOnScreenKeepsLargeWindowsOnScreen) {
  form.geometry = {0, 0, 6000, 3000};
  form.CentreOnScreen();
  EXPECT_EQ(form.geometry.left, (platform.screenWidthTwips - 6000) / 2);
  EXPECT_EQ(form.geometry.top, (platform.screenHeightTwips - 3000) / 2);
  form.geometry.width = platform.screenWidthTwips + 3000;
  form.CentreOnScreen();
  EXPECT_EQ(form.geometry.left, 0);
}

}  // namespace
}  // namespace quor::ui
