// The Search Module window driven like a user: choosing the index, the top
// folder and a single file, searching and stopping a search, the listing of
// indexed files, Clear, and quitting with and without the data-file question.
#include "windows/frm_search_main.h"

#include "ui/frm_large_display.h"
#include "windows/frm_search_main_test_fixture.h"

namespace quor::test {
namespace {

TEST_F(SearchMainTest, SearchListsTheFilesAndTheCount) {
  WriteTree();
  Open();
  form->chkGenerateHTML.SetValue(0);
  Search(u"dogs");
  EXPECT_TRUE(platform.messages.empty()) << TextToUtf8(platform.MessageTexts().front());
  EXPECT_TRUE(form->IndexReady);
  EXPECT_EQ(form->lblSearchableWords.caption, u"There are 4 searchable words in 2 files.");
  EXPECT_EQ(form->lblTitle[1].caption, u"Cats and dogs");
  EXPECT_EQ(form->lblNumFilesFound.caption, u"Number of files found with matches:2");
  EXPECT_NE(form->txbFiles.Text().find(TopText() + u"sub/b.txt"), std::u16string::npos);
  EXPECT_EQ(form->cmdSearch.caption, u"Search");
  EXPECT_TRUE(form->cmdIndexFile.enabled);  // the controls are back
  EXPECT_TRUE(FileExists(DataPath()));
}

TEST_F(SearchMainTest, EnterInTheSearchBoxSearches) {
  WriteTree();
  Open();
  form->chkGenerateHTML.SetValue(0);
  PickIndex();
  PickTop();
  Type(u"only\r");
  EXPECT_EQ(form->txbSearchWords.Text(), u"only");
  EXPECT_EQ(form->lblNumFilesFound.caption, u"Number of files found with matches:1");
}

TEST_F(SearchMainTest, MissingInputsAreNamedBeforeAnySearch) {
  WriteTree();
  Open();
  form->cmdSearch.Click();
  PickIndex();
  form->cmdSearch.Click();
  PickTop();
  form->optSearchSingleFile.SetValue(true);
  form->cmdSearch.Click();
  ASSERT_EQ(platform.messages.size(), 3u);
  EXPECT_EQ(platform.messages[0].request.title, u"Index file not specified");
  EXPECT_EQ(platform.messages[0].request.text.substr(0, 24), u"Please select an index f");
  EXPECT_EQ(platform.messages[1].request.title, u"Top folder not specified");
  EXPECT_EQ(platform.messages[1].request.text.substr(0, 24), u"Please select a top fold");
  EXPECT_EQ(platform.messages[2].request.text, app.GetProgramText(76));
  EXPECT_EQ(form->lblNumFilesFound.caption, u"");
}

TEST_F(SearchMainTest, IndexFileWithAnotherEndingIsRefused) {
  WriteTree();
  tmp.Write("other.quor", "x");
  Open();
  platform.openAnswers.push_back({Utf8ToText((tmp.Path() / "other.quor").string())});
  form->cmdIndexFile_Click();
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].request.title, u"Invalid input");
  EXPECT_EQ(form->txbIndexFile.Text(), u"");
  EXPECT_FALSE(form->cmdClear[2].visible);
  EXPECT_FALSE(form->cmdListIndexedFiles.enabled);
}

TEST_F(SearchMainTest, SingleFileMustLieUnderTheTopFolderAndBeIndexed) {
  WriteTree();
  tmp.Write("top/sub/not-indexed.txt", "dogs\r\n");
  tmp.Write("elsewhere.txt", "dogs\r\n");
  Open();
  form->chkGenerateHTML.SetValue(0);
  form->cmdSpecifyFile_Click();  // no top folder yet
  PickIndex();
  PickTop();
  form->optSearchSingleFile.SetValue(true);
  struct Row {
    const char* name;
    std::string file;
    std::u16string message;  // empty: none
    std::u16string singleFile;
  } rows[] = {
      {"outside the top folder", "elsewhere.txt", app.GetProgramText(72), u""},
      {"not in the index", "top/sub/not-indexed.txt", app.GetProgramText(75),
       TopText() + u"sub/not-indexed.txt"},
      {"indexed", "top/sub/b.txt", u"", TopText() + u"sub/b.txt"},
  };
  ASSERT_EQ(platform.MessageTexts(), std::vector<std::u16string>{app.GetProgramText(23)});
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    platform.messages.clear();
    platform.openAnswers.push_back({Utf8ToText((tmp.Path() / row.file).string())});
    form->cmdSpecifyFile_Click();
    EXPECT_EQ(form->txbSingleFile.Text(), row.singleFile);
    if (row.message.empty()) {
      EXPECT_TRUE(platform.messages.empty());
    } else {
      EXPECT_EQ(platform.MessageTexts(), std::vector<std::u16string>{row.message});
    }
  }
  platform.messages.clear();
  Type(u"dogs");
  form->cmdSearch.Click();
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(form->lblNumFilesFound.caption, u"Found");
}

TEST_F(SearchMainTest, StopDuringTheListingEndsTheSearch) {
  WriteTree(40);
  Open();
  form->chkGenerateHTML.SetValue(0);
  PickIndex();
  PickTop();
  // The user presses Stop once the first files are listed.
  platform.WhenDoEvents(
      [&] {
        return form->cmdSearch.caption == u"Stop" &&
               form->txbFiles.Text().find(u"more/103.txt") != std::u16string::npos;
      },
      [&] { form->cmdSearch.Click(); });
  Type(u"cats");
  form->cmdSearch.Click();
  EXPECT_NE(form->txbFiles.Text().find(u"Search terminated."), std::u16string::npos);
  EXPECT_EQ(form->txbFiles.Text().find(u"more/139.txt"), std::u16string::npos);
  EXPECT_EQ(form->cmdSearch.caption, u"Search");
  EXPECT_TRUE(form->cmdTopFolder.enabled);
  // The next search runs in full.
  form->cmdSearch.Click();
  EXPECT_EQ(form->lblNumFilesFound.caption, u"Number of files found with matches:41");
}

TEST_F(SearchMainTest, ClosingTheWindowDuringASearchAbandonsIt) {
  WriteTree(40);
  Open();
  form->chkGenerateHTML.SetValue(0);
  PickIndex();
  PickTop();
  platform.WhenDoEvents([&] { return form->cmdSearch.caption == u"Stop"; },
                        [&] { form->CloseByUser(); });
  Type(u"cats");
  form->cmdSearch.Click();
  EXPECT_FALSE(form->Loaded());
  EXPECT_EQ(launcher.closedCalls, 1);
  EXPECT_TRUE(app.ModuleClosed);
}

TEST_F(SearchMainTest, StemOutsideAnyWordSwitchesTheType) {
  WriteTree();
  Open();
  form->chkGenerateHTML.SetValue(0);
  Search(u"ca*");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(form->cboSearchType.ListIndex(), 0);
  form->cmdSearch.Click();
  EXPECT_EQ(form->lblNumFilesFound.caption, u"Number of files found with matches:1");
}

TEST_F(SearchMainTest, ListingByFolderAndAlphabetically) {
  WriteTree(2);
  tmp.Write("top/B.txt", "x");
  Open();
  PickIndex();
  ui::frmLargeDisplay& display = app.LargeDisplay();
  form->optByFolder.SetValue(true);
  form->cmdListIndexedFiles.Click();
  EXPECT_TRUE(display.Visible());
  const std::u16string byFolder = display.txbOutput.Text();
  EXPECT_NE(byFolder.find(u"Listing by folder of the filepaths of the 4 indexed files\r\n"),
            std::u16string::npos);
  EXPECT_NE(byFolder.find(u"a.txt\r\n\r\nsub/b.txt\r\n\r\nsub/more/100.txt\r\nsub/more/101.txt"),
            std::u16string::npos);
  EXPECT_TRUE(byFolder.ends_with(u"That's all.\r\n"));

  form->optAlphabetically.SetValue(true);
  form->cmdListIndexedFiles.Click();
  const std::u16string alphabetical = display.txbOutput.Text();
  EXPECT_NE(alphabetical.find(u"Alphabetical listing"), std::u16string::npos);
  EXPECT_NE(alphabetical.find(u"a.txt\r\nsub/b.txt\r\nsub/more/100.txt"), std::u16string::npos);
  // The index keeps its order for the search.
  EXPECT_EQ(form->index.FileList[0], u"a.txt");
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(SearchMainTest, ListingOfAOneFileIndexIsAMessage) {
  TestLexicon lexicon;
  lexicon.Add(u"cats", {P(1, 9)});
  RecordWriter out;
  out.WriteStringRecord(u"only/file.txt");
  out.WriteStringRecord(kEndOfFileList);
  WriteLexicon(out, lexicon, u"One");
  WriteCountRows(out, lexicon, 1);
  WriteIndexText(out.Take());
  Open();
  platform.openAnswers.push_back({IndexPath()});
  form->cmdIndexFile_Click();
  form->IndexReady = false;  // the listing loads it again
  form->cmdListIndexedFiles.Click();
  EXPECT_EQ(platform.MessageTexts(),
            std::vector<std::u16string>{u"Only one file was indexed:\r\nonly/file.txt"});
  EXPECT_FALSE(app.LargeDisplay().Visible());
  EXPECT_TRUE(form->IndexReady);
}

TEST_F(SearchMainTest, ClearButtonsEmptyTheirBoxes) {
  WriteTree();
  Open();
  form->chkGenerateHTML.SetValue(0);
  Search(u"dogs");
  form->cmdClear[2].Click();
  EXPECT_EQ(form->txbIndexFile.Text(), u"");
  EXPECT_EQ(form->lblTitle[1].caption, u"");
  EXPECT_EQ(form->lblSearchableWords.caption, u"");
  EXPECT_FALSE(form->cmdListIndexedFiles.enabled);
  EXPECT_FALSE(form->cmdClear[2].visible);
  EXPECT_TRUE(form->cmdClear[3].visible);
  form->cmdClear[3].Click();
  EXPECT_EQ(form->txbSearchWords.Text(), u"");
  EXPECT_FALSE(form->cmdClear[3].visible);
  form->cmdClear[1].Click();
  EXPECT_EQ(form->txbTopFolder.Text(), u"");
  EXPECT_TRUE(form->cmdTopFolder.HasFocus());
}

TEST_F(SearchMainTest, CopyTakesTheSelectionOrTheWholeResults) {
  Open();
  form->txbFiles.SetText(u"one two");
  form->cmdCopyToClipboard.Click();
  EXPECT_EQ(platform.clipboard, u"one two");
  form->txbFiles.SetSelection(4, 3);
  EXPECT_EQ(form->cmdCopyToClipboard.caption, app.GetProgramText(32));
  form->cmdCopyToClipboard.Click();
  EXPECT_EQ(platform.clipboard, u"two");
}

TEST_F(SearchMainTest, HandedOverTopFolderIsTaken) {
  app.ModuleSwitch = true;
  app.HandedOverTopFolder = TopText();
  Open();
  EXPECT_EQ(form->txbTopFolder.Text(), TopText());
  EXPECT_TRUE(form->cmdClear[1].visible);
}

TEST_F(SearchMainTest, QuitAsksAboutTheDataFileOnlyWhenAsked) {
  struct Row {
    const char* name;
    int deleteOnQuit;
    ui::MsgResult answer;
    bool questionAsked;
    bool dataFileKept;
  } rows[] = {
      {"box unticked", 0, ui::MsgResult::Yes, false, true},
      {"ticked, answered No", 1, ui::MsgResult::No, true, true},
      {"ticked, answered Yes", 1, ui::MsgResult::Yes, true, false},
  };
  WriteTree();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Open();
    form->chkGenerateHTML.SetValue(0);
    PickIndex();
    ASSERT_TRUE(FileExists(DataPath()));
    form->chkOnQuitDeleteDataFile.SetValue(row.deleteOnQuit);
    platform.messages.clear();
    if (row.questionAsked) platform.AnswerNext(row.answer);
    const int closed = launcher.closedCalls;
    form->cmdQuit.Click();
    EXPECT_EQ(!platform.messages.empty(), row.questionAsked);
    EXPECT_EQ(FileExists(DataPath()), row.dataFileKept);
    EXPECT_FALSE(form->Loaded());
    EXPECT_EQ(launcher.closedCalls, closed + 1);
    EXPECT_TRUE(app.ModuleClosed);
  }
}

}  // namespace
}  // namespace quor::test
