#include <gtest/gtest.h>

#include <filesystem>

#include "frm_index_main_test_fixture.h"
#include "ui/frm_large_display.h"

namespace quor::test {
namespace {

class ListFilesTest : public IndexMainTest {
 protected:
  ui::frmLargeDisplay& Display() { return app.LargeDisplay(); }
  std::u16string Shown() { return Display().txbOutput.Text(); }
  frmIndexMain& OpenWithTop() {
    frmIndexMain& f = Open();
    PickTopFolder();
    return f;
  }
};

TEST_F(ListFilesTest, ShowsTheSortedListWithClosingTextAndTotals) {
  WriteText("b.txt", 500);
  WriteText("a.txt", 500);
  WriteText("readme", 500);
  WriteText("small.txt", 399);
  WriteText("docs/c.txt", 500);
  frmIndexMain& f = OpenWithTop();
  TypeInto(f.txbIncludedFolders, u"docs");
  f.cmdListFiles[0].Click();
  EXPECT_TRUE(platform.messages.empty());
  ASSERT_TRUE(Display().Visible());
  EXPECT_EQ(Shown(),
            u"a.txt (500 bytes)\r\nb.txt (500 bytes)\r\ndocs/c.txt (500 bytes)\r\n"
            u"\r\nThat's all 3 of them.  Length of longest filepath is 10.\r\n"
            u"\r\nTo be indexed: 3 files, total size 1.46 Kb");
  EXPECT_EQ(Display().caption, u"3 files, total size 1.46 Kb");
  EXPECT_NE(Display().cmdCopyToClipboard.caption, u"Pause");
  EXPECT_TRUE(Display().cmdCopyToClipboard.enabled);
  EXPECT_FALSE(Display().Busy);
  EXPECT_EQ(Display().txbOutput.selStart, static_cast<int>(Shown().size()));
  EXPECT_FALSE(f.walk.ListOnly);
  EXPECT_TRUE(f.cmdTopFolder.enabled) << "controls are back after the listing";
}

TEST_F(ListFilesTest, RefusedInputIsNamedAndNothingIsListed) {
  WriteText("a.txt", 500);
  struct Row {
    const char* name;
    std::function<void(ListFilesTest&, frmIndexMain&)> setUp;
    std::u16string text;
    std::u16string title;
  } rows[] = {
      {"no top folder", [](ListFilesTest&, frmIndexMain&) {}, u"Please specify the top folder.",
       u"Create index file"},
      {"top folder gone",
       [](ListFilesTest& t, frmIndexMain&) {
         t.PickTopFolder();
         std::filesystem::remove_all(t.tmp.Path() / "top");
       },
       u"The top folder does not exist.  Please specify it again.", u"Create index file"},
      {"excluded file given as a full path",
       [](ListFilesTest& t, frmIndexMain& f) {
         t.PickTopFolder();
         t.TypeInto(f.txbExcludedFiles, u"/etc/passwd");
       },
       u"Excluded files must be given relative to the top folder.  This entry is a full "
       u"path:\r\n/etc/passwd",
       u"Invalid excluded file"},
      {"top folder files excluded and no subfolder included",
       [](ListFilesTest& t, frmIndexMain& f) {
         t.WriteText("a.txt", 500);
         t.WriteText("docs/b.txt", 500);
         t.PickTopFolder();
         f.chkExcludeFilesInTopFolder.SetValue(1);
       },
       u"No files are included.", u"List files"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::create_directories(tmp.Path() / "top");
    platform.messages.clear();
    frmIndexMain& f = Open();
    row.setUp(*this, f);
    f.cmdListFiles[0].Click();
    const auto& box = OnlyMessage().request;
    EXPECT_EQ(box.text, row.text);
    EXPECT_EQ(box.title, row.title);
    EXPECT_EQ(box.icon, ui::MsgIcon::Exclamation);
    EXPECT_FALSE(Display().Visible());
  }
}

TEST_F(ListFilesTest, SizeFieldsAreReadAndALimitOfZeroReadsZero) {
  WriteText("a.txt", 5);
  WriteText("b.txt", 2048);
  WriteText("c.txt", 2049);
  struct Row {
    const char16_t* typed;
    const char16_t* shown;
  } rows[] = {{u"0", u"0"}, {u" 00 ", u"0"}, {u"none", u"0"}, {u"", u""}};
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.typed));
    frmIndexMain& f = OpenWithTop();
    f.txbMinimumFilesize.SetText(row.typed);
    TypeInto(f.txbMaximumFilesize, u"2");
    f.cmdListFiles[0].Click();
    EXPECT_EQ(f.txbMinimumFilesize.Text(), row.shown);
    EXPECT_EQ(f.walk.IndexFileCount, 2);
    EXPECT_TRUE(Shown().starts_with(u"a.txt (5 bytes)\r\nb.txt (2.00 Kb)\r\n"));
  }
}

TEST_F(ListFilesTest, NoMatchingFileLeavesTheWindowEmpty) {
  WriteText("readme", 500);
  frmIndexMain& f = OpenWithTop();
  f.cmdListFiles[0].Click();
  EXPECT_FALSE(Display().Visible()) << "the window shows itself with the first file";
  EXPECT_EQ(f.ActiveControl(), &f.txbProjectName);
}

TEST_F(ListFilesTest, ClosingTheOutputWindowEndsTheListingWithoutClosingText) {
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) WriteText(name, 500);
  frmIndexMain& f = OpenWithTop();
  platform.AtDoEvents(2, [this] { Display().cmdClose_Click(); });
  f.cmdListFiles[0].Click();
  EXPECT_FALSE(Display().Visible());
  EXPECT_EQ(Shown().find(u"That's all"), std::u16string::npos);
  EXPECT_FALSE(app.ModuleClosed) << "the module window is still open";
  EXPECT_TRUE(f.cmdListFiles[0].enabled);
}

TEST_F(ListFilesTest, PauseHoldsTheListingUntilContinue) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteText(name, 500);
  frmIndexMain& f = OpenWithTop();
  std::size_t linesWhilePaused = 0;
  platform.AtDoEvents(2, [this] { Display().cmdCopyToClipboard_Click(); });
  platform.WhenDoEvents([this] { return Display().Paused; },
                        [&] {
                          linesWhilePaused = f.walk.IndexFileList.size() - 1;
                          Display().cmdCopyToClipboard_Click();  // Continue
                        });
  f.cmdListFiles[0].Click();
  EXPECT_EQ(linesWhilePaused, 1u);
  EXPECT_NE(Shown().find(u"That's all 3 of them."), std::u16string::npos);
}

TEST_F(ListFilesTest, ClosingTextMeasuresTheLongestPathListedInCharacters) {
  const std::string longName = std::string(195, 'n') + ".txt";
  struct Row {
    const char* name;
    std::vector<std::string> files;
    std::u16string closing;
  } rows[] = {
      // The longest name, "unlisted-name.png", is not listed and is shorter
      // than the path.
      {"nested path", {"a.txt", "unlisted-name.png", "docs/c.txt"}, u"filepath is 10."},
      {"a pair of UTF-16 units is one character", {"\xF0\x9F\x98\x80.txt"}, u"filepath is 5."},
      {"from 200 characters on the path follows",
       {"docs/" + longName},
       u"filepath is 204:\r\ndocs/" + Utf8ToText(longName)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::filesystem::remove_all(tmp.Path() / "top");
    for (const std::string& file : row.files) WriteText(file, 500);
    frmIndexMain& f = OpenWithTop();
    TypeInto(f.txbIncludedFolders, u"docs");
    f.cmdListFiles[0].Click();
    EXPECT_NE(Shown().find(u"of them.  Length of longest " + row.closing + u"\r\n"),
              std::u16string::npos)
        << TextToUtf8(Shown());
  }
}

TEST_F(ListFilesTest, NamesTheIndexCannotHoldAreNamedInOneNoticeAndTheRestIsListed) {
  WriteText("a.txt", 500);
  WriteText("b\"q.txt", 500);
  WriteText("bad\xff.txt", 500);
  frmIndexMain& f = OpenWithTop();
  f.cmdListFiles[0].Click();
  const auto& box = OnlyMessage().request;
  EXPECT_EQ(box.text,
            u"2 files or folders were passed over because their names cannot be stored in the "
            u"index:\r\n" +
                TopText() + u"b\"q.txt\r\n" + TopText() + u"bad\xDCFF.txt");
  EXPECT_EQ(box.title, u"List files");
  EXPECT_EQ(box.icon, ui::MsgIcon::Information);
  EXPECT_TRUE(Shown().starts_with(u"a.txt (500 bytes)\r\n\r\nThat's all 1 of them."));
}

TEST_F(ListFilesTest, FullBufferKeepsItsNoticeAndWarnsOfALargeRun) {
  const std::string pad(90, 'p');
  for (int i = 0; i < 700; ++i) WriteText(pad + std::to_string(1000 + i) + ".txt", 5);
  frmIndexMain& f = OpenWithTop();
  TypeInto(f.txbMinimumFilesize, u"0");
  f.cmdListFiles[0].Click();
  EXPECT_TRUE(platform.messages.empty())
      << (platform.messages.empty() ? "" : TextToUtf8(platform.messages[0].request.text));
  EXPECT_EQ(f.walk.IndexFileCount, 700) << "counting goes on past the full buffer";
  const std::u16string text = Shown();
  const auto notice = text.find(u"The file list buffer is full.");
  ASSERT_NE(notice, std::u16string::npos);
  EXPECT_EQ(text.substr(notice),
            u"The file list buffer is full.\r\nTo be indexed: 700 files, total size 3.42 Kb\r\n"
            u"This is a large number of files. Indexing would probably take a long time.");
  EXPECT_LE(text.size(), static_cast<std::size_t>(ui::frmLargeDisplay::kCapacity) + 200);
}

TEST_F(ListFilesTest, LimitEndsTheListingWithTheStoredEntries) {
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}) WriteText(name, 500);
  frmIndexMain& f = OpenWithTop();
  f.walk.MaxFilesToIndex = 3;
  f.cmdListFiles[0].Click();
  EXPECT_EQ(f.walk.IndexFileCount, 4);
  EXPECT_NE(Shown().find(u"c.txt (500 bytes)\r\n\r\nThat's all 3 of them."), std::u16string::npos);
  EXPECT_FALSE(app.ModuleClosed);
}

TEST_F(ListFilesTest, IndexedFilesAreListedSorted) {
  frmIndexMain& f = Open();
  f.walk.IndexFileList = {u"", u"notes.txt"};
  f.walk.IndexFileCount = 1;
  f.cmdListFiles[1].visible = true;
  f.cmdListFiles[1].Click();
  EXPECT_EQ(OnlyMessage().request.text, u"Only one file was indexed:\r\nnotes.txt");
  EXPECT_EQ(OnlyMessage().request.title, u"List files which were indexed");
  EXPECT_EQ(OnlyMessage().request.icon, ui::MsgIcon::Information);

  f.walk.IndexFileList = {u"", u"b.txt", u"A.txt", u"docs/c.txt"};
  f.walk.IndexFileCount = 3;
  f.cmdListFiles[1].Click();
  EXPECT_EQ(Display().caption, u"List files which were indexed");
  EXPECT_EQ(Shown(), u"A.txt\r\nb.txt\r\ndocs/c.txt\r\n\r\nThat's all 3 of them.  \r\n");
}

}  // namespace
}  // namespace quor::test
