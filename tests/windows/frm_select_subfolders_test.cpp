#include "windows/frm_select_subfolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "common/encoding.h"
#include "support/scripted_platform.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

// A user at the subfolder window, opened over a real folder tree.
class SelectSubfoldersTest : public ::testing::Test {
 protected:
  SelectSubfoldersTest() : platform(Utf8ToText((tmp.Path() / "machine").string())) {
    tmp.MakeFolder("top");
  }

  std::u16string Top() const { return Utf8ToText((tmp.Path() / "top").string() + "/"); }
  void Files(const std::string& folder, int count, std::size_t size = 100) {
    for (int i = 0; i < count; ++i) {
      tmp.Write("top/" + folder + "/f" + std::to_string(i) + ".txt", std::string(size, 'x'));
    }
  }
  // Removes a folder at the first DoEvents: after the names were read, before
  // its count. (As root, permission bits do not stop reading; a folder that
  // is gone cannot be read either.)
  void VanishWhileReading(const std::string& folder) {
    platform.WhenDoEvents(
        [] { return true; },
        [this, folder] { std::filesystem::remove_all(tmp.Path() / "top" / folder); });
  }

  // Opens the window modally; user acts once the list was read, then the
  // window is cancelled if still open.
  void Open(std::function<void(frmSelectSubfolders&)> user) {
    window = std::make_unique<frmSelectSubfolders>(platform);
    window->TopFolder = Top();
    window->Selection = selection;
    platform.onModalShow = [this, user](ui::Form&) {
      window->tmrFillList.Fire();
      if (user && window->Visible()) user(*window);
      if (window->Visible()) window->cmdCancel_Click();
    };
    window->Show(true);
  }
  ui::CheckBox& Box(const std::u16string& name) {
    const auto& subs = window->Subfolders();
    std::size_t i = 0;
    while (i < subs.size() && subs[i].name != name) ++i;
    return *window->chkSubfolder.at(i);
  }

  test::TempFolder tmp;
  test::ScriptedPlatform platform;
  std::u16string selection;
  std::unique_ptr<frmSelectSubfolders> window;
};

TEST_F(SelectSubfoldersTest, FolderOf500FilesShowsOverAndTicksCarryTheTotal) {
  Files("big", 500, 1024);
  Files("small", 2, 512);
  tmp.MakeFolder("top/small/inner");
  tmp.MakeFolder("top/.Trash-1000/files");
  selection = u"small\r\ngone";
  Open([&](frmSelectSubfolders& w) {
    EXPECT_EQ(w.Subfolders().size(), 2u);  // no trash folder
    EXPECT_EQ(Box(u"big").caption, u"big   (500 files and no subfolders, over 200.00 Kb)");
    EXPECT_EQ(Box(u"small").caption, u"small   (2 files and 1 subfolder, 1.00 Kb)");
    // Ticked as handed in; "gone" no longer exists.
    EXPECT_EQ(w.lblNumSubfolders.caption, u"One subfolder selected.\r\nA total of 1.00 Kb.");
    Box(u"big").SetValue(1);
    EXPECT_EQ(w.lblNumSubfolders.caption,
              u"All 2 subfolders selected.\r\nA total of over 201.00 Kb.");
    EXPECT_TRUE(w.cmdCancel.HasFocus());
    w.cmdAccept_Click();
  });
  EXPECT_TRUE(window->Accepted);
  EXPECT_EQ(window->Result, u"big\r\nsmall");
  EXPECT_TRUE(window->SelectedHaveSubfolders);
  EXPECT_TRUE(window->chkSubfolder.empty());  // the boxes went with the window
}

TEST_F(SelectSubfoldersTest, UnreadableAndEmptyFoldersCannotBeTickedAndVanishedOnesDropOut) {
  Files("a", 1);
  Files("b", 3);
  Files("c", 1);
  Files("locked", 1);
  tmp.MakeFolder("top/empty");
  VanishWhileReading("locked");
  Open([&](frmSelectSubfolders& w) {
    EXPECT_EQ(Box(u"locked").caption, u"locked   (permission denied)");
    Box(u"locked").SetValue(1);
    Box(u"empty").SetValue(1);
    EXPECT_EQ(w.lblNumSubfolders.caption, u"No subfolders selected.");

    w.cmdSelectDeselectAllSubfolders_Click();
    EXPECT_EQ(w.cmdSelectDeselectAllSubfolders.caption, u"Deselect all");
    EXPECT_EQ(Box(u"locked").Value() + Box(u"empty").Value(), 0);
    EXPECT_EQ(w.lblNumSubfolders.caption, u"3 selected (of 5).\r\nA total of 500 bytes.");
    w.cmdSelectDeselectAllSubfolders_Click();
    EXPECT_EQ(w.cmdSelectDeselectAllSubfolders.caption, u"Select all");
    EXPECT_EQ(w.lblNumSubfolders.caption, u"No subfolders selected.");
    w.cmdSelectDeselectAllSubfolders_Click();

    // A ticked folder that is gone by Accept drops out.
    std::filesystem::remove_all(tmp.Path() / "top" / "b");
    w.cmdAccept_Click();
  });
  EXPECT_EQ(window->Result, u"a\r\nc");
  EXPECT_FALSE(window->SelectedHaveSubfolders);
}

TEST_F(SelectSubfoldersTest, WindowAnswersWhileReadingAndCancelEndsTheReading) {
  for (int i = 0; i < 30; ++i) Files("sub" + std::to_string(i), 1);
  std::u16string readingCaption;
  platform.AtDoEvents(10, [&] {
    readingCaption = window->lblReadingDisk.caption;
    EXPECT_FALSE(window->CloseByUser());  // refused with a message
    window->cmdCancel_Click();
  });
  Open({});
  EXPECT_TRUE(readingCaption.starts_with(u"Reading disk . . . . ."));
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].request.text,
            u"Please exit this window only by clicking on 'Accept' or 'Cancel'.");
  EXPECT_EQ(platform.messages[0].request.title, u"Select Folders");
  EXPECT_LT(window->Subfolders().size(), 30u);
  EXPECT_FALSE(window->Accepted);
  EXPECT_FALSE(window->Visible());
}

TEST_F(SelectSubfoldersTest, TopFolderThatCannotBeReadClosesTheWindowWithAMessage) {
  std::filesystem::remove_all(tmp.Path() / "top");
  Open({});
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].request.title, u"Select subfolders");
  EXPECT_FALSE(window->Visible());
  EXPECT_FALSE(window->Accepted);
}

TEST_F(SelectSubfoldersTest, ManySubfoldersScrollAndLongNamesAreShortenedInTheMiddle) {
  for (int i = 10; i < 70; ++i) Files("folder" + std::to_string(i), 1);
  const std::string longName(150, 'n');
  Files(longName + "-end", 1);
  Open([&](frmSelectSubfolders& w) {
    ASSERT_EQ(w.chkSubfolder.size(), 61u);
    EXPECT_TRUE(w.vsbScrollBar.visible);
    ui::CheckBox& last = *w.chkSubfolder.back();
    EXPECT_NE(last.caption.find(u" ... "), std::u16string::npos);
    EXPECT_TRUE(last.caption.ends_with(u"(1 file and no subfolders, 100 bytes)"));
    EXPECT_LT(last.caption.size(), 120u);
    // Tabbing to a box out of sight scrolls it into view.
    last.SetFocus();
    EXPECT_EQ(w.vsbScrollBar.Value(), w.vsbScrollBar.max);
    EXPECT_GE(last.geometry.top, 0);
    EXPECT_LE(last.geometry.top + last.geometry.height, w.picSubfolders.geometry.height);
    last.SetValue(1);
    w.cmdAccept_Click();
  });
  EXPECT_EQ(window->Result, Utf8ToText(longName + "-end"));
}

}  // namespace
}  // namespace quor
