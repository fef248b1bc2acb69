// A user at the Search Module window: a temporary folder with a small tree
// and its index (written by the index-file writers, compressed as the index
// build does), the scripted platform, the program's texts, and the window.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "common/encoding.h"
#include "common/files.h"
#include "common/records.h"
#include "indexfile/compressor.h"
#include "indexfile/data_file.h"
#include "indexfile/index_format.h"
#include "indexfile/test_lexicon.h"
#include "support/temp_folder.h"
#include "ui/app_context.h"
#include "windows/frm_search_main.h"
#include "windows/module_window_fixture.h"

namespace quor::test {

class SearchMainTest : public ::testing::Test {
 public:
  SearchMainTest()
      : platform(Utf8ToText((tmp.Path() / "machine").string())),
        app(platform, LoadProgramTexts(platform)) {
    std::filesystem::create_directories(tmp.Path() / "top");
  }

  std::u16string TopText() const { return Utf8ToText((tmp.Path() / "top").string() + "/"); }
  std::u16string IndexPath() const { return Utf8ToText((tmp.Path() / "t_index.quor").string()); }
  std::u16string DataPath() const { return DataFilePathFor(IndexPath()); }

  // The tree: a.txt "cats and dogs, cats", sub/b.txt "dogs only", and
  // extraFiles more files "cats" (sub/more/nnn.txt), indexed in that order.
  void WriteTree(int extraFiles = 0) {
    TestLexicon lexicon;
    std::vector<std::u16string> files = {u"a.txt", u"sub/b.txt"};
    tmp.Write("top/a.txt", "cats and dogs, cats\r\n");
    tmp.Write("top/sub/b.txt", "dogs only\r\n");
    std::vector<Posting> cats = {P(1, 255)};
    for (int k = 0; k < extraFiles; ++k) {
      const std::string name = "sub/more/" + std::to_string(100 + k) + ".txt";
      tmp.Write("top/" + name, "cats\r\n");
      files.push_back(Utf8ToText(name));
      cats.push_back(P(static_cast<std::uint32_t>(files.size()), 128));
    }
    lexicon.Add(u"cats", cats);
    lexicon.Add(u"and", {P(1, 128)});
    lexicon.Add(u"dogs", {P(1, 128), P(2, 255)});
    lexicon.Add(u"only", {P(2, 128)});
    RecordWriter out;
    for (const std::u16string& file : files) out.WriteStringRecord(file);
    out.WriteStringRecord(kEndOfFileList);
    WriteLexicon(out, lexicon, u"Cats and dogs");
    WriteCountRows(out, lexicon, static_cast<std::int32_t>(files.size()));
    WriteIndexText(out.Take());
  }

  // Writes text as the index file, compressed as the index build does.
  void WriteIndexText(const std::string& text) {
    tmp.Write("t_index.quor", text);
    FileCompressor compressor;
    ASSERT_TRUE(compressor.AllocateCompressionBuffer());
    ASSERT_EQ(compressor.CompressFile(IndexPath(), IndexPath() + u".tmp", true), kCompressOk);
  }

  // Opens a fresh window, as the launcher does.
  frmSearchMain& Open() {
    form.reset();
    form = std::make_unique<frmSearchMain>(app, &launcher);
    form->EventInterval = std::chrono::milliseconds(0);
    form->Show();
    return *form;
  }

  // The user picks the index file, the top folder and types the words.
  void PickIndex() {
    platform.openAnswers.push_back({IndexPath()});
    form->cmdIndexFile_Click();
  }
  void PickTop() {
    platform.folderAnswers.push_back(TopText());
    form->cmdTopFolder_Click();
  }
  void Type(std::u16string_view words) {
    form->txbSearchWords.SetFocus();
    form->txbSearchWords.SetSelection(0, static_cast<int>(form->txbSearchWords.Text().size()));
    form->txbSearchWords.Type(words);
  }
  // Everything a search needs, and the search.
  void Search(std::u16string_view words) {
    if (form->txbIndexFile.Text().empty()) PickIndex();
    if (form->txbTopFolder.Text().empty()) PickTop();
    Type(words);
    form->cmdSearch.Click();
  }

  std::vector<std::u16string> Titles() const {
    std::vector<std::u16string> titles;
    for (const auto& shown : platform.messages) titles.push_back(shown.request.title);
    return titles;
  }

  TempFolder tmp;
  ScriptedPlatform platform;
  ui::AppContext app;
  RecordingLauncher launcher;
  std::unique_ptr<frmSearchMain> form;
};

}  // namespace quor::test
