// The Search Module's settings file: saved and loaded through the Settings
// commands, the start-up settings, and what loading checks.
#include "windows/frm_search_main.h"

#include "common/paths.h"
#include "ui/frm_pop_up.h"
#include "windows/frm_search_main_test_fixture.h"

namespace quor::test {
namespace {

class SearchSettingsTest : public SearchMainTest {
 public:
  void Choose(int item) {
    form->cboSettings.SetListIndex(item);  // picking the entry performs it
  }
  std::u16string DefaultPath() const { return form->DefaultSettingsPath; }
};

TEST_F(SearchSettingsTest, RoundTripThroughTheStartUpSettings) {
  WriteTree();
  Open();
  PickIndex();
  PickTop();
  form->cboSearchType.SetListIndex(2);
  form->txbMaxNumExtracts.SetText(u"7");
  form->cboSizeOfExtract.SetListIndex(8);
  form->chkSortMatches.SetValue(1);
  form->chkGenerateHTML.SetValue(0);
  form->chkDisplayDescriptions.SetValue(0);
  form->chkDisplayFilepaths.SetValue(1);
  form->chkOnQuitDeleteDataFile.SetValue(1);
  form->optTextReport.SetValue(true);
  form->optSearchSingleFile.SetValue(true);
  form->txbSingleFile.SetText(TopText() + u"a.txt");
  Type(u"cats, dogs");
  form->cmdSettings.Click();  // "Save for next run"
  EXPECT_TRUE(FileExists(DefaultPath()));
  EXPECT_EQ(GetFileName(DefaultPath()), u"dwixs.usrs");

  form->chkOnQuitDeleteDataFile.SetValue(0);  // no question on leaving
  form->cmdQuit.Click();
  platform.messages.clear();
  Open();
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(form->cboSearchType.ListIndex(), 2);
  EXPECT_EQ(form->txbMaxNumExtracts.Text(), u"7");
  EXPECT_EQ(form->cboSizeOfExtract.ListIndex(), 8);
  EXPECT_EQ(form->chkSortMatches.Value(), 1);
  EXPECT_EQ(form->chkGenerateHTML.Value(), 0);
  EXPECT_EQ(form->chkDisplayDescriptions.Value(), 0);
  EXPECT_EQ(form->chkDisplayFilepaths.Value(), 1);
  EXPECT_EQ(form->chkOnQuitDeleteDataFile.Value(), 1);
  EXPECT_TRUE(form->optTextReport.Value());
  EXPECT_TRUE(form->optSearchSingleFile.Value());
  EXPECT_EQ(form->txbSingleFile.Text(), TopText() + u"a.txt");
  EXPECT_TRUE(form->cmdClear[4].visible);
  EXPECT_EQ(form->txbIndexFile.Text(), IndexPath());
  EXPECT_TRUE(form->cmdClear[2].visible);
  EXPECT_FALSE(form->IndexReady);  // loaded by the first search or listing
  EXPECT_EQ(form->txbTopFolder.Text(), TopText());
  EXPECT_EQ(form->lblTitle[1].caption, u"Cats and dogs");
  // The search words are the file's last line, read as a field.
  EXPECT_EQ(form->txbSearchWords.Text(), u"cats");
}

TEST_F(SearchSettingsTest, SaveToFileProposesTheProjectNameAndBothWaysShowsOneMessage) {
  WriteTree();
  Open();
  PickIndex();
  const std::u16string chosen = Utf8ToText((tmp.Path() / "mine.usrs").string());
  platform.saveAnswers.push_back(chosen);
  form->cboSettings.SetListIndex(2);           // "Save in both ways"
  ASSERT_EQ(platform.fileDialogs.size(), 2u);  // the index file, then the settings file
  EXPECT_EQ(platform.fileDialogs[1].fileName, u"t.usrs");
  EXPECT_TRUE(FileExists(chosen));
  EXPECT_TRUE(FileExists(DefaultPath()));
  EXPECT_EQ(app.PopUp().lblMessage.caption, u"Settings saved to " + chosen + u".");
}

TEST_F(SearchSettingsTest, MissingTopFolderIsReportedOnlyOnAUsersLoad) {
  WriteTree();
  Open();
  PickIndex();
  PickTop();
  const std::u16string settings = Utf8ToText((tmp.Path() / "saved.usrs").string());
  form->SaveSettings(settings, false);
  form->SaveSettings(DefaultPath(), false);
  std::filesystem::rename(tmp.Path() / "top", tmp.Path() / "moved");
  form->cmdQuit.Click();

  platform.messages.clear();
  Open();
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(form->txbTopFolder.Text(), u"");
  EXPECT_FALSE(form->cmdClear[1].visible);

  platform.openAnswers.push_back({settings});
  form->cboSettings.SetListIndex(3);  // "Load from file"
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].request.title, u"Folder not found");
  EXPECT_EQ(platform.messages[0].request.icon, ui::MsgIcon::Exclamation);
  EXPECT_EQ(platform.messages[0].request.text,
            u"Top folder " + TopText() + u"\r\nfrom last run not found.");
  EXPECT_EQ(form->txbTopFolder.Text(), u"");
}

TEST_F(SearchSettingsTest, IndexFileIsKeptOnlyWhenItCanBeUsed) {
  WriteTree();
  tmp.Write("wrong.quor", "x");
  struct Row {
    const char* name;
    std::u16string indexFile;
    bool kept;
  } rows[] = {
      {"the index", IndexPath(), true},
      {"a relative path", u"t_index.quor", false},
      {"another ending", Utf8ToText((tmp.Path() / "wrong.quor").string()), false},
      {"missing", Utf8ToText((tmp.Path() / "gone_index.quor").string()), false},
  };
  Open();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SearchSettings settings;
    settings.indexFile = row.indexFile;
    tmp.Write("s.usrs", WriteSearchSettings(settings));
    form->LoadSettings(Utf8ToText((tmp.Path() / "s.usrs").string()));
    EXPECT_EQ(form->txbIndexFile.Text(), row.kept ? row.indexFile : u"");
    EXPECT_EQ(form->cmdClear[2].visible, row.kept);
  }
}

TEST_F(SearchSettingsTest, ShortFileKeepsWhatWasReadAndSaysWhy) {
  Open();
  SearchSettings settings;
  settings.searchType = 0;
  settings.maxNumExtracts = u"3";
  std::string text = WriteSearchSettings(settings);
  // Cut after line 3.
  std::size_t cut = 0;
  for (int line = 0; line < 3; ++line) cut = text.find("\r\n", cut) + 2;
  tmp.Write("short.usrs", text.substr(0, cut));
  platform.openAnswers.push_back({Utf8ToText((tmp.Path() / "short.usrs").string())});
  form->cboSettings.SetListIndex(3);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].request.text,
            u"Error when attempting to load settings: Input past end of file");
  EXPECT_EQ(form->cboSearchType.ListIndex(), 0);
  EXPECT_EQ(form->txbMaxNumExtracts.Text(), u"3");
  EXPECT_EQ(form->cboSizeOfExtract.ListIndex(), 4);  // not read: as it was
}

TEST_F(SearchSettingsTest, FileOfAnotherKindIsNamedAndChangesNothingAndOldFilesLoad) {
  Open();
  form->txbSearchWords.SetText(u"kept");
  tmp.Write("notes.txt", "2\r\n\"7\"\r\n3\r\n");
  platform.openAnswers.push_back({Utf8ToText((tmp.Path() / "notes.txt").string())});
  form->cboSettings.SetListIndex(3);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].request.text, u"notes.txt is not a QUOR settings file.");
  EXPECT_EQ(platform.messages[0].request.title, u"Load settings");
  EXPECT_EQ(form->txbSearchWords.Text(), u"kept");
  EXPECT_EQ(form->cboSearchType.ListIndex(), 1);

  // A file of an earlier version names another program in its header.
  SearchSettings settings;
  settings.searchType = 2;
  std::string text = WriteSearchSettings(settings);
  text.replace(1, 4, "Vantrel File Search");
  tmp.Write("old.usrs", text);
  platform.messages.clear();
  form->LoadSettings(Utf8ToText((tmp.Path() / "old.usrs").string()));
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(form->cboSearchType.ListIndex(), 2);
}

TEST(SearchSettingsFile, SixteenLinesWithTheHeaderAndTheWordsBare) {
  SearchSettings settings;
  settings.topFolder = u"/home/ann/docs/";
  settings.searchWords = u"grüne Wiese";
  const std::string text = WriteSearchSettings(settings);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 16);
  EXPECT_TRUE(text.starts_with("\"QUOR -- Settings for Search Module\"\r\n1\r\n\"\"\r\n4\r\n"));
  EXPECT_TRUE(text.ends_with("\r\n1\r\n1\r\n\"\"\r\ngr\xC3\xBCne Wiese\r\n"));
  SearchSettings back;
  EXPECT_EQ(ReadSearchSettings(text, back), u"");
  EXPECT_EQ(back.topFolder, settings.topFolder);
  EXPECT_EQ(back.searchWords, settings.searchWords);
}

}  // namespace
}  // namespace quor::test
